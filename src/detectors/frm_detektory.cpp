#include "detectors/frm_detektory.h"

#include "ui_frmDetektory.h"

#include "cad/session.h"
#include "detectors/push_buttons.h"
#include "forms/frm_ustawienia_detektory.h"
#include "settings/keys.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "util/dialogs.h"
#include "util/help.h"
#include "util/numbers.h"
#include "util/paths.h"
#include "util/text.h"
#include "util/titles.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QShortcut>
#include <QSignalBlocker>

namespace lumo {

const QString frmDetektory::kDesignedCaption = QStringLiteral("LUMO Detektory");

frmDetektory::frmDetektory(RunContext& ctx, PlacementRun& run, const QString& versionText, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_run(run), m_versionText(versionText),
      m_ui(std::make_unique<Ui::frmDetektory>())
{
    m_ui->setupUi(this);
    cbUstaw = {m_ui->cbUstaw0};
    optShapeDet = {m_ui->optShapeDet0, m_ui->optShapeDet1};
    // The boxes show their designed text until the lists fill them.
    m_ui->cmbTypPrzycisku->setCurrentText(QStringLiteral("brak danych"));
    m_ui->cmbProdPrzycisku->setCurrentText(QStringLiteral("brak danych"));

    connect(m_ui->tabRodzDet, &QTabWidget::currentChanged, this, [this](int index) { onTabChanged(index); });
    connect(m_ui->cbUstaw0, &QPushButton::clicked, this, [this] { cbUstaw_Click(0); });
    connect(m_ui->btnCcl, &QPushButton::clicked, this, [this] { btnCcl_Click(); });
    connect(m_ui->btnHlp, &QPushButton::clicked, this, [this] { btnHlp_Click(); });
    connect(m_ui->cmdUstUstDet, &QPushButton::clicked, this, [this] { cmdUstUstDet_Click(); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { btnHlp_Click(); });
    m_run.attachPushButtonForm(this);
}

frmDetektory::~frmDetektory()
{
    m_run.detachPushButtonForm(this);
}

// ---------------------------------------------------------------- load

bool frmDetektory::Form_Load()
{
    StartupValues& startup = m_ctx.startup;
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    if (startup.suiteMarkerMode) {
        startup.helpFile = JoinPath(startup.programFolder, QStringLiteral("BrevHelp.chm>MAIN"));
        m_helpContext = 10239;
    } else {
        startup.helpFile = JoinPath(startup.programFolder, QStringLiteral("Lumo.chm>MAIN"));
        m_helpContext = 10010;
    }

    startup.settingsFilePath = JoinPath(startup.programFolder, kSettingsFileName);
    setWindowTitle(kDesignedCaption);

    ReadDetectorFont(startup.settingsFilePath, m_ctx.settings);

    // A stored shape that names neither option counts as the first.
    const auto shape = ReadLoopShape(startup.settingsFilePath);
    optShapeDet[shape == 1 ? 1 : 0]->setChecked(true);

    if (!m_ctx.host.app) {
        m_ctx.dialogs.message(kMessageTitle,
                              windowTitle() + QStringLiteral("\r\n")
                                  + QStringLiteral("Nie można nawiązać połączenia z programem")
                                  + QStringLiteral("\r\n")
                                  + QStringLiteral("[interCAD PL] lub [interCAD Viewer Plus]"),
                              DialogIcon::None, DialogButtons::Ok, DialogAnswer::Ok);
        unload();
        return false;
    }

    for (const int tab : {TabPetle, TabNadjezdniowe, TabObszaryDetekcji})
        m_ui->tabRodzDet->setTabEnabled(tab, false);
    m_ui->cmdPobierzOpis->hide();

    {
        const QSignalBlocker blocker(m_ui->cmbTypPrzycisku);
        m_ui->cmbTypPrzycisku->clear();
        m_ui->cmbTypPrzycisku->addItems(PushButtonTypes());
        m_ui->cmbTypPrzycisku->setCurrentIndex(kDefaultPushButtonType);
    }
    PushButtonProducers = LoadPushButtonProducers(m_ctx, m_ui->cmbProdPrzycisku);

    show();
    QCoreApplication::processEvents();
    setWindowTitle(windowTitle() + QStringLiteral(" w.") + m_versionText);
    return true;
}

// ---------------------------------------------------------------- tabs

void frmDetektory::selectTab(int index)
{
    if (!m_ui->tabRodzDet->isTabEnabled(index))
        return;
    m_ui->tabRodzDet->setCurrentIndex(index);
}

// The tab bar refuses clicks on a disabled tab, but not every other way in
// (a current tab disabled, a switch from code): whatever arrives on an
// unavailable tab goes back to "Przyciski".
void frmDetektory::onTabChanged(int index)
{
    if (index >= 0 && !m_ui->tabRodzDet->isTabEnabled(index)) {
        m_ui->tabRodzDet->setCurrentIndex(TabPrzyciski);
        return;
    }
    tabRodzDet_Click();
}

void frmDetektory::tabRodzDet_Click()
{
    if (m_ui->tabRodzDet->currentIndex() != TabPrzyciski)
        return;
    m_ui->frOpisDetektora->setTitle(QStringLiteral("Opis przycisku"));
    m_ui->cmdNextLane->hide();
    m_ui->cmdNextObsDet->hide();
    m_ui->cmbTypPrzycisku->setEnabled(true);
    m_ui->cmbProdPrzycisku->setEnabled(true);
    EdytujLitereOpisuDetektora();
    ComposeDetectorDescription(DetectorLetter);
}

void frmDetektory::EdytujLitereOpisuDetektora()
{
    if (m_ui->tabRodzDet->currentIndex() == TabPrzyciski)
        DetectorLetter = kPushButtonLetter;
}

QString frmDetektory::ComposeDetectorDescription(const QString& letter)
{
    const DesignationState& head = m_run.state().designation;
    DetectorDescription = DetectorDescriptionOf(letter, head.stopLineText, head.orientationCode, head.suffix);
    m_ui->edtOpis->setText(DetectorDescription);
    return DetectorDescription;
}

// ---------------------------------------------------------------- buttons

void frmDetektory::btnCcl_Click()
{
    const std::int16_t shape = optShapeDet[0]->isChecked() ? 0 : 1;
    WriteLoopShape(m_ctx.startup.settingsFilePath, shape);
    unload();
    if (m_ctx.end)
        m_ctx.end(QStringLiteral("push buttons finished"));
}

void frmDetektory::btnHlp_Click()
{
    OpenHelp(m_ctx.dialogs, m_ctx.startup.helpFile, m_helpContext);
}

void frmDetektory::cmdUstUstDet_Click()
{
    if (m_settingsDialog) {
        m_settingsDialog->raise();
        return;
    }
    m_settingsDialog = new frmUstawieniaDetektory(m_ctx, m_run.state().drawingScale, this);
    m_settingsDialog->Form_Load();
}

void frmDetektory::showAgain()
{
    show();
    raise();
    activateWindow();
}

void frmDetektory::unload()
{
    m_unloading = true;
    if (m_settingsDialog)
        m_settingsDialog->close();
    hide();
}

void frmDetektory::closeEvent(QCloseEvent* event)
{
    if (m_unloading) {
        event->accept();
        return;
    }
    // Closing the window is "&Zakończ": the loop shape is kept and the
    // program ends, saving the drawing as on every end.
    event->ignore();
    btnCcl_Click();
}

void frmDetektory::reject()
{
    if (!m_unloading)
        btnCcl_Click();
}

} // namespace lumo
