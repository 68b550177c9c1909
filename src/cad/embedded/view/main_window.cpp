#include "cad/embedded/view/main_window.h"

#include "cad/embedded/drawing_file.h"
#include "cad/embedded/view/file_dialogs.h"
#include "cad/embedded/view/plot_dialog.h"
#include "cad/embedded/view/scene_builder.h"
#include "cad/embedded/view/view_memory.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace lumo::view {

namespace {

const QString kTitle = QStringLiteral("LUMO CAD");
const QString kFilter = QStringLiteral("Rysunki DXF (*.dxf);;Wszystkie pliki (*)");
constexpr int kRecentMax = 8;
const QString kBuildCancelled
    = QStringLiteral("Rysowanie przerwane: widok pokazuje rysunek sprzed ostatniej zmiany.");

} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new DrawingView(central);
    layout->addWidget(view_, 1);

    auto* line = new QWidget(central);
    auto* lineLayout = new QHBoxLayout(line);
    lineLayout->setContentsMargins(4, 2, 4, 2);
    prompt_ = new QLabel(line);
    prompt_->setObjectName(QStringLiteral("prompt"));
    // A long question is cut short rather than widening the window or
    // narrowing the side panels: either would move the drawing under the
    // designer's cursor between two clicks.
    prompt_->setMinimumWidth(1);
    edit_ = new QLineEdit(line);
    edit_->setObjectName(QStringLiteral("promptEdit"));
    lineLayout->addWidget(prompt_);
    lineLayout->addWidget(edit_, 1);
    layout->addWidget(line);
    setCentralWidget(central);

    coordinates_ = new QLabel(this);
    coordinates_->setObjectName(QStringLiteral("coordinates"));
    coordinates_->setMinimumWidth(220);
    statusBar()->addPermanentWidget(coordinates_);
    connect(view_, &DrawingView::cursorMoved, this, [this](double x, double y) {
        coordinates_->setText(QStringLiteral("%1, %2").arg(x, 0, 'f', 3).arg(y, 0, 'f', 3));
    });

    input_ = new DrawingInput(view_, prompt_, edit_, this);
    // Escape cancels what is asked wherever the focus is (the prompt line too).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] {
        // A view command ends first; what is asked stays asked.
        if (view_->endViewTool())
            return;
        edit_->clear();
        input_->cancel();
    });
    buildMenus();
    buildDraftingButtons();

    dialogs_.message = [this](const QString& text) { QMessageBox::warning(this, kTitle, text); };
    dialogs_.openPath = [this](const QString& folder) {
        return ChooseFileToOpen(this, QStringLiteral("Otwórz rysunek"), folder, kFilter);
    };
    dialogs_.savePath = [this](const QString& suggestion, const QString& reason) {
        if (!reason.isEmpty())
            QMessageBox::warning(this, kTitle, reason);
        return ChooseFileToSave(this, QStringLiteral("Zapisz jako"), suggestion, kFilter);
    };
    dialogs_.keepUnsaved = [this] {
        return QMessageBox::question(this, kTitle,
                                     QStringLiteral("Zmiany w rysunku nie zostaną zapisane. Czy na pewno?"),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    };
    dialogs_.missingDrawing = [this](const QString& path) {
        QMessageBox box(QMessageBox::Warning, kTitle,
                        QStringLiteral("Nie znaleziono rysunku: [%1]").arg(QDir::toNativeSeparators(path)),
                        QMessageBox::NoButton, this);
        QPushButton* open = box.addButton(QStringLiteral("&Otwórz inny..."), QMessageBox::AcceptRole);
        QPushButton* create = box.addButton(QStringLiteral("&Utwórz nowy"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("Anuluj"), QMessageBox::RejectRole);
        box.exec();
        if (box.clickedButton() == open)
            return MissingDrawingChoice::Open;
        if (box.clickedButton() == create)
            return MissingDrawingChoice::Create;
        return MissingDrawingChoice::Nothing;
    };

    resize(1100, 750);
    updateTitle();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Plik"));
    QAction* open = file->addAction(QStringLiteral("&Otwórz..."), this, &MainWindow::chooseAndOpen);
    open->setShortcut(QKeySequence::Open);
    QAction* save = file->addAction(QStringLiteral("&Zapisz"), this, [this] { this->save(); });
    save->setShortcut(QKeySequence::Save);
    file->addAction(QStringLiteral("Zapisz &jako..."), this, &MainWindow::chooseAndSaveAs);
    file->addSeparator();
    QAction* plot = file->addAction(QStringLiteral("&Drukuj / Eksportuj do PDF…"), this, [this] {
        showPlotDialog(this,
                       {drawing_, scene_, path_, view_, input_, [this](const QString& t) { tell(t); },
                        [this](const QString& t) { statusBar()->showMessage(t, 10000); }, settingsFile_});
    });
    plot->setObjectName(QStringLiteral("plot"));
    plot->setShortcut(QKeySequence::Print);
    file->addSeparator();
    recentMenu_ = file->addMenu(QStringLiteral("Ostatnie &rysunki"));
    fillRecentMenu();
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("Za&kończ"), this, &QWidget::close);
    quit->setShortcut(QKeySequence::Quit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edycja"));
    editMenu_ = edit;
    undo_ = edit->addAction(QStringLiteral("&Cofnij"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = edit->addAction(QStringLiteral("&Ponów"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    undo_->setEnabled(false);
    redo_->setEnabled(false);

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&Widok"));
    viewMenu_ = viewMenu;
    buildViewCommands(viewMenu);
    viewMenu->addSeparator();

    layers_ = new LayersPanel(this);
    addDockWidget(Qt::RightDockWidgetArea, layers_);
    QAction* layers = layers_->toggleViewAction();
    layers->setText(QStringLiteral("&Warstwy"));
    viewMenu->addAction(layers);
    connect(layers_, &LayersPanel::switchesChanged, this, [this] { rebuildScene(true); });
    connect(layers_, &LayersPanel::saveRequested, this, &MainWindow::saveLayerSwitches);
    // Another drawing: the designer's switches were meant for the one before.
    connect(this, &MainWindow::drawingOpened, this, [this] {
        layers_->forget();
        layers_->showLayers(drawing_);
    });
}

void MainWindow::buildViewCommands(QMenu* menu)
{
    auto add = [&](const QString& text, const QString& name, const QKeySequence& key, auto slot) {
        QAction* action = menu->addAction(text, this, slot);
        action->setObjectName(name);
        action->setShortcut(key);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(QString(text).remove(QLatin1Char('&')),
                                                         key.toString(QKeySequence::NativeText)));
        return action;
    };
    zoomWindow_ = add(QStringLiteral("Powiększ &okno"), QStringLiteral("zoomWindow"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W),
                      [this] { view_->startViewTool(DrawingView::ViewTool::ZoomWindow); });
    zoomPrevious_ = add(QStringLiteral("&Poprzedni widok"), QStringLiteral("zoomPrevious"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), [this] { view_->zoomPrevious(); });
    zoomPrevious_->setEnabled(false);
    connect(view_, &DrawingView::previousViewsChanged, zoomPrevious_, &QAction::setEnabled);
    pan_ = add(QStringLiteral("P&rzesuń widok"), QStringLiteral("pan"),
               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H),
               [this] { view_->startViewTool(DrawingView::ViewTool::Pan); });
    zoomExtents_ = add(QStringLiteral("&Cały rysunek"), QStringLiteral("zoomExtents"),
                       QKeySequence(Qt::Key_Home), [this] { view_->zoomExtents(); });
    // Home on the prompt line moves its cursor.
    zoomExtents_->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    auto* bar = addToolBar(QStringLiteral("Widok"));
    bar->setObjectName(QStringLiteral("viewToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addActions({zoomWindow_, zoomPrevious_, pan_, zoomExtents_});

    connect(view_, &DrawingView::viewToolChanged, this, &MainWindow::showViewToolPrompt);
    connect(view_, &DrawingView::windowCornerPicked, this,
            [this] { prompt_->setText(QStringLiteral("Wskaż drugi narożnik okna:")); });
}

void MainWindow::showViewToolPrompt(DrawingView::ViewTool tool)
{
    switch (tool) {
    case DrawingView::ViewTool::ZoomWindow:
    case DrawingView::ViewTool::Pan:
        if (promptBeforeTool_.isNull())
            promptBeforeTool_ = prompt_->text();
        prompt_->setText(tool == DrawingView::ViewTool::Pan
                             ? QStringLiteral("Przeciągnij rysunek; Esc lub Enter kończy przesuwanie.")
                             : QStringLiteral("Wskaż pierwszy narożnik okna:"));
        break;
    case DrawingView::ViewTool::None:
        // What is asked now (it may have changed meanwhile), else what was there.
        prompt_->setText(input_->current() ? input_->current()->prompt : promptBeforeTool_);
        promptBeforeTool_ = QString();
        break;
    }
}

void MainWindow::buildDraftingButtons()
{
    // Snaps (F3) and ortho (F8): keys anywhere in the window, buttons in the
    // status bar that show the state.
    auto add
        = [this](const QString& text, const QString& name, Qt::Key key, bool on, auto set, auto toggled) {
              auto* action = new QAction(text, this);
              action->setObjectName(name);
              action->setCheckable(true);
              action->setChecked(on);
              action->setShortcut(QKeySequence(key));
              action->setToolTip(QStringLiteral("%1 (%2)").arg(text, QKeySequence(key).toString()));
              addAction(action);
              connect(action, &QAction::toggled, view_, set);
              connect(view_, toggled, action, &QAction::setChecked);
              auto* button = new QToolButton(this);
              button->setDefaultAction(action);
              button->setAutoRaise(true);
              statusBar()->addPermanentWidget(button);
          };
    add(QStringLiteral("Przyciąganie"), QStringLiteral("snaps"), Qt::Key_F3, view_->snapsEnabled(),
        &DrawingView::setSnapsEnabled, &DrawingView::snapsToggled);
    add(QStringLiteral("Orto"), QStringLiteral("ortho"), Qt::Key_F8, view_->ortho(), &DrawingView::setOrtho,
        &DrawingView::orthoToggled);
}

void MainWindow::showDrawing(cad::embedded::DrawingReader drawing, const QString& path)
{
    if (!(drawing == drawing_) || path != path_)
        layers_->forget();
    rememberView();
    drawing_ = std::move(drawing);
    path_ = path;
    rebuildScene();
    restoreView();
    if (!path.isEmpty())
        addRecent(path);
    updateTitle();
}

bool MainWindow::openDrawing(const QString& path)
{
    if (!openHandler_ || !openHandler_(path))
        return false;
    addRecent(path);
    return true;
}

bool MainWindow::save()
{
    return saveHandler_ && saveHandler_(QString());
}

bool MainWindow::saveAs(const QString& path)
{
    if (!saveHandler_ || !saveHandler_(path))
        return false;
    addRecent(path);
    return true;
}

void MainWindow::restoreView()
{
    view_->endViewTool();
    view_->forgetPreviousViews();
    const auto remembered = RememberedViewOf(settingsFile_, path_);
    const Scene* scene = view_->scene();
    if (!remembered || !scene || scene->isEmpty()) {
        view_->zoomExtents();
        view_->forgetPreviousViews();
        return;
    }
    view_->setView(remembered->centre, remembered->pixelsPerUnit);
    // The drawing changed elsewhere so much that the view shows none of it.
    if (!view_->visibleBox().intersects(scene->extents())) {
        view_->zoomExtents();
        view_->forgetPreviousViews();
    }
}

void MainWindow::rememberView() const
{
    if (drawing_ && !path_.isEmpty())
        RememberView(settingsFile_, path_, {view_->centre(), view_->pixelsPerUnit()});
}

void MainWindow::refresh()
{
    if (!drawing_)
        return;
    if (building_) {
        buildAgain_ = true;
        return;
    }
    const auto changes = scene_ && !sceneStale_ ? drawing_.changesSince(sceneMark_) : std::nullopt;
    if (!changes || SceneBuilder::changesEverything(*changes)) {
        rebuildScene(true);
        return;
    }
    if (changes->entities.empty())
        return;
    try {
        redrawEntities(changes->entities);
    } catch (const std::exception&) {
        // (Keys come from the drawing itself; should one be refused, the
        // picture is drawn whole.)
        rebuildScene(true);
    }
}

std::vector<std::size_t> MainWindow::inDrawing(const std::vector<std::size_t>& inPicture) const
{
    if (!sceneStale_)
        return inPicture;
    std::unordered_map<std::uint32_t, std::size_t> indexNow;
    const std::vector<std::uint32_t> keys = drawing_.modelSpaceKeys();
    for (std::size_t i = 0; i < keys.size(); ++i)
        indexNow.emplace(keys[i], i);
    std::vector<std::size_t> out;
    for (const std::size_t entity : inPicture)
        if (entity < sceneKeys_.size())
            if (const auto found = indexNow.find(sceneKeys_[entity]); found != indexNow.end())
                out.push_back(found->second);
    std::sort(out.begin(), out.end());
    return out;
}

void MainWindow::redrawEntities(const std::vector<std::uint32_t>& changed)
{
    const std::uint64_t mark = drawing_.changeMark();
    std::vector<std::uint32_t> keys = drawing_.modelSpaceKeys();
    // By key: where each entity stands in model space now, whether it
    // changed, whether the picture holds it.
    std::uint32_t keyCount = 0;
    for (const auto& list : {std::cref(keys), std::cref(sceneKeys_), std::cref(changed)})
        for (const std::uint32_t key : list.get())
            keyCount = std::max(keyCount, key + 1);
    std::vector<std::uint32_t> indexNow(keyCount, kNoEntity);
    for (std::size_t i = 0; i < keys.size(); ++i)
        indexNow[keys[i]] = std::uint32_t(i);
    std::vector<bool> redrawn(keyCount, false), drawn(keyCount, false);
    for (const std::uint32_t key : changed)
        redrawn[key] = true;
    // What the picture keeps, under the entities' numbers now.
    std::vector<std::uint32_t> renumber(sceneKeys_.size(), kNoEntity);
    for (std::size_t i = 0; i < sceneKeys_.size(); ++i) {
        const std::uint32_t key = sceneKeys_[i];
        drawn[key] = true;
        if (!redrawn[key])
            renumber[i] = indexNow[key];
    }
    std::vector<SceneBuilder::EntityAt> added;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (redrawn[keys[i]] || !drawn[keys[i]])
            added.push_back({i, keys[i]});

    // The view holds the picture too: it is taken over when nobody else
    // keeps it (a plot under way does), else copied.
    auto scene = scene_.use_count() <= 2 ? std::make_shared<Scene>(std::move(*scene_))
                                         : std::make_shared<Scene>(*scene_);
    scene->renumberEntities(renumber);
    SceneBuilder builder(drawing_);
    applyLayerSwitches(builder);
    builder.addEntities(*scene, added);
    if (const QString warning = builder.warning(); !warning.isEmpty())
        showBuildWarning(warning);
    layers_->showLayers(drawing_); // the new entities may have brought layers
    scene_ = std::move(scene);
    sceneKeys_ = std::move(keys);
    sceneMark_ = mark;
    view_->setScene(scene_);
}

void MainWindow::rebuild()
{
    rebuildScene(true);
    updateTitle();
}

void MainWindow::rebuildScene(bool cancellable)
{
    // Asked again while the progress lets events through (a change, a
    // layer switch): built once more when this build is over.
    if (building_) {
        buildAgain_ = true;
        return;
    }
    building_ = true;
    bool drawn = true;
    do {
        buildAgain_ = false;
        auto scene = std::make_shared<Scene>();
        if (drawing_) {
            SceneBuilder builder(drawing_);
            applyLayerSwitches(builder);
            const std::uint64_t mark = drawing_.changeMark();
            std::vector<std::uint32_t> keys = drawing_.modelSpaceKeys();
            drawn = buildScene(*scene, builder, cancellable);
            if (!drawn)
                break;
            sceneKeys_ = std::move(keys);
            sceneMark_ = mark;
            showBuildWarning(builder.warning());
        } else {
            sceneKeys_.clear();
            showBuildWarning({});
        }
        sceneStale_ = false;
        layers_->showLayers(drawing_);
        scene_ = std::move(scene);
        view_->setScene(scene_);
    } while (buildAgain_);
    building_ = false;
    if (!drawn) {
        // The picture before stays, and says it is behind the drawing.
        sceneStale_ = true;
        buildAgain_ = false;
        showBuildWarning(kBuildCancelled);
        return;
    }
    if (!previewBlock_.isEmpty())
        setInsertPreview(previewBlock_, previewScale_);
}

bool MainWindow::buildScene(Scene& scene, SceneBuilder& builder, bool cancellable)
{
    if (buildProgress_) {
        // Opening: whoever opens shows the progress.
        return builder.buildModelSpace(scene, [this](std::size_t done, std::size_t total) {
            buildProgress_(total ? static_cast<double>(done) / static_cast<double>(total) : 1.0);
            return true;
        });
    }
    if (!cancellable)
        return builder.buildModelSpace(scene);
    // A build that takes long shows how far it got, with a way out; a
    // quick one shows nothing.
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> progress;
    int shown = -1;
    return builder.buildModelSpace(scene, [&](std::size_t done, std::size_t total) {
        if (!progress && clock.elapsed() < progressDelay_)
            return true;
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QStringLiteral("Rysowanie rysunku..."),
                                                         QStringLiteral("Anuluj"), 0, 100, this);
            progress->setWindowTitle(windowTitle());
            progress->setWindowModality(Qt::ApplicationModal);
            progress->setMinimumDuration(0);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
        }
        // (a modal progress dialog lets the events through as it moves)
        const int percent = total ? int(done * 100 / total) : 100;
        if (percent != shown) {
            shown = percent;
            progress->setValue(percent);
        }
        return !progress->wasCanceled();
    });
}

void MainWindow::showBuildWarning(const QString& text)
{
    // In the message line until the next picture; a label of its own, as
    // the menus' status tips wipe the status bar's message.
    if (!buildWarning_) {
        if (text.isEmpty())
            return;
        buildWarning_ = new QLabel(this);
        buildWarning_->setObjectName(QStringLiteral("drawingWarning"));
        statusBar()->addWidget(buildWarning_, 1);
    }
    buildWarning_->setText(text);
    buildWarning_->setToolTip(text);
}

void MainWindow::applyLayerSwitches(SceneBuilder& builder) const
{
    for (const LayerSwitches& layer : layers_->switched())
        builder.setLayerState(layer.name, layer.on, layer.frozen);
}

void MainWindow::addSidePanel(QDockWidget* panel, const QString& menuText)
{
    addDockWidget(Qt::RightDockWidgetArea, panel);
    splitDockWidget(layers_, panel, Qt::Vertical);
    QAction* toggle = panel->toggleViewAction();
    toggle->setText(menuText);
    viewMenu_->addAction(toggle);
}

void MainWindow::setLayerSaveHandler(std::function<bool(const std::vector<LayerSwitches>&)> handler)
{
    layerSaveHandler_ = std::move(handler);
    layers_->setSaveEnabled(bool(layerSaveHandler_));
}

void MainWindow::saveLayerSwitches()
{
    if (!layerSaveHandler_ || !layerSaveHandler_(layers_->switched()))
        return;
    // The drawing has them now.
    layers_->forget();
    rebuild();
}

void MainWindow::setInsertPreview(const QString& blockName, double scale)
{
    previewBlock_ = blockName;
    previewScale_ = scale;
    if (!drawing_)
        return;
    auto block = std::make_shared<Scene>();
    if (!SceneBuilder(drawing_).buildBlock(*block, blockName.toStdString(), scale))
        block.reset();
    view_->setRubberBlock(std::move(block));
}

void MainWindow::clearInsertPreview()
{
    previewBlock_.clear();
    view_->setRubberBlock(nullptr);
}

void MainWindow::updateTitle()
{
    const QString name = path_.isEmpty() ? QStringLiteral("bez nazwy") : QFileInfo(path_).fileName();
    const QString state = readOnly_ ? QStringLiteral(" [tylko do odczytu]") : QString();
    setWindowTitle(QStringLiteral("%1[*]%2 - %3").arg(name, state, kTitle));
    setWindowModified(modified_);
}

void MainWindow::setDrawingPath(const QString& path)
{
    if (path_ == path)
        return;
    path_ = path;
    if (!path.isEmpty())
        addRecent(path);
    updateTitle();
}

void MainWindow::setDrawingState(bool modified, bool readOnly)
{
    modified_ = modified;
    readOnly_ = readOnly;
    updateTitle();
}

std::optional<QString> MainWindow::askSaveAs(const QString& path, const QString& reason)
{
    const QString text = QStringLiteral("Nie można zapisać rysunku\r\n[%1]\r\n%2")
                             .arg(QDir::toNativeSeparators(path), reason);
    const QString suggestion = QString::fromStdString(cad::embedded::SuggestedSaveAsPath(path.toStdString()));
    while (true) {
        QString chosen = dialogs_.savePath(suggestion, text);
        if (!chosen.isEmpty()) {
            if (QFileInfo(chosen).suffix().isEmpty())
                chosen += QStringLiteral(".dxf");
            return chosen;
        }
        if (dialogs_.keepUnsaved())
            return std::nullopt;
    }
}

MissingDrawingChoice MainWindow::offerMissingDrawing(const QString& path)
{
    return dialogs_.missingDrawing(path);
}

void MainWindow::setDialogs(WindowDialogs dialogs)
{
    if (dialogs.message)
        dialogs_.message = std::move(dialogs.message);
    if (dialogs.openPath)
        dialogs_.openPath = std::move(dialogs.openPath);
    if (dialogs.savePath)
        dialogs_.savePath = std::move(dialogs.savePath);
    if (dialogs.keepUnsaved)
        dialogs_.keepUnsaved = std::move(dialogs.keepUnsaved);
    if (dialogs.missingDrawing)
        dialogs_.missingDrawing = std::move(dialogs.missingDrawing);
}

void MainWindow::setSettingsFile(const QString& iniPath)
{
    settingsFile_ = iniPath;
    if (!iniPath.isEmpty()) {
        // The drawings opened before the store was known (the one the window
        // started with) stay in front of the stored ones.
        const QStringList openedNow = recent_;
        recent_ = QSettings(iniPath, QSettings::IniFormat).value(QStringLiteral("recent")).toStringList();
        for (auto it = openedNow.crbegin(); it != openedNow.crend(); ++it)
            addRecent(*it);
        // The drawing shown already, as the designer left it.
        if (drawing_ && !view_->hasPreviousView())
            restoreView();
    }
    fillRecentMenu();
}

void MainWindow::addRecent(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(full);
    recent_.prepend(full);
    // Only drawings that are still there.
    recent_.removeIf([](const QString& drawing) { return !QFileInfo(drawing).isFile(); });
    while (recent_.size() > kRecentMax)
        recent_.removeLast();
    if (!settingsFile_.isEmpty()) {
        QSettings store(settingsFile_, QSettings::IniFormat);
        store.setValue(QStringLiteral("recent"), recent_);
    }
    fillRecentMenu();
}

void MainWindow::fillRecentMenu()
{
    if (!recentMenu_)
        return;
    recentMenu_->clear();
    recent_.removeIf([](const QString& drawing) { return !QFileInfo(drawing).isFile(); });
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
                               [this, path] { openDrawing(path); });
    }
    recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::tell(const QString& text)
{
    dialogs_.message(text);
}

void MainWindow::chooseAndOpen()
{
    const QString path = dialogs_.openPath(QFileInfo(path_).absolutePath());
    if (!path.isEmpty())
        openDrawing(path);
}

void MainWindow::chooseAndSaveAs()
{
    QString path = dialogs_.savePath(path_, QString());
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dxf");
    saveAs(path);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A wait for the designer ends with a cancel, now and from now on.
    input_->close();
    view_->endViewTool();
    rememberView();
    event->accept();
    emit closing();
}

} // namespace lumo::view
