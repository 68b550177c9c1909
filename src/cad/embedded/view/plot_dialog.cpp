#include "cad/embedded/view/plot_dialog.h"

#include "cad/embedded/view/drawing_input.h"
#include "cad/embedded/view/drawing_view.h"
#include "cad/embedded/view/file_dialogs.h"
#include "cad/embedded/view/plot_writer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#ifdef LUMO_HAVE_PRINT_SUPPORT
#include <QPrintDialog>
#include <QPrinter>
#endif

#include <cmath>

namespace lumo::view {

namespace {

constexpr int kPreviewSize = 320;

QString scaleText(double n)
{
    return QStringLiteral("1:%1").arg(n >= 10.0 ? QString::number(std::lround(n))
                                                : QString::number(n, 'f', 2));
}

// Shows while a large plot is being drawn; its Cancel stops it.
class PlotProgressDialog {
public:
    PlotProgressDialog(QWidget* parent, const QString& text)
        : dialog_(text, QStringLiteral("Anuluj"), 0, 100, parent)
    {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setValue(0);
    }
    PlotProgress callback()
    {
        return [this](std::size_t done, std::size_t total) {
            dialog_.setValue(total ? int(done * 100 / total) : 0);
            QApplication::processEvents();
            return !dialog_.wasCanceled();
        };
    }

private:
    QProgressDialog dialog_;
};

} // namespace

PlotDialog::PlotDialog(PlotSource source, QWidget* parent) : QDialog(parent), source_(std::move(source))
{
    setWindowTitle(QStringLiteral("Drukuj / Eksportuj do PDF"));
    unitMm_ = source_.drawing ? source_.drawing.unitInMillimetres() : 1.0;

    auto* settingsColumn = new QVBoxLayout;
    settingsColumn->addWidget(makeSheetBox());
    settingsColumn->addWidget(makeScaleBox());
    settingsColumn->addWidget(makeAreaBox());
    settingsColumn->addWidget(makeLookBox());
    settingsColumn->addStretch(1);

    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setFixedSize(kPreviewSize, kPreviewSize);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setStyleSheet(QStringLiteral("background: #808890;"));

    auto* columns = new QHBoxLayout;
    columns->addLayout(settingsColumn);
    columns->addWidget(preview_, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(makeFileRow());
    layout->addWidget(makeButtons());

    previewOnEveryChange();
    applyRemembered();
    updatePreview();
}

QGroupBox* PlotDialog::makeSheetBox()
{
    auto* sheet = new QGroupBox(QStringLiteral("Arkusz"), this);
    auto* sheetLayout = new QFormLayout(sheet);
    paper_ = new QComboBox(sheet);
    paper_->setObjectName(QStringLiteral("paper"));
    for (Paper p : kPapers) {
        const SheetSize s = sheetSize(p, false);
        paper_->addItem(QStringLiteral("%1 (%2 × %3 mm)").arg(paperName(p)).arg(s.width).arg(s.height),
                        int(p));
    }
    paper_->setCurrentIndex(int(Paper::A3));
    sheetLayout->addRow(QStringLiteral("&Format:"), paper_);
    auto* orientation = new QHBoxLayout;
    portrait_ = new QRadioButton(QStringLiteral("&Pionowa"), sheet);
    portrait_->setObjectName(QStringLiteral("portrait"));
    landscape_ = new QRadioButton(QStringLiteral("Po&zioma"), sheet);
    landscape_->setObjectName(QStringLiteral("landscape"));
    landscape_->setChecked(true);
    orientation->addWidget(portrait_);
    orientation->addWidget(landscape_);
    sheetLayout->addRow(QStringLiteral("Orientacja:"), orientation);
    return sheet;
}

QGroupBox* PlotDialog::makeScaleBox()
{
    auto* scaleBox = new QGroupBox(QStringLiteral("Skala"), this);
    auto* scaleLayout = new QGridLayout(scaleBox);
    scaleFixed_ = new QRadioButton(QStringLiteral("&1:"), scaleBox);
    scaleFixed_->setObjectName(QStringLiteral("scaleFixed"));
    scale_ = new QSpinBox(scaleBox);
    scale_->setObjectName(QStringLiteral("scale"));
    scale_->setRange(1, 10000000);
    scaleFit_ = new QRadioButton(QStringLiteral("&Dopasuj do arkusza"), scaleBox);
    scaleFit_->setObjectName(QStringLiteral("scaleFit"));
    scaleShown_ = new QLabel(scaleBox);
    scaleShown_->setObjectName(QStringLiteral("scaleShown"));
    scaleLayout->addWidget(scaleFixed_, 0, 0);
    scaleLayout->addWidget(scale_, 0, 1);
    scaleLayout->addWidget(scaleFit_, 1, 0, 1, 2);
    scaleLayout->addWidget(scaleShown_, 2, 0, 1, 2);
    // The drawing's own scale when it has one; else the whole drawing on the sheet.
    const auto own
        = scaleFromProperty(source_.drawing ? source_.drawing.customProperty("SKALA") : std::nullopt);
    scale_->setValue(own ? int(*own) : 500);
    ownScale_ = own.has_value();
    (own ? scaleFixed_ : scaleFit_)->setChecked(true);
    return scaleBox;
}

QGroupBox* PlotDialog::makeAreaBox()
{
    auto* areaBox = new QGroupBox(QStringLiteral("Obszar"), this);
    auto* areaLayout = new QGridLayout(areaBox);
    areaAll_ = new QRadioButton(QStringLiteral("&Cały rysunek"), areaBox);
    areaAll_->setObjectName(QStringLiteral("areaAll"));
    areaAll_->setChecked(true);
    areaView_ = new QRadioButton(QStringLiteral("&Bieżący widok"), areaBox);
    areaView_->setObjectName(QStringLiteral("areaView"));
    areaWindow_ = new QRadioButton(QStringLiteral("&Okno"), areaBox);
    areaWindow_->setObjectName(QStringLiteral("areaWindow"));
    areaWindow_->setEnabled(false); // until one is picked
    pick_ = new QPushButton(QStringLiteral("&Wskaż okno <"), areaBox);
    pick_->setObjectName(QStringLiteral("pickWindow"));
    pick_->setAutoDefault(false);
    areaLayout->addWidget(areaAll_, 0, 0);
    areaLayout->addWidget(areaView_, 1, 0);
    areaLayout->addWidget(areaWindow_, 2, 0);
    areaLayout->addWidget(pick_, 2, 1);
    areaView_->setEnabled(source_.view != nullptr);
    pick_->setEnabled(source_.view != nullptr && source_.input != nullptr);
    return areaBox;
}

QGroupBox* PlotDialog::makeLookBox()
{
    auto* look = new QGroupBox(QStringLiteral("Wygląd"), this);
    auto* lookLayout = new QGridLayout(look);
    colour_ = new QRadioButton(QStringLiteral("Ko&lorowy"), look);
    colour_->setObjectName(QStringLiteral("colour"));
    colour_->setChecked(true);
    monochrome_ = new QRadioButton(QStringLiteral("Czarno-&biały"), look);
    monochrome_->setObjectName(QStringLiteral("monochrome"));
    lineWeights_ = new QCheckBox(QStringLiteral("&Grubości linii z rysunku"), look);
    lineWeights_->setObjectName(QStringLiteral("lineWeights"));
    lineWeights_->setChecked(true);
    lookLayout->addWidget(colour_, 0, 0);
    lookLayout->addWidget(monochrome_, 0, 1);
    lookLayout->addWidget(lineWeights_, 1, 0, 1, 2);
    return look;
}

QBoxLayout* PlotDialog::makeFileRow()
{
    auto* file = new QHBoxLayout;
    pdfPath_ = new QLineEdit(this);
    pdfPath_->setObjectName(QStringLiteral("pdfPath"));
    const QFileInfo drawingFile(source_.drawingPath);
    pdfPath_->setText(QDir::toNativeSeparators(
        source_.drawingPath.isEmpty()
            ? QDir::home().filePath(QStringLiteral("rysunek.pdf"))
            : drawingFile.dir().filePath(drawingFile.completeBaseName() + QStringLiteral(".pdf"))));
    auto* fileLabel = new QLabel(QStringLiteral("Plik &PDF:"), this);
    fileLabel->setBuddy(pdfPath_);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setAutoDefault(false);
    browse->setToolTip(QStringLiteral("Wybierz plik PDF"));
    connect(browse, &QPushButton::clicked, this, &PlotDialog::browse);
    file->addWidget(fileLabel);
    file->addWidget(pdfPath_, 1);
    file->addWidget(browse);

    return file;
}

QDialogButtonBox* PlotDialog::makeButtons()
{
    auto* buttons = new QDialogButtonBox(this);
    export_ = buttons->addButton(QStringLiteral("&Eksportuj do PDF"), QDialogButtonBox::AcceptRole);
    export_->setObjectName(QStringLiteral("exportPdf"));
    export_->setDefault(true);
    if (canPrint()) {
        QPushButton* print = buttons->addButton(QStringLiteral("&Drukuj..."), QDialogButtonBox::ActionRole);
        print->setObjectName(QStringLiteral("print"));
        connect(print, &QPushButton::clicked, this, &PlotDialog::print);
    }
    QPushButton* close = buttons->addButton(QStringLiteral("Zamknij"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    connect(export_, &QPushButton::clicked, this, &PlotDialog::exportClicked);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    return buttons;
}

void PlotDialog::previewOnEveryChange()
{
    connect(paper_, &QComboBox::currentIndexChanged, this, &PlotDialog::schedulePreview);
    connect(scale_, &QSpinBox::valueChanged, this, [this] {
        scaleFixed_->setChecked(true);
        schedulePreview();
    });
    for (QRadioButton* b : {portrait_, landscape_, scaleFixed_, scaleFit_, areaAll_, areaView_, areaWindow_,
                            colour_, monochrome_})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                schedulePreview();
        });
    connect(lineWeights_, &QCheckBox::toggled, this, &PlotDialog::schedulePreview);
    connect(pick_, &QPushButton::clicked, this, &PlotDialog::pickWindow);
}

void PlotDialog::applyRemembered()
{
    const auto remembered = RememberedPlotOf(source_.settingsFile);
    if (!remembered)
        return;
    const PlotSettings& s = remembered->settings;
    const bool sameDrawing = !source_.drawingPath.isEmpty()
        && QFileInfo(remembered->drawingPath) == QFileInfo(source_.drawingPath);
    paper_->setCurrentIndex(paper_->findData(int(s.paper)));
    (s.landscape ? landscape_ : portrait_)->setChecked(true);
    // Another drawing with a scale of its own is plotted at that scale.
    if (sameDrawing || !ownScale_)
        scale_->setValue(int(s.scale));
    (s.fit ? scaleFit_ : scaleFixed_)->setChecked(true);
    if (s.area == PlotArea::Window && sameDrawing && !s.window.isEmpty()) {
        window_ = s.window;
        areaWindow_->setEnabled(true);
        areaWindow_->setChecked(true);
    } else if (s.area == PlotArea::View && areaView_->isEnabled()) {
        areaView_->setChecked(true);
    }
    (s.monochrome ? monochrome_ : colour_)->setChecked(true);
    lineWeights_->setChecked(s.lineWeights);
}

void PlotDialog::done(int result)
{
    RememberPlot(source_.settingsFile, settings(), source_.drawingPath);
    QDialog::done(result);
}

bool PlotDialog::canPrint()
{
#ifdef LUMO_HAVE_PRINT_SUPPORT
    return true;
#else
    return false;
#endif
}

Box PlotDialog::areaBox() const
{
    if (areaWindow_->isChecked())
        return window_;
    if (areaView_->isChecked() && source_.view) {
        Box b;
        const Vec2 a = source_.view->toDrawing(QPointF(0, 0));
        const Vec2 c = source_.view->toDrawing(QPointF(source_.view->width(), source_.view->height()));
        b.add(a.x, a.y);
        b.add(c.x, c.y);
        return b;
    }
    return source_.scene ? source_.scene->extents() : Box{};
}

PlotSettings PlotDialog::settings() const
{
    PlotSettings s;
    s.paper = Paper(paper_->currentData().toInt());
    s.landscape = landscape_->isChecked();
    s.fit = scaleFit_->isChecked();
    s.scale = scale_->value();
    s.area = areaWindow_->isChecked() ? PlotArea::Window
        : areaView_->isChecked()      ? PlotArea::View
                                      : PlotArea::Everything;
    s.window = areaBox();
    s.monochrome = monochrome_->isChecked();
    s.lineWeights = lineWeights_->isChecked();
    return s;
}

std::optional<PlotLayout> PlotDialog::layout() const
{
    const PlotSettings s = settings();
    return layOutPlot(s, s.window, unitMm_);
}

void PlotDialog::schedulePreview()
{
    // Several controls change at once (a radio button and its partner): one picture.
    if (previewPending_)
        return;
    previewPending_ = true;
    QTimer::singleShot(0, this, &PlotDialog::updatePreview);
}

void PlotDialog::updatePreview()
{
    previewPending_ = false;
    const auto l = layout();
    export_->setEnabled(l.has_value());
    if (!l || !source_.scene) {
        preview_->setPixmap({});
        preview_->setText(QStringLiteral("Nic do wydrukowania."));
        scaleShown_->clear();
        return;
    }
    scaleShown_->setText(QStringLiteral("Skala wydruku %1").arg(scaleText(l->scale)));
    preview_->setPixmap(QPixmap::fromImage(
        plotPreview(*source_.scene, settings(), *l, QSize(kPreviewSize - 8, kPreviewSize - 8))));
}

bool PlotDialog::pickWindow()
{
    DrawingInput* input = source_.input;
    if (!input || !source_.view)
        return false;
    if (input->isWaiting() || input->current()) {
        if (source_.tell)
            source_.tell(QStringLiteral("Okno wydruku można wskazać, gdy program o nic nie pyta."));
        return false;
    }
    QPointer<PlotDialog> self(this);
    hide();
    const Answer first = input->wait(
        Question{Question::Kind::Point, QStringLiteral("Wskaż pierwszy narożnik okna wydruku:"), {}});
    std::optional<Answer> second;
    if (first.kind == Answer::Kind::Point && self)
        second = input->wait(Question{Question::Kind::Point,
                                      QStringLiteral("Wskaż drugi narożnik okna wydruku:"), first.point,
                                      RubberBand::Rectangle});
    input->clear();
    if (second && second->kind == Answer::Kind::Point)
        input->showPrompt(QString()); // asked and answered: nothing more to read there
    if (!self)
        return false; // the window went away meanwhile
    show();
    raise();
    activateWindow();
    if (!second || second->kind != Answer::Kind::Point)
        return false;
    Box b;
    b.add(first.point.x, first.point.y);
    b.add(second->point.x, second->point.y);
    if (b.width() <= 0.0 && b.height() <= 0.0)
        return false;
    window_ = b;
    areaWindow_->setEnabled(true);
    areaWindow_->setChecked(true);
    schedulePreview();
    return true;
}

void PlotDialog::browse()
{
    const QString chosen
        = ChooseFileToSave(this, QStringLiteral("Eksportuj do PDF"),
                           QDir::fromNativeSeparators(pdfPath_->text()), QStringLiteral("Pliki PDF (*.pdf)"));
    if (!chosen.isEmpty())
        pdfPath_->setText(QDir::toNativeSeparators(chosen));
}

void PlotDialog::exportClicked()
{
    QString path = QDir::fromNativeSeparators(pdfPath_->text().trimmed());
    if (path.isEmpty()) {
        if (source_.tell)
            source_.tell(QStringLiteral("Podaj nazwę pliku PDF."));
        return;
    }
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (exportPdf(path))
        accept();
}

bool PlotDialog::exportPdf(const QString& path)
{
    const auto l = layout();
    if (!l || !source_.scene)
        return false;
    PlotOutcome outcome;
    {
        PlotProgressDialog progress(
            this, QStringLiteral("Tworzenie pliku PDF %1...").arg(QFileInfo(path).fileName()));
        const QString title = source_.drawingPath.isEmpty() ? QFileInfo(path).completeBaseName()
                                                            : QFileInfo(source_.drawingPath).fileName();
        outcome = writePlotPdf(*source_.scene, settings(), *l, QFileInfo(path).absoluteFilePath(), title,
                               progress.callback());
    }
    if (outcome.cancelled)
        return false;
    if (!outcome.written) {
        if (source_.tell)
            source_.tell(plotFailedMessage(path, outcome.error));
        return false;
    }
    if (source_.done)
        source_.done(QStringLiteral("Zapisano plik PDF: %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void PlotDialog::print()
{
#ifdef LUMO_HAVE_PRINT_SUPPORT
    const auto l = layout();
    if (!l || !source_.scene)
        return;
    const PlotSettings s = settings();
    QPrinter printer(QPrinter::HighResolution);
    const QPageSize::PageSizeId ids[]
        = {QPageSize::A4, QPageSize::A3, QPageSize::A2, QPageSize::A1, QPageSize::A0};
    printer.setPageSize(QPageSize(ids[int(s.paper)]));
    printer.setPageOrientation(s.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(QFileInfo(source_.drawingPath).fileName());
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (source_.tell)
            source_.tell(QStringLiteral("Nie można drukować na drukarce %1.").arg(printer.printerName()));
        return;
    }
    bool complete = true;
    {
        PlotProgressDialog progress(this, QStringLiteral("Drukowanie..."));
        complete
            = paintPlot(painter, *source_.scene, s, *l, printer.resolution() / 25.4, progress.callback());
    }
    if (!complete)
        printer.abort();
    painter.end();
    if (complete) {
        if (source_.done)
            source_.done(QStringLiteral("Wysłano do drukarki %1.").arg(printer.printerName()));
        accept();
    }
#endif
}

PlotDialog* showPlotDialog(QWidget* window, PlotSource source)
{
    if (auto* open = window->findChild<PlotDialog*>()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* dialog = new PlotDialog(std::move(source), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    return dialog;
}

} // namespace lumo::view
