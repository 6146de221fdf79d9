// Windows placed beside another one: the first side that has room, else below as far as the
// screen lets it.

#include "platform/ui/Application.h"

#include <QRect>

#include <gtest/gtest.h>

namespace {

struct PlacementCase
{
    const char *name;
    QSize size;
    QRect keepClear;
    QRect screen;
    QPoint expected;
};

class PlaceBeside : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlaceBeside, TakesTheFirstSideWithRoomElseBelowMovedIntoTheScreen)
{
    const PlacementCase &c = GetParam();
    EXPECT_EQ(ui::PlaceBeside(c.size, c.keepClear, c.screen), c.expected);
}

const QRect kScreen(0, 0, 1024, 768);

INSTANTIATE_TEST_SUITE_P(
    Sides, PlaceBeside,
    ::testing::Values(
        PlacementCase{"right", {300, 200}, {0, 0, 400, 300}, kScreen, {400, 0}},
        PlacementCase{"rightMovedUpIntoTheScreen", {300, 400}, {0, 500, 400, 200}, kScreen, {400, 368}},
        PlacementCase{"below", {300, 200}, {600, 0, 424, 300}, kScreen, {600, 300}},
        PlacementCase{"belowMovedLeftIntoTheScreen", {500, 200}, {800, 0, 224, 300}, kScreen, {524, 300}},
        PlacementCase{"left", {400, 200}, {500, 300, 524, 468}, kScreen, {100, 300}},
        PlacementCase{"above", {500, 300}, {0, 400, 1024, 368}, kScreen, {0, 100}},
        // A main window in the middle of a 1024 x 768 screen and the report window: no side has
        // room; the report covers the main window's lowest 147 rows.
        PlacementCase{"noRoomMovedUpFromBelow", {775, 292}, {168, 146, 688, 477}, kScreen, {168, 476}},
        PlacementCase{"noRoomNearTheRightEdge", {775, 292}, {300, 0, 724, 700}, kScreen, {249, 476}},
        PlacementCase{"largerThanTheScreen", {1200, 900}, {100, 100, 200, 200}, kScreen, {0, 0}},
        PlacementCase{"belowOnASecondScreen", {300, 200}, {1100, 50, 1100, 700}, {1024, 0, 1280, 1024}, {1100, 750}}),
    [](const auto &info) { return std::string(info.param.name); });

// The report (on top) below the main window on a 1024 x 768 screen, as the program places it.
TEST(PlaceClearOf, WindowUnderAWindowOnTopGoesBesideItElseShrinksIntoTheLargestFreePart)
{
    const QRect report(168, 475, 775, 293);
    const QRect graph(162, 126, 700, 500);
    EXPECT_EQ(ui::PlaceClearOf(QRect(282, 182, 460, 330), {200, 150}, report, kScreen), QRect(168, 145, 460, 330));
    EXPECT_EQ(ui::PlaceClearOf(graph, {300, 250}, report, kScreen), QRect(162, 0, 700, 475));
    EXPECT_EQ(ui::PlaceClearOf(graph, {300, 480}, report, kScreen), QRect(168, 268, 700, 500)) << "too large: below, moved up";
}

} // namespace
