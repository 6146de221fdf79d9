// The SQL command window: its template menu and short-cuts, the field box, the choice of a table,
// and statements typed from the templates run on a dBASE table in a temporary folder, read back
// with Debian's dbfread.

#include "import/FSQL.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/ui/Help.h"

#include "ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QString kDatabase = QStringLiteral("DBFtables");

QStringList memoLines(const TFormSQL &form) { return form.Memo()->toPlainText().split(QLatin1Char('\n')); }

QStringList fieldBox(const TFormSQL &form)
{
    QStringList items;
    for (int i = 0; i < form.CBfields()->count(); ++i)
        items << form.CBfields()->itemText(i);
    return items;
}

QAction *action(const TFormSQL &form, const char *name) { return form.findChild<QAction *>(QLatin1String(name)); }

// Selects `placeholder` in the memo and types `text` over it, as a user editing a template does.
void typeOver(TFormSQL &form, const QString &placeholder, const QString &text)
{
    QPlainTextEdit *memo = form.Memo();
    memo->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(memo->find(placeholder)) << placeholder.toStdString();
    QTest::keyClicks(memo, text);
}

void typeAtEnd(TFormSQL &form, const QString &text)
{
    form.Memo()->moveCursor(QTextCursor::End);
    QTest::keyClicks(form.Memo(), text);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The table's field names and records as dbfread reads them.
QJsonObject readWithDbfread(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUIBO_SOURCE_DIR "/tests/import/python/dbf_contents.py"), path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QJsonArray record(const QJsonObject &contents, int index) { return contents["records"].toArray()[index].toArray(); }

void activate(QWidget &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// A folder of tables and the database "DBFtables" pointed at it, as the main window sets it up.
class SqlWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        database.SetDatabaseName(kDatabase);
        database.Params().Add(QStringLiteral("PATH=") + folder.path());
        database.Params().Add(QStringLiteral("DEFAULT DRIVER=DBASE"));
        database.SetLoginPrompt(false);
        database.Open();
    }

    QString path(const QString &name) const { return folder.filePath(name); }
    QString directory() const { return folder.path() + QLatin1Char('/'); }

    void run(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(kDatabase);
        query.SQL().SetText(sql);
        query.ExecSQL();
    }

    // The table rocks.dbf with its fields in an order that is not alphabetical.
    void makeRocks()
    {
        run(QStringLiteral("CREATE TABLE 'rocks.dbf' (NAME CHAR(12), ID INTEGER, RF1 DECIMAL(6,3))"));
        run(QStringLiteral("INSERT INTO 'rocks.dbf' (NAME, ID, RF1) VALUES ('granite', 1, 2.5)"));
    }

    QTemporaryDir folder;
    db::TDatabase database;
    ScriptedDialogs dialogs;
    TFormSQL form;
};

TEST_F(SqlWindow, TemplatesNameTheTableSetByTheCallerAndReplaceTheWholeMemo)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QStringLiteral("rocks.dbf"));
    EXPECT_EQ(fieldBox(form), (QStringList{"NAME", "ID", "RF1"})) << "the table's order";
    EXPECT_EQ(form.windowTitle(), QStringLiteral("SQL command edit"));

    form.Memo()->setPlainText(QStringLiteral("typed before"));
    form.DELETE1Click();
    EXPECT_EQ(memoLines(form), (QStringList{"DELETE FROM 'rocks.dbf'", "WHERE _conditions_"}));
    form.ALTERTABLE1Click();
    EXPECT_EQ(memoLines(form), QStringList{"ALTER TABLE 'rocks.dbf'"});

    form.BtnChoiceClick();
    EXPECT_FALSE(action(form, "Choicetable1")->isEnabled()) << "a table is set";
    form.PopupMenu()->close();
}

TEST_F(SqlWindow, WithoutTableTheTemplatesNameTheEmptyTableAndTheChoiceIsOffered)
{
    form.SetTable(kDatabase, QString(), QString());
    EXPECT_EQ(form.CBfields()->count(), 0);
    form.DROPTABLE1Click();
    EXPECT_EQ(memoLines(form), QStringList{"DROP TABLE ''"});
    form.BtnChoiceClick();
    EXPECT_TRUE(action(form, "Choicetable1")->isEnabled());
    form.PopupMenu()->close();
}

TEST_F(SqlWindow, FieldsThatCannotBeReadReachTheCaller)
{
    QFile notATable(path(QStringLiteral("notes.dbf")));
    ASSERT_TRUE(notATable.open(QIODevice::WriteOnly));
    notATable.write("just some text, no table header at all");
    notATable.close();
    EXPECT_THROW(form.SetTable(kDatabase, directory(), QStringLiteral("notes.dbf")), db::EDatabaseError);
    EXPECT_THROW(form.SetTable(kDatabase, directory(), QStringLiteral("missing.dbf")), db::EDatabaseError);
}

TEST_F(SqlWindow, ChosenTableIsNamedBareInTheFolderAndByFullPathElsewhere)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QString());

    dialogs.expectFile(path(QStringLiteral("rocks.dbf")));
    form.Choicetable1Click();
    const ui::TFileDialog *shown = dialogs.lastFileDialog();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Title, QStringLiteral("Select table name"));
    EXPECT_EQ(shown->Filter, QStringLiteral("dBase/FoxPro table (DBF)|*.dbf|Paradox table (DB)|*.db|Any file|*.*"));
    EXPECT_EQ(shown->InitialDir, directory());
    EXPECT_EQ(form.TableName(), QStringLiteral("rocks.dbf"));
    EXPECT_EQ(fieldBox(form), (QStringList{"NAME", "ID", "RF1"}));

    dialogs.expectFile(QString()); // cancelled: nothing changes
    form.Choicetable1Click();
    EXPECT_EQ(form.TableName(), QStringLiteral("rocks.dbf"));

    // Two folders whose names differ only in letter case, each with its own pairs.dbf: the one
    // chosen outside the database's folder is named by its full path, never as the other.
    for (const char *name : {"data", "Data"})
        ASSERT_TRUE(QDir(folder.path()).mkpath(QLatin1String(name)));
    run(QStringLiteral("CREATE TABLE 'data/pairs.dbf' (A FLOAT)"));
    run(QStringLiteral("CREATE TABLE 'Data/pairs.dbf' (X FLOAT, Y FLOAT)"));
    database.Close();
    database.Params().SetValues(QStringLiteral("PATH"), path(QStringLiteral("data")));
    database.Open();
    const QString other = path(QStringLiteral("Data/pairs.dbf"));
    form.SetTable(kDatabase, path(QStringLiteral("data/")), QString());
    dialogs.expectFile(other);
    form.Choicetable1Click();
    EXPECT_EQ(form.TableName(), other);
    EXPECT_EQ(fieldBox(form), (QStringList{"X", "Y"}));
    form.INSERT1Click();
    EXPECT_EQ(memoLines(form).first(), QStringLiteral("INSERT INTO '%1'").arg(other));
}

TEST_F(SqlWindow, ChoosingAFileThatIsNoTableKeepsTheTableAndItsFields)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QString());
    dialogs.expectFile(path(QStringLiteral("rocks.dbf")));
    form.Choicetable1Click();
    QFile text(path(QStringLiteral("readme.txt")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a table\n");
    text.close();

    dialogs.expectFile(text.fileName());
    EXPECT_THROW(form.Choicetable1Click(), db::EDatabaseError);
    EXPECT_EQ(form.TableName(), QStringLiteral("rocks.dbf"));
    EXPECT_EQ(fieldBox(form), (QStringList{"NAME", "ID", "RF1"}));
    form.DROPTABLE1Click();
    EXPECT_EQ(memoLines(form), QStringList{"DROP TABLE 'rocks.dbf'"}) << "never the text file";
}

TEST_F(SqlWindow, DoubleClickAndInsertButtonPutTheFieldNameAtTheCaret)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QStringLiteral("rocks.dbf"));
    form.resize(600, 300);
    activate(form);
    form.PopupMenu()->close();
    form.DELETE1Click();
    form.CBfields()->setCurrentText(QStringLiteral("ID"));

    // A double-click on a placeholder replaces it by the field name.
    QPlainTextEdit *memo = form.Memo();
    QTextCursor onPlaceholder(memo->document()->findBlockByNumber(1));
    onPlaceholder.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 9); // inside "_conditions_"
    const QPoint spot = memo->cursorRect(onPlaceholder).center();
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton, Qt::NoModifier, spot);
    EXPECT_EQ(memoLines(form), (QStringList{"DELETE FROM 'rocks.dbf'", "WHERE ID"}));

    QTest::keyClicks(memo, QStringLiteral(" > "));
    form.CBfields()->setCurrentText(QStringLiteral("RF1"));
    QTest::mouseClick(form.findChild<QToolButton *>(QStringLiteral("BtnInsert")), Qt::LeftButton);
    EXPECT_EQ(memoLines(form).last(), QStringLiteral("WHERE ID > RF1"));
    EXPECT_TRUE(memo->hasFocus()) << "typing goes on in the memo";

    // Without a field, a double-click keeps the word it selected.
    form.CBfields()->clear();
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton, Qt::NoModifier, spot);
    EXPECT_EQ(memoLines(form).last(), QStringLiteral("WHERE ID > RF1"));
}

TEST_F(SqlWindow, TemplateMenuOpensOnActivationAndItsLettersWriteTheTemplates)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QStringLiteral("rocks.dbf"));
    activate(form);
    QMenu *menu = form.PopupMenu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    EXPECT_EQ(menu->pos(), form.findChild<QToolButton *>(QStringLiteral("BtnChoice"))->mapToGlobal(QPoint(0, 0)));

    struct Key
    {
        Qt::Key key;
        QString firstLine;
    };
    const Key keys[] = {
        {Qt::Key_C, "CREATE TABLE 'new_table.dbf'"},
        {Qt::Key_A, "ALTER TABLE 'rocks.dbf'"},
        {Qt::Key_R, "DROP TABLE 'rocks.dbf'"},
        {Qt::Key_I, "CREATE INDEX _indexname_ ON 'rocks.dbf' (_fields_)"},
        {Qt::Key_N, "DROP INDEX 'rocks.dbf'._indexname_"},
        {Qt::Key_D, "DELETE FROM 'rocks.dbf'"},
        {Qt::Key_S, "INSERT INTO 'rocks.dbf'"},
        {Qt::Key_U, "UPDATE 'rocks.dbf'"},
    };
    for (const Key &key : keys) {
        if (!menu->isVisible())
            QTest::mouseClick(form.findChild<QToolButton *>(QStringLiteral("BtnChoice")), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::keyClick(menu, key.key);
        EXPECT_FALSE(menu->isVisible());
        EXPECT_EQ(memoLines(form).first(), key.firstLine);
    }

    // A template picked by a letter meant for the memo: Ctrl+Z brings the statement back.
    form.Memo()->setPlainText(QStringLiteral("SELECT * FROM 'rocks.dbf'"));
    QTest::mouseClick(form.findChild<QToolButton *>(QStringLiteral("BtnChoice")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_U);
    QTest::keyClick(form.Memo(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form.Memo()->toPlainText(), QStringLiteral("SELECT * FROM 'rocks.dbf'"));

    // "Choice &Table name" is disabled while a table is set: its letter does nothing.
    QTest::mouseClick(form.findChild<QToolButton *>(QStringLiteral("BtnChoice")), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QTest::keyClick(menu, Qt::Key_T);
    QTest::keyClick(menu, Qt::Key_Escape);
    EXPECT_FALSE(menu->isVisible());
    QApplication::processEvents();
    EXPECT_FALSE(menu->isVisible()) << "closing the menu does not open it again";
    EXPECT_TRUE(form.isVisible()) << "Esc closed only the menu";
}

TEST_F(SqlWindow, TableLetterOpensTheChoiceWhenNoTableIsSet)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QString());
    activate(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.PopupMenu()));
    dialogs.expectFile(path(QStringLiteral("rocks.dbf")));
    QTest::keyClick(form.PopupMenu(), Qt::Key_T);
    EXPECT_EQ(form.TableName(), QStringLiteral("rocks.dbf"));
    form.PopupMenu()->close();
}

TEST_F(SqlWindow, F1OpensTheWindowsPageFromTheMenuAndFromTheMemo)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    form.SetTable(kDatabase, directory(), QString());
    activate(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.PopupMenu()));
    dialogs.expectUrl();
    QTest::keyClick(form.PopupMenu(), Qt::Key_F1);
    EXPECT_FALSE(form.PopupMenu()->isVisible());
    form.Memo()->setFocus();
    dialogs.expectUrl();
    QTest::keyClick(form.Memo(), Qt::Key_F1);
    ui::SetHelpFolder(QString());
    ASSERT_EQ(dialogs.urls().size(), 2);
    for (const QUrl &url : dialogs.urls())
        EXPECT_EQ(QFileInfo(url.toLocalFile()).fileName(), QStringLiteral("context-180.html"));
}

TEST_F(SqlWindow, StatementsTypedFromTheTemplatesChangeTheTableAsDbfreadSeesIt)
{
    form.SetTable(kDatabase, directory(), QString());
    const QString table = path(QStringLiteral("new_table.dbf"));

    form.CREATETABLE1Click();
    typeOver(form, QStringLiteral("("), QStringLiteral("(ID INTEGER, NAME CHAR(12), RF1 DECIMAL(6,3)"));
    form.ExecSQL();
    QJsonObject contents = readWithDbfread(table);
    EXPECT_EQ(contents["fields"].toArray(), (QJsonArray{"ID", "NAME", "RF1"}));
    EXPECT_TRUE(contents["records"].toArray().isEmpty());

    dialogs.expectFile(table);
    form.Choicetable1Click();
    EXPECT_EQ(fieldBox(form), (QStringList{"ID", "NAME", "RF1"}));

    form.ALTERTABLE1Click();
    typeAtEnd(form, QStringLiteral(" ADD NOTE CHAR(20)"));
    form.ExecSQL();

    const char *rows[] = {"(1, 'granite', 2.5, 'grey')", "(2, 'basalt', 3.25, 'black')", "(3, 'slate', 0.125, 'blue')"};
    for (const char *values : rows) {
        form.INSERT1Click();
        typeOver(form, QStringLiteral("_columns_list_"), QStringLiteral("ID, NAME, RF1, NOTE"));
        typeAtEnd(form, QLatin1String(values));
        form.ExecSQL();
    }

    form.UPDATE1Click();
    typeOver(form, QStringLiteral("SET "), QStringLiteral("SET RF1 = RF1 * 2, NOTE = 'dark'"));
    typeOver(form, QStringLiteral("_conditions_"), QStringLiteral("ID = 2"));
    form.ExecSQL();

    form.DELETE1Click();
    typeOver(form, QStringLiteral("_conditions_"), QStringLiteral("NAME = 'granite'"));
    form.ExecSQL();

    contents = readWithDbfread(table);
    EXPECT_EQ(contents["fields"].toArray(), (QJsonArray{"ID", "NAME", "RF1", "NOTE"}));
    ASSERT_EQ(contents["records"].toArray().size(), 2);
    EXPECT_EQ(record(contents, 0), (QJsonArray{2, "basalt", 6.5, "dark"}));
    EXPECT_EQ(record(contents, 1), (QJsonArray{3, "slate", 0.125, "blue"}));

    form.Memo()->setPlainText(QStringLiteral("SELECT * FROM 'new_table.dbf'"));
    const QByteArray before = fileBytes(table);
    form.ExecSQL(); // runs without a result to show
    EXPECT_EQ(fileBytes(table), before);

    form.DROPTABLE1Click();
    form.ExecSQL();
    EXPECT_FALSE(QFile::exists(table));
}

TEST_F(SqlWindow, RejectedStatementGivesTheDatabasesMessageAndChangesNothing)
{
    makeRocks();
    form.SetTable(kDatabase, directory(), QStringLiteral("rocks.dbf"));
    const QString table = path(QStringLiteral("rocks.dbf"));
    const QByteArray before = fileBytes(table);
    const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);
    const auto expectRejected = [&](const char *message) {
        try {
            form.ExecSQL();
            ADD_FAILURE() << "accepted: " << form.Memo()->toPlainText().toStdString();
        } catch (const db::EDatabaseError &error) {
            EXPECT_TRUE(error.Message().contains(QLatin1String(message))) << error.Message().toStdString();
        }
        EXPECT_EQ(fileBytes(table), before);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), filesBefore);
    };

    form.CREATEINDEX1Click();
    typeOver(form, QStringLiteral("_indexname_"), QStringLiteral("byname"));
    typeOver(form, QStringLiteral("_fields_"), QStringLiteral("NAME"));
    expectRejected("CREATE INDEX is not supported: the database layer keeps no index files");
    form.DROPINDEX1Click();
    typeOver(form, QStringLiteral("_indexname_"), QStringLiteral("byname"));
    expectRejected("DROP INDEX is not supported: the database layer keeps no index files");
    form.Memo()->setPlainText(QStringLiteral("BEGIN"));
    expectRejected("BEGIN is not allowed");

    // A statement that never ends, stopped from its box.
    const QString endless = QStringLiteral("WITH RECURSIVE x(n) AS (SELECT 1 UNION ALL SELECT n+1 FROM x) ");
    for (const QString &statement : {endless + QStringLiteral("SELECT n FROM x"),
                                     endless + QStringLiteral("UPDATE 'rocks.dbf' SET NAME = 'gui' WHERE ID <> (SELECT MAX(n) FROM x)")}) {
        dialogs.expectStop();
        form.Memo()->setPlainText(statement);
        expectRejected("The statement was stopped");
    }

    // The second row cannot take its value: the first one, already changed, is put back too.
    run(QStringLiteral("INSERT INTO 'rocks.dbf' (NAME, ID, RF1) VALUES ('slate', 2, 3)"));
    const QByteArray twoRows = fileBytes(table);
    form.UPDATE1Click();
    typeOver(form, QStringLiteral("SET "), QStringLiteral("SET RF1 = CASE WHEN ID = 1 THEN 4 ELSE 123456 END"));
    typeOver(form, QStringLiteral("WHERE _conditions_"), QStringLiteral("WHERE ID > 0"));
    try {
        form.ExecSQL();
        ADD_FAILURE() << "a value wider than its field was accepted";
    } catch (const db::EDatabaseError &) {
    }
    EXPECT_EQ(fileBytes(table), twoRows);
}

// The window as the main window shows it, through the Qt provider of the dialog seam: the menu
// opens by itself, a letter writes a template, and Enter on OK closes it with OK; Esc cancels.
TEST(SqlWindowShownModally, LetterThenOkAndEscCancels)
{
    ui::SetDialogProvider(nullptr);
    for (const bool accept : {true, false}) {
        TFormSQL form;
        form.SetTable(QString(), QString(), QString());
        QTimer::singleShot(0, [&form, accept] {
            form.activateWindow(); // what the window manager does with a new window
            if (!QTest::qWaitFor([&form] { return form.PopupMenu()->isVisible(); })) {
                ADD_FAILURE() << "the template menu did not open";
                form.done(ui::mrAbort);
                return;
            }
            QTest::keyClick(form.PopupMenu(), Qt::Key_U);
            if (accept) {
                auto *ok = form.findChild<QPushButton *>(QStringLiteral("BtnOK"));
                ok->setFocus();
                QTest::keyClick(ok, Qt::Key_Return);
            } else {
                QTest::keyClick(form.Memo(), Qt::Key_Escape);
            }
        });
        EXPECT_EQ(ui::ShowModal(form), accept ? ui::mrOk : ui::mrCancel);
        EXPECT_EQ(memoLines(form).first(), QStringLiteral("UPDATE ''"));
    }
}

} // namespace
