#include "signal/frm_main.h"

#include "ui_frmMain.h"

#include "cad/drawing.h"
#include "cad/session.h"
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "lists/drawing_values.h"
#include "settings/ini_file.h"
#include "settings/keys.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "settings/suite.h"
#include "run/head_attributes.h"
#include "util/booleans.h"
#include "util/dialogs.h"
#include "util/files.h"
#include "util/help.h"
#include "util/numbers.h"
#include "util/paths.h"
#include "util/text.h"
#include "util/titles.h"
#include "util/widgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>

namespace lumo {

const QString frmMain::kDesignedCaption = QStringLiteral("Rodzaj i oznaczenie sygnalizatora");

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kQuestionTitle = QStringLiteral("Komunikat ") + kMessageTitle;

std::string U8(const QString& text)
{
    return Utf8FromQString(text);
}

QStringList TypeNames(const std::vector<SignalTypeEntry>& list)
{
    QStringList names;
    for (const auto& entry : list)
        names << entry.name;
    return names;
}

// The picture in the middle of the orientation buttons: a compass rose with
// north up, so that the buttons around it read as directions.
QPixmap CompassPicture()
{
    QPixmap picture(56, 56);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(28, 28);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.drawEllipse(c, 20, 20);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::darkRed);
    painter.drawPolygon(QPolygonF({QPointF(28, 4), QPointF(33, 28), QPointF(23, 28)}));
    painter.setBrush(Qt::darkGray);
    painter.drawPolygon(QPolygonF({QPointF(28, 52), QPointF(33, 28), QPointF(23, 28)}));
    painter.drawPolygon(QPolygonF({QPointF(4, 28), QPointF(28, 24), QPointF(28, 32)}));
    painter.drawPolygon(QPolygonF({QPointF(52, 28), QPointF(28, 24), QPointF(28, 32)}));
    return picture;
}

} // namespace

frmMain::frmMain(RunContext& ctx, cad::HostProvider& provider, PlacementRun& run, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_provider(provider), m_run(run), m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    chkRodzSyg = {m_ui->chkRodzSyg0, m_ui->chkRodzSyg1, m_ui->chkRodzSyg2,
                  m_ui->chkRodzSyg3, m_ui->chkRodzSyg4, m_ui->chkRodzSyg5};
    chkFiSocz = {m_ui->chkFiSocz0, m_ui->chkFiSocz1, m_ui->chkFiSocz2};
    chkOrientGeo = {m_ui->chkOrientGeo0, m_ui->chkOrientGeo1, m_ui->chkOrientGeo2, m_ui->chkOrientGeo3,
                    m_ui->chkOrientGeo4, m_ui->chkOrientGeo5, m_ui->chkOrientGeo6, m_ui->chkOrientGeo7};
    chkPowtStr = {m_ui->chkPowtStr0, m_ui->chkPowtStr1, m_ui->chkPowtStr2, m_ui->chkPowtStr3};
    optRodzEkran = {m_ui->optRodzEkran0, m_ui->optRodzEkran1};
    m_ui->Image2->setPixmap(CompassPicture());

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { ShowHelp(); });

    connectRules();

    m_run.attachOptionsForm(this);
    m_run.setDescriptionForm([this](HeadDescription& d) {
        frmAtrybutySygnalizatora form(m_ctx, m_run.onTopFlag(), state().designation.SignalDesignation, this);
        form.description = d;
        form.showModal();
        d = form.description;
    });
}

frmMain::~frmMain()
{
    m_run.detachOptionsForm(this);
}

// Rules run on signals that code changes raise too, so that a selection made
// by the program chains into the same rule as a click.
void frmMain::connectRules()
{
    auto onSelected = [this](QRadioButton* button, auto rule) {
        connect(button, &QRadioButton::toggled, this, [rule](bool on) {
            if (on)
                rule();
        });
    };
    for (int i = 0; i < 6; ++i)
        onSelected(chkRodzSyg[i], [this, i] { chkRodzSyg_Click(i); });
    for (int i = 0; i < 3; ++i)
        onSelected(chkFiSocz[i], [this, i] { chkFiSocz_Click(i); });
    for (int i = 0; i < 8; ++i)
        onSelected(chkOrientGeo[i], [this, i] { chkOrientGeo_Click(i); });
    for (int i = 0; i < 4; ++i)
        onSelected(chkPowtStr[i], [this, i] { chkPowtStr_Click(i); });
    for (int i = 0; i < 2; ++i)
        onSelected(optRodzEkran[i], [this, i] { optRodzEkran_Click(i); });

    auto onIndex = [this](QComboBox* combo, auto rule) {
        connect(combo, &QComboBox::currentIndexChanged, this, [rule](int index) {
            if (index >= 0) // a cleared list selects nothing
                rule();
        });
    };
    onIndex(m_ui->cmbRdz2Syg, [this] { cmbRdz2Syg_Click(); });
    onIndex(m_ui->cmbPowt, [this] { cmbPowt_Click(); });
    onIndex(m_ui->cmbStrum, [this] { cmbStrum_Click(); });
    onIndex(m_ui->cmbPowtStrum, [this] { cmbPowtStrum_Click(); });
    onIndex(m_ui->cmbLinZatrz, [this] { cmbLinZatrz_Click(); });
    onIndex(m_ui->cmbNumSkrzyz, [this] { cmbNumSkrzyz_Click(); });

    connect(m_ui->chkSygnAkust, &QCheckBox::toggled, this, [this] { chkSygnAkust_Click(); });
    connect(m_ui->chkWkladyAntyZl, &QCheckBox::toggled, this, [this] { chkWkladyAntyZl_Click(); });
    connect(m_ui->chkEkrany, &QCheckBox::toggled, this, [this] { chkEkrany_Click(); });
    connect(m_ui->chkLinZatrz, &QCheckBox::toggled, this, [this] { chkLinZatrz_Click(); });
    connect(m_ui->chkUstawDetektory, &QCheckBox::toggled, this, [this] { chkUstawDetektory_Click(); });

    connect(m_ui->cmdDodajWpis, &QPushButton::clicked, this, [this] { cmdDodajWpis_Click(); });
    connect(m_ui->cmdAccept, &QPushButton::clicked, this, [this] { cmdAccept_Click(); });
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, [this] { cmdHelp_Click(); });
    connect(m_ui->cmdUstawienia, &QPushButton::clicked, this, [this] { cmdUstawienia_Click(); });
}

// ---------------------------------------------------------------- start-up

void frmMain::Form_Load(const QStringList& commandLineArgs, const QString& versionText)
{
    StartupValues& startup = m_ctx.startup;
    auto& st = state();

    startup.suiteMarkerMode = false;
    QString symbol;
    if (commandLineArgs.size() > 1)
        symbol = commandLineArgs[1].toLower();
    if (commandLineArgs.size() > 2)
        startup.suiteMarkerMode = commandLineArgs[2].toUpper() == QStringLiteral("BREV");
    st.signalSymbol = symbol;

    st.designation.intersectionNumber = QStringLiteral("???");
    st.designation.kindCode = QStringLiteral("?");

    m_ui->cmbStrum->setEnabled(false);
    m_ui->cmbPowt->setEnabled(false);
    m_ui->cmbPowtStrum->setEnabled(false);

    if (startup.suiteMarkerMode) {
        startup.helpFile = JoinPath(startup.programFolder, QStringLiteral("BrevHelp.chm>MAIN"));
        startup.helpContext = 10256;
    } else {
        startup.helpFile = JoinPath(GetSuiteFolder(QStringLiteral("TARN_FOLDER"), startup.programFolder),
                                    QStringLiteral("LUMO\\Programy\\LUMO.chm>MAIN"));
        startup.helpContext = 10011;
    }

    if (st.signalSymbol.isEmpty())
        st.signalSymbol = m_ctx.dialogs.input(QStringLiteral("Podaj nazwę sygnalizatora:"), kMessageTitle);
    if (st.signalSymbol.size() < 1) {
        m_ctx.dialogs.message(
            QStringLiteral("Brak parametru sygnalizatora"),
            QStringLiteral("Moduł wymaga przekazania symbolu sygnalizatora jako parametru, np. S-1"),
            DialogIcon::Information, DialogButtons::Ok, DialogAnswer::Ok);
        endProgram(QStringLiteral("no signal symbol"));
        return;
    }
    // The symbol typed into the input box must survive the rules below,
    // which set the form's symbol from the catalogue.
    const QString commandSymbol = st.signalSymbol;

    startup.settingsFilePath = JoinPath(startup.programFolder, kSettingsFileName);

    auto app = cad::ConnectAcad(m_ctx.host, m_provider, true);
    if (app) {
        try {
            app->setVisible(true);
        } catch (const cad::HostError&) {
            // A host that cannot show itself is still usable.
        }
    }

    m_ui->chkUstawDetektory->setEnabled(false);

    if (app) {
        startup.cityDataFolder = RegReadString(m_ctx.dialogs, startup.registryFile, RegistryRoot::CurrentUser,
                                               kTarnDirectoriesKey, QStringLiteral("aDane"));
        startup.cityDataFolder
            = JoinPath(startup.cityDataFolder,
                       RegReadString(m_ctx.dialogs, startup.registryFile, RegistryRoot::CurrentUser,
                                     kTarnDirectoriesKey, QStringLiteral("City")));

        setWindowTitle(kDesignedCaption + QStringLiteral(" w.") + versionText);

        show();
        QCoreApplication::processEvents();
        if (m_ended)
            return;

        const QString file = startup.settingsFilePath;
        const QString remembered = ReadOrientation(file);
        auto orientationIndex = RoundToInt16(Val(remembered) - 1).value_or(0);
        // A hand-edited value outside 1..8 falls back to north.
        if (orientationIndex < 0 || orientationIndex > 7)
            orientationIndex = 0;
        select(chkOrientGeo[orientationIndex]);

        ReadSignalFont(file, m_ctx.settings);
        ReadDetectorFont(file, m_ctx.settings);
        ReadFormatPR(file, m_ctx.settings);
        ReadCzyUstawPetle(file, m_ctx.settings);

        startup.textScaling = ReadTextScaling(file);

        m_ui->chkUstawDetektory->setText(PushButtonCaption());

        auto fillSilently = [](QComboBox* combo, const QStringList& items) {
            const QSignalBlocker blocker(combo);
            combo->clear();
            combo->addItems(items);
            combo->setCurrentIndex(0);
        };
        fillSilently(m_ui->cmbStrum, DirectionalSuffixes());
        fillSilently(m_ui->cmbPowt, AdditionalSuffixes());
        fillSilently(m_ui->cmbPowtStrum, AdditionalDirectionalSuffixes());
        fillSilently(m_ui->cmbLinZatrz, StopLineNumbers());

        st.designation.orientationCode = OrientationCodes()[orientationIndex];
        startup.orientationCode = st.designation.orientationCode;

        // The type list replaces the designed text only when it has items.
        LoadTypeList(m_ctx, m_ui->cmbTypSyg);
        LoadLightSourceList(m_ctx, m_ui->cmbZrodSwiatla, st.lightSourceCodes);
        LoadIntersectionList(m_ctx, m_ui->cmbNumSkrzyz);
        if (m_ended)
            return;

        if (!LookUpSymbol(TrimBlanks(commandSymbol)))
            return;
        if (m_tickPushButtonsAtLoad && m_ui->chkUstawDetektory->isEnabled()
            && !m_ui->chkUstawDetektory->isChecked())
            m_ui->chkUstawDetektory->click();
    }

    Rebuild();
    // Without a host the form was not shown above; it opens as designed.
    if (!m_ended && !isVisible())
        show();
}

// ---------------------------------------------------------------- lookup

bool frmMain::LookUpSymbol(const QString& symbol)
{
    auto& st = m_run.state();
    const QString fileName = symbol + m_run.blockFileExtension();
    st.blockFolder = GetSuiteSubfolder(
        GetSuiteFolder(QStringLiteral("TARN_FOLDER"), m_ctx.startup.programFolder), kSubfolderSygnalizatory);
    st.blockPath = JoinPath(st.blockFolder, fileName);

    if (!FileExists(st.blockPath)) {
        m_ctx.dialogs.message(kMessageTitle,
                              QStringLiteral("Nie znaleziono sygnalizatora ") + fileName + kCrLf
                                  + QStringLiteral("w folderze [") + DisplayPath(st.blockFolder)
                                  + QStringLiteral("]."),
                              DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
        endProgram(QStringLiteral("block file missing"));
        return false;
    }

    QChar kindChar;
    if (fileName.size() >= 3 && fileName[2] != QLatin1Char('.'))
        kindChar = fileName[2];
    else if (fileName.size() >= 2)
        kindChar = fileName[1];
    const QString kind = QString(kindChar).toUpper();

    QString upperName = fileName.toUpper();
    const short position = SetListPoz(upperName);

    auto lens = [&](int index) {
        if (!st.placementStarted)
            select(chkFiSocz[index]);
    };
    auto count = [&](short n) {
        if (st.antiGlare)
            st.antiGlareCount = n;
    };
    auto showTypes = [&](const std::vector<SignalTypeEntry>& list) {
        const int last = static_cast<int>(list.size()) - 1;
        FillComboFromArray(m_ui->cmbRdz2Syg, TypeNames(list), 0, last, std::clamp<int>(position, 0, last));
    };

    if (kind == QStringLiteral("5") && fileName.mid(3, 2) != QStringLiteral("pr")) {
        select(chkRodzSyg[KindPedestrians]);
        st.designation.kindCode = KindCodes()[KindPedestrians];
        lens(1);
        count(2);
        m_ui->chkSygnAkust->setEnabled(true);
        showTypes(PedestrianTypes());
    } else if (kind == QStringLiteral("5")) {
        select(chkRodzSyg[KindPedestriansAndCyclists]);
        if (m_ctx.settings.formatPR == 0)
            st.designation.kindCode = KindCodes()[KindPedestriansAndCyclists];
        lens(1);
        count(2);
        m_ui->chkSygnAkust->setEnabled(true);
    } else if (kind == QStringLiteral("6")) {
        select(chkRodzSyg[KindCyclists]);
        st.designation.kindCode = KindCodes()[KindCyclists];
        lens(1);
        count(2);
        m_ui->chkSygnAkust->setEnabled(true);
    } else if (kind == KindCodes()[KindBuses]) {
        select(chkRodzSyg[KindBuses]);
        st.designation.kindCode = KindCodes()[KindBuses];
        lens(1);
        count(3);
    } else if (kind == KindCodes()[KindTrams] || kind == QStringLiteral("K")) {
        select(chkRodzSyg[KindTrams]);
        st.designation.kindCode = KindCodes()[KindTrams];
        lens(1);
        count(2);
        showTypes(TramTypes());
    } else {
        select(chkRodzSyg[KindVehicles]);
        st.designation.kindCode = KindCodes()[KindVehicles];
        lens(0);
        const QString bare = FileTitleOf(fileName);
        if (bare == VehicleTypes()[12].symbol)
            count(2);
        else if (bare == VehicleTypes()[14].symbol || bare == VehicleTypes()[13].symbol)
            count(1);
        else
            count(3);
        showTypes(VehicleTypes());
    }
    if (m_ended)
        return false;

    auto& host = m_ctx.host;
    try {
        if (!host.app || !cad::CheckActiveDocument(host, true)) {
            if (!host.app)
                m_ctx.dialogs.show(kApplicationTitle,
                                   QStringLiteral("Najpierw proszę otworzyć jakiś dokument..."));
            endProgram(QStringLiteral("no open drawing"));
            return false;
        }
        st.drawingScale = ValInt(QStringFromUtf8(cad::GetDrawingProperty(host, U8(kScaleProperty))));
        if (st.drawingScale == 0)
            st.drawingScale = 1;

        const QString section
            = TrimBlanks(QStringFromUtf8(cad::GetDrawingProperty(host, U8(kSectionProperty))));
        st.designation.sectionNumber = section;
        m_ui->Label3->setText(section);

        if (!IsSectionNumber(section)) {
            const auto answer = m_ctx.dialogs.message(
                kQuestionTitle,
                QStringLiteral("Zawarty w aktywnym dokumencie numer sekcji") + kCrLf + QStringLiteral("[")
                    + section + QStringLiteral("] jest niezgodny z wzorcem.") + kCrLf
                    + QStringLiteral("Czy pomimo tego kontynuować ustawianie sygnalizatora?"),
                DialogIcon::None, DialogButtons::YesNo, DialogAnswer::Yes);
            if (answer != DialogAnswer::Yes) {
                endProgram(QStringLiteral("section number refused"));
                return false;
            }
            const QString typed
                = m_ctx.dialogs.input(QStringLiteral("Podaj numer sekcji (np. 26-15):"),
                                      kMessageTitle + QStringLiteral(" - brak numeru sekcji"));
            if (!IsSectionNumber(typed)) {
                endProgram(QStringLiteral("section number invalid"));
                return false;
            }
            cad::SetDrawingProperty(host, U8(kSectionProperty), U8(typed));
            st.designation.sectionNumber = typed;
        }

        if (!st.intersectionChosen)
            st.designation.intersectionNumber
                = QStringFromUtf8(cad::GetDrawingProperty(host, U8(kIntersectionProperty)));
    } catch (const cad::HostBusy&) {
        // Not a drawing without a scale: a head placed now would get the wrong size.
        ReportHostNotResponding(m_ctx.dialogs);
        endProgram(QStringLiteral("host not responding"));
        return false;
    } catch (const cad::HostError&) {
        endProgram(QStringLiteral("host failure during the lookup"));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- helpers

void frmMain::Rebuild()
{
    m_ui->Label3->setText(
        BuildSignalLabel(state().designation, chkRodzSyg[4]->isChecked(), m_ctx.settings.formatPR));
    m_ctx.startup.orientationCode = state().designation.orientationCode;
}

void frmMain::select(QRadioButton* button)
{
    button->setChecked(true);
}

// An option button of an exclusive group cannot be cleared directly; taking
// it out of the group for a moment leaves the group with none selected.
void frmMain::deselect(QRadioButton* button)
{
    if (!button->isChecked())
        return;
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

void frmMain::setCheckValue(QCheckBox* box, bool checked)
{
    box->setChecked(checked);
}

void frmMain::endProgram(const QString& reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_endReason = reason;
    m_run.stop();
    if (m_ctx.end)
        m_ctx.end(reason);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    endProgram(QStringLiteral("options form closed"));
}

// ---------------------------------------------------------------- click rules

void frmMain::chkRodzSyg_Click(int index)
{
    auto& st = state();
    m_ui->cmbRdz2Syg->clear();
    deselect(chkPowtStr[1]);
    deselect(chkPowtStr[0]);
    deselect(chkPowtStr[2]);

    const bool hasList = index == KindVehicles || index == KindTrams || index == KindPedestrians;
    if (index >= 0 && index < 6)
        st.designation.kindCode = KindCodes()[index];
    m_ui->frRdz2Syg->setEnabled(hasList);
    m_ui->cmbRdz2Syg->setEnabled(hasList);
    switch (index) {
    case KindVehicles:
        m_ui->chkSygnAkust->setEnabled(false);
        FillComboFromArray(m_ui->cmbRdz2Syg, TypeNames(VehicleTypes()), 0, 16, 0);
        break;
    case KindBuses:
        st.signalSymbol = FixedKindSymbol(KindBuses);
        m_ui->chkSygnAkust->setEnabled(false);
        break;
    case KindTrams:
        m_ui->chkSygnAkust->setEnabled(false);
        FillComboFromArray(m_ui->cmbRdz2Syg, TypeNames(TramTypes()), 0, 7, 0);
        break;
    case KindPedestrians:
        FillComboFromArray(m_ui->cmbRdz2Syg, TypeNames(PedestrianTypes()), 0, 1, 0);
        select(chkPowtStr[1]);
        m_ui->chkSygnAkust->setEnabled(true);
        break;
    case KindPedestriansAndCyclists:
        st.signalSymbol = FixedKindSymbol(KindPedestriansAndCyclists);
        select(chkPowtStr[1]);
        m_ui->chkSygnAkust->setEnabled(true);
        break;
    case KindCyclists:
        st.signalSymbol = FixedKindSymbol(KindCyclists);
        select(chkPowtStr[1]);
        m_ui->chkSygnAkust->setEnabled(true);
        break;
    default: break;
    }
    m_ui->chkUstawDetektory->setText(PushButtonCaption());

    if (index >= KindVehicles && index <= KindTrams) {
        m_ui->chkUstawDetektory->setEnabled(false);
        setCheckValue(m_ui->chkUstawDetektory, false);
        m_ui->chkUstawDetektory->setText(PushButtonCaption());
    } else {
        m_ui->chkUstawDetektory->setEnabled(true);
    }
    Rebuild();
}

void frmMain::cmbRdz2Syg_Click()
{
    auto& st = state();
    const int l = m_ui->cmbRdz2Syg->currentIndex();
    auto pick = [&](const std::vector<SignalTypeEntry>& list) {
        if (l >= 0 && l < static_cast<int>(list.size()))
            st.signalSymbol = list[static_cast<std::size_t>(l)].symbol;
    };
    if (chkRodzSyg[KindVehicles]->isChecked()) {
        pick(VehicleTypes());
        if (!st.placementStarted)
            select(chkFiSocz[l == 15 ? 2 : 0]); // "Pomocniczy" has the small lens
    }
    if (chkRodzSyg[KindTrams]->isChecked()) {
        pick(TramTypes());
        if (!st.placementStarted)
            select(chkFiSocz[1]);
    }
    if (chkRodzSyg[KindPedestrians]->isChecked()) {
        pick(PedestrianTypes());
        if (!st.placementStarted)
            select(chkFiSocz[1]);
    }
}

void frmMain::chkFiSocz_Click(int)
{
    for (int i = 0; i < 3; ++i) {
        if (chkFiSocz[i]->isChecked())
            state().lensDiameter = LensDiameters()[i];
    }
}

void frmMain::chkOrientGeo_Click(int)
{
    for (int i = 0; i < 8; ++i) {
        if (chkOrientGeo[i]->isChecked())
            state().designation.orientationCode = OrientationCodes()[i];
    }
    Rebuild();
}

void frmMain::chkPowtStr_Click(int index)
{
    auto& suffix = state().designation.suffix;
    switch (index) {
    case 0:
        m_ui->cmbPowt->setEnabled(true);
        m_ui->cmbStrum->setEnabled(false);
        m_ui->cmbPowtStrum->setEnabled(false);
        suffix = m_ui->cmbPowt->currentText();
        break;
    case 1:
        m_ui->cmbPowt->setEnabled(false);
        m_ui->cmbStrum->setEnabled(true);
        m_ui->cmbPowtStrum->setEnabled(false);
        suffix = m_ui->cmbStrum->currentText();
        break;
    case 2:
        m_ui->cmbPowt->setEnabled(false);
        m_ui->cmbStrum->setEnabled(false);
        m_ui->cmbPowtStrum->setEnabled(true);
        suffix = m_ui->cmbPowtStrum->currentText();
        break;
    case 3:
        m_ui->cmbPowt->setEnabled(false);
        m_ui->cmbStrum->setEnabled(false);
        m_ui->cmbPowtStrum->setEnabled(false);
        suffix.clear();
        break;
    default: break;
    }
    Rebuild();
}

void frmMain::cmbPowt_Click()
{
    if (chkPowtStr[0]->isChecked()) {
        state().designation.suffix = m_ui->cmbPowt->currentText();
        Rebuild();
    }
}

void frmMain::cmbStrum_Click()
{
    if (chkPowtStr[1]->isChecked()) {
        state().designation.suffix = m_ui->cmbStrum->currentText();
        Rebuild();
    }
}

void frmMain::cmbPowtStrum_Click()
{
    if (chkPowtStr[2]->isChecked()) {
        state().designation.suffix = m_ui->cmbPowtStrum->currentText();
        Rebuild();
    }
}

void frmMain::chkSygnAkust_Click()
{
    state().acoustic = m_ui->chkSygnAkust->isChecked();
}

void frmMain::chkWkladyAntyZl_Click()
{
    if (m_ui->chkWkladyAntyZl->isChecked()) {
        state().antiGlare = true;
    } else {
        state().antiGlare = false;
        state().antiGlareCount = AntiGlareValues()[0];
    }
}

void frmMain::chkEkrany_Click()
{
    if (m_ui->chkEkrany->isChecked()) {
        optRodzEkran[0]->setEnabled(true);
        optRodzEkran[1]->setEnabled(true);
        select(optRodzEkran[0]);
        state().screens = true;
    } else {
        optRodzEkran[0]->setEnabled(false);
        optRodzEkran[1]->setEnabled(false);
        state().screens = false;
    }
}

void frmMain::optRodzEkran_Click(int)
{
    if (optRodzEkran[0]->isChecked())
        state().screenSymbol = ScreenSymbols()[0];
    if (optRodzEkran[1]->isChecked())
        state().screenSymbol = ScreenSymbols()[1];
}

void frmMain::chkLinZatrz_Click()
{
    const bool on = m_ui->chkLinZatrz->isChecked();
    m_ui->cmbLinZatrz->setEnabled(on);
    m_ui->Label2->setEnabled(on);
    state().designation.stopLineText = on ? m_ui->cmbLinZatrz->currentText() : QString();
    Rebuild();
}

void frmMain::cmbLinZatrz_Click()
{
    state().designation.stopLineText = m_ui->cmbLinZatrz->currentText();
    Rebuild();
}

void frmMain::cmbNumSkrzyz_Click()
{
    QString text = m_ui->cmbNumSkrzyz->currentText();
    state().designation.intersectionNumber = TakeToken(text, QStringLiteral(" "));
    Rebuild();
    state().intersectionChosen = true;
}

void frmMain::chkUstawDetektory_Click()
{
    state().pushButtons = m_ui->chkUstawDetektory->isChecked();
}

void frmMain::cmdDodajWpis_Click()
{
    if (AppendIntersectionEntry(m_ctx, m_ui->cmbNumSkrzyz->currentText()))
        cmbNumSkrzyz_Click();
}

// One settings dialog at a time: a second click brings the open one forward.
void frmMain::cmdUstawienia_Click()
{
    if (!m_frmUstawienia) {
        m_frmUstawienia = new frmUstawienia(m_ctx, *this, this);
        m_frmUstawienia->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_frmUstawienia->show();
    m_frmUstawienia->raise();
    m_frmUstawienia->activateWindow();
}

void frmMain::setPushButtonCaption()
{
    m_ui->chkUstawDetektory->setText(PushButtonCaption());
}

void frmMain::cmdHelp_Click()
{
    ShowHelp();
}

void frmMain::ShowHelp()
{
    showHelpAt(m_ctx.startup.helpContext);
}

void frmMain::showHelpAt(int helpContext)
{
    OpenHelp(m_ctx.dialogs, m_ctx.startup.helpFile, helpContext);
}

void frmMain::cmdCancel_Click()
{
    endProgram(QStringLiteral("cancel"));
}

void frmMain::cmdAccept_Click()
{
    auto& st = state();
    if (TrimBlanks(m_ui->cmbNumSkrzyz->currentText()).isEmpty()) {
        m_ctx.dialogs.message(windowTitle(), QStringLiteral("Nie wypełniono pola \"Skrzyżowanie\"!"),
                              DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
        m_ui->cmbNumSkrzyz->setFocus();
        return;
    }
    st.typeText = m_ui->cmbTypSyg->currentText();

    // Typed free text is no item of the list.
    QComboBox* light = m_ui->cmbZrodSwiatla;
    int i = light->currentIndex();
    if (i >= 0 && light->currentText() != light->itemText(i))
        i = -1;
    st.lightSourceText = st.lightSourceCodes.codeAt(i);

    if (!st.antiGlare)
        st.antiGlareCount = 0;
    st.placementStarted = true;

    if (!LookUpSymbol(TrimBlanks(st.signalSymbol)))
        return;

    for (int k = 0; k < 3; ++k) {
        if (chkFiSocz[k]->isChecked())
            st.lensIndex = static_cast<short>(k);
    }
    st.lensDiameter = LensDiameters()[static_cast<std::size_t>(st.lensIndex)];

    st.pushButtonsSetting = m_ui->chkUstawDetektory->isChecked() ? 1 : 0;
    m_ctx.settings.czyUstawPetle = st.pushButtonsSetting;
    WriteCzyUstawPetle(m_ctx.startup.settingsFilePath, m_ctx.settings);

    hide();
    m_run.InsertSignalHead(st.blockPath);
}

} // namespace lumo
