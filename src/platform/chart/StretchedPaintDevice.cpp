#include "StretchedPaintDevice.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include <climits>

namespace chart {

namespace {
constexpr int kDpi = 96;
}

// Hands every shape to the target painter unchanged, under the transform that maps this
// device's pixels into the target rectangle; the target paints it on its own device.
class StretchEngine final : public QPaintEngine
{
public:
    StretchEngine(QPainter &target, const QTransform &toTarget) : QPaintEngine(AllFeatures), m_target(target), m_toTarget(toTarget) {}

    bool begin(QPaintDevice *) override
    {
        m_target.save();
        m_base = m_target.worldTransform();
        m_target.setWorldTransform(m_toTarget * m_base);
        return m_target.isActive();
    }

    bool end() override
    {
        m_target.restore();
        return true;
    }

    void updateState(const QPaintEngineState &state) override
    {
        const DirtyFlags flags = state.state();
        // The transform first: a clip is given in the coordinates in force when it was set.
        if (flags & DirtyTransform)
            m_target.setWorldTransform(state.transform() * m_toTarget * m_base);
        if (flags & DirtyPen)
            m_target.setPen(state.pen());
        if (flags & DirtyBrush)
            m_target.setBrush(state.brush());
        if (flags & DirtyBrushOrigin)
            m_target.setBrushOrigin(state.brushOrigin());
        if (flags & DirtyBackground)
            m_target.setBackground(state.backgroundBrush());
        if (flags & DirtyBackgroundMode)
            m_target.setBackgroundMode(state.backgroundMode());
        if (flags & DirtyHints)
            m_target.setRenderHints(state.renderHints());
        if (flags & DirtyCompositionMode)
            m_target.setCompositionMode(state.compositionMode());
        if (flags & DirtyOpacity)
            m_target.setOpacity(state.opacity());
        if (flags & DirtyClipRegion)
            m_target.setClipRegion(state.clipRegion(), state.clipOperation());
        if (flags & DirtyClipPath)
            m_target.setClipPath(state.clipPath(), state.clipOperation());
        if (flags & DirtyClipEnabled)
            m_target.setClipping(state.isClipEnabled());
    }

    void drawPath(const QPainterPath &path) override { m_target.drawPath(path); }
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override
    {
        if (mode == PolylineMode)
            m_target.drawPolyline(points, pointCount);
        else
            m_target.drawPolygon(points, pointCount, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawLines(const QLineF *lines, int lineCount) override { m_target.drawLines(lines, lineCount); }
    void drawRects(const QRectF *rects, int rectCount) override { m_target.drawRects(rects, rectCount); }
    void drawEllipse(const QRectF &rect) override { m_target.drawEllipse(rect); }
    void drawPoints(const QPointF *points, int pointCount) override { m_target.drawPoints(points, pointCount); }
    void drawPixmap(const QRectF &r, const QPixmap &pixmap, const QRectF &sr) override { m_target.drawPixmap(r, pixmap, sr); }
    void drawImage(const QRectF &r, const QImage &image, const QRectF &sr, Qt::ImageConversionFlags flags) override
    {
        m_target.drawImage(r, image, sr, flags);
    }
    void drawTiledPixmap(const QRectF &r, const QPixmap &pixmap, const QPointF &s) override
    {
        m_target.drawTiledPixmap(r, pixmap, s);
    }

    void drawTextItem(const QPointF &p, const QTextItem &textItem) override
    {
        // A point size means a size at this device's 96 dpi; the target would take it at its own.
        QFont font = textItem.font();
        const int targetDpi = m_target.device() ? m_target.device()->logicalDpiY() : kDpi;
        if (font.pointSizeF() > 0 && targetDpi > 0)
            font.setPointSizeF(font.pointSizeF() * kDpi / targetDpi);
        m_target.setFont(font);
        m_target.drawText(p, textItem.text());
    }

    Type type() const override { return User; }

private:
    QPainter &m_target;
    QTransform m_toTarget;
    QTransform m_base;
};

namespace {
QTransform stretchInto(QSize size, const QRectF &into)
{
    return QTransform::fromTranslate(into.left(), into.top())
        .scale(into.width() / size.width(), into.height() / size.height());
}
} // namespace

StretchedPaintDevice::StretchedPaintDevice(QPainter &target, QSize size, const QRectF &into)
    : m_size(size.expandedTo(QSize(1, 1))), m_engine(std::make_unique<StretchEngine>(target, stretchInto(m_size, into)))
{
}

StretchedPaintDevice::~StretchedPaintDevice() = default;

QPaintEngine *StretchedPaintDevice::paintEngine() const { return m_engine.get(); }

std::optional<int> StretchedPaintDevice::screenMetric(PaintDeviceMetric metric, QSize size)
{
    switch (metric) {
    case PdmWidth: return size.width();
    case PdmHeight: return size.height();
    case PdmWidthMM: return qRound(size.width() * 25.4 / kDpi);
    case PdmHeightMM: return qRound(size.height() * 25.4 / kDpi);
    case PdmNumColors: return INT_MAX;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return kDpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return std::nullopt;
    }
}

int StretchedPaintDevice::metric(PaintDeviceMetric metric) const
{
    const std::optional<int> known = screenMetric(metric, m_size);
    return known ? *known : QPaintDevice::metric(metric);
}

} // namespace chart
