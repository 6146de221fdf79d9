#include "MetafilePaintEngine.h"

#include "EmfRecorder.h"
#include "MetafileGeometry.h"
#include "WmfRecorder.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace chart::metafile {

namespace {

constexpr double kDpi = 96;
// Far enough around any picture that nothing visible is cut, near enough for 16-bit coordinates.
const QRectF kGuard(QPointF(-16000, -16000), QPointF(32000, 32000));
// Players keep every object in a table; a few hundred at most keeps any of them content.
constexpr int kMaxObjects = 128;

QPointF mapped(const QTransform &t, QPointF p) { return t.map(p); }

// Players leave out the right and bottom edge of a rectangle or ellipse box, Qt includes them.
Box boxOf(const QRectF &r)
{
    return {qRound(r.left()), qRound(r.top()), qRound(r.right()) + 1, qRound(r.bottom()) + 1};
}

uint16_t penStyleOf(Qt::PenStyle style)
{
    switch (style) {
    case Qt::DashLine: return PS_DASH;
    case Qt::DotLine: return PS_DOT;
    case Qt::DashDotLine: return PS_DASHDOT;
    case Qt::DashDotDotLine: return PS_DASHDOTDOT;
    case Qt::NoPen: return PS_NULL;
    default: return PS_SOLID;
    }
}

std::optional<uint16_t> hatchOf(Qt::BrushStyle style)
{
    switch (style) {
    case Qt::HorPattern: return HS_HORIZONTAL;
    case Qt::VerPattern: return HS_VERTICAL;
    case Qt::FDiagPattern: return HS_FDIAGONAL;
    case Qt::BDiagPattern: return HS_BDIAGONAL;
    case Qt::CrossPattern: return HS_CROSS;
    case Qt::DiagCrossPattern: return HS_DIAGCROSS;
    default: return std::nullopt;
    }
}

// The colour a brush shows most: its own, or the first stop of a gradient.
QColor mainColorOf(const QBrush &brush)
{
    if (const QGradient *gradient = brush.gradient(); gradient && !gradient->stops().isEmpty())
        return gradient->stops().first().second;
    return brush.color();
}

} // namespace

MetafilePaintEngine::MetafilePaintEngine(MetafileFormat format, QSize size)
    : QPaintEngine(QPaintEngine::AllFeatures), m_format(format), m_size(size), m_guard(kGuard)
{
}

MetafilePaintEngine::~MetafilePaintEngine() = default;

bool MetafilePaintEngine::begin(QPaintDevice *)
{
    if (m_format == MetafileFormat::Emf)
        m_recorder = std::make_unique<EmfRecorder>(m_size);
    else
        m_recorder = std::make_unique<WmfRecorder>(m_size);
    m_data.clear();
    m_slots.assign(size_t(m_recorder->firstSlot()), Slot{});
    m_selected.fill(-1);
    m_savedSelection.fill(-1);
    m_writtenClip.reset();
    m_wantedClip.reset();
    m_textColor.reset();
    m_fillMode = ALTERNATE; // the players' default
    m_recorder->setBackgroundMode(TRANSPARENT);
    m_recorder->setTextAlign(TA_TOP | TA_LEFT); // what every player knows; some ignore the baseline
    return true;
}

bool MetafilePaintEngine::end()
{
    if (!m_recorder)
        return false;
    if (m_writtenClip)
        m_recorder->restoreDC();
    m_data = m_recorder->finish();
    m_recorder.reset();
    return true;
}

void MetafilePaintEngine::updateState(const QPaintEngineState &state)
{
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen)
        m_pen = state.pen();
    if (flags & DirtyBrush)
        m_brush = state.brush();
    if (flags & DirtyTransform)
        m_transform = state.transform();
    if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled)) {
        const QPainter *p = painter();
        if (p && p->hasClipping())
            m_wantedClip = p->combinedTransform().mapRect(p->clipBoundingRect()).toAlignedRect() & QRect(QPoint(0, 0), m_size);
        else
            m_wantedClip.reset();
    }
}

double MetafilePaintEngine::scale() const { return std::sqrt(std::abs(m_transform.determinant())); }

bool MetafilePaintEngine::keepsAxes() const { return m_transform.type() <= QTransform::TxScale; }

Pen MetafilePaintEngine::toPen(const QPen &pen) const
{
    if (pen.style() == Qt::NoPen || pen.brush().style() == Qt::NoBrush || pen.color().alpha() == 0)
        return {PS_NULL, 0, 0};
    const double width = pen.isCosmetic() ? pen.widthF() : pen.widthF() * scale();
    return {penStyleOf(pen.style()), std::max(1, qRound(width)), pen.color().rgb()};
}

Brush MetafilePaintEngine::toBrush(const QBrush &brush) const
{
    const QColor color = mainColorOf(brush);
    if (brush.style() == Qt::NoBrush || color.alpha() == 0)
        return {BS_NULL, 0, 0};
    if (const std::optional<uint16_t> hatch = hatchOf(brush.style()))
        return {BS_HATCHED, color.rgb(), *hatch};
    return {BS_SOLID, color.rgb(), 0};
}

int MetafilePaintEngine::slotOf(const GdiObject &object)
{
    for (size_t i = size_t(m_recorder->firstSlot()); i < m_slots.size(); ++i)
        if (m_slots[i].object == object)
            return int(i);
    return createObject(object);
}

int MetafilePaintEngine::createObject(const GdiObject &object)
{
    const auto live = std::count_if(m_slots.begin(), m_slots.end(), [](const Slot &s) { return s.object.has_value(); });
    if (live >= kMaxObjects)
        evictOneObject();
    size_t slot = size_t(m_recorder->firstSlot());
    while (slot < m_slots.size() && m_slots[slot].object)
        ++slot;
    if (slot == m_slots.size())
        m_slots.emplace_back();
    m_slots[slot].object = object;
    if (const Pen *pen = std::get_if<Pen>(&object))
        m_recorder->createPen(int(slot), *pen);
    else if (const Brush *brush = std::get_if<Brush>(&object))
        m_recorder->createBrush(int(slot), *brush);
    else
        m_recorder->createFont(int(slot), std::get<Font>(object));
    return int(slot);
}

// Deletes the object unused for longest among those neither selected now nor selected in the
// saved state that the next restore brings back.
void MetafilePaintEngine::evictOneObject()
{
    auto isProtected = [this](int slot) {
        const bool saved = m_writtenClip && std::find(m_savedSelection.begin(), m_savedSelection.end(), slot) != m_savedSelection.end();
        return saved || std::find(m_selected.begin(), m_selected.end(), slot) != m_selected.end();
    };
    int oldest = -1;
    for (size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].object && !isProtected(int(i)) && (oldest < 0 || m_slots[i].lastUse < m_slots[size_t(oldest)].lastUse))
            oldest = int(i);
    if (oldest < 0)
        return;
    m_recorder->deleteObject(oldest);
    m_slots[size_t(oldest)].object.reset();
}

void MetafilePaintEngine::use(const GdiObject &object)
{
    const int slot = slotOf(object);
    m_slots[size_t(slot)].lastUse = ++m_useCounter;
    int &selected = m_selected[object.index()];
    if (selected != slot) {
        m_recorder->selectObject(slot);
        selected = slot;
    }
}

// Brings the written clip in line with the painter's; false when nothing can show.
bool MetafilePaintEngine::prepareClip()
{
    if (m_wantedClip != m_writtenClip) {
        // A clip can only be widened by returning to the state saved before it was set.
        if (m_writtenClip) {
            m_recorder->restoreDC();
            m_selected = m_savedSelection;
            m_textColor = m_savedTextColor;
            m_fillMode = m_savedFillMode;
        }
        if (m_wantedClip) {
            m_recorder->saveDC();
            m_savedSelection = m_selected;
            m_savedTextColor = m_textColor;
            m_savedFillMode = m_fillMode;
            const QRect &r = *m_wantedClip;
            m_recorder->intersectClipRect({r.x(), r.y(), r.x() + r.width(), r.y() + r.height()});
        }
        m_writtenClip = m_wantedClip;
    }
    return !(m_wantedClip && m_wantedClip->isEmpty());
}

bool MetafilePaintEngine::prepareOutline()
{
    const Pen pen = toPen(m_pen);
    if (pen.style == PS_NULL || !prepareClip())
        return false;
    use(pen);
    return true;
}

bool MetafilePaintEngine::prepareFill()
{
    const Pen pen = toPen(m_pen);
    const Brush brush = toBrush(m_brush);
    if ((pen.style == PS_NULL && brush.style == BS_NULL) || !prepareClip())
        return false;
    use(pen);
    use(brush);
    return true;
}

void MetafilePaintEngine::prepareFillMode(Qt::FillRule rule)
{
    const PolyFillMode mode = rule == Qt::WindingFill ? WINDING : ALTERNATE;
    if (m_fillMode != mode) {
        m_recorder->setPolyFillMode(mode);
        m_fillMode = mode;
    }
}

void MetafilePaintEngine::outline(const QPolygonF &devicePoints)
{
    if (!prepareOutline())
        return;
    for (const QPolygonF &piece : clipPolyline(devicePoints, m_guard))
        if (const QPolygon whole = toWholeUnits(piece); whole.size() >= 2)
            m_recorder->polyline(whole);
}

void MetafilePaintEngine::fill(const std::vector<QPolygonF> &devicePolygons, Qt::FillRule rule)
{
    std::vector<QPolygon> polygons;
    for (const QPolygonF &polygon : devicePolygons)
        if (const QPolygon whole = toWholeUnits(clipPolygon(polygon, m_guard)); whole.size() >= 2)
            polygons.push_back(whole);
    if (polygons.empty() || !prepareFill())
        return;
    prepareFillMode(rule);
    if (polygons.size() == 1)
        m_recorder->polygon(polygons.front());
    else
        m_recorder->polyPolygon(polygons);
}

void MetafilePaintEngine::fillPath(const QPainterPath &devicePath)
{
    const QList<QPolygonF> subpaths = devicePath.toSubpathPolygons();
    if (toBrush(m_brush).style == BS_NULL) {
        for (const QPolygonF &subpath : subpaths)
            outline(subpath);
        return;
    }
    fill(std::vector<QPolygonF>(subpaths.begin(), subpaths.end()), devicePath.fillRule());
}

void MetafilePaintEngine::drawPath(const QPainterPath &path) { fillPath(m_transform.map(path)); }

void MetafilePaintEngine::drawPolygon(const QPointF *points, int pointCount, PolygonDrawMode mode)
{
    QPolygonF device;
    device.reserve(pointCount);
    for (int i = 0; i < pointCount; ++i)
        device.append(mapped(m_transform, points[i]));
    if (mode == PolylineMode)
        outline(device);
    else
        fill({device}, mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
}

void MetafilePaintEngine::drawLines(const QLineF *lines, int lineCount)
{
    if (!prepareOutline())
        return;
    for (int i = 0; i < lineCount; ++i) {
        const QPolygonF segment{mapped(m_transform, lines[i].p1()), mapped(m_transform, lines[i].p2())};
        for (const QPolygonF &piece : clipPolyline(segment, m_guard)) {
            const QPolygon whole = toWholeUnits(piece);
            m_recorder->moveTo(whole.first());
            m_recorder->lineTo(whole.size() >= 2 ? whole.last() : whole.first() + QPoint(1, 0));
        }
    }
}

// A rectangle one pixel high or wide, filled without an outline, is a line of its colour: readers
// draw a rectangle's box with an outline and make such a dash two or three pixels thick.
bool MetafilePaintEngine::drawAsLine(const QRectF &device)
{
    const bool flat = device.height() <= 1.0 || device.width() <= 1.0;
    const Brush brush = toBrush(m_brush);
    if (!flat || toPen(m_pen).style != PS_NULL || brush.style != BS_SOLID || !m_guard.contains(device) || !prepareClip())
        return false;
    use(Pen{PS_SOLID, 1, brush.color});
    const QPoint start(qRound(device.left()), qRound(device.top()));
    // A line ends before its last pixel.
    const QPoint end = device.height() <= 1.0 ? QPoint(qRound(device.right()), start.y()) : QPoint(start.x(), qRound(device.bottom()));
    m_recorder->moveTo(start);
    m_recorder->lineTo(end == start ? start + QPoint(1, 0) : end);
    return true;
}

void MetafilePaintEngine::drawRects(const QRectF *rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        const QRectF device = m_transform.mapRect(rects[i]);
        if (keepsAxes() && drawAsLine(device))
            continue;
        if (keepsAxes() && m_guard.contains(device)) {
            if (prepareFill())
                m_recorder->rectangle(boxOf(device));
        } else {
            fill({m_transform.map(QPolygonF(rects[i]))}, Qt::OddEvenFill);
        }
    }
}

void MetafilePaintEngine::drawEllipse(const QRectF &rect)
{
    const QRectF device = m_transform.mapRect(rect);
    if (keepsAxes() && m_guard.contains(device)) {
        if (prepareFill())
            m_recorder->ellipse(boxOf(device));
        return;
    }
    QPainterPath path;
    path.addEllipse(rect);
    drawPath(path);
}

void MetafilePaintEngine::drawPoints(const QPointF *points, int pointCount)
{
    if (!prepareOutline())
        return;
    for (int i = 0; i < pointCount; ++i) {
        const QPointF device = mapped(m_transform, points[i]);
        if (!m_guard.contains(device))
            continue;
        const QPoint whole(qRound(device.x()), qRound(device.y()));
        m_recorder->moveTo(whole);
        m_recorder->lineTo(whole + QPoint(1, 0)); // a line ends before its last pixel
    }
}

void MetafilePaintEngine::drawTextItem(const QPointF &p, const QTextItem &textItem)
{
    const QString text = textItem.text();
    const QFont font = textItem.font();
    const QFontMetricsF metrics(font, paintDevice());
    const QPointF reference = mapped(m_transform, p - QPointF(0, metrics.ascent())); // top left of the text
    if (text.isEmpty() || m_pen.style() == Qt::NoPen || !m_guard.contains(reference) || !prepareClip())
        return;
    const double s = scale();
    const double pixelSize = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72.0;
    const double degrees = qRadiansToDegrees(std::atan2(m_transform.m12(), m_transform.m11()));
    int escapement = -qRound(degrees * 10) % 3600;
    if (escapement < 0)
        escapement += 3600;
    // The family the screen really uses, not an alias such as "Sans Serif" that readers resolve
    // to a font of other widths.
    use(Font{-std::max(1, qRound(pixelSize * s)), escapement, int32_t(font.weight()), font.italic(), font.underline(),
             font.strikeOut(), QFontInfo(font).family()});

    const QRgb color = m_pen.color().rgb();
    if (m_textColor != color) {
        m_recorder->setTextColor(color);
        m_textColor = color;
    }

    // Advances from the positions Qt lays the characters at, so that readers keep our widths.
    std::vector<int32_t> dx;
    dx.reserve(size_t(text.size()));
    int previous = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        const int position = qRound(metrics.horizontalAdvance(text.left(i)) * s);
        dx.push_back(position - previous);
        previous = position;
    }
    m_recorder->textOut(QPoint(qRound(reference.x()), qRound(reference.y())), text, dx);
}

void MetafilePaintEngine::drawPixmap(const QRectF &, const QPixmap &, const QRectF &)
{
    // Charts draw no pictures; metafiles of ours hold vector records only.
}

} // namespace chart::metafile
