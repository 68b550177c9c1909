// The detector settings dialog: the height of the detector descriptions'
// font, and what that height becomes in the drawing when description texts
// are scaled. Not modal; on top of other windows while it is open. OK
// writes the font to the settings file, Cancel writes nothing.
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmUstawieniaDetektory;
}

namespace lumo {

struct RunContext;

class frmUstawieniaDetektory : public QDialog {
    Q_OBJECT

public:
    // drawingScale: the run's drawing scale (the n of 1:n).
    frmUstawieniaDetektory(RunContext& ctx, short drawingScale, QWidget* parent = nullptr);
    ~frmUstawieniaDetektory() override;

    // Lays the dialog out, reads the font and shows the dialog on top.
    void Form_Load();

    void txtDetFontHeight_Change();
    void cmdOKUstDet_Click();
    void cmdCancelUstDet_Click();
    void cmdHelpUstDet_Click();

    Ui::frmUstawieniaDetektory& ui() { return *m_ui; }

    static constexpr int kHelpContext = 10013;

private:
    RunContext& m_ctx;
    short m_drawingScale;
    std::unique_ptr<Ui::frmUstawieniaDetektory> m_ui;
};

// A number in the system's default form: as FormatNumber writes it, with the
// system's decimal separator (1.5 × 500 shows "750", 0.25 × 5 "1,25" in a
// Polish system).
QString SystemNumberText(double value);

} // namespace lumo
