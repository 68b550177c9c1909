#include "app/workplace.h"

#include "app/forms_in_front.h"
#include "app/help_menu.h"
#include "app/program.h"
#include "cad/host.h"
#include "cad/embedded/view/block_icon.h"
#include "cad/embedded/view/tool_palette.h"
#include "cad/embedded/view/window_input.h"
#include "settings/suite.h"
#include "signal/catalogue.h"
#include "util/files.h"
#include "util/paths.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>

#include <functional>
#include <memory>
#include <optional>

namespace lumo {

namespace {

const QString kLastSymbolKey = QStringLiteral("lastSymbol");

// Push buttons belong to a pedestrian head: "Przycisk" starts the run of one
// with "Ustaw przyciski" ticked, and the detector form follows its description.
const QString kPushButtonTool = QStringLiteral("Przycisk");
const QString kPushButtonHead = QStringLiteral("S-5");

struct SymbolGroup {
    QString title;
    std::vector<SignalTypeEntry> entries;
};

// Every head symbol of the catalogue, kinds as groups.
std::vector<SymbolGroup> SymbolGroups()
{
    return {
        {QStringLiteral("&Pojazdy"), VehicleTypes()},
        {QStringLiteral("&Tramwaje"), TramTypes()},
        {QStringLiteral("P&iesi"), PedestrianTypes()},
        {QStringLiteral("&Inne"),
         {{QStringLiteral("Autobusy"), FixedKindSymbol(KindBuses)},
          {QStringLiteral("Piesi i rowerzyści"), FixedKindSymbol(KindPedestriansAndCyclists)},
          {QStringLiteral("Rowerzyści"), FixedKindSymbol(KindCyclists)}}},
    };
}

// The drawn icon of a symbol: its block file in the suite's folder of heads.
QIcon SymbolIcon(const QString& programFolder, const QString& symbol)
{
    const QString folder = GetSuiteSubfolder(GetSuiteFolder(QStringLiteral("TARN_FOLDER"), programFolder),
                                             kSubfolderSygnalizatory);
    // The embedded host inserts blocks from DXF files.
    return view::blockIcon(ToNativePath(JoinPath(folder, symbol + QStringLiteral(".dxf"))));
}

// The "Sygnalizacja" menu and the tool palette: choosing a symbol asks for a
// run with it.
class SignalMenu {
public:
    SignalMenu(view::MainWindow& window, const QString& store, const QString& programFolder,
               std::function<void(const QString&)> choose)
        : store_(store), choose_(std::move(choose))
    {
        palette_ = new view::ToolPalette(QStringLiteral("Sygnalizatory"), &window);
        window.addDockWidget(Qt::LeftDockWidgetArea, palette_);
        QObject::connect(palette_, &view::ToolPalette::chosen,
                         [this](const QString& symbol) { chosen(symbol); });

        menu_ = window.menuBar()->addMenu(QStringLiteral("&Sygnalizacja"));
        last_ = menu_->addAction(QString(), [this] { chosen(lastSymbol()); });
        last_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
        menu_->addSeparator();
        for (const auto& group : SymbolGroups()) {
            QMenu* kind = menu_->addMenu(group.title);
            palette_->addGroup(QString(group.title).remove(QLatin1Char('&')));
            for (const auto& entry : group.entries) {
                palette_->addTool(entry.symbol, entry.name, SymbolIcon(programFolder, entry.symbol));
                QAction* action = kind->addAction(QStringLiteral("%1\t%2").arg(entry.symbol, entry.name));
                action->setToolTip(entry.name);
                const QString symbol = entry.symbol;
                QObject::connect(action, &QAction::triggered, [this, symbol] { chosen(symbol); });
            }
        }
        const QString pushButtonTip
            = QStringLiteral("Przyciski dla pieszych przy sygnalizatorze %1").arg(kPushButtonHead);
        palette_->addGroup(QStringLiteral("Detektory"));
        palette_->addTool(kPushButtonTool, pushButtonTip, SymbolIcon(programFolder, kPushButtonHead));
        QAction* pushButtons
            = menu_->addAction(QStringLiteral("P&rzycisk"), [this] { chosen(kPushButtonTool); });
        pushButtons->setToolTip(pushButtonTip);
        showLast();
    }

    // Nothing can be chosen while a run is in progress.
    void setEnabled(bool enabled)
    {
        menu_->setEnabled(enabled);
        palette_->setEnabled(enabled);
        // Open again after a run, nothing is chosen: the symbol of the run
        // that ended is no longer highlighted.
        if (enabled) {
            palette_->tree()->clearSelection();
            palette_->tree()->setCurrentItem(nullptr);
        }
    }

    void remember(const QString& symbol)
    {
        if (symbol.isEmpty() || store_.isEmpty())
            return;
        QSettings(store_, QSettings::IniFormat).setValue(kLastSymbolKey, symbol);
        showLast();
    }

private:
    QString lastSymbol() const
    {
        return store_.isEmpty() ? QString()
                                : QSettings(store_, QSettings::IniFormat).value(kLastSymbolKey).toString();
    }
    void showLast()
    {
        const QString symbol = lastSymbol();
        last_->setText(symbol.isEmpty() ? QStringLiteral("&Ostatni symbol")
                                        : QStringLiteral("&Ostatni symbol: %1").arg(symbol));
        last_->setEnabled(!symbol.isEmpty());
    }
    void chosen(const QString& symbol)
    {
        remember(symbol);
        choose_(symbol);
    }

    QMenu* menu_ = nullptr;
    view::ToolPalette* palette_ = nullptr;
    QAction* last_ = nullptr;
    QString store_;
    std::function<void(const QString&)> choose_;
};

// A symbol given on the command line (its second word, as GetCommandLineArgs
// gives them).
bool HasSymbol(const QStringList& args)
{
    return args.size() > 1 && !args[1].trimmed().isEmpty();
}

// Starts the host (its window not shown yet); null when it cannot start
// (the run that follows then says so as always).
// The host of the workplace; null when it cannot start (the run that follows
// tells the designer why). Anything else it throws is not a host's failure
// and goes on up.
std::shared_ptr<cad::Application> StartHost(view::WindowedHostProvider& provider)
{
    try {
        return provider.create();
    } catch (const cad::HostError&) {
        return nullptr;
    }
}

} // namespace

bool TakeExitAfterRun(QStringList& words)
{
    return words.removeAll(QStringLiteral("--exit-after-run")) > 0;
}

int RunWorkplace(Dialogs& dialogs, const QString& programFolder, const QString& registryFile,
                 view::WindowedHostProvider& provider, const QStringList& commandLineArgs, bool stayOpen)
{
    Program* running = nullptr;
    bool windowClosed = false;
    QEventLoop idle;
    provider.setOnWindowClosed([&] {
        windowClosed = true;
        if (running)
            running->end(QStringLiteral("drawing window closed"));
        idle.quit();
    });

    std::optional<QStringList> next = commandLineArgs;
    std::unique_ptr<SignalMenu> menu;
    const FormsInFront formsInFront([&provider]() -> QWidget* {
        return provider.hostWindow() ? provider.hostWindow()->window() : nullptr;
    });
    // Runs the program once; the symbol to remember as the last one.
    const auto runOnce = [&](QStringList args) -> QString {
        const bool pushButtons = args.size() > 1 && args[1] == kPushButtonTool;
        if (pushButtons)
            args[1] = kPushButtonHead;
        // The host makes the whole run one step to undo.
        const auto hostNow
            = [&provider] { return provider.hostWindow() ? provider.hostWindow()->host() : nullptr; };
        const auto before = hostNow();
        if (before)
            before->beginRun();
        {
            Program program(dialogs, programFolder, provider);
            program.startup.registryFile = registryFile;
            running = &program;
            if (menu)
                menu->setEnabled(false);
            program.pushButtonsAtStart = pushButtons;
            provider.setProgramRunning(true);
            program.run(args);
            provider.setProgramRunning(false);
            running = nullptr;
        }
        if (before && before != hostNow())
            before->endRun();
        if (const auto after = hostNow())
            after->endRun();
        return args.size() > 1 ? (pushButtons ? kPushButtonTool : args[1]) : QString();
    };
    const auto makeMenu = [&] {
        view::HostWindow* hostWindow = provider.hostWindow();
        if (menu || !hostWindow)
            return;
        menu = std::make_unique<SignalMenu>(*hostWindow->window(), provider.configFile(), programFolder,
                                            [&](const QString& symbol) {
                                                next = QStringList{QString(), symbol};
                                                idle.quit();
                                            });
        AddHelpMenu(*hostWindow->window(), dialogs, SuiteHelpFile(programFolder));
    };
    // The workplace: the window with its palette and menu shows before the
    // first run (greyed out during it), so nothing moves when a run ends; a
    // start without a symbol only opens it.
    std::shared_ptr<cad::Application> workplace;
    if (stayOpen) {
        try {
            workplace = StartHost(provider);
        } catch (const std::exception& error) {
            ShowUnexpectedError(dialogs, QString::fromUtf8(error.what()),
                                QStringLiteral("Okno rysunku nie zostało otwarte."));
            provider.setOnWindowClosed(nullptr);
            return 1;
        }
        makeMenu();
        if (workplace)
            workplace->setVisible(true);
        // Without a drawing (the designer turned down the offer to open or
        // create one) a run could only say so twice: the window waits instead.
        const bool noDrawing = workplace && workplace->documentsCount() == 0;
        if (!HasSymbol(commandLineArgs) || noDrawing)
            next = workplace ? std::nullopt : std::optional<QStringList>(commandLineArgs);
    }
    bool waitForDesigner = workplace && !next;
    while (next || waitForDesigner) {
        QString used;
        if (next) {
            QStringList args = *next;
            next.reset();
            used = runOnce(args);
        }
        waitForDesigner = false;
        view::HostWindow* hostWindow = provider.hostWindow();
        if (!stayOpen || windowClosed || !hostWindow || !hostWindow->window()->isVisible())
            break;
        makeMenu();
        menu->setEnabled(true);
        menu->remember(used);
        // Nothing is asked between runs: the last question and its answer go.
        if (!used.isEmpty()) {
            hostWindow->window()->promptLabel()->clear();
            hostWindow->window()->promptEdit()->clear();
        }
        // The designer looks at the result, places again or closes the window.
        idle.exec();
    }
    provider.setOnWindowClosed(nullptr);
    // The program ends with the drawing's changes unsaved (the save failed,
    // or the designer kept them unsaved): whoever started it, a script
    // above all, learns it from the exit code.
    const view::HostWindow* last = provider.hostWindow();
    return last && last->host() && last->host()->modified() ? 1 : 0;
}

} // namespace lumo
