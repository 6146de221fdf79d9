// Data tables in the main window: creating a missing table, reading records by query, a read
// that fails part-way, closing the database, the results list on the clipboard and the output
// table's key.

#include "ModalSteps.h"
#include "TableWindowFixture.h"

#include "workspace/FInfo.h"
#include "workspace/FReport.h"

#include "platform/db/Table.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QScopeGuard>
#include <QTest>

namespace {

class DataTablesTest : public TableWindowTest
{
protected:
    // The measurement table m.dbf: ID, START, Rf1..Rf3, Inc1..Inc3 and, when asked, FACTOR.
    QString measurements(const QStringList &values, bool factor = false)
    {
        exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID CHAR(8), START DECIMAL(6,2), Rf1 CHAR(6), Rf2 DECIMAL(6,2), "
                            "Rf3 DECIMAL(6,2), Inc1 CHAR(3), Inc2 CHAR(3), Inc3 CHAR(3)%1)")
                 .arg(factor ? QStringLiteral(", FACTOR DECIMAL(6,2)") : QString()));
        for (const QString &row : values)
            exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (%1)").arg(row));
        return dir.filePath(QStringLiteral("m.dbf"));
    }

    // The automation's way in: open, then read by a condition without the builder's window.
    void readWhere(const QString &path, const QString &where)
    {
        form->OpenDatabaseTable(path);
        form->QueryWhere(where);
    }

    std::vector<double> valuesOf(int item) const { return form->Items()[size_t(item)].Values; }
};

TEST_F(DataTablesTest, MissingTableCreatedAsAnswered)
{
    const QString path = dir.filePath(QStringLiteral("it's \"new\".dbf")); // quotes of both kinds
    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral(" does not exists. Create new?"), ui::mrYes);
    dialogs.expectInput(QStringLiteral("NAME CHAR(10)"));
    dialogs.expectInput(QStringLiteral("DAY DATE,"));
    dialogs.expectInput(QString());
    dialogs.expectInput(QStringLiteral("2"));
    dialogs.expectInput(QStringLiteral("DECIMAL(5,2)"));
    dialogs.expectMessage(QStringLiteral("Include FACTOR variable field?"), ui::mrYes);
    dialogs.expectMessage(QStringLiteral("Include Classification variable field?"), ui::mrCancel);
    dialogs.expectModal([](QDialog &) { return int(ui::mrCancel); }); // the builder, empty
    dialogs.expectMessage(QStringLiteral("No active data"));
    form->BtnOpenClick();

    db::TTable table;
    table.SetTableName(path);
    rtl::TStringList names;
    table.GetFieldNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "NAME", "DAY", "START", "RF1", "RF2", "INC1", "INC2", "FACTOR"}));
    table.Open();
    EXPECT_EQ(table.FieldByName(QStringLiteral("RF1"))->Size(), 7); // DECIMAL(5,2): N 7,2
    EXPECT_EQ(form->FileName(), path);
    EXPECT_TRUE(f().BtnQuery->isVisibleTo(form.get()));
    EXPECT_EQ(FormHistory->Lines().last(), QStringLiteral("Open: DBF:") + path);
    const QStringList &shown = dialogs.messages();
    EXPECT_TRUE(shown.first().startsWith(QStringLiteral("File ") + path));
}

TEST_F(DataTablesTest, DeclinedOrFailedCreationLeavesNoFileOpen)
{
    const QString path = dir.filePath(QStringLiteral("none.dbf"));
    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral("Create new?"), ui::mrNo);
    form->BtnOpenClick();
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_TRUE(f().BtnOpen->isEnabled());

    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral("Create new?"), ui::mrYes);
    dialogs.expectInput(QString());
    dialogs.expectInput(QStringLiteral("three"));
    dialogs.expectMessage(QStringLiteral("'three' is not a valid integer value"));
    form->BtnOpenClick();
    EXPECT_FALSE(QFileInfo::exists(path));

    // A count no item holds is refused at once, before it builds a statement of that many fields.
    dialogs.expectFile(path);
    dialogs.expectMessage(QStringLiteral("Create new?"), ui::mrYes);
    dialogs.expectInput(QString());
    dialogs.expectInput(QStringLiteral("2147483647"));
    dialogs.expectMessage(QStringLiteral("Number of Rf values must be at most 255"));
    form->BtnOpenClick();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_TRUE(f().BtnOpen->isEnabled());
    EXPECT_FALSE(FormHistory->Lines().join(QLatin1Char('\n')).contains(QStringLiteral("DBF:")));
}

// An automation instance ends when its client leaves; the boxes of a creation its client asked
// for then close on the server's screen with nobody's answer, and no default may stand for one.
TEST_F(DataTablesTest, ProgramEndingUnderTheCreationsInputBoxesCreatesNoTable)
{
    const QString path = dir.filePath(QStringLiteral("asked.dbf"));
    ui::SetDialogProvider(nullptr); // the real boxes
    const auto scripted = qScopeGuard([this] { ui::SetDialogProvider(&dialogs); });
    const auto press = [](Qt::Key key) {
        return [key](QWidget &box) {
            QTest::keyClick(&box, key);
            return true;
        };
    };
    QString failure;
    QStringList asked;
    QTimer::singleShot(0, [&] {
        withModalSteps([&] { failure = form->OpenDatabaseTable(path); },
                       {press(Qt::Key_Return), press(Qt::Key_Return), [&asked](QWidget &box) {
                            if (auto *input = qobject_cast<QInputDialog *>(&box))
                                asked << input->labelText();
                            QCoreApplication::exit(0);
                            return true;
                        }});
    });
    QCoreApplication::exec();
    EXPECT_EQ(asked, QStringList{"Number of Rf values"});
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_TRUE(failure.contains(QStringLiteral("was not created"))) << failure.toStdString();
}

TEST_F(DataTablesTest, AutomationReadByCondition)
{
    const QString path = measurements({"'a', 1, '3', 5, 0, '', 'n', ''", "'b', 0, '', 2.5, 4, 'yes', '', '-'",
                                       "'c', 0, '9', 9, 9, '', '', ''"});
    readWhere(path, QStringLiteral("ID < 'c'"));
    ASSERT_EQ(form->ItemCount(), 2);
    EXPECT_EQ(form->Items()[0].Id, QStringLiteral("a"));
    EXPECT_EQ(valuesOf(0), (std::vector<double>{2}));      // Rf2 flagged n, Rf3 zero
    EXPECT_EQ(form->Items()[0].Positions, std::vector<uint16_t>{1});
    EXPECT_EQ(valuesOf(1), (std::vector<double>{2.5}));    // Rf1 empty, Rf3 flagged -
    EXPECT_EQ(form->Items()[1].Positions, std::vector<uint16_t>{2});
    EXPECT_EQ(form->Differences().size(), 1u);
    EXPECT_EQ(form->SqlLines()->Lines(), (QStringList{"SELECT ID FROM 'm.dbf'", "WHERE ID < 'c'"}));
    EXPECT_EQ(form->query().SQL().Lines(), (QStringList{"SELECT * FROM 'm.dbf'", "WHERE ID < 'c'"}));
    EXPECT_FALSE(form->query().Active());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quibo [query of ") + path + QStringLiteral(" on ID < 'c']"));
    EXPECT_TRUE(f().RB_Cases->isChecked());
    EXPECT_EQ(form->Results().Lines(), QStringList{"log=0"});
    EXPECT_EQ(FormHistory->Lines().last(), QStringLiteral("SQL: SELECT ID FROM 'm.dbf' WHERE ID < 'c' "));
    EXPECT_TRUE(f().BtnClose->isEnabled());
    EXPECT_FALSE(f().BtnOpen->isEnabled());
}

TEST_F(DataTablesTest, FactorUsedOrDeclined)
{
    const QString path = measurements({"'a', 1, '3', 5, 0, '', '', '', 2", "'b', 1, '2', 0, 0, '', '', '', 0"}, true);
    form->OpenDatabaseTable(path);
    dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrYes);
    f().CB_log->setChecked(true);
    form->QueryWhere(QStringLiteral("1 = 1"));
    ASSERT_EQ(form->ItemCount(), 2);
    EXPECT_DOUBLE_EQ(valuesOf(0)[0], std::log10(4.0));
    EXPECT_DOUBLE_EQ(valuesOf(0)[1], std::log10(8.0));
    EXPECT_DOUBLE_EQ(valuesOf(1)[0], 0.0); // factor 0 counts as 1
    EXPECT_EQ(form->TransformText(), QStringLiteral("Transformation: LOG(y); FACTOR*y"));
    EXPECT_EQ(form->Results().Lines(), QStringList{"log=1"});

    QObject other;
    form->BtnCloseClick(&other);
    f().CB_log->setChecked(false);
    dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrNo);
    form->QueryWhere(QStringLiteral("1 = 1"));
    EXPECT_EQ(valuesOf(0), (std::vector<double>{2, 4}));
    EXPECT_EQ(form->TransformText(), QString());
}

TEST_F(DataTablesTest, ReadFailingPartWayKeepsNothingAndCanBeRepeated)
{
    const QString path = measurements({"'a', 0, '1', 2, 3, '', '', ''", "'b', 0, '1x', 2, 3, '', '', ''"});
    readWhere(path, QStringLiteral("ID = 'a'"));
    ASSERT_EQ(form->ItemCount(), 1);

    dialogs.expectMessage(QStringLiteral("record 2, field RF1: '1x' is not a valid floating point value"));
    form->QueryWhere(QStringLiteral("1 = 1"));
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(form->ItemCount(), 0);
    EXPECT_TRUE(form->Differences().empty());
    EXPECT_EQ(grid().Cells(1, 0), QString());
    EXPECT_FALSE(form->query().Active());
    EXPECT_EQ(form->FileName(), path);
    EXPECT_TRUE(f().BtnQuery->isVisibleTo(form.get()));
    EXPECT_TRUE(f().Closedatabase1->isEnabled());
    EXPECT_FALSE(f().BtnClose->isEnabled());

    form->QueryWhere(QStringLiteral("ID = 'a'"));
    EXPECT_EQ(form->ItemCount(), 1);
    dialogs.expectMessage(QStringLiteral("No active data"));
    form->QueryWhere(QStringLiteral("ID = 'none'"));
    EXPECT_EQ(form->ItemCount(), 0);
    EXPECT_FALSE(f().BtnClose->isEnabled());
}

TEST_F(DataTablesTest, LogOfValueNotPositiveStopsTheRead)
{
    const QString path = measurements({"'a', 5, '1', 7, 8, '', '', ''"});
    f().CB_log->setChecked(true);
    form->OpenDatabaseTable(path);
    dialogs.expectMessage(QStringLiteral("record 1, field RF1"));
    form->QueryWhere(QStringLiteral("1 = 1"));
    EXPECT_EQ(form->ItemCount(), 0);
}

TEST_F(DataTablesTest, CloseDatabaseAnsweredYesOrNo)
{
    const QString path = measurements({"'a', 0, '1', 2, 3, '', '', ''"});
    readWhere(path, QStringLiteral("1 = 1"));
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrNo);
    form->Closedatabase1Click();
    EXPECT_EQ(form->ItemCount(), 1);
    EXPECT_TRUE(form->FileName().isEmpty());
    EXPECT_FALSE(form->database().Connected());
    EXPECT_FALSE(f().BtnQuery->isVisibleTo(form.get()));

    readWhere(path, QStringLiteral("1 = 1"));
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
    form->Closedatabase1Click();
    EXPECT_EQ(form->ItemCount(), 0);
    EXPECT_TRUE(f().BtnOpen->isEnabled());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quibo"));
}

TEST_F(DataTablesTest, ResultsIntoClipboardDropStaleClasses)
{
    const QString path = measurements({"'a', 0, '1', 1.5, 5, '', '', ''", "'b', 0, '5.5', 9, 9.25, '', '', ''"});
    readWhere(path, QStringLiteral("1 = 1"));
    form->Resultsintoclipboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("log=0\r\n"));

    ASSERT_EQ(form->SetLimitAfter(1), 1); // 1.5 | 5
    ASSERT_EQ(form->SetLimitAfter(3), 1); // 5.5 | 9
    form->ComputeStatistics();
    form->Resultsintoclipboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("log=0\r\nclass_A=(n 2; std 0.353553; avg 1.25)\r\nclass_B=(n 2; std 0.353553; avg 5.25)\r\n"
                             "class_C=(n 2; std 0.176777; avg 9.125)\r\n"));

    ASSERT_EQ(form->SetLimitAfter(3), 1); // removed again
    form->ComputeStatistics();
    form->Resultsintoclipboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("log=0\r\nclass_A=(n 2; std 0.353553; avg 1.25)\r\nclass_B=(n 4; std 2.24884; avg 7.1875)\r\n"));
}

TEST_F(DataTablesTest, ResultsIntoClipboardWithoutData)
{
    form->Resultsintoclipboard1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

struct KeyCase
{
    const char *name;
    int type;
    const char *text;
    const char *expectedId; // the record the key selects; nullptr when the parameter has no value
};

class OutputKeyTest : public DataTablesTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(OutputKeyTest, KeyTypeSelectsRecord)
{
    const KeyCase &c = GetParam();
    exec(QStringLiteral("CREATE TABLE 'out.dbf' (ID CHAR(4), NAME CHAR(6), K INTEGER, S SMALLINT, F FLOAT, B BOOLEAN, "
                        "D DATE, RES MEMO)"));
    exec(QStringLiteral("INSERT INTO 'out.dbf' VALUES ('one', 'ab', 12, 7, 2.5, 1, '2024-03-05', 'x')"));
    exec(QStringLiteral("INSERT INTO 'out.dbf' VALUES ('two', 'cd', 13, 8, 3.5, 0, '2024-03-06', 'y')"));
    form->OpenDatabaseTable(measurements({}));
    const char *keyField = c.type == 1 ? "NAME" : c.type == 2 || c.type == 4 ? "S" : c.type == 5 ? "B"
                           : c.type == 6 ? "F" : c.type == 9 ? "D" : "K";
    form->SetOutputTable(QStringLiteral("out.dbf"), QLatin1String(keyField), QStringLiteral("RES"));
    // A date key is typed in the locale's short date format.
    const QString text = c.type == 9 ? QLocale::c().toString(QDate(2024, 3, 5), QLocale::ShortFormat) : QLatin1String(c.text);
    form->SetOutputKey(c.type, text);
    db::TParam &key = form->OutputQuery()->Params()[0];
    EXPECT_EQ(int(key.DataType()), c.type);
    if (!c.expectedId) {
        EXPECT_TRUE(key.IsNull());
        return;
    }
    form->OutputQuery()->Open();
    ASSERT_EQ(form->OutputQuery()->RecordCount(), 1);
    EXPECT_EQ(form->OutputQuery()->FieldByName(QStringLiteral("ID"))->AsString(), QLatin1String(c.expectedId));
    EXPECT_TRUE(form->OutputQuery()->CanModify());
}

INSTANTIATE_TEST_SUITE_P(Types, OutputKeyTest,
    ::testing::Values(KeyCase{"string", 1, "cd", "two"}, KeyCase{"smallint", 2, "8", "two"},
                      KeyCase{"integer", 3, "12", "one"}, KeyCase{"word", 4, "7", "one"},
                      KeyCase{"booleanNumber", 5, "0", "two"}, KeyCase{"booleanWord", 5, "true", "one"},
                      KeyCase{"float", 6, "3.5", "two"}, KeyCase{"date", 9, "", "one"},
                      KeyCase{"currencyGetsNoValue", 7, "12", nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DataTablesTest, OutputTableNamedOnceKeyRejectedAndForgottenAtOpen)
{
    EXPECT_FALSE(f().Runregressionscript1->isVisible());
    const QString path = measurements({});
    form->OpenDatabaseTable(path);
    form->SetOutputTable(QStringLiteral("out.dbf"), QStringLiteral("K"), QStringLiteral("RES"));
    form->SetOutputTable(QStringLiteral("out.dbf"), QStringLiteral("OTHER"), QStringLiteral("MEMO2"));
    EXPECT_EQ(form->OutputMemoField(), QStringLiteral("RES"));
    EXPECT_EQ(form->OutputQuery()->SQL().Lines(), QStringList{"SELECT * FROM 'out.dbf' WHERE K= :K"});
    EXPECT_TRUE(f().Runregressionscript1->isVisible());
    EXPECT_TRUE(f().Readclasslimits1->isVisible());
    exec(QStringLiteral("CREATE TABLE 'out.dbf' (K INTEGER, RES MEMO)"));
    EXPECT_THROW(form->SetOutputKey(3, QStringLiteral("twelve")), rtl::EConvertError);

    dialogs.expectModal([](QDialog &) { return int(ui::mrCancel); }); // the same file again: the builder
    dialogs.expectMessage(QStringLiteral("No active data"));
    form->OpenDatabaseTable(path);
    EXPECT_EQ(form->OutputQuery(), nullptr);
    EXPECT_TRUE(form->OutputTable().isEmpty());
    EXPECT_TRUE(f().Readclasslimits1->isVisible()); // stays for the run
}

TEST_F(DataTablesTest, AutomationClosesStartScreenAndCancelNoLongerQuits)
{
    FormInfo->show();
    form->PrepareAutomation();
    EXPECT_FALSE(FormInfo->isVisible());
    EXPECT_FALSE(f().BtnCancel->isEnabled());
    form->show();
    QTest::keyClick(form.get(), Qt::Key_Escape); // no "Quit of Quibo?" is asked
    EXPECT_TRUE(dialogs.allUsed());
}

} // namespace
