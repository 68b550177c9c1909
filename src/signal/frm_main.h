// The options form of a signal head: start-up of the whole program (the
// form's load), the click rules that keep the designation up to date and the
// section number and symbol lookup. Its acceptance starts the head stage of
// the run (run/placement_run.h), which the Program owns; the form shows the
// run's state and keeps none of its own.
#pragma once

#include "cad/host.h"
#include "forms/frm_ustawienia.h"
#include "lists/list_files.h"
#include "signal/catalogue.h"
#include "run/placement_run.h"

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

class frmMain : public QWidget, public OptionsFormLink, private PlacementForm {
    Q_OBJECT

public:
    // The provider is where start-up gets its host from; run is the run the
    // form shows and starts.
    frmMain(RunContext& ctx, cad::HostProvider& provider, PlacementRun& run, QWidget* parent = nullptr);
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

    // The run the form shows and starts.
    PlacementRun& placement() { return m_run; }
    // One tick of the run's follow-up timer.
    void tRunNext_Timer() { m_run.tRunNext_Timer(); }

    // The help file fixed at start-up, at the form's help context.
    void ShowHelp();

    // What the drawing settings dialog changes on this form.
    short drawingScale() const override { return state().drawingScale; }
    void setDrawingScale(short scale) override { state().drawingScale = scale; }
    void setPushButtonCaption() override;
    void rebuildSignalLabel() override { Rebuild(); }
    void showHelpAt(int helpContext) override;
    // The open drawing settings dialog; null while none is open.
    frmUstawienia* settingsDialog() const { return m_frmUstawienia; }

    SignalPlacementState& state() { return m_run.state(); }
    const SignalPlacementState& state() const { return m_run.state(); }
    QTimer& tRunNext() { return m_run.tRunNext(); }
    Ui::frmMain& ui() { return *m_ui; }
    // Has the load tick "Ustaw przyciski" as the designer would, where the
    // head's kind allows push buttons. Call before Form_Load.
    void tickPushButtonsAtLoad() { m_tickPushButtonsAtLoad = true; }
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
    void showOptions() override { show(); }
    void endPlacement(const QString& reason) override { endProgram(reason); }

    // Closing the options form ends the program.
    void closeEvent(QCloseEvent* event) override;

private:
    void connectRules();
    void Rebuild();
    void endProgram(const QString& reason);
    void deselect(QRadioButton* button);
    void select(QRadioButton* button);
    void setCheckValue(QCheckBox* box, bool checked);

    RunContext& m_ctx;
    cad::HostProvider& m_provider;
    PlacementRun& m_run;
    std::unique_ptr<Ui::frmMain> m_ui;
    bool m_ended = false;
    bool m_tickPushButtonsAtLoad = false;
    QString m_endReason;
    QPointer<frmUstawienia> m_frmUstawienia;
};

} // namespace lumo
