#include "workspace/OrderedDifferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

// TDifference is packed: its Diff is compared as a value, never bound to a reference.

namespace {

TDataItem itemOf(std::vector<double> values, bool used = true)
{
    TDataItem item;
    item.Count = uint8_t(values.size());
    item.Values = std::move(values);
    item.Positions.resize(item.Count);
    item.Classes.assign(item.Count, 0);
    item.Used = used;
    return item;
}

// The lists built one element at a time, as a user of the window would see them grow.
struct InsertionBuild
{
    std::vector<TValueRef> ordered;
    std::vector<TDifference> differences;
};

InsertionBuild buildByInsertion(const std::vector<TDataItem> &items)
{
    InsertionBuild b;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Used)
            continue;
        for (int j = 0; j < items[i].Count; ++j) {
            const double v = items[i].Values[size_t(j)];
            auto at = b.ordered.begin();
            while (at != b.ordered.end() && ValueOf(items, *at) < v)
                ++at;
            b.ordered.insert(at, TValueRef{int32_t(i), uint8_t(j), -1});
        }
    }
    for (size_t k = 1; k < b.ordered.size(); ++k) {
        const TDifference d{ValueOf(items, b.ordered[k]) - ValueOf(items, b.ordered[k - 1]), int32_t(k)};
        auto at = b.differences.begin();
        while (at != b.differences.end() && at->Diff > d.Diff)
            ++at;
        b.differences.insert(at, d);
    }
    return b;
}

TEST(OrderedDifferences, LaterEqualValueStandsFirst)
{
    const std::vector<TDataItem> items{itemOf({1, 3, 3, 7})};
    std::vector<TValueRef> ordered = OrderValues(items);
    std::vector<int> indices;
    for (const TValueRef &ref : ordered)
        indices.push_back(ref.ValueIndex);
    EXPECT_EQ(indices, (std::vector<int>{0, 2, 1, 3}));

    const std::vector<TDifference> differences = OrderDifferences(items, ordered);
    ASSERT_EQ(differences.size(), 3u);
    EXPECT_EQ(double(differences[0].Diff), 4);
    EXPECT_EQ(differences[0].Position, 3);
    EXPECT_EQ(double(differences[1].Diff), 2);
    EXPECT_EQ(differences[1].Position, 1);
    EXPECT_EQ(double(differences[2].Diff), 0);
    EXPECT_EQ(differences[2].Position, 2);
    EXPECT_EQ(ordered[3].Row, 0);
    EXPECT_EQ(ordered[1].Row, 1);
    EXPECT_EQ(ordered[2].Row, 2);
    EXPECT_EQ(ordered[0].Row, -1);
}

TEST(OrderedDifferences, NegativeZeroTiesWithZero)
{
    const std::vector<TDataItem> items{itemOf({0.0, -0.0, -1.0, 0.0})};
    std::vector<TValueRef> ordered = OrderValues(items);
    std::vector<int> indices;
    for (const TValueRef &ref : ordered)
        indices.push_back(ref.ValueIndex);
    EXPECT_EQ(indices, (std::vector<int>{2, 3, 1, 0}));
}

TEST(OrderedDifferences, EqualGapsListHigherPositionFirst)
{
    const std::vector<TDataItem> items{itemOf({0, 1, 2, 3})};
    std::vector<TValueRef> ordered = OrderValues(items);
    const std::vector<TDifference> differences = OrderDifferences(items, ordered);
    EXPECT_EQ(differences[0].Position, 3);
    EXPECT_EQ(differences[1].Position, 2);
    EXPECT_EQ(differences[2].Position, 1);
}

TEST(OrderedDifferences, SkipsUnusedItemsAndHandlesOneValue)
{
    const std::vector<TDataItem> items{itemOf({5, 6}, false), itemOf({}), itemOf({9})};
    std::vector<TValueRef> ordered = OrderValues(items);
    ASSERT_EQ(ordered.size(), 1u);
    EXPECT_EQ(ordered[0].Item, 2);
    EXPECT_TRUE(OrderDifferences(items, ordered).empty());
}

TEST(OrderedDifferences, SortedBuildEqualsInsertionOnDataFullOfTies)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> count(0, 12), level(0, 15);
    std::bernoulli_distribution used(0.85);
    for (int round = 0; round < 20; ++round) {
        std::vector<TDataItem> items;
        for (int i = 0; i < 120; ++i) {
            std::vector<double> values(size_t(count(random)));
            for (double &v : values)
                v = level(random) * 0.25 - (level(random) == 0 ? 0.0 : 1.0);
            items.push_back(itemOf(values, used(random)));
        }
        const InsertionBuild expected = buildByInsertion(items);
        std::vector<TValueRef> ordered = OrderValues(items);
        const std::vector<TDifference> differences = OrderDifferences(items, ordered);
        ASSERT_EQ(ordered.size(), expected.ordered.size());
        for (size_t k = 0; k < ordered.size(); ++k) {
            ASSERT_EQ(ordered[k].Item, expected.ordered[k].Item) << "round " << round << " position " << k;
            ASSERT_EQ(ordered[k].ValueIndex, expected.ordered[k].ValueIndex);
        }
        ASSERT_EQ(differences.size(), expected.differences.size());
        for (size_t r = 0; r < differences.size(); ++r) {
            ASSERT_EQ(differences[r].Position, expected.differences[r].Position) << "round " << round << " row " << r;
            ASSERT_EQ(double(differences[r].Diff), double(expected.differences[r].Diff));
            ASSERT_EQ(ordered[size_t(differences[r].Position)].Row, int(r));
        }
    }
}

// Large enough for the sorts to run on several threads: values of two decimals, most of them tied.
TEST(OrderedDifferences, ManyValuesFollowTheTieRulesOnEveryCore)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> cents(-3000, 3000);
    std::vector<TDataItem> items;
    for (int i = 0; i < 3000; ++i) {
        std::vector<double> values(100);
        for (double &v : values)
            v = cents(random) / 100.0;
        items.push_back(itemOf(values, i % 7 != 3));
    }
    // Expected: ascending value, of equal values the later one first; gaps descending, of equal
    // gaps the higher position first.
    struct Taken
    {
        double value;
        size_t rank;
        TValueRef ref;
    };
    std::vector<Taken> taken;
    for (size_t i = 0; i < items.size(); ++i) {
        for (int j = 0; items[i].Used && j < items[i].Count; ++j)
            taken.push_back({items[i].Values[size_t(j)], taken.size(), TValueRef{int32_t(i), uint8_t(j), -1}});
    }
    std::sort(taken.begin(), taken.end(),
              [](const Taken &a, const Taken &b) { return a.value != b.value ? a.value < b.value : a.rank > b.rank; });
    std::vector<TDifference> gaps;
    for (size_t k = 1; k < taken.size(); ++k)
        gaps.push_back({taken[k].value - taken[k - 1].value, int32_t(k)});
    std::sort(gaps.begin(), gaps.end(),
              [](const TDifference &a, const TDifference &b) { return a.Diff != b.Diff ? a.Diff > b.Diff : a.Position > b.Position; });

    std::vector<TValueRef> ordered = OrderValues(items);
    const std::vector<TDifference> differences = OrderDifferences(items, ordered);
    ASSERT_EQ(ordered.size(), taken.size());
    for (size_t k = 0; k < ordered.size(); ++k) {
        ASSERT_EQ(ordered[k].Item, taken[k].ref.Item) << "position " << k;
        ASSERT_EQ(ordered[k].ValueIndex, taken[k].ref.ValueIndex) << "position " << k;
    }
    ASSERT_EQ(differences.size(), gaps.size());
    for (size_t r = 0; r < differences.size(); ++r) {
        ASSERT_EQ(differences[r].Position, gaps[r].Position) << "row " << r;
        ASSERT_EQ(double(differences[r].Diff), double(gaps[r].Diff)) << "row " << r;
        ASSERT_EQ(ordered[size_t(differences[r].Position)].Row, int(r));
    }
}

} // namespace
