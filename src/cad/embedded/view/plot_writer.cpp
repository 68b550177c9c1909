#include "cad/embedded/view/plot_writer.h"

#include "cad/embedded/view/renderer.h"

#include "base/atomic_file.h"
#include "base/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace lumo::view {

namespace {

// Detail is merged below a device unit: 0.085 mm is still below what the
// eye sees on paper, and twice as coarse halves the file and the time of a
// city plotted whole.
constexpr int kPdfResolution = 300;

// The PDF as the writer makes it, handed piece by piece to the program's
// one atomic file writer: a write given up or failed leaves the file as it
// was and no temporary beside it.
class AtomicPdfFile : public QIODevice {
public:
    explicit AtomicPdfFile(const QString& path) : file_(base::PathOf(path.toStdString())) { }
    std::error_code begin()
    {
        const std::error_code failed = file_.open();
        if (!failed)
            QIODevice::open(QIODevice::WriteOnly);
        return failed;
    }
    std::error_code commit()
    {
        QIODevice::close();
        return file_.commit();
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        file_.put(data, static_cast<std::size_t>(size));
        return size;
    }

private:
    base::AtomicFile file_;
};

QString whyNotWritten(const QString& path, std::error_code error)
{
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.exists())
        return QStringLiteral("Folder nie istnieje.");
    if (info.isDir())
        return QStringLiteral("W miejscu pliku jest folder.");
    if (!folder.isWritable())
        return QStringLiteral("Brak uprawnień do zapisu w folderze.");
    using E = std::errc;
    if (error == E::no_space_on_device)
        return QStringLiteral("Brak miejsca na dysku.");
    if (error == E::permission_denied || error == E::operation_not_permitted)
        return QStringLiteral("Brak uprawnień do zapisu pliku.");
    if (error == E::read_only_file_system)
        return QStringLiteral("Dysk jest tylko do odczytu.");
    return QStringLiteral("Błąd zapisu: %1").arg(QString::fromLocal8Bit(error.message()));
}

} // namespace

bool paintPlot(QPainter& painter, const Scene& scene, const PlotSettings& settings, const PlotLayout& layout,
               double deviceUnitsPerMm, const PlotProgress& progress)
{
    const Affine toDevice = Affine::scaling(deviceUnitsPerMm, deviceUnitsPerMm) * layout.toSheet;
    const Box clip = Affine::scaling(deviceUnitsPerMm, deviceUnitsPerMm).mapBox(layout.clip);
    if (clip.isEmpty())
        return true;
    const QRect target(QPoint(int(std::floor(clip.minX)), int(std::floor(clip.minY))),
                       QPoint(int(std::ceil(clip.maxX)) - 1, int(std::ceil(clip.maxY)) - 1));
    RenderOptions options;
    options.background.reset();
    options.paper = true;
    if (settings.monochrome)
        options.colour = qRgb(0, 0, 0);
    options.weightScale = settings.lineWeights ? deviceUnitsPerMm : 0.0;
    bool stopped = false;
    if (progress)
        options.progress = [&](std::size_t done, std::size_t total) {
            stopped = !progress(done, total);
            return !stopped;
        };
    render(painter, scene, toDevice, target, options);
    return !stopped;
}

QImage plotPreview(const Scene& scene, const PlotSettings& settings, const PlotLayout& layout, QSize bounds)
{
    const double perMm = std::min(bounds.width() / layout.sheet.width, bounds.height() / layout.sheet.height);
    QImage image(std::max(1, int(layout.sheet.width * perMm)), std::max(1, int(layout.sheet.height * perMm)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // The margins, where nothing is plotted.
    painter.setPen(QPen(QColor(200, 200, 200), 0, Qt::DashLine));
    painter.drawRect(QRectF(kPlotMarginMm * perMm, kPlotMarginMm * perMm,
                            (layout.sheet.width - 2 * kPlotMarginMm) * perMm,
                            (layout.sheet.height - 2 * kPlotMarginMm) * perMm));
    paintPlot(painter, scene, settings, layout, perMm);
    painter.setPen(QPen(QColor(120, 120, 120), 0));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

PlotOutcome writePlotPdf(const Scene& scene, const PlotSettings& settings, const PlotLayout& layout,
                         const QString& path, const QString& title, const PlotProgress& progress)
{
    PlotOutcome outcome;
    const QFileInfo info(path);
    // The rename would replace it all the same: a read-only file stays.
    // (by its write bits, which hold for an administrator too)
    constexpr auto kWriteBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (info.exists() && info.isFile() && !(info.permissions() & kWriteBits)) {
        outcome.error = QStringLiteral("Plik jest tylko do odczytu.");
        return outcome;
    }
    AtomicPdfFile file(path);
    if (const auto failed = file.begin()) {
        outcome.error = whyNotWritten(path, failed);
        return outcome;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kPdfResolution);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("LUMO CAD"));
        const QPageSize size(QSizeF(layout.sheet.width, layout.sheet.height), QPageSize::Millimeter,
                             paperName(settings.paper), QPageSize::ExactMatch);
        pdf.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            outcome.error = whyNotWritten(path, std::make_error_code(std::errc::io_error));
            return outcome;
        }
        const bool complete = paintPlot(painter, scene, settings, layout, kPdfResolution / 25.4, progress);
        painter.end();
        if (!complete) {
            outcome.cancelled = true; // (the unfinished file goes with `file`)
            return outcome;
        }
    }
    if (const auto failed = file.commit()) {
        outcome.error = whyNotWritten(path, failed);
        return outcome;
    }
    outcome.written = true;
    return outcome;
}

QString plotFailedMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("Nie można zapisać pliku PDF\r\n[%1]\r\n%2")
        .arg(QDir::toNativeSeparators(path), reason);
}

} // namespace lumo::view
