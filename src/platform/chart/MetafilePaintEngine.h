#pragma once
// The paint engine behind MetafileWriter: keeps the painter's pen, brush, font, transform and clip,
// creates and selects the matching metafile objects only when a shape needs them, and hands each
// shape in device coordinates to the recorder of the chosen format.

#include "MetafileRecorder.h"
#include "MetafileWriter.h"

#include <QPaintEngine>
#include <QPen>
#include <QTransform>

#include <array>
#include <memory>
#include <optional>
#include <variant>

namespace chart::metafile {

class MetafilePaintEngine final : public QPaintEngine
{
public:
    MetafilePaintEngine(MetafileFormat format, QSize size);
    ~MetafilePaintEngine() override;

    QByteArray data() const { return m_data; }

    bool begin(QPaintDevice *device) override;
    bool end() override;
    void updateState(const QPaintEngineState &state) override;
    void drawPath(const QPainterPath &path) override;
    void drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode) override;
    void drawLines(const QLineF *lines, int lineCount) override;
    void drawRects(const QRectF *rects, int rectCount) override;
    void drawEllipse(const QRectF &rect) override;
    void drawPoints(const QPointF *points, int pointCount) override;
    void drawTextItem(const QPointF &p, const QTextItem &textItem) override;
    void drawPixmap(const QRectF &r, const QPixmap &pixmap, const QRectF &sr) override;
    Type type() const override { return QPaintEngine::User; }

private:
    using GdiObject = std::variant<Pen, Brush, Font>; // the index is the object's kind
    struct Slot
    {
        std::optional<GdiObject> object;
        quint64 lastUse = 0;
    };
    using Selection = std::array<int, std::variant_size_v<GdiObject>>;

    void use(const GdiObject &object);
    int slotOf(const GdiObject &object);
    int createObject(const GdiObject &object);
    void evictOneObject();
    bool prepareClip();
    bool prepareOutline();
    bool prepareFill();
    bool drawAsLine(const QRectF &device);
    void prepareFillMode(Qt::FillRule rule);
    Pen toPen(const QPen &pen) const;
    Brush toBrush(const QBrush &brush) const;
    double scale() const;
    bool keepsAxes() const;

    void outline(const QPolygonF &devicePoints);
    void fill(const std::vector<QPolygonF> &devicePolygons, Qt::FillRule rule);
    void fillPath(const QPainterPath &devicePath);

    MetafileFormat m_format;
    QSize m_size;
    QRectF m_guard;
    std::unique_ptr<MetafileRecorder> m_recorder;
    QByteArray m_data;

    QPen m_pen;
    QBrush m_brush;
    QTransform m_transform;
    std::optional<QRect> m_wantedClip;

    std::vector<Slot> m_slots;
    quint64 m_useCounter = 0;
    Selection m_selected{};
    Selection m_savedSelection{};
    std::optional<QRect> m_writtenClip;
    std::optional<QRgb> m_textColor, m_savedTextColor;
    std::optional<PolyFillMode> m_fillMode, m_savedFillMode;
};

} // namespace chart::metafile
