#include "workspace/FHistory.h"

#include "platform/rtl/SysUtils.h"

#include "FileSizeLimit.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTextCursor>

#include <gtest/gtest.h>

namespace {

QByteArray readBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void runDeferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

class History : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        fileName = folder.filePath(QStringLiteral("history.txt"));
        FormHistory = new TFormHistory;
    }
    void TearDown() override
    {
        delete FormHistory;
        runDeferredDeletes();
    }

    QPlainTextEdit *memo() const { return FormHistory->findChild<QPlainTextEdit *>(QStringLiteral("Memo")); }

    // Loads, adds the entries and quits the way the main window does.
    void runAndQuit(const QList<QPair<QString, QString>> &entries)
    {
        FormHistory->LoadHistory(fileName);
        for (const auto &entry : entries)
            FormHistory->AddItem(entry.first, entry.second);
        FormHistory->SaveAndFree();
        runDeferredDeletes();
        FormHistory = new TFormHistory;
    }

    void select(int from, int to)
    {
        QTextCursor cursor(memo()->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        memo()->setTextCursor(cursor);
    }

    QTemporaryDir folder;
    QString fileName;
    ScriptedDialogs dialogs;
};

TEST_F(History, OpenInAnyLetterCaseIsPrecededBySeparator)
{
    FormHistory->AddItem(QStringLiteral("Open"), QStringLiteral("C:\\data\\a.csv"));
    FormHistory->AddItem(QStringLiteral("open"), QStringLiteral("DBF:b.dbf"));
    FormHistory->AddItem(QStringLiteral("Opened"), QStringLiteral("x"));
    FormHistory->AddItem(QStringLiteral("Set_items"), QStringLiteral("0,2"));
    EXPECT_EQ(FormHistory->Lines(), (QStringList{QStringLiteral(" ---------- "), QStringLiteral("Open: C:\\data\\a.csv"),
                                                 QStringLiteral(" ---------- "), QStringLiteral("open: DBF:b.dbf"),
                                                 QStringLiteral("Opened: x"), QStringLiteral("Set_items: 0,2")}));
}

TEST_F(History, EmptyDetailLeavesColonAndBlank)
{
    FormHistory->AddItem(QStringLiteral("(Edit)"), QString());
    EXPECT_EQ(FormHistory->Lines(), QStringList{QStringLiteral("(Edit): ")});
}

TEST_F(History, MissingFileGivesEmptyHistoryAndTheQuitCreatesIt)
{
    FormHistory->AddItem(QStringLiteral("Statistics"), QStringLiteral("stale"));
    FormHistory->LoadHistory(fileName);
    EXPECT_TRUE(FormHistory->Lines().isEmpty());
    EXPECT_EQ(FormHistory->FileName(), fileName);

    FormHistory->AddItem(QStringLiteral("SQL"), QStringLiteral("SELECT * FROM a "));
    FormHistory->SaveAndFree();
    EXPECT_EQ(readBytes(fileName), QByteArray("SQL: SELECT * FROM a \r\n"));
}

TEST_F(History, QuitAppendsThisRunAfterTheOldLinesAndTheNextRunShowsThemAll)
{
    writeBytes(fileName, "Open: old.csv\r\nfree text kept as it is\r\n");
    runAndQuit({{QStringLiteral("Open"), QStringLiteral("/data/a.csv")}, {QStringLiteral("Set_items"), QStringLiteral("0,2")}});
    EXPECT_EQ(readBytes(fileName), QByteArray("Open: old.csv\r\nfree text kept as it is\r\n ---------- \r\n"
                                              "Open: /data/a.csv\r\nSet_items: 0,2\r\n"));

    runAndQuit({{QStringLiteral("(Edit)"), QString()}});
    FormHistory->LoadHistory(fileName);
    EXPECT_EQ(FormHistory->Lines(),
              (QStringList{QStringLiteral("Open: old.csv"), QStringLiteral("free text kept as it is"),
                           QStringLiteral(" ---------- "), QStringLiteral("Open: /data/a.csv"),
                           QStringLiteral("Set_items: 0,2"), QStringLiteral("(Edit): ")}));
}

TEST_F(History, QuitFreesTheWindow)
{
    FormHistory->LoadHistory(fileName);
    QPointer<TFormHistory> window = FormHistory;
    FormHistory->SaveAndFree();
    EXPECT_EQ(FormHistory, nullptr);
    runDeferredDeletes();
    EXPECT_TRUE(window.isNull());
}

TEST_F(History, LinesLoadUnchangedWhateverTheirLengthOrEncoding)
{
    const QByteArray longLine(2 * 1024 * 1024, 'x');
    // Older runs wrote the system's code page, 1250 (its letters beyond ASCII differ from Latin-1).
    const QByteArray bytes = "first\r\ncaf\xE9 \x9Akola \x8Ao\x9Dka in code page 1250\r\n\xC5\xBEluv UTF-8\n\r\n" + longLine + "\r\nlast";
    writeBytes(fileName, bytes);
    FormHistory->LoadHistory(fileName);
    const QStringList lines = FormHistory->Lines();
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[0], QStringLiteral("first"));
    EXPECT_EQ(lines[1], QStringLiteral("café škola Šoťka in code page 1250"));
    EXPECT_EQ(lines[2], QStringLiteral("\u017Eluv UTF-8"));
    EXPECT_EQ(lines[3], QString());
    EXPECT_EQ(lines[4].size(), longLine.size());
    EXPECT_EQ(lines[5], QStringLiteral("last"));
}

TEST_F(History, BlankLinesSurviveTheRoundTrip)
{
    writeBytes(fileName, "a\r\n\r\nb\r\n\r\n");
    runAndQuit({});
    EXPECT_EQ(readBytes(fileName), QByteArray("a\r\n\r\nb\r\n\r\n"));
}

TEST_F(History, ClearWithoutSelectionAsksForTheWholeHistory)
{
    writeBytes(fileName, "Open: a.csv\r\nSet_items: 0\r\n");
    FormHistory->LoadHistory(fileName);

    dialogs.expectMessage(QStringLiteral("Clear whole history?"), ui::mrNo);
    FormHistory->BtnClearClick();
    EXPECT_EQ(FormHistory->Lines().size(), 2);

    dialogs.expectMessage(QStringLiteral("Clear whole history?"), ui::mrYes);
    FormHistory->BtnClearClick();
    EXPECT_TRUE(FormHistory->Lines().isEmpty());
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtConfirmation);
    EXPECT_EQ(dialogs.shown().back().buttons, ui::TMsgDlgButtons::mbYesNo);
    EXPECT_EQ(readBytes(fileName), QByteArray("Open: a.csv\r\nSet_items: 0\r\n")) << "clearing touched the file";

    FormHistory->SaveAndFree();
    EXPECT_EQ(readBytes(fileName), QByteArray());
}

TEST_F(History, ClearWithSelectionDeletesOnlyTheSelectedText)
{
    FormHistory->AddItem(QStringLiteral("Statistics"), QStringLiteral("2"));
    FormHistory->AddItem(QStringLiteral("Set_factor"), QStringLiteral("1"));
    // From "2" in the first line to the blank after the colon in the second.
    select(12, 26);

    dialogs.expectMessage(QStringLiteral("Clear selected items?"), ui::mrNo);
    FormHistory->BtnClearClick();
    EXPECT_EQ(FormHistory->Lines().size(), 2);

    dialogs.expectMessage(QStringLiteral("Clear selected items?"), ui::mrYes);
    FormHistory->BtnClearClick();
    EXPECT_EQ(FormHistory->Lines(), QStringList{QStringLiteral("Statistics: 1")});

    FormHistory->AddItem(QStringLiteral("Regression"), QStringLiteral("Class=0,Degree=1"));
    EXPECT_EQ(FormHistory->Lines().constLast(), QStringLiteral("Regression: Class=0,Degree=1"));
}

TEST_F(History, EntriesAfterClearingTheLastLineStartANewLine)
{
    FormHistory->AddItem(QStringLiteral("A"), QStringLiteral("1"));
    FormHistory->AddItem(QStringLiteral("B"), QStringLiteral("2"));
    select(5, 9); // "B: 2", leaving the line break after "A: 1"
    dialogs.expectMessage(QStringLiteral("Clear selected items?"), ui::mrYes);
    FormHistory->BtnClearClick();
    FormHistory->AddItem(QStringLiteral("C"), QStringLiteral("3"));
    EXPECT_EQ(FormHistory->Lines(), (QStringList{QStringLiteral("A: 1"), QStringLiteral("C: 3")}));
}

TEST_F(History, UnwritableFileIsReportedAndKeepsTheLinesUntilASaveSucceeds)
{
    FormHistory->LoadHistory(fileName);
    FormHistory->AddItem(QStringLiteral("Open"), QStringLiteral("a.csv"));
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("history.txt")));

    dialogs.expectMessage(QStringLiteral("The history could not be saved to the file"));
    EXPECT_FALSE(FormHistory->SaveAndFree());
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_TRUE(dialogs.shown().back().text.contains(fileName));
    ASSERT_NE(FormHistory, nullptr);
    EXPECT_EQ(FormHistory->Lines(), (QStringList{QStringLiteral(" ---------- "), QStringLiteral("Open: a.csv")}));

    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("history.txt")));
    EXPECT_TRUE(FormHistory->SaveAndFree());
    EXPECT_EQ(FormHistory, nullptr);
    EXPECT_EQ(readBytes(fileName), QByteArray(" ---------- \r\nOpen: a.csv\r\n"));
}

TEST_F(History, FileSizeLimitIsReportedAndTheOldFileKept)
{
    runAndQuit({{QStringLiteral("Open"), QStringLiteral("a.csv")}});
    const QByteArray saved = readBytes(fileName);
    FormHistory->LoadHistory(fileName);
    for (int i = 0; i < 100; ++i)
        FormHistory->AddItem(QStringLiteral("Statistics"), QStringLiteral("3 classes: 1-40, 41-80, 81-%1").arg(i));
    dialogs.expectMessage(QStringLiteral("The history could not be saved to the file"));
    WithFileSizeLimit(1024, [&] { EXPECT_FALSE(FormHistory->SaveAndFree()); });
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_TRUE(dialogs.shown().back().text.endsWith(QStringLiteral("history.txt: File too large"))) << dialogs.shown().back().text.toStdString();
    EXPECT_EQ(readBytes(fileName), saved);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("history.txt")});
}

TEST_F(History, UnreadableFileIsReportedAndNeverOverwritten)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("history.txt")));
    EXPECT_THROW(FormHistory->LoadHistory(fileName), rtl::Exception);
    FormHistory->AddItem(QStringLiteral("Open"), QStringLiteral("a.csv"));
    FormHistory->SaveAndFree();
    EXPECT_TRUE(QFileInfo(fileName).isDir());
}
