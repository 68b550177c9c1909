// The drawing settings dialog: the scale of the active drawing, whether
// description texts are scaled with it, the signal description font, the
// designation form of heads for pedestrians and cyclists and two switches.
// It opens without blocking the options form; OK writes the settings file
// and the drawing's "SKALA" and refreshes the options form's designation.
// A host that fails to take the scale is reported; the run keeps it anyway.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmUstawienia;
}

namespace lumo {

struct RunContext;

// What the dialog reaches on the options form that opened it.
class OptionsFormLink {
public:
    virtual ~OptionsFormLink() = default;
    // The run's drawing scale: the denominator n of the scale 1:n.
    virtual short drawingScale() const = 0;
    virtual void setDrawingScale(short scale) = 0;
    // Gives the push-button check box its caption again.
    virtual void setPushButtonCaption() = 0;
    // Rebuilds the designation label, so that a changed format shows at once.
    virtual void rebuildSignalLabel() = 0;
    // Opens the application's help file at this help context.
    virtual void showHelpAt(int helpContext) = 0;
};

class frmUstawienia : public QDialog {
    Q_OBJECT

public:
    // Loads the dialog's values from the settings file and the run.
    frmUstawienia(RunContext& ctx, OptionsFormLink& optionsForm, QWidget* parent = nullptr);
    ~frmUstawienia() override;

    int helpContext() const { return m_helpContext; }
    Ui::frmUstawienia& ui() { return *m_ui; }

    void cbSkala_Change();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdHelp_Click();

private:
    void Form_Load();
    void centreOnScreen();

    std::unique_ptr<Ui::frmUstawienia> m_ui;
    RunContext& m_ctx;
    OptionsFormLink& m_optionsForm;
    int m_helpContext = 0;
};

} // namespace lumo
