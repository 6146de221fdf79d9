// The commands that open the import and SQL windows: what the main window hands them and what
// it writes to the history. The windows themselves are stood in for here.

#include "TableWindowFixture.h"

#include "charts/FChartProp.h"

#include <QAction>

namespace {

class ToolCommandsTest : public TableWindowTest
{
protected:
    void SetUp() override
    {
        TableWindowTest::SetUp();
        form->SetToolWindows({
            .ImportEditData = [this](const QString &table) { calls << "edit " + table; return editAnswer; },
            .ImportTalnex = [this](const QString &target) { calls << "talnex " + target; return talnexAnswer; },
            .SqlCommand = [this](const QString &database, const QString &folder, const QString &file) {
                calls << "sql " + database + " " + folder + " " + file;
            },
        });
    }

    QStringList history() const { return FormHistory->Lines(); }

    QStringList calls;
    std::optional<QString> editAnswer;
    QString talnexAnswer;
};

} // namespace

TEST_F(ToolCommandsTest, EditAndImportEntriesReachTheHistory)
{
    editAnswer = QString(); // closed without reading or saving
    f().Importeditdata1->trigger();
    editAnswer = QStringLiteral("/data/a.csv");
    f().Importeditdata1->trigger();
    editAnswer.reset(); // the window was shown already: brought to the front, no session
    f().Importeditdata1->trigger();
    talnexAnswer.clear(); // stopped at the first question
    f().ImportTalnex1->trigger();
    talnexAnswer = QStringLiteral("/data/t.txt(/data/t.txt)");
    f().ImportTalnex1->trigger();

    EXPECT_EQ(calls, QStringList({"edit ", "edit ", "edit ", "talnex ", "talnex "})) << "no table is open";
    EXPECT_EQ(history().mid(history().size() - 3),
              QStringList({"(Edit): ", "(Edit): /data/a.csv", "(Import): /data/t.txt(/data/t.txt)"}));
}

TEST_F(ToolCommandsTest, TheOpenTableIsTheImportTargetAndTheSqlWindowsTable)
{
    exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID CHAR(8), START DECIMAL(6,2), Rf1 DECIMAL(6,2))"));
    exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES ('a', 1, 2)"));
    const QString path = dir.filePath(QStringLiteral("m.dbf"));
    EXPECT_FALSE(f().SQLcommand1->isEnabled()) << "no table open";
    form->OpenDatabaseTable(path);
    form->QueryWhere(QStringLiteral("ID = 'a'"));
    ASSERT_TRUE(f().SQLcommand1->isEnabled());

    editAnswer = QString();
    f().Importeditdata1->trigger();
    f().ImportTalnex1->trigger();
    f().SQLcommand1->trigger();
    EXPECT_EQ(calls, QStringList({"edit " + path, "talnex " + path, "sql DBFtables " + dir.path() + "/ m.dbf"}));
}

TEST_F(ToolCommandsTest, GraphPropertiesReturnAtOnceWithTheDialogOpenBesideTheMainWindow)
{
    f().Graphproperties1->trigger(); // a modal dialog would be an unscripted one and fail here
    ASSERT_NE(FormChartProp, nullptr);
    EXPECT_TRUE(FormChartProp->isVisible());
    EXPECT_FALSE(FormChartProp->isModal());
    EXPECT_EQ(FormChartProp->FChart(), &chart());
    EXPECT_TRUE(calls.isEmpty());
    FormChartProp->hide();
}
