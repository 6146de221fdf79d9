// The import window's store into the main window's table and its Talnex import, as the main
// window's commands drive them, and the SQL window opened from there.

#include "TableWindowFixture.h"

#include "ImportTestHelpers.h"

#include "import/FImport.h"
#include "import/FOpenText.h"
#include "import/FSQL.h"
#include "import/ImportTools.h"
#include "import/StoreTable.h"

#include "ui_FImport.h"
#include "ui_FOpenText.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class ImportToolsTest : public TableWindowTest
{
protected:
    void SetUp() override
    {
        TableWindowTest::SetUp();
        form->SetToolWindows(ImportToolWindows());
        exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID CHAR(8), START DECIMAL(6,2), Rf1 DECIMAL(6,2), OK BOOLEAN, NOTE MEMO)"));
        table = dir.filePath(QStringLiteral("m.dbf"));
        form->OpenDatabaseTable(table);
    }
    void TearDown() override
    {
        delete FormImport;
        TableWindowTest::TearDown();
    }

    int records()
    {
        db::TTable t;
        t.SetDatabaseName(QStringLiteral("fixture"));
        t.SetTableName(QStringLiteral("m.dbf"));
        t.Open();
        return t.RecordCount();
    }

    /// The next open-text dialog reads `fileName` as it comes preset, or is cancelled.
    void expectOpenText(const QString &fileName)
    {
        dialogs.expectModal([fileName](QDialog &dialog) {
            auto &openText = dynamic_cast<TFormOpenText &>(dialog);
            if (fileName.isEmpty())
                return int(ui::mrCancel);
            openText.form().EditFileName->setText(fileName);
            openText.form().BtnOK->click();
            return openText.result();
        });
    }

    QStringList history() const { return FormHistory->Lines(); }

    QString table;
};

} // namespace

TEST_F(ImportToolsTest, StoreTargetOffersStorableFieldsAndAStoreWithNoFieldStoresNothing)
{
    dialogs.expectModal([this](QDialog &dialog) {
        auto &window = dynamic_cast<TFormImport &>(dialog);
        EXPECT_TRUE(window.Form().BtnStoreInDBF->isEnabled());
        QStringList offered;
        for (int i = 0; i < window.ListBoxFields()->count(); ++i)
            offered << window.ListBoxFields()->item(i)->text();
        EXPECT_EQ(offered, QStringList({"[NEW]", "ID", "RF1", "START"})) << "no Boolean, no memo";

        window.Grid().SetCells(1, 1, QStringLiteral("x"));
        dialogs.expectMessage(QStringLiteral("Store data into DBF table?"), ui::mrNo);
        window.BtnStoreInDBFClick();
        dialogs.expectMessage(QStringLiteral("Store data into DBF table?"), ui::mrYes);
        dialogs.expectModal([](QDialog &) { return int(ui::mrOk); }); // "Var1" meets no field
        dialogs.expectMessage(QStringLiteral("No record was stored into DBF table."));
        window.BtnStoreInDBFClick();
        return int(ui::mrCancel);
    });
    f().Importeditdata1->trigger();
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(FormImport, nullptr) << "freed after its modal run";
    EXPECT_EQ(history().constLast(), "(Edit): ");
}

TEST_F(ImportToolsTest, AStoreThatFailsPartWayKeepsTheRecordsBeforeItAndReportsNoSuccess)
{
    const QString cells = writeFile(QStringLiteral("cells.csv"), "1;1;1\r\n1;2;2\r\n2;1;x\r\n2;2;4\r\n3;1;5\r\n3;2;6\r\n");
    TFormImport window;
    window.PrepareStoreTable(table);
    window.ReadContingencyTable(cells); // unsaved data
    window.Grid().SetCells(0, 0, QStringLiteral("ID"));
    window.Grid().SetCells(1, 0, QStringLiteral("START"));
    window.Grid().SetCells(2, 0, QStringLiteral("Rf1"));
    dialogs.expectMessage(QStringLiteral("Store data into DBF table?"), ui::mrYes);
    dialogs.expectModal([](QDialog &) { return int(ui::mrOk); });
    try {
        window.BtnStoreInDBFClick();
        FAIL() << "a letter was stored into a number field";
    } catch (const EStoreError &error) {
        EXPECT_EQ(error.Row(), 2);
        EXPECT_EQ(error.Stored(), 1);
    }
    EXPECT_FALSE(window.Saved());
    EXPECT_EQ(records(), 1) << "row 1 stays; nothing of row 2 is stored; row 3 is not reached";
}

// A Talnex import leaves its window shown; "Import / edit data" then brings it to the front with
// the import as it stands, instead of emptying it and failing to show it modally.
TEST_F(ImportToolsTest, ImportEditDataKeepsTheGridOfAShownTalnexImport)
{
    const QString exportFile = writeFile(QStringLiteral("t.txt"), "Row\tCol\tA\tValue\r\n0\t0\t0\t0\r\n1\t1\t0\t5\r\n1\t2\t0\t3\r\n");
    expectOpenText(exportFile);
    dialogs.expectMessage(QStringLiteral("Continue in preparation of data from Talnex?"), ui::mrNo);
    f().ImportTalnex1->trigger();
    ASSERT_NE(FormImport, nullptr);
    EXPECT_TRUE(FormImport->isVisible());
    EXPECT_NE(history().constLast().left(9), "(Import):") << "stopped at the first question";
    TFormImport *shown = FormImport;
    const QStringList read = Row(shown->Grid(), 2);
    EXPECT_EQ(read, QStringList({"2", "1", "1", "0", "5"})) << "the export as read";

    f().Importeditdata1->trigger(); // a modal run here would be an unscripted dialog
    EXPECT_EQ(FormImport, shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(Row(shown->Grid(), 2), read);
    EXPECT_NE(history().constLast().left(7), "(Edit):");

    // Closed, it is hidden and reused: emptied, shown modally, freed.
    shown->close();
    dialogs.expectModal([shown](QDialog &dialog) {
        EXPECT_EQ(&dialog, shown);
        EXPECT_EQ(shown->Grid().RowCount(), 2) << "emptied before the modal run";
        return int(ui::mrCancel);
    });
    f().Importeditdata1->trigger();
    EXPECT_EQ(FormImport, nullptr);
    EXPECT_EQ(history().constLast(), "(Edit): " + exportFile);
}

TEST_F(ImportToolsTest, TalnexLinesWithoutRowAndColumnAreCountedAndTheDataStaySaved)
{
    // Export lines shorter than four fields give lines of im.csv without a column number.
    const QString exportFile = writeFile(QStringLiteral("t.txt"), "Row\tCol\tA\tValue\r\n0\t0\t0\t0\r\n1\t2\t0\t7\r\n1\r\n2\t1\t0\t4\r\n");
    expectOpenText(exportFile);
    dialogs.expectMessage(QStringLiteral("Continue in preparation of data from Talnex?"), ui::mrYes);
    dialogs.expectMessage(QStringLiteral("Error of construction of contingency table in 1 lines"));
    dialogs.expectMessage(QStringLiteral("Is START value in first data column?"), ui::mrNo);
    f().ImportTalnex1->trigger();
    EXPECT_TRUE(FormImport->Saved()) << "the clear before the read marked it so, and the errors kept it";
    EXPECT_EQ(Row(FormImport->Grid(), 0), QStringList({"ID", "START", "Rf1"}));
    EXPECT_EQ(Row(FormImport->Grid(), 1), QStringList({"1", "0", "7"}));
    EXPECT_EQ(Row(FormImport->Grid(), 2), QStringList({"2", "0", "4"}));
    EXPECT_EQ(history().constLast(), "(Import): " + exportFile + "(" + exportFile + ")");
}

TEST_F(ImportToolsTest, SqlCommandRunsTheStatementOnlyAfterOk)
{
    const auto expectSqlWindow = [this](const QString &statement, int result) {
        dialogs.expectModal([statement, result](QDialog &dialog) {
            auto &window = dynamic_cast<TFormSQL &>(dialog);
            window.Memo()->setPlainText(statement);
            return result;
        });
    };
    expectSqlWindow(QStringLiteral("INSERT INTO 'm.dbf' (ID) VALUES ('a')"), ui::mrCancel);
    f().SQLcommand1->trigger();
    EXPECT_EQ(records(), 0);
    EXPECT_EQ(FormSQL, nullptr);
    expectSqlWindow(QStringLiteral("INSERT INTO 'm.dbf' (ID) VALUES ('a')"), ui::mrOk);
    f().SQLcommand1->trigger();
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(FormSQL, nullptr);
}
