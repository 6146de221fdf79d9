// The critical-value service without any window: what a request reports to its watcher, what it
// answers and stores, and its refusals.

#include "statistics/CriticalValues.h"

#include "CriticalTables.h"
#include "LocaleGuard.h"
#include "RecordedWarnings.h"

#include "platform/db/Table.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct RecordingFeedback : CriticalValueFeedback
{
    void accepted(const CriticalValueRequest &request) override { steps << QStringLiteral("accepted %1").arg(request.Cases); }
    void simulationStarted(const CriticalValueRequest &, int32_t samples) override
    {
        steps << QStringLiteral("started %1").arg(samples);
    }
    void simulationFinished() override { steps << QStringLiteral("finished"); }
    void simulated(const CriticalValueRequest &, const std::shared_ptr<const std::vector<double>> &simulatedGaps,
                   long double simulatedReadout) override
    {
        steps << QStringLiteral("simulated");
        gaps = simulatedGaps;
        readout = simulatedReadout;
    }

    QStringList steps;
    std::shared_ptr<const std::vector<double>> gaps;
    long double readout = 0;
};

// 15 significant digits by the C library, apart from the program's own number text.
double fifteenDigits(long double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.14Le", value);
    return std::strtod(text, nullptr);
}

class CriticalValueService : public ::testing::Test
{
protected:
    CriticalValueService()
    {
        EXPECT_TRUE(CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(dir.path())));
        values.SetDatabasePath(dir.path());
        values.setFeedback(&feedback);
    }

    // ITERS and VAL of the stored row for cases and alpha; 0 and NaN when there is none.
    std::pair<int, double> row(const QString &table, int cases, double alpha)
    {
        db::TTable t;
        t.SetTableName(dir.filePath(table));
        t.Open();
        for (t.First(); !t.Eof(); t.Next())
            if (t.FieldByName("NMB")->AsInteger() == cases && t.FieldByName("ALPHA")->AsFloat() == alpha)
                return {t.FieldByName("ITERS")->AsInteger(), t.FieldByName("VAL")->AsFloat()};
        return {0, std::nan("")};
    }

    LocaleGuard decimalComma{QLocale(QLocale::German, QLocale::Germany)};
    RecordedWarnings warnings;
    QTemporaryDir dir;
    CriticalValues values{QDir::currentPath()};
    RecordingFeedback feedback;
};

} // namespace

TEST_F(CriticalValueService, SimulatesOnceAnswersFifteenDigitsAndStoresTheLevels)
{
    const double answer = values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 1000);
    // 1000 gaps of samples of 5 values: Trunc(1000 / 4 + 1) samples, 4 gaps each.
    EXPECT_EQ(feedback.steps, QStringList({"accepted 5", "started 251", "finished", "simulated"}));
    ASSERT_TRUE(feedback.gaps);
    const std::vector<double> &gaps = *feedback.gaps;
    ASSERT_EQ(gaps.size(), 1004u);
    EXPECT_TRUE(std::is_sorted(gaps.begin(), gaps.end()));
    EXPECT_EQ(answer, fifteenDigits(feedback.readout)) << "the value the window has always shown";

    EXPECT_EQ(row(QStringLiteral("Normal.dbf"), 5, 0.95), std::make_pair(1004, answer));
    // At 0.5 the position 502 falls on a gap: the level stores that gap with every digit.
    EXPECT_EQ(row(QStringLiteral("Normal.dbf"), 5, 0.5), std::make_pair(1004, gaps[502]));
    EXPECT_EQ(row(QStringLiteral("Normal.dbf"), 5, 0.99).first, 1004);

    feedback.steps.clear();
    EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 1004), answer);
    EXPECT_EQ(feedback.steps, QStringList{"accepted 5"}) << "answered from the table";
}

// Rows written as another program would; a run reads them once, yet answers as single lookups do
// (the first matching row), sees what it stores itself, and a new run sees changes made between.
TEST_F(CriticalValueService, RunAnswersAsSingleLookupsAndSeesItsOwnAndLaterRows)
{
    db::TTable table;
    table.SetTableName(dir.filePath(QStringLiteral("Normal.dbf")));
    table.Open();
    const auto append = [&table](int cases, double alpha, int iterations, double value) {
        table.Append();
        table.FieldByName("NMB")->SetAsInteger(cases);
        table.FieldByName("ALPHA")->SetAsFloat(alpha);
        table.FieldByName("ITERS")->SetAsInteger(iterations);
        table.FieldByName("VAL")->SetAsFloat(value);
        table.Post();
    };
    append(5, 0.95, 2000, 1.5);
    append(6, 0.95, 10, 9.0); // too few gaps for the requests below
    append(7, 0.9, 2000, 2.0);
    append(5, 0.95, 2000, 7.0); // a second row for 5 cases: the first answers
    table.Close();

    const double single = values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 1000);
    EXPECT_EQ(single, 1.5);
    double simulated = 0;
    {
        const CriticalValueRun run(values);
        feedback.steps.clear();
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 1000), single);
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 7, 0.9, 1000), 2.0);
        EXPECT_EQ(feedback.steps, QStringList({"accepted 5", "accepted 7"}));
        simulated = values.GetCriticalValue(dkNormal, 0, 0, 6, 0.95, 1000);
        EXPECT_NE(simulated, 9.0);
        feedback.steps.clear();
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 6, 0.95, 1000), simulated);
        const double level = row(QStringLiteral("Normal.dbf"), 6, 0.5).second;
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 6, 0.5, 1000), level);
        EXPECT_EQ(feedback.steps, QStringList({"accepted 6", "accepted 6"})) << "the stored rows answer";
        const double resimulated = values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 3000);
        EXPECT_EQ(row(QStringLiteral("Normal.dbf"), 5, 0.95), std::make_pair(3004, resimulated))
            << "a row on too few gaps is simulated again within the run";
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 1000), resimulated);
    }

    table.Open();
    for (table.First(); !table.Eof(); table.Next()) {
        if (table.FieldByName("NMB")->AsInteger() == 7) {
            table.Edit();
            table.FieldByName("VAL")->SetAsFloat(2.5);
            table.Post();
        }
    }
    table.Close();
    const CriticalValueRun next(values);
    EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 7, 0.9, 1000), 2.5);
}

TEST_F(CriticalValueService, RefusalsAreWarningsAndFailedSimulationsStillEnd)
{
    warnings.expectMessage(QStringLiteral("Specify distribution"));
    EXPECT_EQ(values.GetCriticalValue(dkNone, 0, 0, 5, 0.95, 1000), -1.0);
    warnings.expectMessage(QStringLiteral("at least 2 cases, not 1"));
    EXPECT_EQ(values.GetCriticalValue(dkT, 3, 0, 1, 0.95, 1000), -1.0);
    ASSERT_EQ(warnings.shown().size(), 2u);
    EXPECT_EQ(warnings.shown()[0].kind, rtl::WarningKind::Error);
    EXPECT_TRUE(feedback.steps.isEmpty());

    EXPECT_THROW(values.GetCriticalValue(dkChiQuadrat, 0, 0, 3, 0.95, 1000), rtl::EMathError);
    EXPECT_EQ(feedback.steps, QStringList({"accepted 3", "started 501", "finished"})) << "the hourglass ends";
    EXPECT_TRUE(std::isnan(row(QStringLiteral("chi-quadrat.dbf"), 3, 0.95).second));
}

TEST_F(CriticalValueService, LevelOutsideTheOpenUnitIntervalIsRefusedAndNothingStored)
{
    for (const double alpha : {1.5, 1.0, 0.0, -0.05}) {
        warnings.expectMessage(QStringLiteral("must lie between 0 and 1"));
        EXPECT_EQ(values.GetCriticalValue(dkNormal, 0, 0, 5, alpha, 1000), -1.0) << alpha;
    }
    EXPECT_TRUE(feedback.steps.isEmpty()) << "no simulation, no change of the window";
    db::TTable t;
    t.SetTableName(dir.filePath(QStringLiteral("Normal.dbf")));
    t.Open();
    EXPECT_EQ(t.RecordCount(), 0);
}

TEST(CriticalValueServiceFolder, WithoutAPathTheTablesOfTheStartFolderServe)
{
    RecordedWarnings warnings;
    QTemporaryDir start;
    ASSERT_TRUE(CopyEmptyCriticalTables(QStringLiteral(QUIBO_EMPTY_TABLES_DIR), QDir(start.path())));
    CriticalValues values{start.path()};
    const double answer = values.GetCriticalValue(dkNormal, 0, 0, 3, 0.9, 200);
    EXPECT_GT(answer, 0);
    db::TTable t;
    t.SetTableName(QDir(start.path()).filePath(QStringLiteral("Normal.dbf")));
    t.Open();
    EXPECT_EQ(t.RecordCount(), 12) << "the request's level and the eleven others, in the start folder";
}
