#pragma once
// Many overlapping shapes painted onto a raster image by every usable processor: a copy of the
// image is cut into bands of rows, each painted by a painter of its own that keeps to its band,
// and copied back. A painter of the whole image lays every line, polygon and its antialiasing out
// by the image's size, not by the clip, so each pixel gets the same shapes in the same order
// with the same coverage as on one painter: the picture does not change.

#include <QRectF>

#include <cstddef>
#include <functional>

class QCPPainter;

namespace chart {

/// Paints items 0 .. count - 1 in this order, as paint(painter, i) would on `painter`, spread over
/// bands of rows. Done only where that gives the same pixels faster: enough items, more than one
/// usable processor, and a painter drawing pixels (not vectors) onto a QImage or QPixmap of pixel
/// ratio 1 in 32-bit RGB or premultiplied ARGB; answers false, having painted nothing, otherwise.
/// `bounds(i)` is what item i covers in the painter's coordinates (its antialiasing aside).
/// `paint` is called from several threads at once, each time with a band's painter, which has
/// the pen, brush, hints, opacity, composition mode and transformation of `painter`.
bool PaintInBands(QCPPainter &painter, size_t count, const std::function<QRectF(size_t)> &bounds,
                  const std::function<void(QCPPainter &, size_t)> &paint);

} // namespace chart
