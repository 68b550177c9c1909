#include "forms/frm_ustawienia_detektory.h"

#include "ui_frmUstawieniaDetektory.h"

#include "util/run_context.h"
#include "settings/settings_values.h"
#include "util/help.h"
#include "util/numbers.h"
#include "util/widgets.h"

#include <QLocale>
#include <QShortcut>

namespace lumo {

QString SystemNumberText(double value)
{
    QString text = FormatNumber(value);
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

frmUstawieniaDetektory::frmUstawieniaDetektory(RunContext& ctx, short drawingScale, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_drawingScale(drawingScale),
      m_ui(std::make_unique<Ui::frmUstawieniaDetektory>())
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    // Typing, leaving the box and validating it all show the new height.
    connect(m_ui->txtDetFontHeight, &QLineEdit::textChanged, this, [this] { txtDetFontHeight_Change(); });
    connect(m_ui->txtDetFontHeight, &QLineEdit::editingFinished, this, [this] { txtDetFontHeight_Change(); });
    connect(m_ui->cmdOKUstDet, &QPushButton::clicked, this, [this] { cmdOKUstDet_Click(); });
    connect(m_ui->cmdCancelUstDet, &QPushButton::clicked, this, [this] { cmdCancelUstDet_Click(); });
    connect(m_ui->cmdHelpUstDet, &QPushButton::clicked, this, [this] { cmdHelpUstDet_Click(); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { cmdHelpUstDet_Click(); });
}

frmUstawieniaDetektory::~frmUstawieniaDetektory() = default;

void frmUstawieniaDetektory::Form_Load()
{
    m_ui->Check1->hide();
    m_ui->txtDetFontWdth->hide();
    m_ui->labScaled->show();
    m_ui->labOpisSkala->show();

    SetWindowOnTop(this, true);

    ReadDetectorFont(m_ctx.startup.settingsFilePath, m_ctx.settings);
    m_ui->txtDetFontHeight->setText(m_ctx.settings.detectorFontHeight);
    m_ui->txtDetFontWdth->setText(m_ctx.settings.detectorFontWidth);
    txtDetFontHeight_Change();
}

void frmUstawieniaDetektory::txtDetFontHeight_Change()
{
    if (!m_ctx.startup.textScaling) {
        m_ui->labScaled->clear();
        return;
    }
    m_ui->labScaled->setText(SystemNumberText(ValDot(m_ui->txtDetFontHeight->text()) * m_drawingScale));
}

void frmUstawieniaDetektory::cmdOKUstDet_Click()
{
    m_ctx.settings.detectorFontHeight = m_ui->txtDetFontHeight->text();
    m_ctx.settings.detectorFontWidth = m_ui->txtDetFontWdth->text();
    WriteDetectorFont(m_ctx.startup.settingsFilePath, m_ctx.settings);
    close();
}

void frmUstawieniaDetektory::cmdCancelUstDet_Click()
{
    close();
}

void frmUstawieniaDetektory::cmdHelpUstDet_Click()
{
    OpenHelp(m_ctx.dialogs, m_ctx.startup.helpFile, kHelpContext);
}

} // namespace lumo
