#include "workspace/FDataItems.h"

#include "platform/ui/StringGrid.h"

#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

TDataItem item(const char *id, int count, bool used)
{
    TDataItem result{uint8_t(count), used, QString::fromLatin1(id), {}, {}, {}};
    for (int i = 0; i < count; ++i) {
        result.Values.push_back(i + 1.5);
        result.Positions.push_back(uint16_t(i + 1));
        result.Classes.push_back(0);
    }
    return result;
}

QStringList row(const TFormDataItems &form, int r)
{
    QStringList cells;
    for (int c = 0; c < form.ItemGrid()->ColCount(); ++c)
        cells << form.ItemGrid()->Cells(c, r);
    return cells;
}

void toggle(TFormDataItems &form, int r)
{
    form.ItemGrid()->SetRow(r);
    form.ItemGridDblClick();
}

std::vector<bool> usedFlags(const std::vector<TDataItem> &items)
{
    std::vector<bool> flags;
    for (const TDataItem &i : items)
        flags.push_back(i.Used);
    return flags;
}

} // namespace

TEST(DataItemsGrid, ListsEveryItemUnderTheHeader)
{
    TFormDataItems form;
    const std::vector<TDataItem> items{item("first", 3, true), item("empty", 0, false), item("off", 2, false)};
    form.ShowItems(items, 3);

    EXPECT_EQ(form.ItemGrid()->RowCount(), 4);
    EXPECT_EQ(row(form, 0), (QStringList{"No", "Name", "Active", "Count"}));
    EXPECT_EQ(row(form, 1), (QStringList{"0", "first", "+", "3"}));
    EXPECT_EQ(row(form, 2), (QStringList{"1", "empty", "", "0"}));
    EXPECT_EQ(row(form, 3), (QStringList{"2", "off", "", "2"}));
}

TEST(DataItemsGrid, ResetEmptiesOldRowsAndKeepsTheHeader)
{
    TFormDataItems form;
    form.ShowItems({item("a", 1, true), item("b", 1, true), item("c", 1, true)}, 3);
    form.ResetGrid(1);
    EXPECT_EQ(form.ItemGrid()->RowCount(), 2);
    EXPECT_EQ(row(form, 1), (QStringList{"", "", "", ""}));
    form.ResetGrid(3);
    EXPECT_EQ(row(form, 3), (QStringList{"", "", "", ""})) << "a row that came back keeps no old text";
    EXPECT_EQ(form.ItemGrid()->Cells(1, 0), QStringLiteral("Name"));
    form.ResetGrid(0);
    EXPECT_EQ(form.ItemGrid()->RowCount(), 1);
    toggle(form, 0);
    EXPECT_EQ(form.ItemGrid()->Cells(2, 0), QStringLiteral("Active")) << "the header is no item";
}

TEST(DataItemsGrid, DoubleClickTogglesTheMarkAndTwiceRestoresIt)
{
    TFormDataItems form;
    form.ShowItems({item("a", 1, true), item("b", 1, false)}, 2);
    toggle(form, 1);
    toggle(form, 2);
    EXPECT_EQ(form.ItemGrid()->Cells(2, 1), QString());
    EXPECT_EQ(form.ItemGrid()->Cells(2, 2), QStringLiteral("+"));
    form.ItemGrid()->SetRow(2);
    emit form.ItemGrid()->DblClick();
    EXPECT_EQ(form.ItemGrid()->Cells(2, 2), QString());
}

class DataItemsDialog : public ::testing::Test
{
protected:
    // The next dialog gets its rows toggled, then is closed with `result`.
    void expectToggles(std::vector<int> rows, int result = ui::mrOk)
    {
        dialogs.expectModal([rows, result](QDialog &shown) {
            auto &form = dynamic_cast<TFormDataItems &>(shown);
            EXPECT_EQ(FormDataItems, &form);
            for (int r : rows)
                toggle(form, r);
            return result;
        });
    }

    ScriptedDialogs dialogs;
};

TEST_F(DataItemsDialog, ClosingWithoutChangeKeepsTheUsedItems)
{
    std::vector<TDataItem> items{item("a", 2, true), item("b", 1, false), item("c", 4, true)};
    expectToggles({}, ui::mrCancel);
    EXPECT_EQ(ExecuteDataItems(items, 3), QStringLiteral("0,2"));
    EXPECT_EQ(usedFlags(items), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(dialogs.shown().back().title, QStringLiteral("Data Items"));
    EXPECT_EQ(FormDataItems, nullptr);
}

TEST_F(DataItemsDialog, ItemWithoutValuesStaysOutWhateverItsMark)
{
    std::vector<TDataItem> items{item("a", 2, true), item("none", 0, false), item("c", 4, false)};
    expectToggles({2, 3});
    EXPECT_EQ(ExecuteDataItems(items, 3), QStringLiteral("0,2"));
    EXPECT_EQ(usedFlags(items), (std::vector<bool>{true, false, true}));
}

TEST_F(DataItemsDialog, UnmarkingEveryItemLeavesNoneUsed)
{
    std::vector<TDataItem> items{item("a", 2, true), item("b", 1, true)};
    expectToggles({1, 2});
    EXPECT_EQ(ExecuteDataItems(items, 2), QString());
    EXPECT_EQ(usedFlags(items), (std::vector<bool>{false, false}));
}
