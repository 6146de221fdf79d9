// The printed report, printed into PDF files and read back with pdftotext (poppler-utils).

#include "MainWindowFixture.h"

#include "workspace/Analysis.h"
#include "workspace/PrintReport.h"
#include "workspace/TextData.h"

#include "LocaleGuard.h"
#include "QtPrinters.h"

#include "platform/ui/Application.h"

#include "statistics/CriticalValueSource.h"

#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <optional>

namespace {

// The same critical quantile for every class size.
class ConstantQuantile : public CriticalValueSource
{
public:
    explicit ConstantQuantile(double t) : m_t(t) {}
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return m_t; }

private:
    double m_t;
};

QString runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        ADD_FAILURE() << tool.toStdString() << " failed: " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of each page, each line with its runs of blanks made single.
std::vector<QStringList> pagesOf(const QString &pdf)
{
    std::vector<QStringList> pages;
    const QStringList texts = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                                  .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    for (const QString &text : texts) {
        QStringList lines;
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                lines << line.simplified();
        }
        if (!lines.isEmpty())
            pages.push_back(lines);
    }
    return pages;
}

struct Word
{
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

// Every word with its box in points from the top left of its page.
std::vector<Word> wordsOf(const QString &pdf)
{
    const QString html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression token(QStringLiteral(
        R"re(<page |<word xMin="(-?[\d.]+)" yMin="(-?[\d.]+)" xMax="(-?[\d.]+)" yMax="(-?[\d.]+)">([^<]*)</word>)re"));
    std::vector<Word> words;
    int page = 0;
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(0).startsWith(QLatin1String("<page")))
            ++page;
        else
            words.push_back({page, match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble(),
                             match.captured(4).toDouble(), match.captured(5)});
    }
    return words;
}

class PrintReportTest : public ::testing::Test
{
protected:
    PrintReportTest()
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf());
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0)); // device pixels then count from the paper's corner
        content.FileName = dir.filePath(QStringLiteral("data.csv"));
        content.Analysis = &analysis;
        content.Date = QDate(2026, 3, 7);
        content.Copyright = QStringLiteral("Copyright line of the test");
    }

    QString pdf() const { return dir.filePath(QStringLiteral("report.pdf")); }

    // Analyses "a;<values>", sets limits after the given ordered positions, judges with quantile t.
    void analyse(const QByteArray &values, std::vector<int> limitsAfter, double t, double minStd = 0)
    {
        analysis.SetItems(ReadTextData(SplitTextLines(QString::fromLatin1("a;" + values)), false).items);
        analysis.Analyse();
        for (const int position : limitsAfter)
            analysis.SetLimit(analysis.RowOfGapAfter(position));
        ConstantQuantile quantile(t);
        analysis.JudgeClasses(quantile, 0.95, minStd);
    }

    std::vector<QStringList> print()
    {
        PrintReport(printer, content);
        return pagesOf(pdf());
    }

    LocaleGuard locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
    TAnalysis analysis;
    TReportContent content;
};

TEST_F(PrintReportTest, ListsEachClassWithItsNumbersMarksAndImportantGaps)
{
    // A: 1 2 3 10 (average 4, std 4.08248, inner critical value 4.08248 with t = 1; the gap 3/4 of
    // 7 between positions 2 and 3 is important; no limit below, the limit above (gap 10) reaches it); B: 20 alone;
    // C: 30 30 (std 0, no critical value); D: 40 41 (the limit below, gap 10, reaches 0.707107,
    // and so does the gap 7/8 of 1).
    analyse("1;2;3;10;20;30;30;40;41\n", {3, 4, 6}, 1.0);
    const std::vector<QStringList> pages = print();
    ASSERT_EQ(pages.size(), 1u);
    const QStringList &lines = pages[0];
    EXPECT_EQ(lines[0], QStringLiteral("File name: data.csv"));
    const qsizetype header = lines.indexOf(QStringLiteral("Class Average Sandard Dev. Critical Value Importance/Distances"));
    ASSERT_GE(header, 0) << lines.join(QLatin1Char('\n')).toStdString();
    const QStringList expected = {
        QStringLiteral("A:0..3 4.00000E+00 4.08248E+00 4.08248E+00 _*"),
        QStringLiteral("2/3: 7.00000E+00"),
        QStringLiteral("B:4..4 2.00000E+01"),
        QStringLiteral("C:5..6 3.00000E+01 0.00000E+00 -1.00000E+00"),
        QStringLiteral("D:7..8 4.05000E+01 7.07107E-01 7.07107E-01 *_"),
        QStringLiteral("7/8: 1.00000E+00"),
    };
    EXPECT_EQ(lines.mid(header + 1, expected.size()), expected);
}

// The critical value of class B failed: B and C carry only their positions, not numbers that were
// never computed.
TEST_F(PrintReportTest, ClassesTheJudgementDidNotReachShowTheirPositionsOnly)
{
    // Class C, of two values, is the first to ask for samples of 2: the request fails there.
    struct FailingForPairs : CriticalValueSource
    {
        double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t Cases, double, int32_t) override
        {
            if (Cases == 2)
                throw rtl::Exception(QStringLiteral("no table"));
            return 1.0;
        }
    } source;
    analysis.SetItems(ReadTextData(SplitTextLines(QStringLiteral("a;1;2;3;10;11;12;20;21\n")), false).items);
    analysis.Analyse();
    analysis.SetLimit(analysis.RowOfGapAfter(2));
    analysis.SetLimit(analysis.RowOfGapAfter(5));
    EXPECT_THROW(analysis.JudgeClasses(source, 0.95, 0), rtl::Exception);
    const QStringList lines = print().at(0);
    const qsizetype a = lines.indexOf(QStringLiteral("A:0..2 2.00000E+00 1.00000E+00 1.00000E+00 _*"));
    ASSERT_GE(a, 0) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("B:3..5 1.10000E+01")).size() == 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("C:6..7"))) << lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(PrintReportTest, FooterOnEveryPageAndTheTableGoesOnAtTheTopMargin)
{
    // 60 classes of one value each: more than a page of table lines.
    QByteArray values;
    std::vector<int> limits;
    for (int i = 0; i < 60; ++i) {
        values += QByteArray::number(i * i) + ';';
        if (i < 59)
            limits.push_back(i);
    }
    analyse(values + '\n', limits, 1.0);
    const std::vector<QStringList> pages = print();
    ASSERT_GE(pages.size(), 2u);
    for (size_t p = 0; p < pages.size(); ++p) {
        EXPECT_TRUE(pages[p].contains(QStringLiteral("Program Quibo 3/7/26"))) << p;
        EXPECT_EQ(pages[p].last(), QStringLiteral("Copyright line of the test")) << p;
        EXPECT_EQ(pages[p].contains(QStringLiteral("File name: data.csv")), p == 0) << p;
    }

    // Where the break falls, in points: page 1 takes table lines while a line's top plus the line
    // height stays within the bottom margin; page 2 starts at the top margin.
    std::map<int, std::vector<double>> lineTops;
    static const QRegularExpression classCell(QStringLiteral(R"(^.:\d+\.\.\d+$)"));
    for (const Word &w : wordsOf(pdf())) {
        if (classCell.match(w.text).hasMatch())
            lineTops[w.page].push_back(w.yMin);
    }
    ASSERT_GE(lineTops[1].size(), 3u);
    ASSERT_FALSE(lineTops[2].empty());
    const double pageHeight = 297.0 / 25.4 * 72.0;
    const int pagePixels = qRound(297.0 / 25.4 * 1200.0);
    const double marginY = (pagePixels / 15) * 72.0 / 1200.0;
    const double lineHeight = lineTops[1][1] - lineTops[1][0];
    const double lastTop = lineTops[1].back();
    EXPECT_LE(lastTop + lineHeight, pageHeight - marginY + 0.5);
    EXPECT_GT(lastTop + 2 * lineHeight, pageHeight - marginY - 0.5);
    EXPECT_NEAR(lineTops[2].front(), marginY, 1.0);
    EXPECT_NEAR(lineTops[2][1] - lineTops[2][0], lineHeight, 0.1) << "the table's font goes on";
    size_t total = 0;
    for (const auto &[page, tops] : lineTops)
        total += tops.size();
    EXPECT_EQ(total, 60u);
}

TEST_F(PrintReportTest, TableHeaderCarriesTheConditionOfItsQuery)
{
    analyse("1;2;3\n", {}, 1.0);
    content.FileName = QStringLiteral("/data/tables/parts.dbf");
    content.IsTable = true;
    content.SqlLines = {QStringLiteral("SELECT * FROM 'parts.dbf'"), QStringLiteral("WHERE (ID > 5)"),
                        QStringLiteral("ORDER BY ID")};
    const QStringList lines = print().at(0);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{QStringLiteral("File name: parts.dbf"), QStringLiteral("(ID > 5) ORDER BY ID")}));

    content.IsTable = false; // text data: no condition line even with lines at hand
    EXPECT_FALSE(print().at(0).contains(QStringLiteral("(ID > 5) ORDER BY ID")));
}

TEST_F(PrintReportTest, LongFileNameIsWrappedWithinThePage)
{
    analyse("1;2;3\n", {}, 1.0);
    QString name;
    for (int i = 0; name.size() < 250; ++i)
        name += QStringLiteral("part%1_").arg(i);
    content.FileName = QString(170, QLatin1Char('d')) + QLatin1Char('/') + name;
    QString text = print().at(0).join(QString()).remove(QLatin1Char(' '));
    EXPECT_TRUE(text.startsWith(QStringLiteral("Filename:") + name)) << text.toStdString();
    for (const Word &w : wordsOf(pdf()))
        EXPECT_TRUE(w.xMin >= 0 && w.xMax <= 210.0 / 25.4 * 72.0) << w.text.toStdString();
}

TEST(QueryCondition, JoinsTheTextAfterWhereWithTheLinesAfterIt)
{
    const struct
    {
        QStringList lines;
        const char *condition;
    } cases[] = {
        {{QStringLiteral("SELECT * FROM 't.dbf'"), QStringLiteral("WHERE (ID > 5)")}, "(ID > 5)"},
        {{QStringLiteral("select * from 't.dbf' where (A=1)"), QStringLiteral("ORDER BY A")}, "(A=1) ORDER BY A"},
        {{QStringLiteral("SELECT * FROM 't.dbf'")}, ""},
        // A blank already at the end of the text or the start of the next line is not doubled.
        {{QStringLiteral("WHERE (A=1) "), QStringLiteral("AND (B=2)")}, "(A=1) AND (B=2)"},
        {{QStringLiteral("WHERE (A=1)"), QStringLiteral(" AND (B=2)")}, "(A=1) AND (B=2)"},
        {{QStringLiteral("WHERE (A=1)"), QStringLiteral("AND (B=2) "), QStringLiteral("ORDER BY A")},
         "(A=1) AND (B=2) ORDER BY A"},
        // The word alone on its line: the condition is on the lines after it.
        {{QStringLiteral("SELECT * FROM 't.dbf'"), QStringLiteral("WHERE"), QStringLiteral("(A=1)"), QString(),
          QStringLiteral("ORDER BY A")},
         "(A=1) ORDER BY A"},
        // No blank after the word: the condition keeps its first character.
        {{QStringLiteral("WHERE(A=1)")}, "(A=1)"},
        // The WHERE the builder splits at: a whole word outside quotes, not part of a file name,
        // field name or value.
        {{QStringLiteral("SELECT * FROM 'nowhere.dbf' WHERE (VAHA>=1.6)")}, "(VAHA>=1.6)"},
        {{QStringLiteral("SELECT * FROM 'somewhere.dbf'"), QStringLiteral("WHERE (VAHA>=1.6)")}, "(VAHA>=1.6)"},
        {{QStringLiteral("SELECT ELSEWHERE, 'where' AS W FROM 't.dbf'"), QStringLiteral("where (A=1)")}, "(A=1)"},
        {{QStringLiteral("SELECT * FROM 'a"), QStringLiteral("where.dbf'")}, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QueryCondition(c.lines).toStdString(), c.condition) << c.lines.join(QLatin1Char('|')).toStdString();
}

TEST_F(PrintReportTest, NarrowPageWrapsTheColumnThatDoesNotFitToTheLeftMargin)
{
    analyse("1;2;3;10\n", {}, 1.0);
    // 160 mm: the first four columns fit, the fifth reaches into the two right margins.
    printer.setPageSize(QPageSize(QSizeF(160, 297), QPageSize::Millimeter));
    PrintReport(printer, content);
    std::optional<Word> classWord, importance;
    for (const Word &w : wordsOf(pdf())) {
        if (w.text == QLatin1String("Class"))
            classWord = w;
        if (w.text == QLatin1String("Importance/Distances"))
            importance = w;
    }
    ASSERT_TRUE(classWord && importance);
    EXPECT_NEAR(importance->xMin, classWord->xMin, 0.5);
    EXPECT_GT(importance->yMin, classWord->yMax - 1.0) << "one line lower";
}

TEST_F(PrintReportTest, FailureHalfwayLeavesNoFileAndAnOlderOneAsItWas)
{
    analyse("1;2;3;10\n", {}, 1.0);
    content.DrawChart = [](QPainter &painter, const QRect &) {
        painter.drawLine(0, 0, 100, 100);
        throw rtl::Exception(QStringLiteral("chart failed"));
    };
    EXPECT_THROW(PrintReport(printer, content), rtl::Exception);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());

    QFile older(pdf());
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older file");
    older.close();
    EXPECT_THROW(PrintReport(printer, content), rtl::Exception);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("report.pdf")});
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older file"));
    EXPECT_EQ(printer.outputFileName(), pdf()) << "the printer keeps the file the user chose";
}

TEST_F(PrintReportTest, FileThatCannotBeWrittenIsReportedByName)
{
    analyse("1;2;3\n", {}, 1.0);
    const QString target = dir.filePath(QStringLiteral("missing/report.pdf"));
    printer.setOutputFileName(target);
    try {
        PrintReport(printer, content);
        ADD_FAILURE() << "printed into a folder that does not exist";
    } catch (const EPrintError &error) {
        EXPECT_TRUE(error.Message().contains(target)) << error.Message().toStdString();
    }
}

// ---- The main window's Print command ----

class PrintCommandTest : public MainWindowTest
{
protected:
    QString pdf() const { return dir.filePath(QStringLiteral("printed.pdf")); }
};

TEST_F(PrintCommandTest, CancelledSetupPrintsNothing)
{
    openText("a;1;2;3;10\n");
    dialogs.expectPrinter(QString());
    form->Print1Click();
    EXPECT_FALSE(QFile::exists(pdf()));
}

TEST_F(PrintCommandTest, PrintsTheJudgedClassesAndTheChartAsVectors)
{
    ConstantQuantile quantile(1.0);
    form->SetCriticalValueSource(&quantile);
    openText("a;1;2;3;10;11;12\n");
    form->SetLimitAfter(2);
    form->Statistics1Click();
    f().RB_distribution->setChecked(true);
    form->RB_distributionClick();
    form->resize(700, 460);
    dialogs.expectPrinter(pdf());
    f().Print1->trigger();
    const std::vector<QStringList> pages = pagesOf(pdf());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].first(), QStringLiteral("File name: data.csv"));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("A:0..2 2.00000E+00 1.00000E+00 1.00000E+00 _*")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("B:3..5 1.10000E+01 1.00000E+00 1.00000E+00 *_")));
    EXPECT_TRUE(pages[0].join(QLatin1Char('\n')).contains(QStringLiteral("Program Quibo ")));
    // The chart's axis labels are text between the heading and the table, and the page holds no picture.
    static const QRegularExpression tickLabels(QStringLiteral("^[0-9 .]+$"));
    const qsizetype table = pages[0].indexOf(QStringLiteral("Class Average Sandard Dev. Critical Value Importance/Distances"));
    EXPECT_GE(pages[0].mid(1, table - 1).indexOf(tickLabels), 0) << pages[0].join(QLatin1Char('\n')).toStdString();
    const QStringList images = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf()}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(images.size(), 2) << "only the two heading lines: " << images.join(QLatin1Char('\n')).toStdString();
    form->SetCriticalValueSource(nullptr);
}

TEST_F(PrintCommandTest, FailureIsShownToTheUser)
{
    openText("a;1;2;3;10\n");
    dialogs.expectPrinter(dir.filePath(QStringLiteral("missing/printed.pdf")));
    dialogs.expectMessage(QStringLiteral("missing/printed.pdf"));
    ui::HandleExceptions([this] { form->Print1Click(); });
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
}

} // namespace
