// "Drukuj / Eksportuj do PDF": the sheet, scale, area, colours and line
// weights of a plot with a preview of the sheet, written to a PDF file or
// sent to a printer. The area may be a window the designer picks in the
// drawing with two clicks, through the window's own point questions.
#pragma once

#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/view/plot_settings.h"
#include "cad/embedded/view/scene.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace lumo::view {

class DrawingInput;
class DrawingView;

// What a plot is made of: the drawing (its scale, units), its picture as
// the window shows it (layer switches applied) and where the window is.
struct PlotSource {
    cad::embedded::DrawingReader drawing;
    std::shared_ptr<const Scene> scene;
    QString drawingPath;
    DrawingView* view = nullptr;
    DrawingInput* input = nullptr;
    // How failures are told, and how a finished plot is.
    std::function<void(const QString&)> tell;
    std::function<void(const QString&)> done;
    // Where the dialog's choices are kept for the next plot ("": nowhere).
    QString settingsFile;
};

class PlotDialog : public QDialog {
    Q_OBJECT
public:
    PlotDialog(PlotSource source, QWidget* parent = nullptr);

    PlotSettings settings() const;
    // The layout of the plot as set now; nullopt when there is nothing to plot.
    std::optional<PlotLayout> layout() const;
    // Writes the PDF (with progress and cancel); true when it was written.
    bool exportPdf(const QString& path);
    // Lets the designer pick the window in the drawing; false when cancelled.
    bool pickWindow();
    static bool canPrint();

protected:
    // Closed in any way: the choices are kept for the next plot.
    void done(int result) override;

private:
    // The parts of the dialog, each made with its fields.
    QGroupBox* makeSheetBox();
    QGroupBox* makeScaleBox();
    QGroupBox* makeAreaBox();
    QGroupBox* makeLookBox();
    QBoxLayout* makeFileRow();
    QDialogButtonBox* makeButtons();
    // Any choice changed redraws the preview (once the changes stop coming).
    void previewOnEveryChange();
    // The choices of the plot before, where there was one.
    void applyRemembered();
    void updatePreview();
    void schedulePreview();
    void browse();
    void exportClicked();
    void print();
    Box areaBox() const;

    PlotSource source_;
    double unitMm_ = 1.0;
    Box window_; // the picked window, empty until one is picked
    bool previewPending_ = false;
    bool ownScale_ = false; // the drawing has a scale of its own

    QComboBox* paper_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QRadioButton* scaleFixed_ = nullptr;
    QRadioButton* scaleFit_ = nullptr;
    QSpinBox* scale_ = nullptr;
    QLabel* scaleShown_ = nullptr;
    QRadioButton* areaAll_ = nullptr;
    QRadioButton* areaView_ = nullptr;
    QRadioButton* areaWindow_ = nullptr;
    QPushButton* pick_ = nullptr;
    QRadioButton* colour_ = nullptr;
    QRadioButton* monochrome_ = nullptr;
    QCheckBox* lineWeights_ = nullptr;
    QLabel* preview_ = nullptr;
    QLineEdit* pdfPath_ = nullptr;
    QPushButton* export_ = nullptr;
};

// Opens the plot dialog over the window (the one already open, if any).
PlotDialog* showPlotDialog(QWidget* window, PlotSource source);

} // namespace lumo::view
