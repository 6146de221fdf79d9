// The text lines dialog: OK keeps the edited lines, Cancel and Esc drop them.

#include "charts/FMemoDlg.h"

#include "ScriptedDialogs.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(EditLinesDialog, OkWithoutChangesGivesTheSameLines)
{
    ScriptedDialogs dialogs;
    QStringList lines{QStringLiteral("one"), QString(), QStringLiteral("three")};
    dialogs.expectModal([](QDialog &form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Parameters for import"));
        form.findChild<QPushButton *>(QStringLiteral("BtnOK"))->click();
        return form.result();
    });
    EXPECT_TRUE(EditLinesDialog(lines, QStringLiteral("Parameters for import")));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("one"), QString(), QStringLiteral("three")}));
}

TEST(EditLinesDialog, EscapeAfterEditingKeepsTheLines)
{
    ScriptedDialogs dialogs;
    QStringList lines{QStringLiteral("kept")};
    dialogs.expectModal([](QDialog &form) {
        auto *memo = form.findChild<QPlainTextEdit *>(QStringLiteral("Memo"));
        QTest::keyClicks(memo, QStringLiteral("typed"));
        QTest::keyClick(&form, Qt::Key_Escape);
        return form.result();
    });
    EXPECT_FALSE(EditLinesDialog(lines, QStringLiteral("Edit")));
    EXPECT_EQ(lines, QStringList{QStringLiteral("kept")});
}

TEST(EditLinesDialog, LongLineStaysOneLineAndEmptiedMemoEmptiesTheList)
{
    ScriptedDialogs dialogs;
    const QString longLine(2000, QLatin1Char('x'));
    QStringList lines{longLine};
    dialogs.expectModal([](QDialog &form) {
        auto *memo = form.findChild<QPlainTextEdit *>(QStringLiteral("Memo"));
        EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        return int(ui::mrOk);
    });
    EXPECT_TRUE(EditLinesDialog(lines, QStringLiteral("Edit")));
    EXPECT_EQ(lines, QStringList{longLine});

    dialogs.expectModal([](QDialog &form) {
        form.findChild<QPlainTextEdit *>(QStringLiteral("Memo"))->clear();
        return int(ui::mrOk);
    });
    EXPECT_TRUE(EditLinesDialog(lines, QStringLiteral("Edit")));
    EXPECT_TRUE(lines.isEmpty());
}

TEST(EditLinesDialog, QtProviderClosesOnEnterWithOk)
{
    QStringList lines{QStringLiteral("a")};
    QTimer::singleShot(0, [] {
        auto *form = qobject_cast<TFormMemoDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->Memo()->moveCursor(QTextCursor::End);
        QTest::keyClicks(form->Memo(), QStringLiteral("b"));
        form->findChild<QPushButton *>(QStringLiteral("BtnOK"))->setFocus();
        QTest::keyClick(form->findChild<QPushButton *>(QStringLiteral("BtnOK")), Qt::Key_Return);
    });
    EXPECT_TRUE(EditLinesDialog(lines, QStringLiteral("Edit")));
    EXPECT_EQ(lines, QStringList{QStringLiteral("ab")});
}

} // namespace
