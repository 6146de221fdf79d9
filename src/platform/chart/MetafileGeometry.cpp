#include "MetafileGeometry.h"

#include <cmath>
#include <optional>

namespace chart::metafile {

namespace {

bool isFinite(QPointF p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

struct Span
{
    double enter = 0, leave = 1; // parameters along the segment, 0 at its start and 1 at its end
};

// Liang-Barsky: the part of the segment from a to b inside guard.
std::optional<Span> insideSpan(QPointF a, QPointF b, const QRectF &guard)
{
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - guard.left(), guard.right() - a.x(), a.y() - guard.top(), guard.bottom() - a.y()};
    Span span;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return std::nullopt;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            span.enter = std::max(span.enter, t);
        else
            span.leave = std::min(span.leave, t);
    }
    if (span.enter > span.leave)
        return std::nullopt;
    return span;
}

QPointF along(QPointF a, QPointF b, double t) { return a + (b - a) * t; }

enum class Edge { Left, Right, Top, Bottom };

bool inside(QPointF p, Edge edge, const QRectF &r)
{
    switch (edge) {
    case Edge::Left: return p.x() >= r.left();
    case Edge::Right: return p.x() <= r.right();
    case Edge::Top: return p.y() >= r.top();
    case Edge::Bottom: return p.y() <= r.bottom();
    }
    return true;
}

QPointF crossing(QPointF a, QPointF b, Edge edge, const QRectF &r)
{
    const bool vertical = edge == Edge::Left || edge == Edge::Right;
    const double bound = edge == Edge::Left ? r.left() : edge == Edge::Right ? r.right() : edge == Edge::Top ? r.top() : r.bottom();
    const double from = vertical ? a.x() : a.y(), to = vertical ? b.x() : b.y();
    return along(a, b, (bound - from) / (to - from));
}

// One step of Sutherland-Hodgman: the polygon cut by one edge of the guard.
QPolygonF cutByEdge(const QPolygonF &polygon, Edge edge, const QRectF &r)
{
    QPolygonF result;
    for (qsizetype i = 0; i < polygon.size(); ++i) {
        const QPointF current = polygon[i];
        const QPointF previous = polygon[(i + polygon.size() - 1) % polygon.size()];
        const bool currentIn = inside(current, edge, r), previousIn = inside(previous, edge, r);
        if (currentIn != previousIn)
            result.append(crossing(previous, current, edge, r));
        if (currentIn)
            result.append(current);
    }
    return result;
}

} // namespace

std::vector<QPolygonF> clipPolyline(const QPolygonF &line, const QRectF &guard)
{
    std::vector<QPolygonF> pieces;
    QPolygonF piece;
    auto flush = [&] {
        if (piece.size() >= 2)
            pieces.push_back(piece);
        piece.clear();
    };
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = line[i], b = line[i + 1];
        const std::optional<Span> span = isFinite(a) && isFinite(b) ? insideSpan(a, b, guard) : std::nullopt;
        if (!span) {
            flush();
            continue;
        }
        if (piece.isEmpty() || span->enter > 0) {
            flush();
            piece.append(along(a, b, span->enter));
        }
        piece.append(along(a, b, span->leave));
        if (span->leave < 1)
            flush();
    }
    flush();
    return pieces;
}

QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &guard)
{
    QPolygonF result;
    for (QPointF p : polygon)
        if (isFinite(p))
            result.append(p);
    for (Edge edge : {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom}) {
        if (result.isEmpty())
            break;
        result = cutByEdge(result, edge, guard);
    }
    return result;
}

QPolygon toWholeUnits(const QPolygonF &points)
{
    QPolygon result;
    result.reserve(points.size());
    for (QPointF p : points) {
        const QPoint whole(qRound(p.x()), qRound(p.y()));
        if (result.isEmpty() || result.last() != whole)
            result.append(whole);
    }
    return result;
}

} // namespace chart::metafile
