// From a data table made by an outside program to judged classes: opened through "&Open data",
// its records chosen in the query builder, read into items and classified.

#include "MainWindowFixture.h"

#include "workspace/FReport.h"
#include "workspace/FSetQuery.h"
#include "workspace/QueryText.h"

#include "ui_FSetQuery.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"

#include "statistics/CriticalValueSource.h"

#include <QProcess>

#include <cmath>
#include <numeric>

namespace {

class ConstantCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 2.0; }
};

// What the test's records give by the reading rules, worked out by hand: Kolín is left out by
// the builder's condition; Žďár loses Rf2 (flag n) and Rf3 (0); Říčany's factor 0 counts as 1
// and Rf3 is flagged F; Plzeň is (v - 2) * 2 with Rf4 flagged -; Ústí has a blank factor.
struct ExpectedItem
{
    const char *id;
    std::vector<double> values;
    std::vector<uint16_t> positions;
};
const ExpectedItem kExpected[] = {{"Žďár", {1, 3.5}, {1, 4}},
                                  {"Říčany", {10, 11}, {1, 2}},
                                  {"Plzeň", {10, 12, 30}, {1, 2, 3}},
                                  {"Ústí", {31, 2}, {1, 2}}};

class TableEndToEndTest : public MainWindowWithReportTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        useReport(critical);
        f().CB_log->setChecked(false);
    }

    // Opens the table, picks "ID <> 'Kolín'" in the builder and reads with the factor.
    void openThroughBuilder(const QString &path)
    {
        dialogs.expectFile(path);
        dialogs.expectModal([](QDialog &dialog) {
            auto &builder = dynamic_cast<TFormSetQuery &>(dialog);
            Ui::TFormSetQuery &w = builder.form();
            w.ListFields->setCurrentItem(w.ListFields->findItems(QStringLiteral("ID"), Qt::MatchFixedString).value(0));
            builder.ListFieldsClick();
            const auto found = w.ListVals->findItems(QStringLiteral("Kolín"), Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1) << "the identifiers are not read in their code page";
            w.ListVals->setCurrentItem(found.value(0));
            w.CBoper->setCurrentIndex(int(TQueryOperator::NotEqual));
            builder.BtnCondsClick();
            builder.BtnSQLClick();
            return int(ui::mrOk);
        });
        dialogs.expectMessage(QStringLiteral("To use factor variable?"), ui::mrYes);
        form->BtnOpenClick();
    }

    void checkItemsAndClasses()
    {
        ASSERT_EQ(form->ItemCount(), 4);
        std::vector<double> all;
        for (int i = 0; i < 4; ++i) {
            const TDataItem &item = form->Items()[size_t(i)];
            EXPECT_EQ(item.Id, QString::fromUtf8(kExpected[i].id));
            EXPECT_EQ(item.Values, kExpected[i].values) << kExpected[i].id;
            EXPECT_EQ(item.Positions, kExpected[i].positions) << kExpected[i].id;
            all.insert(all.end(), kExpected[i].values.begin(), kExpected[i].values.end());
        }
        EXPECT_EQ(form->TransformText(), QStringLiteral("Transformation: FACTOR*y"));
        EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Quibo [query of ")));

        // 1 2 3.5 | 10 10 11 12 | 30 31
        ASSERT_EQ(form->SetLimitAfter(2), 1);
        ASSERT_EQ(form->SetLimitAfter(6), 1);
        form->Statistics1Click();
        std::sort(all.begin(), all.end());
        const std::vector<std::vector<double>> classes = {{all.begin(), all.begin() + 3}, {all.begin() + 3, all.begin() + 7},
                                                          {all.begin() + 7, all.end()}};
        ASSERT_EQ(form->Classes().size(), 3u);
        for (int c = 0; c < 3; ++c) {
            const std::vector<double> &v = classes[size_t(c)];
            const double mean = std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
            double squares = 0;
            for (double x : v)
                squares += (x - mean) * (x - mean);
            const double std = std::sqrt(squares / double(v.size() - 1));
            EXPECT_NEAR(form->Classes()[size_t(c)].Average, mean, 1e-12);
            EXPECT_NEAR(form->Classes()[size_t(c)].Std, std, 1e-12);
            EXPECT_EQ(report->Grid().Cells(TFormReport::ColClass, c + 1), QString(QChar(u'A' + c)));
            // six significant digits
            EXPECT_NEAR(report->Grid().Cells(TFormReport::ColAverage, c + 1).toDouble(), mean, 5e-6 * mean);
        }
        EXPECT_EQ(form->ClassLetter(0, 1), QLatin1Char('A')); // Žďár's 3.5
        EXPECT_EQ(form->ClassLetter(2, 2), QLatin1Char('C')); // Plzeň's 30
        EXPECT_EQ(form->ClassLetter(3, 1), QLatin1Char('A')); // Ústí's 2
        EXPECT_EQ(form->ClassLetter(1, 0), QLatin1Char('B'));
    }

    ConstantCriticalValues critical;
};

TEST_F(TableEndToEndTest, DbaseTableMadeByPythonDbf)
{
    const QString path = dir.filePath(QStringLiteral("measure.dbf"));
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUIBO_SOURCE_DIR "/tests/workspace/python/measurement_table.py"), path});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();

    openThroughBuilder(path);
    EXPECT_EQ(form->SqlLines()->Lines(), (QStringList{"SELECT ID FROM 'measure.dbf'", "WHERE (ID<>'Kolín')"}));
    checkItemsAndClasses();
}

TEST_F(TableEndToEndTest, ParadoxTable)
{
    db::TDatabase maker;
    maker.SetDatabaseName(QStringLiteral("maker"));
    maker.Params().Add(QStringLiteral("PATH=") + dir.path());
    maker.Open();
    const auto exec = [](const QString &sql) {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("maker"));
        query.SQL().Add(sql);
        query.ExecSQL();
    };
    exec(QStringLiteral("CREATE TABLE 'measure.db' (ID CHAR(10), START FLOAT, RF1 FLOAT, RF2 FLOAT, RF3 FLOAT, "
                        "RF4 FLOAT, INC1 CHAR(1), INC2 CHAR(1), INC3 CHAR(1), INC4 CHAR(1), FACTOR FLOAT, CLAS CHAR(5))"));
    for (const char *row : {"'Žďár', 1, 2, 3, 0, 4.5, '+', 'n', NULL, NULL, 1",
                            "'Říčany', 0, 10, 11, 12, NULL, NULL, NULL, 'F', NULL, 0",
                            "'Plzeň', 2, 7, 8, 17, 2.5, 'y', '1', '+', '-', 2",
                            "'Kolín', 0, 50, 60, NULL, NULL, NULL, NULL, NULL, NULL, 1",
                            "'Ústí', 0, 31, 2, NULL, 0, NULL, NULL, NULL, NULL, NULL"})
        exec(QStringLiteral("INSERT INTO 'measure.db' VALUES (%1, NULL)").arg(QString::fromUtf8(row)));
    maker.Close();

    openThroughBuilder(dir.filePath(QStringLiteral("measure.db")));
    checkItemsAndClasses();
}

} // namespace
