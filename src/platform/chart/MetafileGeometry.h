#pragma once
// Geometry the metafile engine needs before coordinates become whole 16- or 32-bit numbers:
// cutting shapes to a guard rectangle so that far-away points cannot overflow or bend a line.

#include <QPolygon>
#include <QPolygonF>
#include <QRectF>

#include <vector>

namespace chart::metafile {

/// The parts of line inside guard, each an open polyline of at least two points, in order. A point
/// that is not finite breaks the line.
std::vector<QPolygonF> clipPolyline(const QPolygonF &line, const QRectF &guard);

/// The polygon cut to guard (closed shapes stay closed along the guard's edges); empty when no part
/// lies inside. Points that are not finite are left out.
QPolygonF clipPolygon(const QPolygonF &polygon, const QRectF &guard);

/// Rounded to whole units, leaving out points equal to the one before.
QPolygon toWholeUnits(const QPolygonF &points);

} // namespace chart::metafile
