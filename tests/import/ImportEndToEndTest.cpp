// From an outside program's export to judged classes: a Talnex export imported into the import
// window, stored into a table made by CREATE TABLE, read back by Debian's dbfread, then read
// into the main window through the query builder and classified.

#include "TableWindowFixture.h"

#include "ImportTestHelpers.h"
#include "LocaleGuard.h"

#include "import/FImport.h"
#include "import/FOpenText.h"
#include "import/ImportTools.h"

#include "ui_FOpenText.h"
#include "ui_FSetQuery.h"

#include "workspace/FSetQuery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

class ImportEndToEndTest : public TableWindowTest
{
protected:
    void SetUp() override
    {
        TableWindowTest::SetUp();
        form->SetToolWindows(ImportToolWindows());
    }
    void TearDown() override
    {
        delete FormImport;
        FormImport = nullptr;
        TableWindowTest::TearDown();
    }

    /// The next open-text dialog reads `fileName` as it comes preset.
    void expectOpenText(const QString &fileName)
    {
        dialogs.expectModal([fileName](QDialog &dialog) {
            auto &openText = dynamic_cast<TFormOpenText &>(dialog);
            openText.form().EditFileName->setText(fileName);
            openText.form().BtnOK->click();
            return openText.result();
        });
    }

    /// Runs the table oracle (Debian's dbfread and dbf) on `path`; answers what it printed.
    QByteArray runOracle(const char *command, const QString &path)
    {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(QUIBO_SOURCE_DIR "/tests/platform/db/python/dbf_oracle.py"), QLatin1String(command), path});
        EXPECT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return python.readAllStandardOutput();
    }

    /// The records of a table as Debian's dbfread reads them.
    QJsonArray readByDbfread(const QString &path)
    {
        return QJsonDocument::fromJson(runOracle("read", path)).object().value("dbfread").toArray();
    }
};

} // namespace

TEST_F(ImportEndToEndTest, TalnexExportStoredIntoATableReadBackAndClassified)
{
    exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID CHAR(8), START DECIMAL(8,4), Rf1 DECIMAL(8,4), Rf2 DECIMAL(8,4), "
                        "Rf3 DECIMAL(8,4), CLAS CHAR(8))"));
    const QString table = dir.filePath(QStringLiteral("m.dbf"));
    // Item, position, area (not used), value, perimeter (not used); the first data line is the
    // export's own and goes. Item 4 never occurs; item 2 has three positions.
    const QString exportFile = writeFile(QStringLiteral("talnex.txt"),
                                         "Row\tColumn\tArea\tValue\tPerimeter\r\n"
                                         "0\t0\t0\t0\t0\r\n"
                                         "1\t1\t5\t10.5\t9\r\n1\t2\t5\t0.25\t9\r\n1\t3\t5\t11\t9\r\n1\t4\t5\t30.25\t9\r\n"
                                         "2\t1\t5\t0.5\t9\r\n2\t2\t5\t12\t9\r\n2\t3\t5\t10.75\t9\r\n"
                                         "3\t4\t5\t11.5\t9\r\n3\t3\t5\t29.5\t9\r\n3\t2\t5\t31\t9\r\n3\t1\t5\t0.125\t9\r\n"
                                         "5\t1\t5\t0.0625\t9\r\n5\t2\t5\t10.25\t9\r\n5\t3\t5\t30.5\t9\r\n");
    form->OpenDatabaseTable(table);

    expectOpenText(exportFile);
    dialogs.expectMessage(QStringLiteral("Continue in preparation of data from Talnex?"), ui::mrYes);
    dialogs.expectMessage(QStringLiteral("Is START value in first data column?"), ui::mrYes);
    f().ImportTalnex1->trigger();
    ASSERT_NE(FormImport, nullptr);
    EXPECT_TRUE(FormImport->isVisible()) << "the import window stays for checking and storing";
    EXPECT_EQ(FormHistory->Lines().constLast(), "(Import): " + exportFile + "(" + exportFile + ")");
    const TImportGrid &grid = FormImport->Grid();
    const std::vector<QStringList> expected = {{"ID", "START", "Rf1", "Rf2", "Rf3"},
                                               {"1", "0.25", "10.5", "11", "30.25"},
                                               {"2", "0.5", "10.75", "12", ""},
                                               {"3", "0.125", "11.5", "29.5", "31"},
                                               {"4", "", "", "", ""},
                                               {"5", "0.0625", "10.25", "30.5", ""}};
    ASSERT_EQ(grid.RowCount(), int(expected.size()));
    for (int row = 0; row < grid.RowCount(); ++row)
        EXPECT_EQ(Row(grid, row), expected[size_t(row)]) << "row " << row;

    dialogs.expectMessage(QStringLiteral("Store data into DBF table?"), ui::mrYes);
    dialogs.expectModal([](QDialog &) { return int(ui::mrOk); }); // the fields found their columns by name
    dialogs.expectMessage(QStringLiteral("Data were stored into DBF table successfully."));
    FormImport->BtnStoreInDBFClick();
    EXPECT_TRUE(FormImport->Saved());

    const QJsonArray records = readByDbfread(table);
    ASSERT_EQ(records.size(), grid.RowCount() - 1);
    const char *fields[] = {"ID", "START", "RF1", "RF2", "RF3"};
    for (int row = 1; row < grid.RowCount(); ++row) {
        const QJsonObject record = records[row - 1].toObject();
        EXPECT_EQ(record.value("ID").toString(), grid.Cells(0, row));
        for (int column = 1; column < 5; ++column) {
            const QJsonValue value = record.value(QLatin1String(fields[column]));
            const QString cell = grid.Cells(column, row);
            if (cell.isEmpty())
                EXPECT_TRUE(value.isNull()) << "row " << row << " " << fields[column];
            else
                EXPECT_EQ(value.toDouble(), rtl::StrToFloat(cell)) << "row " << row << " " << fields[column];
        }
        EXPECT_TRUE(record.value("CLAS").isNull() || record.value("CLAS").toString().isEmpty()) << "no column, no value";
    }
    FormImport->close();

    // Values are Rf - START: 10.25 10.75 30 | 10.25 11.5 | 11.375 29.375 30.875 | 10.1875 30.4375.
    dialogs.expectModal([](QDialog &dialog) {
        dynamic_cast<TFormSetQuery &>(dialog).BtnSQLClick();
        return int(ui::mrOk);
    });
    form->BtnQueryClick(f().BtnQuery);
    ASSERT_EQ(form->ItemCount(), 5);
    ASSERT_EQ(form->SetLimitAfter(5), 1); // after the sixth value
    form->Statistics1Click();
    ASSERT_EQ(form->Classes().size(), 2u);
    EXPECT_EQ(form->Classes()[0].Average, (10.1875 + 10.25 + 10.25 + 10.75 + 11.375 + 11.5) / 6);
    EXPECT_EQ(form->Classes()[1].Average, (29.375 + 30.0 + 30.4375 + 30.875) / 4);
}

// A Czech user reads a table into the grid and stores the rows back, adding one typed with a
// two-digit year: no date may move to another century on the way.
TEST_F(ImportEndToEndTest, DatesKeepTheirCenturyFromATableThroughTheGridBackIntoIt)
{
    LocaleGuard czech(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const QString table = dir.filePath(QStringLiteral("people.dbf"));
    runOracle("write", table); // Debian's dbf: BORN 2001-02-03 in the first of three records
    form->OpenDatabaseTable(table);
    TFormImport window;
    window.PrepareStoreTable(table);
    dialogs.expectModal([table](QDialog &dialog) {
        auto &openText = dynamic_cast<TFormOpenText &>(dialog);
        openText.form().CB_database->setChecked(true);
        openText.form().EditFileName->setText(table);
        openText.form().BtnOK->click();
        return openText.result();
    });
    dialogs.expectModal([](QDialog &dialog) {
        dynamic_cast<TFormSetQuery &>(dialog).BtnSQLClick();
        return int(ui::mrOk);
    });
    window.BtnReadClick();
    TImportGrid &grid = window.Grid();
    ASSERT_EQ(grid.RowCount(), 4);
    ASSERT_EQ(grid.Cells(3, 0), QStringLiteral("BORN"));
    EXPECT_EQ(grid.Cells(3, 1).toStdString(), "03.02.2001");
    grid.SetRowCount(5);
    grid.SetCells(3, 4, QStringLiteral("01.02.24"));

    dialogs.expectMessage(QStringLiteral("Store data into DBF table?"), ui::mrYes);
    dialogs.expectModal([](QDialog &) { return int(ui::mrOk); }); // NAME, AMOUNT and BORN by name
    dialogs.expectMessage(QStringLiteral("Data were stored into DBF table successfully."));
    window.BtnStoreInDBFClick();

    const QJsonArray records = readByDbfread(table);
    ASSERT_EQ(records.size(), 7);
    const char *born[] = {"2001-02-03", nullptr, nullptr, "2001-02-03", nullptr, nullptr, "2024-02-01"};
    for (int i = 0; i < 7; ++i) {
        const QJsonValue value = records[i].toObject().value("BORN");
        if (born[i])
            EXPECT_EQ(value.toString().toStdString(), born[i]) << "record " << i + 1;
        else
            EXPECT_TRUE(value.isNull()) << "record " << i + 1;
    }
}
