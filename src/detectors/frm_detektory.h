// The detector form: after a pedestrian head it places the head's push
// buttons, each with its description, one "&Ustaw" at a time. Of its four
// tabs only "Przyciski" is ever available. The options form stays loaded
// (hidden) meanwhile: its placement's follow-up timer finishes every push
// button.
#pragma once

#include "forms/frm_ustawienia_detektory.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>

class QPushButton;
class QRadioButton;

namespace Ui {
class frmDetektory;
}

namespace lumo {

struct RunContext;
class SignalPlacement;

namespace cad {
class Entity;
}

// Tab indexes of tabRodzDet.
enum DetectorTab : int {
    TabPetle = 0,
    TabNadjezdniowe = 1,
    TabObszaryDetekcji = 2,
    TabPrzyciski = 3,
};

// Where the push button's block file lies under the suite root, its block
// name and the attribute tags the program gives it.
inline const QString kPushButtonFolder = QStringLiteral("aZasoby\\Symbole\\");
inline const QString kPushButtonBlock = QStringLiteral("sygnprzycisk");

class frmDetektory : public QDialog {
    Q_OBJECT

public:
    // placement: the placement of the head the buttons belong to, whose
    // follow-up timer places them. versionText "1.0.5".
    frmDetektory(RunContext& ctx, SignalPlacement& placement, const QString& versionText,
                 QWidget* parent = nullptr);
    ~frmDetektory() override;

    // The load, run once when the form is first touched. False when there is
    // no host: the message is shown and the form is unloaded.
    bool Form_Load();

    // Rules and buttons.
    void tabRodzDet_Click();
    void cbUstaw_Click(int index);
    void btnCcl_Click();
    void btnHlp_Click();
    void cmdUstUstDet_Click();

    // The description code of the current tab ("D" on "Przyciski") and the
    // code built from it, also put into edtOpis.
    void EdytujLitereOpisuDetektora();
    QString ComposeDetectorDescription(const QString& letter);

    // Selects a tab from code; tabs 0-2 stay out of reach.
    void selectTab(int index);

    // Follow-up step 2: the push button the host has just inserted gets its
    // layer and attributes, then its description; then the form comes back.
    // Host failures (a cancelled point included) reach the caller.
    void FinishPushButton(const std::shared_ptr<cad::Entity>& button);

    // Shows the form again in front of the drawing window, where the
    // designer has just been picking points.
    void showAgain();

    // Closes the form as part of the program's end, without running the
    // rules of "&Zakończ" again.
    void unload();

    Ui::frmDetektory& ui() { return *m_ui; }
    frmUstawieniaDetektory* settingsDialog() const { return m_settingsDialog; }
    int helpContext() const { return m_helpContext; }

    std::array<QPushButton*, 1> cbUstaw{};
    std::array<QRadioButton*, 2> optShapeDet{};

    // The detector description state of the run.
    QString DetectorLetter;
    QString DetectorDescription;
    // The producers read at load, in list order.
    QStringList PushButtonProducers;
    // The detector description font, as numbers.
    double detectorFontHeight = 0.0;
    double detectorFontWidth = 0.0;

    static const QString kDesignedCaption;

protected:
    // The title-bar button ends the program as "&Zakończ" does.
    void closeEvent(QCloseEvent* event) override;
    // Escape is "&Zakończ", the form's cancel button.
    void reject() override;

private:
    void onTabChanged(int index);
    QString blockFileExtension() const;

    RunContext& m_ctx;
    SignalPlacement& m_placement;
    QString m_versionText;
    std::unique_ptr<Ui::frmDetektory> m_ui;
    int m_helpContext = 0;
    bool m_unloading = false;
    QPointer<frmUstawieniaDetektory> m_settingsDialog;
};

} // namespace lumo
