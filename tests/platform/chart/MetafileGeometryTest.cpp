// Cutting shapes to the guard rectangle before their coordinates become whole numbers.

#include "platform/chart/MetafileGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace chart::metafile;

namespace {
const QRectF kGuard(0, 0, 100, 100);
}

TEST(MetafileGeometry, PolylineInsideStaysWhole)
{
    const QPolygonF line{{10, 10}, {20, 30}, {50, 50}};
    const auto pieces = clipPolyline(line, kGuard);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], line);
}

TEST(MetafileGeometry, PolylineLeavingAndComingBackSplits)
{
    const auto pieces = clipPolyline(QPolygonF{{50, 50}, {150, 50}, {150, 60}, {50, 60}}, kGuard);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (QPolygonF{{50, 50}, {100, 50}}));
    EXPECT_EQ(pieces[1], (QPolygonF{{100, 60}, {50, 60}}));
}

TEST(MetafileGeometry, SegmentCrossingTheGuardKeepsItsSlope)
{
    const auto pieces = clipPolyline(QPolygonF{{-100, -50}, {300, 150}}, kGuard);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (QPolygonF{{0, 0}, {100, 50}}));
}

TEST(MetafileGeometry, PointsThatAreNotFiniteBreakTheLine)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto pieces = clipPolyline(QPolygonF{{10, 10}, {20, 20}, {nan, 5}, {30, 30}, {40, 40}}, kGuard);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (QPolygonF{{10, 10}, {20, 20}}));
    EXPECT_EQ(pieces[1], (QPolygonF{{30, 30}, {40, 40}}));
}

TEST(MetafileGeometry, PolylineOutsideVanishes) { EXPECT_TRUE(clipPolyline(QPolygonF{{-5, -5}, {-10, 50}}, kGuard).empty()); }

TEST(MetafileGeometry, PolygonIsCutAlongTheGuard)
{
    const QPolygonF cut = clipPolygon(QPolygonF{{50, 50}, {150, 50}, {150, 80}, {50, 80}}, kGuard);
    EXPECT_EQ(cut.boundingRect(), QRectF(50, 50, 50, 30));
    EXPECT_TRUE(clipPolygon(QPolygonF{{200, 200}, {300, 200}, {300, 300}}, kGuard).isEmpty());
}

TEST(MetafileGeometry, WholeUnitsDropRepeatedPoints)
{
    EXPECT_EQ(toWholeUnits(QPolygonF{{1.2, 1.4}, {0.8, 1.1}, {2.6, 1}}), (QPolygon{{1, 1}, {3, 1}}));
}
