// The embedded host's window: the active drawing with its name, changed
// mark and read-only state in the title, the File menu (open, save, save as,
// recent drawings), the drawing view, the prompt line and the cursor's
// coordinates. Whoever keeps the drawing (the host, through HostWindow)
// opens and saves it; the window only asks and shows.
#pragma once

#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/view/drawing_input.h"
#include "cad/embedded/view/drawing_view.h"
#include "cad/embedded/view/layers_panel.h"

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;

namespace lumo::view {

class SceneBuilder;

enum class MissingDrawingChoice { Open, Create, Nothing };

// The questions the window asks; each has a dialog by default, tests put
// their own answers here.
struct WindowDialogs {
    std::function<void(const QString& text)> message;
    // A file to open ("" when cancelled).
    std::function<QString(const QString& folder)> openPath;
    // A file to save as, the suggestion preselected ("" when cancelled).
    std::function<QString(const QString& suggestion, const QString& reason)> savePath;
    // After a cancelled "save as": true when the changes may stay unsaved.
    std::function<bool()> keepUnsaved;
    std::function<MissingDrawingChoice(const QString& path)> missingDrawing;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows a drawing kept by someone else (the host). An empty reader shows
    // nothing.
    void showDrawing(cad::embedded::DrawingReader drawing, const QString& path);
    const cad::embedded::DrawingReader& drawing() const { return drawing_; }
    QString path() const { return path_; }

    // Opening and saving, done by the handlers below; false without them.
    // A drawing that cannot be read leaves the previous one shown.
    bool openDrawing(const QString& path);
    bool save();
    bool saveAs(const QString& path);
    void chooseAndOpen();

    // Who opens and saves the drawing (save with "" for the drawing's own
    // file).
    void setOpenHandler(std::function<bool(const QString& path)> handler)
    {
        openHandler_ = std::move(handler);
    }
    void setSaveHandler(std::function<bool(const QString& path)> handler)
    {
        saveHandler_ = std::move(handler);
    }
    // What the title shows of the drawing kept elsewhere.
    void setDrawingPath(const QString& path);
    void setDrawingState(bool modified, bool readOnly);

    // Where to save a drawing that cannot be written over path, and why:
    // nullopt when the designer keeps the changes unsaved.
    std::optional<QString> askSaveAs(const QString& path, const QString& reason);
    MissingDrawingChoice offerMissingDrawing(const QString& path);
    void setDialogs(WindowDialogs dialogs);

    // Draws what changed in the drawing since it was last drawn: only the
    // entities changed, added or deleted, or all of it after a change of
    // layers or blocks (or a redraw given up).
    void refresh();
    // Builds the whole picture anew.
    void rebuild();
    // The keys of the model-space entities the picture shows, by their
    // number in it (see DrawingReader::modelSpaceKeys).
    const std::vector<std::uint32_t>& sceneKeys() const { return sceneKeys_; }
    // The picture shows the drawing as it is (no redraw was given up).
    bool pictureIsCurrent() const { return !sceneStale_; }
    // Entities by their numbers in the picture, as numbered in the drawing:
    // the same while the picture is current; after a redraw given up, those
    // the drawing no longer holds are left out. Ascending.
    std::vector<std::size_t> inDrawing(const std::vector<std::size_t>& inPicture) const;

    // The block that follows the cursor while the insert command waits.
    void setInsertPreview(const QString& blockName, double scale);
    void clearInsertPreview();

    // "Edycja": undo and redo of whoever keeps the drawing (disabled until
    // someone enables them).
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QMenu* editMenu() const { return editMenu_; }
    LayersPanel* layersPanel() const { return layers_; }
    // Puts a panel below "Warstwy", shown and hidden from "Widok".
    void addSidePanel(QDockWidget* panel, const QString& menuText);
    // Given a handler, the layers panel offers to write its switches into
    // the drawing; true when they were written.
    void setLayerSaveHandler(std::function<bool(const std::vector<LayerSwitches>&)> handler);

    DrawingView* view() const { return view_; }
    DrawingInput* input() const { return input_; }
    QLineEdit* promptEdit() const { return edit_; }
    QLabel* promptLabel() const { return prompt_; }
    QLabel* coordinates() const { return coordinates_; }

    // The window's settings file: recent drawings, the view of each drawing,
    // the plot's settings (none: only for the run). The drawing shown already
    // gets its remembered view.
    void setSettingsFile(const QString& iniPath);
    QString settingsFile() const { return settingsFile_; }
    QStringList recentDrawings() const { return recent_; }
    // How failures are told (a message box unless replaced; tests record).
    void setMessageSink(std::function<void(const QString&)> sink) { dialogs_.message = std::move(sink); }
    // Progress shows after this long (milliseconds) for a drawing being
    // opened or drawn anew.
    void setProgressDelay(int ms) { progressDelay_ = ms; }
    int progressDelay() const { return progressDelay_; }
    // Hears the share of the picture built (0..1) while the window draws a
    // drawing anew; none: nobody is told.
    void setBuildProgress(std::function<void(double)> progress) { buildProgress_ = std::move(progress); }

    // "Widok": the view commands (also on the view's tool bar).
    QAction* zoomWindowAction() const { return zoomWindow_; }
    QAction* zoomPreviousAction() const { return zoomPrevious_; }
    QAction* panAction() const { return pan_; }
    QAction* zoomExtentsAction() const { return zoomExtents_; }

signals:
    // A drawing was opened in the window (the host makes it the active one).
    void drawingOpened(const QString& path);
    void drawingSaved(const QString& path);
    // The designer closed the window.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildDraftingButtons();
    void buildViewCommands(QMenu* menu);
    // A view command's prompt on the prompt line, and what was there back after it.
    void showViewToolPrompt(DrawingView::ViewTool tool);
    // Draws the picture anew; with cancellable, a long build shows progress
    // and may be given up, keeping the picture before.
    void rebuildScene(bool cancellable = false);
    bool buildScene(Scene& scene, SceneBuilder& builder, bool cancellable);
    // Draws these entities (by key) anew and keeps the rest of the picture.
    void redrawEntities(const std::vector<std::uint32_t>& changed);
    // The drawing's view as the designer left it last time, or the whole
    // drawing when that shows none of it.
    void restoreView();
    void rememberView() const;
    void applyLayerSwitches(SceneBuilder& builder) const;
    // What the picture leaves out, in the message line ("" clears it).
    void showBuildWarning(const QString& text);
    void saveLayerSwitches();
    void updateTitle();
    void addRecent(const QString& path);
    void fillRecentMenu();
    void tell(const QString& text);
    void chooseAndSaveAs();

    DrawingView* view_ = nullptr;
    DrawingInput* input_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QLabel* coordinates_ = nullptr;
    QLabel* buildWarning_ = nullptr; // made when first needed
    QMenu* recentMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* zoomWindow_ = nullptr;
    QAction* zoomPrevious_ = nullptr;
    QAction* pan_ = nullptr;
    QAction* zoomExtents_ = nullptr;
    QString promptBeforeTool_; // the prompt line's text before a view command
    QMenu* viewMenu_ = nullptr;
    LayersPanel* layers_ = nullptr;
    std::function<bool(const std::vector<LayerSwitches>&)> layerSaveHandler_;

    cad::embedded::DrawingReader drawing_;
    QString path_;
    std::shared_ptr<Scene> scene_;
    std::vector<std::uint32_t> sceneKeys_; // the model-space entities the scene holds
    std::uint64_t sceneMark_ = 0; // the drawing's change mark when they were drawn
    bool sceneStale_ = false; // a build was given up: the picture is older than the drawing
    bool building_ = false;
    bool buildAgain_ = false; // asked for while a build was under way
    QString previewBlock_;
    double previewScale_ = 1.0;
    bool modified_ = false;
    bool readOnly_ = false;
    std::function<bool(const QString&)> openHandler_;
    std::function<bool(const QString&)> saveHandler_;
    WindowDialogs dialogs_;

    QString settingsFile_;
    QStringList recent_;
    int progressDelay_ = 300;
    std::function<void(double)> buildProgress_;
};

} // namespace lumo::view
