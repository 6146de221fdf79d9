// The main window's regression, class limits read back from the output table, and the factor
// and classification written into the data table: prompts and their refusals, what each
// command changes, a write-back that fails, and the round trip through the output table.

#include "FileSizeLimit.h"
#include "TableWindowFixture.h"

#include "workspace/FSetQuery.h"

#include "ui_FSetQuery.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <array>
#include <cmath>
#include <sys/stat.h>

namespace {

class RegressionWriteBackTest : public TableWindowTest
{
protected:
    bool chartHasSeriesTitled(const QString &title)
    {
        for (int i = 0; i < chart().SeriesCount(); ++i)
            if (chart().Series(i)->Title() == title)
                return true;
        return false;
    }

    // m.dbf: ID, START 0, three values and the fields written back; `rows` are "ID, v1, v2, v3".
    QString dataTable(const QStringList &rows, const QString &clasType = QStringLiteral("CHAR(4)"))
    {
        exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3), Rf2 DECIMAL(8,3), "
                           "Rf3 DECIMAL(8,3), CLAS %1, FACTOR DECIMAL(6,4))")
                .arg(clasType));
        for (const QString &row : rows) {
            const QStringList v = row.split(QLatin1Char(','));
            exec(QStringLiteral("INSERT INTO 'm.dbf' (ID, START, Rf1, Rf2, Rf3) VALUES (%1, 0, %2, %3, %4)")
                    .arg(v[0], v[1], v[2], v[3]));
        }
        return dir.filePath(QStringLiteral("m.dbf"));
    }

    // Opens the table afresh (closing it first when it is open) and reads the records `where` selects.
    void read(const QString &path, const QString &where = QStringLiteral("1 = 1"))
    {
        if (form->FileName() == path) {
            dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
            form->Closedatabase1Click();
        }
        form->OpenDatabaseTable(path);
        dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrNo);
        form->QueryWhere(where);
    }

    QStringList column(const QString &field)
    {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("fixture"));
        query.SQL().Add(QStringLiteral("SELECT * FROM 'm.dbf'"));
        query.Open();
        QStringList values;
        for (query.First(); !query.Eof(); query.Next())
            values << query.FieldByName(field)->AsString();
        return values;
    }

    void outputTable(const QString &memo = QString())
    {
        exec(QStringLiteral("CREATE TABLE 'out.dbf' (RUN INTEGER, RES MEMO)"));
        exec(QStringLiteral("INSERT INTO 'out.dbf' VALUES (7, '%1')").arg(memo));
        nameOutput();
    }

    void nameOutput()
    {
        form->SetOutputTable(QStringLiteral("out.dbf"), QStringLiteral("RUN"), QStringLiteral("RES"));
        form->SetOutputKey(3, QStringLiteral("7"));
    }

    QString storedMemo()
    {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("fixture"));
        query.SQL().Add(QStringLiteral("SELECT * FROM 'out.dbf' WHERE RUN = 7"));
        query.Open();
        return query.FieldByName(QStringLiteral("RES"))->AsString();
    }

    void setStoredMemo(const QString &text)
    {
        exec(QStringLiteral("UPDATE 'out.dbf' SET RES = '%1' WHERE RUN = 7").arg(text));
    }

    void classify(std::initializer_list<int> positions)
    {
        for (const int position : positions)
            ASSERT_EQ(form->SetLimitAfter(position), 1) << position;
        form->ComputeStatistics();
    }

    QString lastHistory() const { return FormHistory->Lines().last(); }
};

// ---- Regression ----

// Items 1..6: two values on the line 10 + 2·ID (class A) and one far above it (class B).
QByteArray lineAndOutliers()
{
    QByteArray text;
    for (int id = 1; id <= 6; ++id)
        text += QByteArray::number(id) + ';' + QByteArray::number(10 + 2 * id) + ';' + QByteArray::number(10 + 2 * id)
                + ';' + QByteArray::number(500 + id) + '\n';
    return text;
}

TEST_F(RegressionWriteBackTest, RegressionPromptsSubtractionAndRecords)
{
    openText(lineAndOutliers());
    dialogs.expectMessage(QStringLiteral("Run statistics firstly"));
    form->Dataregression1Click();

    classify({11});
    dialogs.expectInput(QString());            // empty: asked again
    dialogs.expectInput(QStringLiteral("c"));  // beyond the last class
    dialogs.expectMessage(QStringLiteral("Class must be less or equal to B"));
    dialogs.expectInput(QStringLiteral("ax")); // the first character counts
    dialogs.expectInput(QStringLiteral("10"));
    dialogs.expectMessage(QStringLiteral("Index must be between 1 and 9"));
    dialogs.expectInput(QStringLiteral("1"));
    dialogs.expectMessage(QStringLiteral("\r\nDo you accept regression line?"), ui::mrYes);
    form->Dataregression1Click();
    EXPECT_TRUE(dialogs.messages().contains(QStringLiteral("Coefficient of determination Sqr(r)=1\r\nDo you accept regression line?")));

    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(form->Items()[size_t(i)].Values[0], 0.0, 1e-9);
        EXPECT_NEAR(form->Items()[size_t(i)].Values[2], 500.0 + (i + 1) - 10 - 2 * (i + 1), 1e-9);
        EXPECT_EQ(form->Items()[size_t(i)].Classes[2], 0);
    }
    EXPECT_TRUE(form->Classes().empty());
    EXPECT_EQ(form->Ordered().size(), 18u); // analysed again
    EXPECT_EQ(form->TransformText(), QStringLiteral("Transformation: y-REG(1)"));
    EXPECT_EQ(chart().Title(), (QStringList{"Transformation: y-REG(1)", "y' = y - (10+2*ID^1)"}));
    EXPECT_EQ(form->RegressionCount(), 1);
    EXPECT_EQ(form->Results().Values(QStringLiteral("number_of_regression")), QStringLiteral("1"));
    EXPECT_EQ(form->Results().Values(QStringLiteral("regression1")), QStringLiteral("1"));
    EXPECT_NEAR(rtl::StrToFloat(form->Results().Values(QStringLiteral("regression1_c1"))), 2.0, 1e-12);
    EXPECT_EQ(lastHistory(), QStringLiteral("Regression: Class=0,Degree=1"));

    // Once a regression is applied, no stored one can be replayed on top of it.
    dialogs.expectMessage(QStringLiteral("Adding an automatic regression is not possible."));
    EXPECT_EQ(form->RunRegressionScript(), -1);

    // The next file starts without regressions: its results do not count the former ones.
    dialogs.expectMessage(QStringLiteral("End of the data file processing?"), ui::mrYes);
    form->BtnCloseClick(f().BtnClose);
    openText(lineAndOutliers());
    EXPECT_EQ(form->RegressionCount(), 0);
    EXPECT_EQ(form->Results().Lines(), QStringList{"log=0"});
}

TEST_F(RegressionWriteBackTest, RegressionDeclinedOrNotCalculated)
{
    // Class A: five values over IDs 1..5, then a sixth; B: the far values.
    openText("1;1;100\n2;4;100\n3;9;100\n4;16;100\n5;25;100\n6;36\n");
    classify({4});
    const std::vector<TDataItem> before = form->Items();

    // Cancel answers each prompt's default, class A and degree 1; the fit still waits for acceptance.
    dialogs.expectInput(QString(), false);
    dialogs.expectInput(QString(), false);
    dialogs.expectMessage(QStringLiteral("Do you accept regression line?"), ui::mrNo);
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    form->Dataregression1Click();
    EXPECT_TRUE(chartHasSeriesTitled(QStringLiteral("Regression (1)")));

    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectInput(QStringLiteral("3"));
    dialogs.expectMessage(QStringLiteral("Regression was not calculated")); // 5 values > 3 + 2 is false
    form->Dataregression1Click();

    classify({4, 5}); // the limit moves from position 4 to 5: A holds six values
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectInput(QStringLiteral("3"));
    dialogs.expectMessage(QStringLiteral("Do you accept regression line?"), ui::mrNo);
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    form->Dataregression1Click();
    EXPECT_TRUE(chartHasSeriesTitled(QStringLiteral("Regression (3)"))) << "the curve stays until the view is rebuilt";

    // A class answer before "A" selects no value.
    dialogs.expectInput(QStringLiteral("@"));
    dialogs.expectInput(QStringLiteral("1"));
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    form->Dataregression1Click();

    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(form->Items()[i].Values, before[i].Values);
    EXPECT_EQ(form->RegressionCount(), 0);
    EXPECT_EQ(form->TransformText(), QString());
    EXPECT_EQ(form->Results().Lines(), QStringList{"log=0"});
}

TEST_F(RegressionWriteBackTest, FitThatCannotBeSolvedIsDeclined)
{
    // Every value of class A comes from one item: a single x, a singular system.
    openText("1;1;1.1;1.2;1.3;1.4\n2;50\n");
    classify({4});
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectInput(QStringLiteral("1"));
    dialogs.expectMessage(QStringLiteral("Regression was not calculated"));
    form->Dataregression1Click();
    EXPECT_EQ(form->RegressionCount(), 0);
    EXPECT_EQ(form->Items()[0].Values[0], 1.0);
}

TEST_F(RegressionWriteBackTest, IdentifierThatIsNoNumberLeavesDataUntouched)
{
    // The item "x" is not in use: it gives no point, but its values would be detrended.
    openText("1;1;100\n2;2;100\n3;3;100\n4;4;100\nx;5\n");
    form->Analysis().Items()[4].Used = false;
    form->Analyse();
    classify({3});
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectInput(QStringLiteral("1"));
    EXPECT_THROW(form->Dataregression1Click(), rtl::EConvertError);
    EXPECT_EQ(form->Items()[0].Values[0], 1.0);
    EXPECT_EQ(form->Items()[4].Values[0], 5.0);
    EXPECT_EQ(form->RegressionCount(), 0);
}

// ---- Class limits read back ----

TEST_F(RegressionWriteBackTest, ClassLimitsReadBackFromStoredSizes)
{
    const QString path = dataTable({"1, 1, 2, 3", "2, 10, 11, 12", "3, 13, 30, 31", "4, 32, 33, 34"});
    read(path);
    dialogs.expectMessage(QStringLiteral("Error: Database configuration."));
    EXPECT_EQ(form->ReadClassLimits(), -1);

    outputTable(QStringLiteral("class_A=(n 3; std 1; avg 2)\r\nclass_B=(n 4; std 1.29099; avg 11.5)\r\n"
                               "class_C=(n 5; std 1.58114; avg 32)"));
    EXPECT_EQ(form->ReadClassLimits(), 3); // limits after positions 2 and 6; 11 is the last
    EXPECT_TRUE(dialogs.allUsed());
    EXPECT_EQ(form->Classes()[1].First, 3);
    EXPECT_EQ(lastHistory().left(11), QStringLiteral("Statistics:"));

    read(path);
    nameOutput();
    setStoredMemo(QStringLiteral("class_A=(n 3; std 1; avg 2)\r\nclass_B=(n 4; std 1.29099; avg 11.5)"));
    dialogs.expectMessage(QStringLiteral("Classes loaded with some differences:\r\nDifferent number of classes\r\n"
                                         "Different count of data items"));
    EXPECT_EQ(form->ReadClassLimits(), 3);

    read(path);
    nameOutput();
    setStoredMemo(QStringLiteral("class_A=(n 5; std 1; avg 2)\r\nclass_B=(n 10; std 1; avg 2)"));
    dialogs.expectMessage(QStringLiteral("Error: Class read: B"));
    EXPECT_EQ(form->ReadClassLimits(), -1);
    EXPECT_EQ(form->Analysis().LimitRows().size(), 1u) << "the limit after position 4 stays";
    EXPECT_TRUE(form->Classes().empty()) << "no statistics after an error";
}

TEST_F(RegressionWriteBackTest, ServicesAnswerFromTheAnalysis)
{
    openText("1;1;2\n2;3\n3;9;10\n");
    form->Analysis().Items()[1].Used = false;
    form->Analyse();
    double x = 0;
    EXPECT_EQ(form->GetItemCount(), 3);
    EXPECT_EQ(form->GetItemValueCount(2), 2);
    EXPECT_EQ(form->GetItemValueCount(3), -1);
    EXPECT_EQ(form->GetItemValue(1, 0, x), 0);
    EXPECT_EQ(x, 3.0) << "an item not in use still gives its value";
    EXPECT_EQ(form->GetItemValue(0, 2, x), -1);
    form->SetMinStd(0.125);
    EXPECT_EQ(form->MinStd(), 0.125);
    EXPECT_EQ(f().EditMinDev->text(), QStringLiteral("0.125"));
    classify({1});
    double avg = 0, std = 0;
    EXPECT_EQ(form->GetClassCount(), 2);
    EXPECT_EQ(form->GetClassStat(1, avg, std), 2);
    EXPECT_EQ(avg, 9.5);
    EXPECT_EQ(form->GetClassStat(2, avg, std), -1);
    EXPECT_THROW(form->GetClassStat(-1, avg, std), rtl::EInvalidOperation);
}

// ---- Factor and classification written back ----

TEST_F(RegressionWriteBackTest, FactorPromptAndEveryRecordWritten)
{
    const QString path = dataTable({"1, 1, 2, 3", "2, 10, 11, 12", "3, 20, 21, 22"});
    read(path, QStringLiteral("ID < 3"));
    dialogs.expectMessage(QStringLiteral("Run statistics firstly"));
    form->Setfactor1Click();

    classify({2});
    dialogs.expectInput(QStringLiteral("ab"));
    dialogs.expectMessage(QStringLiteral("Error of input value\r\nOnly one character is acceptable!"));
    dialogs.expectInput(QStringLiteral("d"));
    dialogs.expectMessage(QStringLiteral("Index must be less or equal to 1"));
    dialogs.expectInput(QStringLiteral("b"));
    dialogs.expectMessage(QStringLiteral("Factor was set to 0.0909090909090909"));
    form->Setfactor1Click();
    EXPECT_EQ(column(QStringLiteral("FACTOR")), (QStringList{"0.0909", "0.0909", ""})) << "only the records read";
    EXPECT_EQ(lastHistory(), QStringLiteral("Set_factor: 1"));
    EXPECT_FALSE(form->query().Active());
    EXPECT_FALSE(form->query().RequestLive());
    EXPECT_EQ(form->Items()[0].Values[0], 1.0) << "the values read stay";
}

TEST_F(RegressionWriteBackTest, FactorOfLogValuesAndFactorTheFieldCannotHold)
{
    const QString path = dataTable({"1, 0.001, 10, 100", "2, 1000, 10000, 100000"});
    f().CB_log->setChecked(true);
    read(path);
    classify({0, 4}); // class B: the values 10 .. 10000, average 2.5 in log10 units
    dialogs.expectInput(QStringLiteral("B"));
    dialogs.expectMessage(QStringLiteral("Factor was set to 0.00316227"));
    form->Setfactor1Click();
    EXPECT_EQ(column(QStringLiteral("FACTOR")), (QStringList{"0.0032", "0.0032"}));

    // Class A is the value 0.001: its factor 1000 does not fit DECIMAL(6,4), and nothing changes.
    f().CB_log->setChecked(false);
    read(path);
    classify({0});
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectMessage(QStringLiteral("FACTOR could not be written"));
    form->Setfactor1Click();
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_TRUE(dialogs.messages().last().endsWith(QStringLiteral("No record was changed.")));
    EXPECT_EQ(column(QStringLiteral("FACTOR")), (QStringList{"0.0032", "0.0032"}));
    EXPECT_NE(lastHistory(), QStringLiteral("Set_factor: 0"));
}

TEST_F(RegressionWriteBackTest, FactorFieldMissing)
{
    exec(QStringLiteral("CREATE TABLE 'm.dbf' (ID INTEGER, START DECIMAL(6,2), Rf1 DECIMAL(8,3))"));
    exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (1, 0, 5)"));
    exec(QStringLiteral("INSERT INTO 'm.dbf' VALUES (2, 0, 6)"));
    form->OpenDatabaseTable(dir.filePath(QStringLiteral("m.dbf")));
    form->QueryWhere(QStringLiteral("1 = 1"));
    form->ComputeStatistics();
    dialogs.expectMessage(QStringLiteral("Factor field does not exist"));
    form->Setfactor1Click();
    EXPECT_FALSE(form->query().Active());
    EXPECT_FALSE(form->query().RequestLive());
}

TEST_F(RegressionWriteBackTest, ClassificationLettersSortedAndRefusedOnceTheRecordsChanged)
{
    const QString path = dataTable({"1, 30, 1, 31", "2, 2, 3, 0", "3, 32, 33, 34", "4, 4, 5, 6"});
    read(path);
    form->Analysis().Items()[3].Used = false; // never classified: class A for each value
    form->Analyse();
    classify({2}); // A: 1 2 3, B: 30 .. 34
    form->SaveClassification1Click();
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"ABB", "AA", "BBB", "AAA"}));
    EXPECT_FALSE(form->query().Active());
    EXPECT_FALSE(form->query().RequestLive());

    // Once the records read are not the ones the query selects, no item knows its record any more.
    outputTable();
    exec(QStringLiteral("UPDATE 'm.dbf' SET CLAS = '' WHERE ID = 1"));
    exec(QStringLiteral("DELETE FROM 'm.dbf' WHERE ID = 2"));
    dialogs.expectMessage(QStringLiteral("CLAS was not written: the query on ") + path
                          + QStringLiteral(" now selects 3 records, but 4 were read into the data items. Read the "
                                           "table again.\r\nThe results were not written into out.dbf."));
    form->SaveClassification1Click();
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"", "BBB", "AAA"}));
    EXPECT_EQ(storedMemo(), QString());

    exec(QStringLiteral("INSERT INTO 'm.dbf' (ID, START, Rf1) VALUES (9, 0, 1)"));
    dialogs.expectMessage(QStringLiteral("CLAS was not written: record 2 of the query on ") + path
                          + QStringLiteral(" holds the ID 3, but the data item read from it has the ID 2. Read the "
                                           "table again."));
    form->SaveClassification1Click();
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"", "BBB", "AAA", ""}));
    EXPECT_FALSE(form->query().Active());
    EXPECT_FALSE(form->query().RequestLive());
}

// ---- Each item written into the record it was read from ----

// A table written by Debian's dbf module, read back by its dbfread; the letters expected are
// worked out by hand.
struct RecordsCase
{
    const char *name;
    const char *file;
    /// ID, NR, Rf1 of each record, in the file's order.
    std::vector<std::array<int, 3>> records;
    /// The builder's select list; empty: the records are read by the automation's condition.
    const char *selectList;
    QStringList clas;
};

// The values 1, 2 and 100 with a limit after the second: 1 and 2 in class A (average 1.5), 100 in B.
const RecordsCase kRecordsCases[] = {
    {"DuplicateIds", "dup.dbf", {{1, 0, 1}, {1, 0, 100}, {2, 0, 2}}, "ID", {"A", "B", "A"}},
    {"IdentifierNotId", "nr.dbf", {{1, 3, 1}, {2, 2, 2}, {3, 1, 100}}, "NR", {"A", "A", "B"}},
    {"ApostropheInFileNames", "o'k.dbf", {{1, 0, 100}, {2, 0, 1}, {3, 0, 2}}, "", {"B", "A", "A"}},
    {"ApostropheReadThroughBuilder", "it's.dbf", {{1, 0, 100}, {2, 0, 1}, {3, 0, 2}}, "ID", {"B", "A", "A"}},
};

class RecordsWriteBackTest : public RegressionWriteBackTest, public ::testing::WithParamInterface<RecordsCase>
{
protected:
    QString python(const QString &script, const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(QUIBO_SOURCE_DIR) + script} + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QString outsideTable(const QString &name, const QString &fields, const QString &records)
    {
        const QString path = dir.filePath(name);
        python(QStringLiteral("/tests/workspace/python/records_table.py"), {path, fields, records});
        return path;
    }

    // Field name -> the field's values, record by record, as dbfread reads them.
    QMap<QString, QJsonArray> dbfread(const QString &path)
    {
        const QJsonObject contents
            = QJsonDocument::fromJson(python(QStringLiteral("/tests/import/python/dbf_contents.py"), {path}).toUtf8()).object();
        QMap<QString, QJsonArray> columns;
        const QJsonArray fields = contents[QStringLiteral("fields")].toArray();
        for (const QJsonValue &record : contents[QStringLiteral("records")].toArray())
            for (int i = 0; i < fields.size(); ++i)
                columns[fields[i].toString()].append(record.toArray()[i]);
        return columns;
    }

    void readThroughBuilder(const QString &path, const QString &selectList)
    {
        dialogs.expectFile(path);
        dialogs.expectModal([selectList](QDialog &dialog) {
            auto &builder = dynamic_cast<TFormSetQuery &>(dialog);
            builder.form().EditQueryFields->setText(selectList);
            builder.BtnSQLClick();
            return int(ui::mrOk);
        });
        dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrNo);
        form->BtnOpenClick();
    }
};

TEST_P(RecordsWriteBackTest, ClassificationAndFactorReachTheRecordsRead)
{
    const RecordsCase &c = GetParam();
    QJsonArray records;
    for (const auto &[id, nr, rf1] : c.records)
        records.append(QJsonArray{id, nr, 0, rf1, QString(), QJsonValue()}); // START 0, CLAS and FACTOR blank
    const QString path = outsideTable(QString::fromUtf8(c.file), QStringLiteral("ID N(4,0); NR N(4,0); START N(6,2); "
                                                                                 "RF1 N(7,2); CLAS C(4); FACTOR N(9,5)"),
                                      QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Compact)));
    const bool automation = QString::fromUtf8(c.selectList).isEmpty();
    if (automation) {
        form->OpenDatabaseTable(path);
        dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrNo);
        form->QueryWhere(QStringLiteral("ID > 0"));
        const QString out
            = outsideTable(QStringLiteral("res'ults.dbf"), QStringLiteral("RUN N(4,0); RES M"), QStringLiteral("[[7, \"\"]]"));
        form->SetOutputTable(QFileInfo(out).fileName(), QStringLiteral("RUN"), QStringLiteral("RES"));
        form->SetOutputKey(3, QStringLiteral("7"));
    } else {
        readThroughBuilder(path, QString::fromUtf8(c.selectList));
    }
    ASSERT_EQ(form->ItemCount(), 3);
    classify({1});
    form->SaveClassification1Click();
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectMessage(QStringLiteral("Factor was set to 0.666666666666667"));
    form->Setfactor1Click();
    EXPECT_TRUE(dialogs.allUsed());

    const QMap<QString, QJsonArray> columns = dbfread(path);
    QStringList clas;
    for (const QJsonValue &letters : columns[QStringLiteral("CLAS")])
        clas << letters.toString();
    EXPECT_EQ(clas, c.clas);
    EXPECT_EQ(columns[QStringLiteral("FACTOR")], (QJsonArray{0.66667, 0.66667, 0.66667}));
    if (automation) {
        const QString memo = dbfread(dir.filePath(QStringLiteral("res'ults.dbf")))[QStringLiteral("RES")][0].toString();
        EXPECT_TRUE(memo.contains(QStringLiteral("class_A=(n 2; std 0.707107; avg 1.5)"))) << memo.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Tables, RecordsWriteBackTest, ::testing::ValuesIn(kRecordsCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(RegressionWriteBackTest, ClassificationIntoReadOnlyTableChangesNothingAndSaysSo)
{
    const QString path = dataTable({"1, 1, 2, 3", "2, 30, 31, 32"});
    read(path);
    classify({2});
    chmod(path.toLocal8Bit().constData(), 0444);
    dialogs.expectMessage(QStringLiteral("CLAS could not be written"));
    form->SaveClassification1Click();
    chmod(path.toLocal8Bit().constData(), 0644);
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"", ""}));
}

TEST_F(RegressionWriteBackTest, ClassificationTooLongForTheFieldChangesNothing)
{
    const QString path = dataTable({"1, 1, 2, 3", "2, 30, 31, 32"}, QStringLiteral("CHAR(2)"));
    read(path);
    classify({2});
    outputTable();
    dialogs.expectMessage(QStringLiteral("CLAS could not be written"));
    form->SaveClassification1Click();
    EXPECT_TRUE(dialogs.messages().last().contains(QStringLiteral("No record was changed.\r\nThe results were not "
                                                                  "written into out.dbf.")));
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"", ""}));
    EXPECT_EQ(storedMemo(), QString());
}

// ---- The round trip through the output table ----

TEST_F(RegressionWriteBackTest, ClassifiedTableReplayedFromOutputTable)
{
    const QString path = dataTable({"1, 1.1, 2.2, 20.5", "2, 1.4, 3.1, 21", "3, 1.9, 3.3, 22.5", "4, 2.2, 4.4, 23.5",
                                    "5, 2.5, 5.2, 24.1", "6, 2.9, 5.6, 25.2"});
    read(path);
    outputTable();
    form->ComputeStatistics(); // one class: the regression needs classes
    dialogs.expectInput(QStringLiteral("A"));
    dialogs.expectInput(QStringLiteral("1"));
    dialogs.expectMessage(QStringLiteral("Do you accept regression line?"), ui::mrYes);
    form->Dataregression1Click();
    const std::vector<double> detrended = form->Items()[2].Values;
    classify({5, 11});
    form->SaveClassification1Click();
    const std::vector<TJudgedClass> classes = form->Classes();
    ASSERT_EQ(classes.size(), 3u);
    const QString memo = storedMemo();
    EXPECT_TRUE(memo.startsWith(QStringLiteral("log=0\r\nnumber_of_regression=1\r\nregression1=1\r\n"))) << memo.toStdString();
    EXPECT_EQ(column(QStringLiteral("CLAS")).size(), 6);

    const auto reread = [&] {
        read(path);
        nameOutput();
        EXPECT_EQ(form->RunRegressionScript(), 1);
        EXPECT_TRUE(f().RB_Cases->isChecked());
    };
    reread();
    EXPECT_EQ(form->ReadClassLimits(), 3);
    EXPECT_TRUE(dialogs.allUsed()) << "the comparison found no difference";
    for (size_t i = 0; i < detrended.size(); ++i)
        EXPECT_NEAR(form->Items()[2].Values[i], detrended[i], 1e-9);
    ASSERT_EQ(form->Classes().size(), 3u);
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(form->Classes()[c].First, classes[c].First);
        EXPECT_EQ(form->Classes()[c].Last, classes[c].Last);
        EXPECT_NEAR(form->Classes()[c].Average, classes[c].Average, 1e-9);
        EXPECT_NEAR(form->Classes()[c].Std, classes[c].Std, 1e-9);
    }
    EXPECT_EQ(form->Results().Values(QStringLiteral("regression1")), QStringLiteral("1"));
    EXPECT_EQ(form->TransformText(), QStringLiteral("Transformation: y-REG(1)"));

    // One stored class size 6 -> 5: every limit moves down by one and a fourth class of one value
    // is left over; the warning lists each difference.
    QString changed = memo;
    changed.replace(QStringLiteral("class_A=(n 6;"), QStringLiteral("class_A=(n 5;"));
    ASSERT_NE(changed, memo);
    setStoredMemo(changed);
    reread();
    dialogs.expectMessage(QStringLiteral("Classes loaded with some differences:\r\nClass A - different statistics\r\n"
                                         "Class B - different statistics\r\nClass C - different statistics\r\n"
                                         "Different number of classes\r\nDifferent count of data items"));
    EXPECT_EQ(form->ReadClassLimits(), 4);
}

TEST_F(RegressionWriteBackTest, ClassificationStoppedByFileSizeLimitChangesNothingAndSaysSo)
{
    QStringList rows;
    for (int id = 1; id <= 60; ++id)
        rows << QStringLiteral("%1, %2, %3, %4").arg(id).arg(id).arg(100 + id).arg(200 + id);
    const QString path = dataTable(rows);
    read(path);
    classify({59, 119});
    outputTable();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    dialogs.expectMessage(QStringLiteral("CLAS could not be written"));
    WithFileSizeLimit(rlim_t(before.size() / 2), [&] { form->SaveClassification1Click(); });
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_TRUE(dialogs.messages().last().contains(QStringLiteral("No record was changed.")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(storedMemo(), QString()) << "the results are not written after a failure";
}

TEST_F(RegressionWriteBackTest, ResultsMemoStoppedByFileSizeLimitSaysWhatWasWritten)
{
    const QString path = dataTable({"1, 1, 2, 3", "2, 30, 31, 32"});
    read(path);
    classify({2});
    outputTable();
    const qint64 memoSize = QFileInfo(dir.filePath(QStringLiteral("out.dbt"))).size();
    ASSERT_GT(memoSize, 0);
    dialogs.expectMessage(QStringLiteral("The results could not be written into out.dbf (RES): "));
    WithFileSizeLimit(rlim_t(memoSize), [&] { form->SaveClassification1Click(); });
    EXPECT_TRUE(dialogs.messages().last().endsWith(QStringLiteral("CLAS was written into 2 record(s).")));
    EXPECT_EQ(column(QStringLiteral("CLAS")), (QStringList{"AAA", "BBB"}));
    EXPECT_EQ(storedMemo(), QString());
}

} // namespace
