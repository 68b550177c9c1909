// The detector form: after a pedestrian head it places the head's push
// buttons, each with its description, one "&Ustaw" at a time. Of its four
// tabs only "Przyciski" is ever available. The run (run/placement_run.h)
// places each button and finishes it when its follow-up timer sees it.
#pragma once

#include "forms/frm_ustawienia_detektory.h"
#include "run/placement_run.h"

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

class frmDetektory : public QDialog, private PushButtonForm {
    Q_OBJECT

public:
    // run: the run of the head the buttons belong to, which places them.
    // versionText "1.0.5".
    frmDetektory(RunContext& ctx, PlacementRun& run, const QString& versionText, QWidget* parent = nullptr);
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

    // Shows the form again in front of the drawing window, where the
    // designer has just been picking points.
    void showAgain() override;

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

    static const QString kDesignedCaption;

protected:
    // The title-bar button ends the program as "&Zakończ" does.
    void closeEvent(QCloseEvent* event) override;
    // Escape is "&Zakończ", the form's cancel button.
    void reject() override;

private:
    void onTabChanged(int index);
    // What the run reads back once a button is placed.
    QString pushButtonType() const override;
    QString pushButtonProducer() const override;
    QString detectorDescription() const override;

    RunContext& m_ctx;
    PlacementRun& m_run;
    QString m_versionText;
    std::unique_ptr<Ui::frmDetektory> m_ui;
    int m_helpContext = 0;
    bool m_unloading = false;
    QPointer<frmUstawieniaDetektory> m_settingsDialog;
};

} // namespace lumo
