// The statistics window driven through its handlers: calculators, settings, critical-value
// requests and their tables, runs from the buttons with their graph series, the histogram, the
// text table, and the graph window's commands.

#include "StatWindowFixture.h"

#include "statistics/OrderedDiffSimulation.h"

#include "platform/chart/Chart.h"
#include "platform/chart/Color.h"
#include "platform/db/DatabaseError.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QWindow>

#include <cmath>

namespace {

const CriticalRow *findRow(const std::vector<CriticalRow> &rows, int nmb, double alpha)
{
    for (const CriticalRow &r : rows)
        if (r.nmb == nmb && r.alpha == alpha)
            return &r;
    return nullptr;
}

int countRows(const std::vector<CriticalRow> &rows, int nmb)
{
    return int(std::count_if(rows.begin(), rows.end(), [nmb](const CriticalRow &r) { return r.nmb == nmb; }));
}

} // namespace

TEST(StatWindowDefaults, TextsUseTheLocalesSeparator)
{
    const QLocale before = rtl::FormatLocale();
    rtl::SetFormatLocale(QLocale::c());
    {
        TFormStat pointLocale;
        EXPECT_EQ(pointLocale.form().EditAlpha->text(), QStringLiteral("0.95"));
        EXPECT_EQ(pointLocale.form().EditInterval->text(), QStringLiteral("0.1"));
        QTest::mouseDClick(pointLocale.form().EditNorm, Qt::LeftButton);
        EXPECT_TRUE(pointLocale.form().EditNorm->text().startsWith(QStringLiteral("1.64")));
    }
    rtl::SetFormatLocale(before);
}

TEST_F(StatWindow, CalculatorsReadTheBoxesInTheLocalesFormat)
{
    QTest::mouseDClick(f().EditNorm, Qt::LeftButton);
    EXPECT_TRUE(f().EditNorm->text().startsWith(QStringLiteral("1,64"))) << f().EditNorm->text().toStdString();
    form->BtnNormalDClick();
    EXPECT_NEAR(rtl::StrToFloat(f().EditAlpha->text()), 0.95, 1e-4);
    // Fifteen digits do not fit the narrow alpha box: it must show their start, not their tail.
    ASSERT_GT(f().EditAlpha->fontMetrics().horizontalAdvance(f().EditAlpha->text()), f().EditAlpha->width());
    EXPECT_EQ(f().EditAlpha->cursorPosition(), 0);

    f().EditN->setText(QStringLiteral("10"));
    f().EditN2->clear();
    f().EditF->setText(QStringLiteral("kept"));
    form->EditFDblClick();
    EXPECT_EQ(f().EditF->text(), QStringLiteral("kept"));

    rtl::SetFormatLocale(QLocale::c());
    f().EditAlpha->setText(QStringLiteral("0,95"));
    f().EditNorm->setText(QStringLiteral("kept"));
    EXPECT_THROW(form->EditNormDblClick(), rtl::EConvertError);
    EXPECT_EQ(f().EditNorm->text(), QStringLiteral("kept"));
}

TEST_F(StatWindow, SettingsMarkTheSimulationStale)
{
    choose(0);
    f().EditIter->setText(QStringLiteral("10"));
    dialogs.expectColor(QColor());
    form->BtnDistributionClick(f().BtnDistribution);
    ASSERT_TRUE(form->Computed());
    f().EditN->setText(QStringLiteral("7"));
    f().EditN2->setText(QStringLiteral("3"));
    EXPECT_TRUE(form->Computed());
    EXPECT_EQ(form->N(), 7);
    EXPECT_EQ(form->N2(), 3);
    f().EditCase->setText(QStringLiteral("4"));
    EXPECT_FALSE(form->Computed());
    EXPECT_EQ(form->Cases(), 4);

    choose(3);
    EXPECT_EQ(form->Kind(), dkT);
    EXPECT_TRUE(form->query().SQL().Text().contains(QStringLiteral("FROM 't.dbf' WHERE (NMB = :NMB) AND (ALPHA = :ALPHA)")));
    EXPECT_FALSE(form->Computed());
}

TEST_F(StatWindow, RequestSimulatesOnceAndStoresTwelveLevels)
{
    const double first = form->GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 100000);
    ASSERT_NE(form->Diffs(), nullptr);
    const std::vector<double> gaps = *form->Diffs();
    EXPECT_EQ(gaps.size(), 100004u);
    EXPECT_EQ(f().EditIter->text(), QStringLiteral("25001"));
    EXPECT_EQ(f().CB_Distrib->currentText(), QStringLiteral("Normal"));
    EXPECT_EQ(first, rtl::StrToFloat(f().EditLimitVal->text()));
    EXPECT_NEAR(first, 1.584, 0.02);

    std::vector<CriticalRow> stored = rows(QStringLiteral("Normal.dbf"));
    ASSERT_EQ(stored.size(), 12u);
    for (const double level : AlphaLevels) {
        const CriticalRow *row = findRow(stored, 5, level);
        ASSERT_NE(row, nullptr) << level;
        EXPECT_EQ(row->iters, 100004);
        // The request's own level holds the box's 15 digits, the others the full readout.
        EXPECT_EQ(row->val, level == 0.95 ? first : double(GapQuantile(gaps, level))) << level;
    }

    EXPECT_EQ(form->GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 100000), first);
    EXPECT_EQ(*form->Diffs(), gaps) << "answered from the table";

    const double more = form->GetCriticalValue(dkNormal, 0, 0, 5, 0.95, 200000);
    stored = rows(QStringLiteral("Normal.dbf"));
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(findRow(stored, 5, 0.95)->iters, 200004);
    EXPECT_EQ(findRow(stored, 5, 0.95)->val, more);
    EXPECT_EQ(findRow(stored, 5, 0.5)->iters, 200004);

    form->GetCriticalValue(dkNormal, 0, 0, 6, 0.9, 1000);
    stored = rows(QStringLiteral("Normal.dbf"));
    EXPECT_EQ(countRows(stored, 6), 12) << "the level 0.9 written once";
    EXPECT_EQ(findRow(stored, 6, 0.9)->val, rtl::StrToFloat(f().EditLimitVal->text()));
}

TEST_F(StatWindow, ShowsRequestsMadeToItsServiceByOthers)
{
    const double answer = form->criticalValues().GetCriticalValue(dkT, 3, 0, 4, 0.9, 300);
    EXPECT_EQ(form->Kind(), dkT);
    EXPECT_EQ(f().CB_Distrib->currentText(), QStringLiteral("t"));
    EXPECT_EQ(f().EditN->text(), QStringLiteral("3"));
    EXPECT_EQ(f().EditCase->text(), QStringLiteral("4"));
    EXPECT_EQ(f().EditIter->text(), QStringLiteral("101"));
    EXPECT_EQ(f().EditAlpha->text(), QStringLiteral("0,9"));
    EXPECT_EQ(rtl::StrToFloat(f().EditLimitVal->text()), answer);
    ASSERT_NE(form->Diffs(), nullptr);
    EXPECT_EQ(form->Diffs()->size(), 303u);
    EXPECT_TRUE(form->Computed());

    form.reset(); // the database "stat" is one at a time
    CriticalValues shared(dir.path());
    {
        TFormStat watching(shared);
        EXPECT_EQ(&watching.criticalValues(), &shared);
        watching.GetCriticalValue(dkRegular, 0, 0, 3, 0.5, 10);
        EXPECT_EQ(watching.Diffs()->size(), 12u);
    }
    EXPECT_GT(shared.GetCriticalValue(dkRegular, 0, 0, 3, 0.5, 20), 0.0) << "no window watches any more";
}

TEST_F(StatWindow, RefusedRequestsAnswerMinusOneAndStoreNothing)
{
    for (const uint8_t kind : {uint8_t(0), uint8_t(5), uint8_t(6)}) {
        dialogs.expectMessage(QStringLiteral("Specify distribution"));
        EXPECT_EQ(form->GetCriticalValue(kind, 0, 0, 5, 0.95, 1000), -1.0);
    }
    EXPECT_EQ(form->Kind(), dkNone);
    dialogs.expectMessage(QStringLiteral("not 1"));
    EXPECT_EQ(form->GetCriticalValue(dkRegular, 0, 0, 1, 0.95, 1000), -1.0);
    EXPECT_TRUE(rows(QStringLiteral("Regular.dbf")).empty());

    EXPECT_GT(form->GetCriticalValue(dkRegular, 0, 0, 3, 0.95, 1000), 0.0);
    const std::vector<double> gaps = *form->Diffs();
    EXPECT_THROW(form->GetCriticalValue(dkChiQuadrat, 0, 0, 3, 0.95, 1000), rtl::EMathError);
    EXPECT_EQ(*form->Diffs(), gaps) << "degrees of freedom are checked before any draw";

    QFile::remove(dir.filePath(QStringLiteral("t.dbf")));
    try {
        form->GetCriticalValue(dkT, 3, 0, 3, 0.95, 1000);
        ADD_FAILURE() << "a missing table must fail";
    } catch (const db::EDatabaseError &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("t.dbf"))) << error.Message().toStdString();
    }
}

TEST_F(StatWindow, LevelsBeyondTheLastGapStoreTheLastGap)
{
    form->GetCriticalValue(dkRegular, 0, 0, 2, 0.5, 49);
    ASSERT_EQ(form->Diffs()->size(), 50u);
    const std::vector<CriticalRow> stored = rows(QStringLiteral("Regular.dbf"));
    ASSERT_EQ(stored.size(), 12u);
    EXPECT_EQ(findRow(stored, 2, 0.99)->val, form->Diffs()->back());
}

TEST_F(StatWindow, ButtonsNeedADistributionAndSensibleSizes)
{
    form->BtnDistributionClick(f().BtnDistribution);
    form->BtnLimitClick(f().BtnLimit);
    EXPECT_EQ(form->Diffs(), nullptr);
    EXPECT_EQ(f().EditLimitVal->text(), QStringLiteral("-1"));

    choose(1);
    for (const char *iterations : {"0", "10"}) {
        f().EditIter->setText(QLatin1String(iterations));
        f().EditCase->setText(QLatin1String(iterations[0] == '0' ? "5" : "1"));
        form->BtnLimitClick(f().BtnLimit);
        EXPECT_EQ(form->Diffs(), nullptr) << iterations;
        EXPECT_EQ(f().EditLimitVal->text(), QStringLiteral("-1"));
    }
}

TEST_F(StatWindow, RunsDrawTitledCurvesAndStoreTheirLevels)
{
    choose(1);
    f().EditIter->setText(QStringLiteral("100"));
    f().EditCase->setText(QStringLiteral("5"));
    dialogs.expectColor(Qt::red);
    form->BtnDistributionClick(f().BtnDistribution);
    ASSERT_EQ(graph().SeriesCount(), 1);
    const chart::TChartSeries *curve = graph().Series(0);
    EXPECT_EQ(curve->Title(), QStringLiteral("Dif(Normal)[5]"));
    EXPECT_EQ(curve->SeriesColor(), QColor(Qt::red));
    ASSERT_EQ(curve->Count(), 400);
    EXPECT_EQ(curve->XValue(399), form->Diffs()->back());
    EXPECT_EQ(curve->YValue(0), 1.0 / 400);
    EXPECT_EQ(curve->YValue(399), 1.0);
    EXPECT_TRUE(f().CB_Graph->isChecked());
    EXPECT_FALSE(graph().LegendVisible());
    EXPECT_EQ(countRows(rows(QStringLiteral("Normal.dbf")), 5), 12);

    f().EditAlpha->setText(QStringLiteral("0,5"));
    form->BtnLimitClick(f().BtnLimit);
    EXPECT_EQ(f().EditLimitVal->text(), rtl::FloatToStrF(GapQuantile(*form->Diffs(), 0.5), 15)) << "readout only";

    choose(2);
    f().EditN->setText(QStringLiteral("3"));
    f().EditCase->setText(QStringLiteral("4"));
    dialogs.expectColor(QColor());
    form->BtnDistributionClick(f().BtnDistribution);
    EXPECT_EQ(graph().Series(1)->Title(), QStringLiteral("Dif(chi-quadrat[3])[4]"));
    EXPECT_EQ(graph().Series(1)->SeriesColor(), QColor(Qt::black));
    EXPECT_TRUE(graph().LegendVisible());

    dialogs.expectColor(Qt::blue);
    form->BtnDistributionClick(f().BtnDistribution);
    f().CB_DelOld->setChecked(true);
    dialogs.expectColor(Qt::green);
    form->BtnDistributionClick(f().BtnDistribution);
    ASSERT_EQ(graph().SeriesCount(), 2);
    EXPECT_EQ(graph().Series(0), curve);
    EXPECT_EQ(graph().Series(1)->SeriesColor(), QColor(Qt::green));
    EXPECT_TRUE(graph().LegendVisible());
}

TEST_F(StatWindow, HistogramDrawsDensityBarsOfTheLastRun)
{
    form->BtnFrequencyClick();
    EXPECT_EQ(graph().SeriesCount(), 0) << "nothing simulated yet";
    form->GetCriticalValue(dkChiQuadrat, 4, 0, 5, 0.95, 4000);
    for (const char *interval : {"0", "-1", ""}) {
        f().EditInterval->setText(QLatin1String(interval));
        form->BtnFrequencyClick();
    }
    EXPECT_EQ(graph().SeriesCount(), 0);

    f().EditInterval->setText(QStringLiteral("0,25"));
    dialogs.expectColor(Qt::yellow);
    form->BtnFrequencyClick();
    ASSERT_EQ(graph().SeriesCount(), 1);
    auto *bars = qobject_cast<chart::TBarSeries *>(graph().Series(0));
    ASSERT_NE(bars, nullptr);
    EXPECT_EQ(bars->Title(), QStringLiteral("Fd(chi-quadrat[4])[5]"));
    EXPECT_EQ(bars->SeriesColor(), QColor(Qt::yellow));
    EXPECT_EQ(bars->BarWidthPercent(), 100);
    double area = 0;
    for (int i = 0; i < bars->Count(); ++i)
        area += bars->YValue(i) * 0.25;
    EXPECT_NEAR(area, 1.0, 1e-9);
    EXPECT_GT(bars->XValue(bars->Count() - 1) + 0.125, form->Diffs()->back());
    EXPECT_FALSE(FormGraph->isVisible()) << "a histogram does not show the graph window";

    f().EditInterval->setText(QStringLiteral("abc"));
    EXPECT_THROW(form->BtnFrequencyClick(), rtl::EConvertError);
}

TEST_F(StatWindow, TextTableSimulatesEverySizeOnAboutTheSameGaps)
{
    choose(0);
    f().EditIter->setText(QStringLiteral("1000"));
    f().EditCase->setText(QStringLiteral("5"));
    dialogs.expectMessage(QStringLiteral("Results have been saved into ") + QDir::toNativeSeparators(dir.filePath(QStringLiteral("Regular.txt"))));
    form->BtnTableClick(f().BtnTable);

    QFile file(dir.filePath(QStringLiteral("Regular.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 6); // five lines ended by CR LF
    EXPECT_EQ(lines[0], QByteArray("n;0,05;0,1;0,2;0,3;0,4;0,5;0,6;0,7;0,8;0,9;0,95;0,99\r"));
    for (int n = 2; n <= 5; ++n) {
        const QList<QByteArray> fields = lines[n - 1].trimmed().split(';');
        ASSERT_EQ(fields.size(), 13) << n;
        EXPECT_EQ(fields[0].toInt(), n);
    }
    EXPECT_EQ(lines[4].trimmed().split(';')[12], f().EditLimitVal->text().toLatin1());

    const std::vector<CriticalRow> stored = rows(QStringLiteral("Regular.dbf"));
    const int gaps[] = {4000, 4000, 4002, 4000};
    for (int n = 2; n <= 5; ++n) {
        EXPECT_EQ(countRows(stored, n), 12) << n;
        EXPECT_EQ(findRow(stored, n, 0.5)->iters, gaps[n - 2]) << n;
    }
    EXPECT_EQ(f().EditCase->text(), QStringLiteral("5"));
    EXPECT_EQ(f().EditIter->text(), QStringLiteral("1000"));
    EXPECT_EQ(f().EditAlpha->text(), QStringLiteral("0,99"));

    EXPECT_EQ(graph().SeriesCount(), 4);
}

TEST_F(StatWindow, TextTableColoursFollowTheFullColourValueOfTheLastSeries)
{
    // A series already on the graph starts the chain with a known colour value.
    auto *first = new chart::TLineSeries(form.get());
    first->SetSeriesColor(QColor(0x56, 0x34, 0x12));
    graph().AddSeries(first);
    choose(0);
    f().EditIter->setText(QStringLiteral("10"));
    f().EditCase->setText(QStringLiteral("25"));
    dialogs.expectMessage(QStringLiteral("Results have been saved into "));
    const int hourglasses = ui::TWaitCursor::TimesShown();
    form->BtnTableClick(f().BtnTable);
    EXPECT_EQ(ui::TWaitCursor::TimesShown(), hourglasses) << "a text table runs without the hourglass";

    ASSERT_EQ(graph().SeriesCount(), 25);
    int64_t value = 0x123456; // |(65000 - c) * 200| in 32-bit two's complement, c the whole value
    int differFrom24Bits = 0;
    for (int i = 1; i < 25; ++i) {
        const int64_t low24 = value & 0xFFFFFF;
        int64_t product = ((65000 - value) * 200) % 4294967296LL;
        if (product < 0)
            product += 4294967296LL;
        if (product >= 2147483648LL)
            product -= 4294967296LL;
        value = product < 0 ? -product : product;
        int64_t fromLow = ((65000 - low24) * 200) % 4294967296LL;
        differFrom24Bits += (value & 0xFFFFFF) != (std::llabs(fromLow >= 2147483648LL ? fromLow - 4294967296LL : fromLow) & 0xFFFFFF);
        const QColor expected(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
        EXPECT_EQ(graph().Series(i)->SeriesColor(), expected) << i;
    }
    EXPECT_GT(differFrom24Bits, 0) << "the chain must reach values above 24 bits to tell the two apart";
}

TEST_F(StatWindow, TextTableWithoutSizesOrDistribution)
{
    f().EditCase->setText(QStringLiteral("3"));
    dialogs.expectMessage(QStringLiteral("Specify distribution"));
    form->BtnTableClick(f().BtnTable);
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(form->Diffs(), nullptr);

    choose(1);
    f().EditCase->setText(QStringLiteral("1"));
    dialogs.expectMessage(QStringLiteral("Results have been saved into "));
    form->BtnTableClick(f().BtnTable);
    QFile normal(dir.filePath(QStringLiteral("Normal.txt")));
    ASSERT_TRUE(normal.open(QIODevice::ReadOnly));
    EXPECT_EQ(normal.readAll().count('\n'), 1) << "the header only";
}

TEST_F(StatWindow, GraphWindowDeletesAndSavesSeries)
{
    FormGraph->BtnDeleteClick();
    FormGraph->BtnClearClick();
    form->GetCriticalValue(dkRegular, 0, 0, 3, 0.5, 100);
    f().CB_Graph->setChecked(true);
    for (const QColor &colour : {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::green)}) {
        dialogs.expectColor(colour);
        form->BtnDistributionClick(f().BtnDistribution);
    }
    FormGraph->BtnDeleteClick();
    ASSERT_EQ(graph().SeriesCount(), 2);
    EXPECT_EQ(graph().Series(1)->SeriesColor(), QColor(Qt::blue));

    const QString existing = dir.filePath(QStringLiteral("graph.bmp"));
    QFile::copy(dir.filePath(QStringLiteral("Normal.dbf")), existing);
    dialogs.expectFile(existing);
    dialogs.expectMessage(QStringLiteral("Existing file will be overwrited"), ui::mrNo);
    FormGraph->BtnSaveClick();
    EXPECT_EQ(QFileInfo(existing).size(), QFileInfo(dir.filePath(QStringLiteral("Normal.dbf"))).size());
    dialogs.expectFile(existing);
    dialogs.expectMessage(QStringLiteral("Existing file will be overwrited"), ui::mrYes);
    FormGraph->BtnSaveClick();
    QFile saved(existing);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.read(2) == "BM");

    FormGraph->BtnClearClick();
    EXPECT_EQ(graph().SeriesCount(), 0);
    EXPECT_TRUE(form->findChildren<chart::TChartSeries *>().isEmpty()) << "cleared series are freed";
}

TEST_F(StatWindow, GraphWindowClosedByItsCloseBoxComesBackWithTheNextCurve)
{
    form->GetCriticalValue(dkRegular, 0, 0, 3, 0.5, 100);
    f().CB_Graph->setChecked(true);
    ASSERT_TRUE(FormGraph->isVisible());
    FormGraph->windowHandle()->close(); // as the window system does for the close box
    EXPECT_FALSE(FormGraph->isVisible());
    EXPECT_FALSE(f().CB_Graph->isChecked());

    dialogs.expectColor(Qt::red);
    form->BtnDistributionClick(f().BtnDistribution);
    EXPECT_TRUE(FormGraph->isVisible());
    EXPECT_TRUE(f().CB_Graph->isChecked());
}

TEST_F(StatWindow, F1OpensTheHelpPageOfTheActiveWindow)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    const auto pressF1 = [this](QWidget &window, QWidget *target) {
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        dialogs.expectUrl();
        QTest::keyClick(target, Qt::Key_F1);
        return dialogs.urls().isEmpty() ? QString() : QFileInfo(dialogs.urls().constLast().toLocalFile()).fileName();
    };
    f().EditAlpha->setFocus();
    EXPECT_EQ(pressF1(*form, f().EditAlpha), QStringLiteral("context-130.html"));
    EXPECT_EQ(pressF1(*FormGraph, FormGraph->Chart1()), QStringLiteral("context-70.html"));
    ui::SetHelpFolder(QString());
}

TEST_F(StatWindow, ChiSquareAndStudentCalculatorsReadNAndWriteTheirBoxes)
{
    f().EditAlpha->setText(QStringLiteral("0,95"));
    f().EditN->setText(QStringLiteral("10"));
    QTest::mouseDClick(f().EditChi2, Qt::LeftButton);
    EXPECT_NEAR(rtl::StrToFloat(f().EditChi2->text()), 18.307, 0.01) << "the table value for 10 degrees";
    f().EditAlpha->clear();
    form->BtnChi2Click();
    EXPECT_NEAR(rtl::StrToFloat(f().EditAlpha->text()), 0.95, 1e-3);

    QTest::mouseDClick(f().EditT, Qt::LeftButton);
    const double t10 = rtl::StrToFloat(f().EditT->text());
    f().EditN->setText(QStringLiteral("2"));
    QTest::mouseDClick(f().EditT, Qt::LeftButton);
    EXPECT_GT(rtl::StrToFloat(f().EditT->text()), t10 + 0.5) << "fewer degrees, wider quantile: N is read";
    f().EditN->setText(QStringLiteral("10"));
    f().EditT->setText(rtl::FloatToStr(t10));
    f().EditAlpha->clear();
    form->BtnTClick();
    EXPECT_NEAR(rtl::StrToFloat(f().EditAlpha->text()), 0.95, 1e-3);
}
