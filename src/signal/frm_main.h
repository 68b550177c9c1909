// The options form of a signal head and the placement it starts: start-up of
// the whole program (the form's load), the click rules that keep the
// designation up to date, the section number and symbol lookup, the
// insertion of the head's block, the follow-up steps driven by tRunNext and
// the description of the placed head.
#pragma once

#include "cad/follow_up.h"
#include "cad/host.h"
#include "forms/frm_ustawienia.h"
#include "lists/list_files.h"
#include "signal/catalogue.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace Ui {
class frmMain;
}

namespace lumo {

struct RunContext;

namespace cad {
class HostProvider;
}

// What the description form collects for one head; the form's public
// members of the same names.
struct HeadDescription {
    bool m_fZaakceptowano = false;
    QString m_KtoNaniosl;
    QString m_Ulica;
    QString m_NaWniosek;
    QString m_KtoWykonal;
    QString m_DataRealizacji;
    QString m_DataZlecenia;
    QString m_NrZlecenia;
    QString m_DataInwent;
    QString m_Uwagi;
};

// The state of one head's placement, shared by the form's rules, the lookup,
// the insertion and the follow-up steps (and read by the detector form).
struct SignalPlacementState {
    DesignationState designation;
    QString signalSymbol; // catalogue symbol of the chosen head type
    bool sectionNumberValid = true;

    short lensIndex = 0;
    short lensDiameter = 0; // 0 until a lens is chosen
    bool placementStarted = false; // set by the first acceptance
    bool stopLine = false;
    bool acoustic = false;
    bool antiGlare = false;
    short antiGlareCount = 0;
    bool screens = false;
    QString screenSymbol;
    bool intersectionChosen = false;
    bool pushButtons = false;
    short pushButtonsSetting = 0;
    QString typeText;
    QString lightSourceText;
    LightSourceCodes lightSourceCodes;

    // Set by the lookup.
    QString blockFolder;
    QString blockPath;
    short drawingScale = 1;

    // Set by the insertion and the follow-up steps.
    short followUpStep = 0; // 0 idle, 1 head, 2 push button
    long countBefore = 0;
    double signalTextHeight = 0.0;
    double m_dRotation = 0.0; // radians, of the entity just placed
    QString placedHandle;
    QString screenHandle;
    cad::Point3 placedInsertionPoint;
    cad::Point3 lastPickedPoint;
};

class frmMain : public QWidget, public OptionsFormLink {
    Q_OBJECT

public:
    // The provider is where start-up gets its host from.
    frmMain(RunContext& ctx, cad::HostProvider& provider, QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up of the program. commandLineArgs as GetCommandLineArgs
    // gives them (element 0 empty, words from 1); versionText "1.0.5".
    void Form_Load(const QStringList& commandLineArgs, const QString& versionText);

    // Click rules.
    void chkRodzSyg_Click(int index);
    void cmbRdz2Syg_Click();
    void chkFiSocz_Click(int index);
    void chkOrientGeo_Click(int index);
    void chkPowtStr_Click(int index);
    void cmbPowt_Click();
    void cmbStrum_Click();
    void cmbPowtStrum_Click();
    void chkSygnAkust_Click();
    void chkWkladyAntyZl_Click();
    void chkEkrany_Click();
    void optRodzEkran_Click(int index);
    void chkLinZatrz_Click();
    void cmbLinZatrz_Click();
    void cmbNumSkrzyz_Click();
    void chkUstawDetektory_Click();
    void cmdDodajWpis_Click();
    void cmdAccept_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();
    void cmdUstawienia_Click();

    // The section number and symbol lookup. False when it ended the program.
    bool LookUpSymbol(const QString& symbol);

    // Puts the head's block into the drawing and hands the placement to the
    // designer; the follow-up timer takes over from there.
    void InsertSignalHead(const QString& symbol, const QString& blockPath);

    // One tick of the follow-up timer.
    void tRunNext_Timer();

    // Asks for the placed head's description, writes its attributes and
    // remembers the inputs for the next run. True when accepted.
    bool DescribePlacedHead(const QString& placedHandle, const QString& kindCode);

    // The help file fixed at start-up, at the form's help context.
    void ShowHelp();

    // What the drawing settings dialog changes on this form.
    short drawingScale() const override { return m_state.drawingScale; }
    void setDrawingScale(short scale) override { m_state.drawingScale = scale; }
    void setPushButtonCaption() override;
    void rebuildSignalLabel() override { Rebuild(); }
    void showHelpAt(int helpContext) override;
    // The open drawing settings dialog; null while none is open.
    frmUstawienia* settingsDialog() const { return m_frmUstawienia; }

    // The description form. The default shows frmAtrybutySygnalizatora
    // modally; tests may put their own here.
    using DescriptionFormFn = std::function<void(HeadDescription&)>;
    void setDescriptionForm(DescriptionFormFn fn) { m_descriptionForm = std::move(fn); }
    // The run's on-top flag of the description form, which outlives the
    // form; the form keeps its own until the program hands it one.
    void setOnTopFlag(bool& flag) { m_onTopFlag = &flag; }

    // The hand-over to the detector form after an accepted description
    // (push buttons), and the finishing of a push button the detector form
    // placed. The detector layer above installs both; without them the
    // placement stops as without push buttons.
    void setPushButtonHandOver(std::function<void()> fn) { m_pushButtonHandOver = std::move(fn); }
    void setPushButtonFollowUp(std::function<void(const std::shared_ptr<cad::Entity>&)> fn)
    {
        m_pushButtonFollowUp = std::move(fn);
    }

    SignalPlacementState& state() { return m_state; }
    const SignalPlacementState& state() const { return m_state; }
    QTimer& tRunNext() { return m_tRunNext; }
    // Armed just before an insert command is sent (see FollowUpWatch::arm).
    cad::FollowUpWatch& followUpWatch() { return m_followUp; }
    Ui::frmMain& ui() { return *m_ui; }
    bool ended() const { return m_ended; }
    const QString& endReason() const { return m_endReason; }

    // Control arrays, in index order.
    std::array<QRadioButton*, 6> chkRodzSyg{};
    std::array<QRadioButton*, 3> chkFiSocz{};
    std::array<QRadioButton*, 8> chkOrientGeo{};
    std::array<QRadioButton*, 4> chkPowtStr{};
    std::array<QRadioButton*, 2> optRodzEkran{};

    static const QString kDesignedCaption;

protected:
    // Closing the options form ends the program.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectRules();
    void Rebuild();
    void endProgram(const QString& reason);
    void stopFollowUp(const QString& reason);
    void reportHostNotResponding();
    void deselect(QRadioButton* button);
    void select(QRadioButton* button);
    void setCheckValue(QCheckBox* box, bool checked);
    QString blockFileExtension() const;
    bool finishHead(const std::shared_ptr<cad::Entity>& entity);
    void placeDescription(const QString& prompt, const QString& text, double height);

    RunContext& m_ctx;
    cad::HostProvider& m_provider;
    std::unique_ptr<Ui::frmMain> m_ui;
    SignalPlacementState m_state;
    QTimer m_tRunNext;
    cad::FollowUpWatch m_followUp;
    bool m_ended = false;
    QString m_endReason;
    DescriptionFormFn m_descriptionForm;
    bool m_ownOnTopFlag = false;
    bool* m_onTopFlag = &m_ownOnTopFlag;
    std::function<void()> m_pushButtonHandOver;
    std::function<void(const std::shared_ptr<cad::Entity>&)> m_pushButtonFollowUp;
    QPointer<frmUstawienia> m_frmUstawienia;
};

} // namespace lumo
