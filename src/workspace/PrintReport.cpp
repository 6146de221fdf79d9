#include "PrintReport.h"

#include "Analysis.h"
#include "QueryText.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace {

constexpr int kColumns = 5;

struct TPrintFont
{
    QFont Font;
    QColor Color;
};

// The report's fonts by kind, mapped to the installed fonts of that kind, preferring those whose
// widths match the classic sans serif and serif faces, so that the table's columns fit the page.
TPrintFont printFont(QFont::StyleHint kind, int points, const QColor &color = Qt::black)
{
    QFont font;
    if (kind == QFont::Serif)
        font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                          QStringLiteral("Nimbus Roman"), QStringLiteral("serif")});
    else
        font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                          QStringLiteral("sans-serif")});
    font.setStyleHint(kind);
    font.setPointSize(points);
    return {font, color};
}

TPrintFont fileNameFont()
{
    TPrintFont f = printFont(QFont::SansSerif, 14, QColor(0, 0, 128)); // navy
    f.Font.setBold(true);
    return f;
}

TPrintFont conditionFont() { return printFont(QFont::SansSerif, 10); }

TPrintFont tableHeaderFont()
{
    TPrintFont f = printFont(QFont::SansSerif, 9);
    f.Font.setBold(true);
    f.Font.setUnderline(true);
    return f;
}

TPrintFont tableFont() { return printFont(QFont::SansSerif, 9); }

TPrintFont footerFont()
{
    TPrintFont f = printFont(QFont::Serif, 8);
    f.Font.setItalic(true);
    return f;
}

// A number as the report lists it: 1.23457E+02.
QString N(double value) { return rtl::FloatToStrExp(value, 6, 2); }

// Lays out and prints the pages on an active painter of the printer; the state is the layout's.
class TReportPrinter
{
public:
    TReportPrinter(QPrinter &printer, QPainter &painter, const TReportContent &content)
        : m_printer(printer), m_painter(painter), m_content(content), PageWidth(printer.width()),
          PageHeight(printer.height()), MarginX(PageWidth / 15), MarginY(PageHeight / 15)
    {
    }

    void Print()
    {
        PrintFileName();
        if (m_content.IsTable)
            PrintCondition();
        PrintChart();
        PrintTable();
        PrintFooter();
    }

private:
    void SetFont(const TPrintFont &font)
    {
        m_font = font;
        m_painter.setFont(font.Font);
        m_painter.setPen(font.Color);
    }

    QSize TextExtent(const QString &text) const
    {
        const QFontMetrics metrics(m_font.Font, &m_printer);
        return {metrics.horizontalAdvance(text), metrics.height()};
    }

    // Prints text with its top left at (x, y).
    void TextOut(int x, int y, const QString &text)
    {
        m_painter.drawText(x, y + QFontMetrics(m_font.Font, &m_printer).ascent(), text);
    }

    // Prints text centred between the margins with its top at `top`; a text wider than that is
    // broken into lines, between words where it can and else anywhere, so that none of it falls
    // off the page. Answers the number of lines.
    int PrintCentred(int top, const QString &text)
    {
        QTextLayout layout(text, m_font.Font, &m_printer);
        QTextOption option(Qt::AlignHCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        const int lineHeight = TextExtent(text).height();
        int lines = 0;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(PageWidth - 2 * MarginX);
            line.setPosition(QPointF(0, lines * lineHeight));
            ++lines;
        }
        layout.endLayout();
        layout.draw(&m_painter, QPointF(MarginX, top));
        return std::max(lines, 1);
    }

    void PrintFileName()
    {
        const QString T = QStringLiteral("File name: ") + QFileInfo(m_content.FileName).fileName();
        SetFont(fileNameFont());
        const int lines = PrintCentred(MarginY, T);
        Y = MarginY + (lines + 1) * TextExtent(T).height();
    }

    void PrintCondition()
    {
        const QString C = QueryCondition(m_content.SqlLines);
        SetFont(conditionFont());
        const int height = TextExtent(C).height();
        const int lines = PrintCentred(Y - height / 2, C);
        Y += (lines + 1) * height;
    }

    void PrintChart()
    {
        const int S = std::max(0, std::min(PageWidth - 2 * MarginX, PageHeight - MarginY - Y));
        const int L = (PageWidth - S) / 2;
        const int height = 4 * S / 5; // Trunc(0.8 * S) without the rounding of 0.8
        if (m_content.DrawChart && S > 0)
            m_content.DrawChart(m_painter, QRect(L, Y, S, height));
        Y += height + MarginY / 5;
    }

    void PrintTable()
    {
        SetFont(tableHeaderFont());
        const int sampleLengths[kColumns] = {8, 12, 12, 12, 10};
        for (int col = 0; col < kColumns; ++col)
            SetPrintColumn(QString(sampleLengths[col], QLatin1Char('M')), col);
        const char *headers[kColumns] = {"Class", "Average", "Sandard Dev.", "Critical Value", "Importance/Distances"};
        for (int col = 0; col < kColumns; ++col)
            PrintCell(QLatin1String(headers[col]), col);
        SetFont(tableFont());
        const TJudgement &judgement = m_content.Analysis->Judgement();
        for (int c = 0; c < int(judgement.Classes.size()); ++c)
            PrintClass(c, judgement.Classes[size_t(c)], c < judgement.Judged);
    }

    double GapEndingAt(int position) const
    {
        const TAnalysis &analysis = *m_content.Analysis;
        return analysis.Differences()[size_t(analysis.Ordered()[size_t(position)].Row)].Diff;
    }

    QString LimitMark(int row, double innerCrit) const
    {
        if (row < 0)
            return QStringLiteral("_");
        return m_content.Analysis->Differences()[size_t(row)].Diff >= innerCrit ? QStringLiteral("*") : QStringLiteral("o");
    }

    // A class the judgement did not reach (its critical value failed) shows its positions only.
    void PrintClass(int c, const TJudgedClass &cls, bool judged)
    {
        Y += LineHeight;
        PrintCell(QChar(65 + c) + QStringLiteral(":%1..%2").arg(cls.First).arg(cls.Last), 0);
        if (!judged)
            return;
        PrintCell(N(cls.Average), 1);
        if (cls.Std >= 0) {
            PrintCell(N(cls.Std), 2);
            PrintCell(N(cls.InnerCrit), 3);
        }
        if (cls.InnerCrit <= 0)
            return;
        PrintCell(LimitMark(cls.LowerRow, cls.InnerCrit) + LimitMark(cls.UpperRow, cls.InnerCrit), 4);
        for (const int m : cls.ImportantGaps) {
            Y += LineHeight;
            PrintCell(QStringLiteral("%1/%2: ").arg(m - 1).arg(m) + N(GapEndingAt(m)), 4);
        }
    }

    void SetPrintColumn(const QString &Sample, int Col)
    {
        const QSize extent = TextExtent(Sample);
        if (Col == 0) {
            ColX[0] = MarginX;
            LineHeight = 6 * extent.height() / 5; // Trunc(1.2 * height)
        } else {
            ColX[Col] = ColX[Col - 1] + ColWidth[Col - 1];
        }
        // The test leaves two margins on the right: a column that would reach into them wraps.
        if (ColX[Col] + extent.width() > PageWidth - 2 * MarginX)
            ColX[Col] = MarginX;
        ColWidth[Col] = extent.width();
    }

    void PrintCell(const QString &Text, int Col)
    {
        if (Text.isEmpty())
            return;
        if (Y + LineHeight > PageHeight - MarginY) {
            PrintFooter();
            if (!m_printer.newPage())
                throw EPrintError(QStringLiteral("The printer refused a new page."));
            Y = MarginY;
        }
        if (Col > 0 && ColX[Col] <= ColX[Col - 1])
            Y += LineHeight;
        TextOut(ColX[Col], Y, Text);
    }

    void PrintFooter()
    {
        const TPrintFont before = m_font;
        SetFont(footerFont());
        const QString F1 = QStringLiteral("Program Quibo ") + rtl::FormatLocale().toString(m_content.Date, QLocale::ShortFormat);
        const QSize e1 = TextExtent(F1);
        TextOut(PageWidth - MarginX - e1.width(), PageHeight - MarginY + 3 * e1.height() / 2, F1);
        const QString &F2 = m_content.Copyright;
        const QSize e2 = TextExtent(F2);
        TextOut(PageWidth - MarginX - e2.width(), PageHeight - MarginY + 27 * e2.height() / 10, F2);
        SetFont(before);
    }

    QPrinter &m_printer;
    QPainter &m_painter;
    const TReportContent &m_content;
    TPrintFont m_font;

    const int PageWidth;
    const int PageHeight;
    const int MarginX;
    const int MarginY;
    int Y = 0;
    int LineHeight = 0;
    std::array<int, kColumns> ColX{};
    std::array<int, kColumns> ColWidth{};
};

// Printing into a file goes to a temporary file beside it, renamed into place when the job has
// ended well; printing on a printer needs nothing of the kind.
class TOutputFile
{
public:
    explicit TOutputFile(QPrinter &printer) : m_printer(printer), m_target(printer.outputFileName())
    {
        if (m_target.isEmpty())
            return;
        m_temporary.setFileTemplate(m_target + QStringLiteral(".XXXXXX"));
        if (!m_temporary.open())
            throw EPrintError(QStringLiteral("Cannot write the file %1: %2").arg(m_target, m_temporary.errorString()));
        m_temporary.close();
        m_printer.setOutputFileName(m_temporary.fileName());
    }

    ~TOutputFile() { m_printer.setOutputFileName(m_target); }

    QString target() const { return m_target; }

    void commit()
    {
        if (m_target.isEmpty())
            return;
        m_temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                   QFileDevice::ReadOther);
        std::error_code error;
        std::filesystem::rename(m_temporary.fileName().toStdString(), m_target.toStdString(), error);
        if (error)
            throw EPrintError(QStringLiteral("Cannot write the file %1: %2")
                                  .arg(m_target, QString::fromLocal8Bit(error.message().c_str())));
        m_temporary.setAutoRemove(false);
    }

private:
    QPrinter &m_printer;
    QString m_target;
    QTemporaryFile m_temporary; // removed unless committed
};

QString printerName(const QPrinter &printer, const TOutputFile &file)
{
    return file.target().isEmpty() ? QStringLiteral("the printer ") + printer.printerName()
                                   : QStringLiteral("the file ") + file.target();
}

} // namespace

QString QueryCondition(const QStringList &sqlLines)
{
    const TKeywordPosition where = FindWhere(sqlLines);
    if (where.line < 0)
        return QString();
    const QString &whereLine = sqlLines[where.line];
    qsizetype start = where.column + 5; // past the word
    while (start < whereLine.size() && whereLine[start].isSpace())
        ++start;
    QString condition = whereLine.mid(start);
    for (const QString &line : sqlLines.mid(where.line + 1)) {
        if (line.isEmpty())
            continue;
        if (condition.isEmpty() || condition.back().isSpace() || line.front().isSpace())
            condition += line;
        else
            condition += QLatin1Char(' ') + line;
    }
    return condition;
}

void PrintReport(QPrinter &printer, const TReportContent &content)
{
    TOutputFile file(printer);
    QPainter painter;
    if (!painter.begin(&printer))
        throw EPrintError(QStringLiteral("Cannot print to %1.").arg(printerName(printer, file)));
    try {
        TReportPrinter(printer, painter, content).Print();
    } catch (...) {
        printer.abort();
        painter.end();
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw EPrintError(QStringLiteral("Printing to %1 failed.").arg(printerName(printer, file)));
    file.commit();
}
