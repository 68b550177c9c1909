#include "forms/frm_ustawienia.h"

#include "ui_frmUstawienia.h"

#include "cad/drawing.h"
#include "cad/host_failure.h"
#include "cad/session.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "util/dialogs.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/titles.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QShortcut>

namespace lumo {

namespace {

const QString kScaleProperty = QStringLiteral("SKALA");

// The scaled height is shown to the designer, so it takes the system's
// decimal separator.
QString LocalNumber(double value)
{
    QString text = FormatNumber(value);
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

// A value read from a hand-edited file may be no item of its list; the
// combo then shows nothing and the value read is kept.
std::int16_t IndexOr(const QComboBox* combo, std::int16_t kept)
{
    const int index = combo->currentIndex();
    return index < 0 ? kept : static_cast<std::int16_t>(index);
}

} // namespace

frmUstawienia::frmUstawienia(RunContext& ctx, OptionsFormLink& optionsForm, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmUstawienia>()), m_ctx(ctx), m_optionsForm(optionsForm)
{
    m_ui->setupUi(this);

    // Every change of the scale, the switch or the height shows the scaled
    // height again: typing, choosing an item, leaving the box.
    connect(m_ui->cbSkala, &QComboBox::editTextChanged, this, [this] { cbSkala_Change(); });
    connect(m_ui->cbSkala, &QComboBox::currentIndexChanged, this, [this] { cbSkala_Change(); });
    connect(m_ui->cbSkala->lineEdit(), &QLineEdit::editingFinished, this, [this] { cbSkala_Change(); });
    connect(m_ui->chkTextScaled, &QCheckBox::toggled, this, [this] { cbSkala_Change(); });
    connect(m_ui->txtSygFontHeight, &QLineEdit::textChanged, this, [this] { cbSkala_Change(); });
    connect(m_ui->txtSygFontHeight, &QLineEdit::editingFinished, this, [this] { cbSkala_Change(); });

    connect(m_ui->cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { cmdHelp_Click(); });

    Form_Load();
}

frmUstawienia::~frmUstawienia() = default;

void frmUstawienia::Form_Load()
{
    m_helpContext = m_ctx.startup.suiteMarkerMode ? 10332 : 10012;

    // The font width and the default detector are kept in the file but not
    // offered here; the label of the detector combo shows the scaled height.
    m_ui->txtSygFontWdth->setVisible(false);
    m_ui->cmbDomDetektor->setVisible(false);
    m_ui->Label3->setText(QStringLiteral("Przeskalowana wysokość:"));
    m_ui->chkTextScaled->setVisible(true);
    m_ui->labScaled->setVisible(true);
    m_ui->frSkala->setVisible(true);

    m_ui->cmbDomDetektor->addItems(
        {QStringLiteral("Pętle"), QStringLiteral("Nadjezdniowe"), QStringLiteral("Obszary detekcji")});
    m_ui->cmbFormatPR->addItems({QStringLiteral("PRxx"), QStringLiteral("PxxRxx")});

    const QString file = m_ctx.startup.settingsFilePath;
    SettingsValues& settings = m_ctx.settings;
    ReadDefaultDetector(file, settings);
    ReadSignalFont(file, settings);
    const bool conditionalDescriptions = ReadConditionalDescriptions(file);
    const bool inventoryWarning = ReadInventoryWarning(file);
    ReadFormatPR(file, settings);

    m_ui->chkOstrzezDuplikatSygn->setChecked(inventoryWarning);
    m_ui->chkUstOpisSygnWar->setChecked(conditionalDescriptions);
    m_ui->cmbDomDetektor->setCurrentIndex(settings.defaultDetector);
    m_ui->cmbFormatPR->setCurrentIndex(settings.formatPR);
    m_ui->txtSygFontHeight->setText(settings.signalFontHeight);
    m_ui->txtSygFontWdth->setText(settings.signalFontWidth);
    m_ui->chkTextScaled->setChecked(m_ctx.startup.textScaling);
    m_ui->cbSkala->setEditText(QString::number(m_optionsForm.drawingScale()));
    cbSkala_Change();

    centreOnScreen();
}

void frmUstawienia::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    adjustSize();
    const QRect area = screen->geometry();
    move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 2);
}

void frmUstawienia::cbSkala_Change()
{
    if (!m_ui->chkTextScaled->isChecked()) {
        m_ui->labScaled->setText(QString());
        return;
    }
    const double height = ValDot(m_ui->txtSygFontHeight->text());
    const double scale = ValInt(m_ui->cbSkala->currentText());
    m_ui->labScaled->setText(LocalNumber(height * scale));
}

void frmUstawienia::cmdOK_Click()
{
    const QString file = m_ctx.startup.settingsFilePath;
    SettingsValues& settings = m_ctx.settings;
    settings.defaultDetector = IndexOr(m_ui->cmbDomDetektor, settings.defaultDetector);
    settings.signalFontHeight = m_ui->txtSygFontHeight->text();
    settings.signalFontWidth = m_ui->txtSygFontWdth->text();
    settings.formatPR = IndexOr(m_ui->cmbFormatPR, settings.formatPR);

    WriteConditionalDescriptions(file, m_ui->chkUstOpisSygnWar->isChecked());
    WriteInventoryWarning(file, m_ui->chkOstrzezDuplikatSygn->isChecked());

    m_ctx.startup.textScaling = m_ui->chkTextScaled->isChecked();
    WriteTextScaling(file, m_ctx.startup.textScaling);

    WriteDefaultDetector(file, settings);
    WriteSignalFont(file, settings);
    WriteFormatPR(file, settings);

    m_optionsForm.setPushButtonCaption();

    short scale = ValInt(m_ui->cbSkala->currentText());
    if (scale == 0)
        scale = 1;
    m_optionsForm.setDrawingScale(scale);

    // Without a host or an open drawing only the run keeps the scale, and
    // the dialog says nothing. A host that fails to take it is reported: the
    // drawing keeps its old scale while the run uses the new one.
    try {
        if (m_ctx.host.app && cad::CheckActiveDocument(m_ctx.host, false))
            cad::SetDrawingProperty(m_ctx.host, Utf8FromQString(kScaleProperty),
                                    Utf8FromQString(QString::number(scale)));
    } catch (const cad::HostError& error) {
        m_ctx.dialogs.show(kMessageTitle,
                           QStringFromUtf8(cad::DescribeHostFailure(error))
                               + QStringLiteral("\r\nSkala nie została zapisana w rysunku."),
                           DialogIcon::Exclamation);
    }

    close();
    m_optionsForm.rebuildSignalLabel();
}

void frmUstawienia::cmdCancel_Click()
{
    close();
}

void frmUstawienia::cmdHelp_Click()
{
    m_optionsForm.showHelpAt(m_helpContext);
}

} // namespace lumo
