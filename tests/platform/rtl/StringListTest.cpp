#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

using rtl::TStringList;

TEST(StringListValues, SetReplacesInPlaceOrAppends)
{
    TStringList list;
    list.SetValues(QStringLiteral("log"), QStringLiteral("1"));
    list.SetValues(QStringLiteral("class_A"), QStringLiteral("x"));
    list.SetValues(QStringLiteral("LOG"), QStringLiteral("0"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0], QStringLiteral("LOG=0"));
    EXPECT_EQ(list.Values(QStringLiteral("log")), QStringLiteral("0"));
    EXPECT_EQ(list.Values(QStringLiteral("missing")), QString());
}

TEST(StringListValues, ValueKeepsFurtherEqualSignsAndEmptyValueRemoves)
{
    TStringList list(QStringList{QStringLiteral("a=b=c"), QStringLiteral("plain")});
    EXPECT_EQ(list.Values(QStringLiteral("a")), QStringLiteral("b=c"));
    EXPECT_EQ(list.Names(1), QString());
    list.SetValues(QStringLiteral("a"), QString());
    EXPECT_EQ(list.Count(), 1);
}

TEST(StringListText, SplitsAnyLineBreak)
{
    TStringList list;
    list.SetText(QStringLiteral("one\r\ntwo\nthree\rfour\n"));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(), QStringLiteral("one\ntwo\nthree\nfour\n"));
}
