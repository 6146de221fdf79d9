#include "BandedPainting.h"

#include "platform/rtl/Parallel.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace chart {

namespace {

// Fewer items are painted faster than the image is copied twice.
constexpr size_t kLeastItems = 2000;
// Antialiasing and the caps of lines reach this many pixels beyond a shape's bounds.
constexpr int kMargin = 2;

// A copy of the pixels painted so far, or a null image where the device holds none we can copy.
QImage copyOfPixels(QPaintDevice *device)
{
    QImage pixels;
    if (device->devType() == QInternal::Image)
        pixels = static_cast<QImage *>(device)->copy();
    else if (device->devType() == QInternal::Pixmap)
        pixels = static_cast<QPixmap *>(device)->toImage(); // a copy while it is painted on
    const bool raster = pixels.format() == QImage::Format_RGB32 || pixels.format() == QImage::Format_ARGB32_Premultiplied;
    return raster && pixels.devicePixelRatio() == 1 ? pixels : QImage();
}

struct Rows
{
    int top = 0, bottom = -1; // inclusive; empty when bottom < top
};

// The rows of the image each item may touch; all of them where its bounds are no numbers.
std::vector<Rows> rowsOfItems(const QCPPainter &painter, size_t count, int height,
                              const std::function<QRectF(size_t)> &bounds)
{
    const QTransform toDevice = painter.worldTransform();
    std::vector<Rows> rows(count, Rows{0, height - 1});
    for (size_t i = 0; i < count; ++i) {
        const QRectF area = toDevice.mapRect(bounds(i));
        if (std::isnan(area.top()) || std::isnan(area.bottom()))
            continue;
        rows[i].top = int(std::clamp(std::floor(area.top()) - kMargin, 0.0, double(height)));
        rows[i].bottom = int(std::clamp(std::ceil(area.bottom()) + kMargin, -1.0, double(height - 1)));
    }
    return rows;
}

// Bands of rows that take about the same time: an item costs about as many pixels in each of
// its rows as it is wider than high.
std::vector<int> bandTops(const std::vector<Rows> &rows, const std::function<QRectF(size_t)> &bounds,
                          int height, unsigned bands)
{
    std::vector<double> change(size_t(height) + 1, 0.0);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].bottom < rows[i].top)
            continue;
        const QRectF area = bounds(i);
        const double perRow = std::max(1.0, std::abs(area.width()) / std::max(1.0, std::abs(area.height())));
        change[size_t(rows[i].top)] += perRow;
        change[size_t(rows[i].bottom) + 1] -= perRow;
    }
    std::vector<double> work(static_cast<size_t>(height));
    double perRow = 0, total = 0;
    for (int y = 0; y < height; ++y)
        total += work[size_t(y)] = perRow += change[size_t(y)];
    std::vector<int> tops{0};
    double done = 0;
    for (int y = 0; y < height && tops.size() < bands; ++y) {
        done += work[size_t(y)];
        if (done >= total * double(tops.size()) / bands)
            tops.push_back(y + 1);
    }
    tops.push_back(height);
    return tops;
}

// What a band's painter takes over from the painter of the device, read once on its thread.
struct PainterState
{
    explicit PainterState(const QCPPainter &painter)
        : modes(painter.modes()), antialiasing(painter.antialiasing()), hints(painter.renderHints()),
          transform(painter.worldTransform()), pen(painter.pen()), brush(painter.brush()),
          opacity(painter.opacity()), composition(painter.compositionMode())
    {
    }

    void applyTo(QCPPainter &painter) const
    {
        painter.setModes(modes);
        painter.setAntialiasing(antialiasing); // which shifts by half a pixel; the transform follows
        painter.setRenderHints(hints);
        painter.setWorldTransform(transform);
        painter.setPen(pen);
        painter.setBrush(brush);
        painter.setOpacity(opacity);
        painter.setCompositionMode(composition);
    }

    QCPPainter::PainterModes modes;
    bool antialiasing;
    QPainter::RenderHints hints;
    QTransform transform;
    QPen pen;
    QBrush brush;
    double opacity;
    QPainter::CompositionMode composition;
};

// Paints the items that reach the band, through an image over the same pixels of the same size
// as the one painted, clipped to the band.
void paintBand(const PainterState &state, uchar *bits, const QImage &pixels, QRect band,
               const std::vector<Rows> &rows, const std::function<void(QCPPainter &, size_t)> &paint)
{
    if (band.isEmpty())
        return;
    QImage view(bits, pixels.width(), pixels.height(), pixels.bytesPerLine(), pixels.format());
    QCPPainter bandPainter(&view);
    bandPainter.setClipRect(band);
    state.applyTo(bandPainter);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].bottom >= band.top() && rows[i].top <= band.bottom())
            paint(bandPainter, i);
    }
}

} // namespace

bool PaintInBands(QCPPainter &painter, size_t count, const std::function<QRectF(size_t)> &bounds,
                  const std::function<void(QCPPainter &, size_t)> &paint)
{
    const unsigned processors = rtl::UsableProcessors();
    if (count < kLeastItems || processors < 2 || painter.modes().testFlag(QCPPainter::pmVectorized))
        return false;
    QImage pixels = copyOfPixels(painter.device());
    if (pixels.isNull())
        return false;
    const int height = pixels.height();
    const std::vector<Rows> rows = rowsOfItems(painter, count, height, bounds);
    const std::vector<int> tops = bandTops(rows, bounds, height, std::min<unsigned>(processors, unsigned(height)));
    const PainterState state(painter);
    uchar *const bits = pixels.bits();
    rtl::ParallelFor(tops.size() - 1, processors, [&](size_t b) {
        paintBand(state, bits, pixels, QRect(0, tops[b], pixels.width(), tops[b + 1] - tops[b]), rows, paint);
    });
    // The bands' pixels replace those of the device, within the clip the painter keeps.
    painter.save();
    painter.resetTransform();
    painter.setOpacity(1);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), pixels);
    painter.restore();
    return true;
}

} // namespace chart
