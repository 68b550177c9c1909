#include "cad/embedded/view/main_window.h"

#include "cad/embedded/view/scene_builder.h"
#include "dxf/document.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace lumo::view {

namespace {

const QString kTitle = QStringLiteral("LUMO CAD");
const QString kFilter = QStringLiteral("Rysunki DXF (*.dxf);;Wszystkie pliki (*)");
constexpr int kRecentMax = 8;

// A drawing read and turned into a scene off the user-interface thread, so
// that the window stays responsive and the designer can give up waiting.
struct OpenJob {
    std::atomic<bool> cancel{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> building{false};
    std::atomic<std::size_t> done{0};
    std::atomic<std::size_t> total{0};
    std::unique_ptr<dxf::Document> document;
    std::shared_ptr<Scene> scene;
    QString error;
};

void runOpenJob(const std::shared_ptr<OpenJob>& job, const std::string& path)
{
    try {
        auto document = std::make_unique<dxf::Document>(dxf::Document::load(path));
        job->building = true;
        auto scene = std::make_shared<Scene>();
        SceneBuilder builder(*document);
        const bool complete = builder.buildModelSpace(*scene, [&](std::size_t done, std::size_t total) {
            job->done = done;
            job->total = total;
            return !job->cancel.load();
        });
        if (complete) {
            job->document = std::move(document);
            job->scene = std::move(scene);
        }
    } catch (const dxf::DxfError& e) {
        job->error = e.line() > 0 ? QStringLiteral("%1 (wiersz %2)").arg(QString::fromStdString(e.reason())).arg(e.line())
                                  : QString::fromStdString(e.reason());
    } catch (const std::exception& e) {
        job->error = QString::fromLocal8Bit(e.what());
    }
    job->finished = true;
}

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
        edit_->clear();
        input_->cancel();
    });
    buildMenus();

    // Commands of the host append entities while the window shows the drawing.
    watch_ = new QTimer(this);
    watch_->setInterval(250);
    connect(watch_, &QTimer::timeout, this, &MainWindow::refresh);
    watch_->start();

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
    recentMenu_ = file->addMenu(QStringLiteral("Ostatnie &rysunki"));
    fillRecentMenu();

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&Widok"));
    QAction* extents = viewMenu->addAction(QStringLiteral("&Cały rysunek"), view_, &DrawingView::zoomExtents);
    extents->setShortcut(QKeySequence(Qt::Key_Home));
    extents->setShortcutContext(Qt::WidgetWithChildrenShortcut);
}

void MainWindow::showDocument(const dxf::Document* document, const QString& path)
{
    if (document != owned_.get())
        owned_.reset();
    document_ = document;
    path_ = path;
    rebuildScene();
    view_->zoomExtents();
    if (!path.isEmpty())
        addRecent(path);
    updateTitle();
}

bool MainWindow::openDrawing(const QString& path)
{
    auto job = std::make_shared<OpenJob>();
    std::thread(runOpenJob, job, QFileInfo(path).absoluteFilePath().toStdString()).detach();

    QProgressDialog progress(QStringLiteral("Otwieranie rysunku %1...").arg(QFileInfo(path).fileName()),
                             QStringLiteral("Anuluj"), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(progressDelay_);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    while (!job->finished) {
        QEventLoop wait;
        QTimer::singleShot(20, &wait, &QEventLoop::quit);
        wait.exec();
        if (job->building && job->total > 0) {
            progress.setMaximum(int(std::min<std::size_t>(job->total, 1u << 30)));
            progress.setValue(int(std::min<std::size_t>(job->done, 1u << 30)));
        }
        if (progress.wasCanceled()) {
            // The reader finishes on its own; what it reads is dropped.
            job->cancel = true;
            return false;
        }
    }
    progress.close();
    if (!job->error.isEmpty() || !job->document) {
        tell(QStringLiteral("Nie można otworzyć rysunku\r\n[%1]\r\n%2")
                 .arg(QDir::toNativeSeparators(path), job->error));
        return false;
    }
    owned_ = std::move(job->document);
    document_ = owned_.get();
    path_ = QFileInfo(path).absoluteFilePath();
    scene_ = job->scene;
    sceneEntities_ = document_->modelSpaceCount();
    input_->clear();
    view_->setScene(scene_);
    view_->zoomExtents();
    addRecent(path_);
    updateTitle();
    emit drawingOpened(path_);
    return true;
}

bool MainWindow::save()
{
    if (!document_)
        return false;
    if (path_.isEmpty()) {
        chooseAndSaveAs();
        return !path_.isEmpty() && !document_->isModified();
    }
    return saveAs(path_);
}

bool MainWindow::saveAs(const QString& path)
{
    if (!document_)
        return false;
    try {
        document_->save(QFileInfo(path).absoluteFilePath().toStdString());
    } catch (const std::exception& e) {
        tell(QStringLiteral("Nie można zapisać rysunku\r\n[%1]\r\n%2")
                 .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(e.what())));
        return false;
    }
    path_ = QFileInfo(path).absoluteFilePath();
    addRecent(path_);
    updateTitle();
    emit drawingSaved(path_);
    return true;
}

void MainWindow::refresh()
{
    updateTitle();
    if (!document_)
        return;
    const std::size_t count = document_->modelSpaceCount();
    if (count == sceneEntities_)
        return;
    if (count < sceneEntities_ || !scene_) {
        rebuildScene();
        return;
    }
    // The view may still be drawing the old scene: extend a copy.
    auto scene = std::make_shared<Scene>(*scene_);
    SceneBuilder(*document_).appendModelSpace(*scene, sceneEntities_);
    scene_ = std::move(scene);
    sceneEntities_ = count;
    view_->setScene(scene_);
}

void MainWindow::rebuild()
{
    rebuildScene();
    updateTitle();
}

void MainWindow::rebuildScene()
{
    auto scene = std::make_shared<Scene>();
    if (document_) {
        SceneBuilder(*document_).buildModelSpace(*scene);
        sceneEntities_ = document_->modelSpaceCount();
    } else {
        sceneEntities_ = 0;
    }
    scene_ = std::move(scene);
    view_->setScene(scene_);
    if (!previewBlock_.isEmpty())
        setInsertPreview(previewBlock_, previewScale_);
}

void MainWindow::setInsertPreview(const QString& blockName, double scale)
{
    previewBlock_ = blockName;
    previewScale_ = scale;
    if (!document_)
        return;
    auto block = std::make_shared<Scene>();
    if (!SceneBuilder(*document_).buildBlock(*block, blockName.toStdString(), scale))
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
    setWindowTitle(QStringLiteral("%1[*] - %2").arg(name, kTitle));
    setWindowModified(document_ && document_->isModified());
}

void MainWindow::setRecentStore(const QString& iniPath)
{
    recentStore_ = iniPath;
    if (!iniPath.isEmpty()) {
        QSettings store(iniPath, QSettings::IniFormat);
        recent_ = store.value(QStringLiteral("recent")).toStringList();
    }
    fillRecentMenu();
}

void MainWindow::addRecent(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    recent_.removeAll(full);
    recent_.prepend(full);
    while (recent_.size() > kRecentMax)
        recent_.removeLast();
    if (!recentStore_.isEmpty()) {
        QSettings store(recentStore_, QSettings::IniFormat);
        store.setValue(QStringLiteral("recent"), recent_);
    }
    fillRecentMenu();
}

void MainWindow::fillRecentMenu()
{
    if (!recentMenu_)
        return;
    recentMenu_->clear();
    for (int i = 0; i < recent_.size(); ++i) {
        const QString path = recent_[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)), this,
                               [this, path] { openDrawing(path); });
    }
    recentMenu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::tell(const QString& text)
{
    if (sink_) {
        sink_(text);
        return;
    }
    QMessageBox::warning(this, kTitle, text);
}

void MainWindow::chooseAndOpen()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Otwórz rysunek"),
                                                      QFileInfo(path_).absolutePath(), kFilter);
    if (!path.isEmpty())
        openDrawing(path);
}

void MainWindow::chooseAndSaveAs()
{
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz rysunek jako"), path_, kFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dxf");
    saveAs(path);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    input_->cancel();
    event->accept();
}

} // namespace lumo::view
