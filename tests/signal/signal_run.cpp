#include "signal_run.h"

#include "app/host_wiring.h"

#include "forms/frm_atrybuty_sygnalizatora.h"
#include "signal/catalogue.h"
#include "util/files.h"
#include "util/paths.h"
#include "util/text.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumo::test {

void WriteBlockFile(const QString& nativePath)
{
    auto doc = dxf::Document::create();
    const std::vector<std::pair<double, double>> corners{{-1, -3}, {1, -3}, {1, 3}, {-1, 3}};
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const auto& a = corners[i];
        const auto& b = corners[(i + 1) % corners.size()];
        doc.addEntity("LINE", "0",
                      {{10, std::to_string(a.first)},
                       {20, std::to_string(a.second)},
                       {30, "0"},
                       {11, std::to_string(b.first)},
                       {21, std::to_string(b.second)},
                       {31, "0"}});
    }
    doc.save(nativePath.toStdString());
}

void BuildSuite(TempSuite& suite)
{
    QStringList symbols{"S-B", "S-5pr", "S-6", "EKP", "EKO"};
    for (const auto* list : {&VehicleTypes(), &TramTypes(), &PedestrianTypes()}) {
        for (const auto& entry : *list)
            symbols << entry.symbol;
    }
    for (const QString& symbol : symbols)
        WriteBlockFile(suite.nativePath(suite.path(QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory\\")
                                                   + symbol + QStringLiteral(".dxf"))));

    suite.writeAnsiLines(QStringLiteral("Dane\\Miasto\\Ulic\\Ulice.lst"),
                         {QStringLiteral("Kwiatowa"), QStringLiteral("Długa")});
    suite.writeAnsiLines(QStringLiteral("Dane\\Miasto\\Ulic\\Skrzyzowania.lst"),
                         {QStringLiteral("987 Rondo Kwiatowa"), QStringLiteral("12 Plac Żelazny")});
    suite.writeAnsiLines(QStringLiteral("aZasoby\\Listy\\Wnioskodawcy.lst"),
                         {QStringLiteral("Zarząd Dróg Miejskich")});
    suite.writeAnsiLines(QStringLiteral("aZasoby\\Listy\\Wykonawcy.lst"),
                         {QStringLiteral("Firma X, sp. z o.o.")});
    suite.writeAnsiLines(QStringLiteral("aZasoby\\Listy\\SygnZrodSwiatla.lst"),
                         {QStringLiteral("LED,L1"), QStringLiteral("Żarówka,Z2")});
    suite.writeAnsiLines(QStringLiteral("aZasoby\\Listy\\SygnTypySygnDet.lst"),
                         {QStringLiteral("Sygnalizator LED 1"), QStringLiteral("Inny")});

    suite.writeCityRegistry(suite.path(QStringLiteral("Dane")), QStringLiteral("Miasto"));
}

QString SuiteRegistryFile(TempSuite& suite)
{
    return DisplayPath(suite.path(QStringLiteral("registry.reg")));
}

std::string WriteDrawing(TempSuite& suite, const DrawingSetup& setup, const QString& name)
{
    auto doc = dxf::Document::create();
    doc.addLayer("ULICE", 8);
    doc.addEntity("LINE", "ULICE", {{10, "-100"}, {20, "0"}, {30, "0"}, {11, "100"}, {21, "0"}, {31, "0"}});
    if (setup.descriptionLayer)
        doc.addLayer("112-OPIS_SYGNALIZACJI");
    if (setup.scale)
        doc.addCustomProperty("SKALA", *setup.scale);
    if (setup.section)
        doc.addCustomProperty("NUMERSEKCJI", *setup.section);
    if (setup.intersection)
        doc.addCustomProperty("ONUMERSKRZYZ", *setup.intersection);
    const std::string path = suite.nativePath(suite.path(QStringLiteral("Rysunki\\") + name)).toStdString();
    suite.makeFolder(QStringLiteral("Rysunki"));
    doc.save(path);
    return path;
}

SignalRun::SignalRun(TempSuite& suite_, const std::string& drawing,
                     std::vector<cad::embedded::InputAnswer> script)
    : suite(suite_), drawingPath(drawing)
{
    startup.programFolder = suite.programFolder();
    startup.registryFile = SuiteRegistryFile(suite);
    host.message = [this](const std::string& title, const std::string& text, cad::MessageIcon icon) {
        dialogs.show(QStringFromUtf8(title), QStringFromUtf8(text),
                     icon == cad::MessageIcon::Exclamation ? DialogIcon::Exclamation : DialogIcon::None);
    };
    ctx = std::make_unique<RunContext>(
        RunContext{dialogs, host, settings, startup, [this](const QString& reason) {
                       endReasons << reason;
                       if (form)
                           form->hide();
                   }});
    input = std::make_shared<cad::embedded::ScriptedInputSource>(std::move(script));
    provider = std::make_unique<cad::embedded::EmbeddedHostProvider>([this] {
        cad::embedded::EmbeddedHostOptions options;
        options.drawing = drawingPath;
        options.input = input;
        options.polish = polishHost;
        options.report = host.message;
        return options;
    });
    placement = std::make_unique<PlacementRun>(*ctx);
    form = std::make_unique<frmMain>(*ctx, *provider, *placement);
}

SignalRun::SignalRun(TempSuite& suite_, FromEnvironment)
    : SignalRun(suite_, qEnvironmentVariable("LUMO_CAD_DRAWING").toStdString())
{
    provider = std::make_unique<cad::embedded::EmbeddedHostProvider>(
        [this] { return EmbeddedOptions(ReadRunEnvironment(), host.message); });
    form = std::make_unique<frmMain>(*ctx, *provider, *placement);
}

SignalRun::~SignalRun()
{
    form.reset();
}

void SignalRun::start(const QStringList& words)
{
    form->Form_Load(QStringList{QString()} + words, QStringLiteral("1.0.5"));
}

void SignalRun::runFollowUp(int maxTicks)
{
    for (int i = 0; i < maxTicks && !form->ended() && form->tRunNext().isActive(); ++i)
        form->tRunNext_Timer();
}

void SignalRun::save()
{
    if (host.app)
        host.app->saveIfChanged();
}

dxf::Document SignalRun::savedDrawing() const
{
    return dxf::Document::load(drawingPath);
}

namespace {

// Waits for the description form to be shown and answers it from inside the
// form's own loop, once its activation has filled it. One form each.
class DescriptionFormAnswer : public QObject {
public:
    explicit DescriptionFormAnswer(const DescriptionAnswers& answers) : QObject(qApp), answers_(answers)
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* form
            = event->type() == QEvent::Show ? qobject_cast<frmAtrybutySygnalizatora*>(watched) : nullptr;
        // A form another answer has taken is left to it.
        if (!form || form->property(kTaken).toBool())
            return false;
        // Armed by a test whose run ended before its form: not this test's answer.
        if (test_ != ::testing::UnitTest::GetInstance()->current_test_info()) {
            qApp->removeEventFilter(this);
            deleteLater();
            return false;
        }
        form->setProperty(kTaken, true);
        qApp->removeEventFilter(this);
        QMetaObject::invokeMethod(
            form,
            [form, answers = answers_] {
                form->findChild<QLineEdit*>(QStringLiteral("fldKtoNaniosl"))->setText(answers.ktoNaniosl);
                form->findChild<QLineEdit*>(QStringLiteral("fldNrZlecenia"))->setText(answers.nrZlecenia);
                form->findChild<QLineEdit*>(QStringLiteral("fldUwagi"))->setText(answers.uwagi);
                form->findChild<QComboBox*>(QStringLiteral("cmbUlica"))->setCurrentText(answers.ulica);
                const auto* button = answers.accept ? "cmdAccept" : "cmdCancel";
                form->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            },
            Qt::QueuedConnection);
        deleteLater();
        return false;
    }

private:
    static constexpr const char* kTaken = "lumoTestAnswerTaken";
    DescriptionAnswers answers_;
    const ::testing::TestInfo* test_ = ::testing::UnitTest::GetInstance()->current_test_info();
};

} // namespace

void AnswerDescriptionForm(const DescriptionAnswers& answers)
{
    new DescriptionFormAnswer(answers);
}

std::map<std::string, std::string> AttributesOf(const dxf::BlockReference& reference)
{
    std::map<std::string, std::string> values;
    for (const auto& attribute : reference.attributes())
        values[attribute.tag()] = attribute.value();
    return values;
}

std::vector<dxf::BlockReference> ReferencesOf(const dxf::Document& doc, const std::string& block)
{
    std::vector<dxf::BlockReference> found;
    for (const auto& entity : doc.modelSpace()) {
        if (entity.isBlockReference() && dxf::sameName(entity.asBlockReference().blockName(), block))
            found.push_back(entity.asBlockReference());
    }
    return found;
}

std::vector<dxf::Text> TextsOf(const dxf::Document& doc)
{
    std::vector<dxf::Text> found;
    for (const auto& entity : doc.modelSpace()) {
        if (entity.isText())
            found.push_back(entity.asText());
    }
    return found;
}

// The errors another DXF reader's audit finds in the file; nullopt when that
// reader is not installed.
std::optional<QString> AuditErrors(const std::string& path)
{
    static const char* script = R"(
import sys
try:
    import ezdxf
except ImportError:
    sys.exit(3)
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
for error in auditor.errors:
    print(error.code, error.message)
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(script), QString::fromStdString(path)});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit
        || python.exitCode() == 3)
        return std::nullopt;
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError());
}

} // namespace lumo::test
