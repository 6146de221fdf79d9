// The up-down control steps the number in its edit within its range.

#include "platform/ui/UpDown.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

TEST(UpDown, StepsFromTheEditsTextWithinTheRange)
{
    QLineEdit edit;
    ui::TUpDown upDown;
    upDown.SetRange(0, 10000);
    upDown.SetIncrement(100);
    upDown.SetAssociate(&edit);
    upDown.SetPosition(1000);
    EXPECT_EQ(edit.text(), QStringLiteral("1000"));

    const struct
    {
        const char *text;
        int direction;
        const char *after;
    } steps[] = {{"250", 1, "350"}, {"9950", 1, "10000"}, {"50", -1, "0"}, {"abc", 1, "100"}, {"20000", -1, "10000"}};
    for (const auto &s : steps) {
        edit.setText(QLatin1String(s.text));
        upDown.Step(s.direction);
        EXPECT_EQ(edit.text(), QLatin1String(s.after)) << s.text;
    }
    edit.setText(QStringLiteral("500"));
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), QStringLiteral("400"));
}
