#pragma once
// The printed report of the analysis: a header with the data file's name and, for a table, the
// condition of its query; the chart; the table of the judged classes with their important gaps;
// and on every page a footer with the program line, the date and the copyright line. The layout
// is computed in the printer's device pixels from its page size.

#include "platform/rtl/SysUtils.h"

#include <QDate>
#include <QStringList>

#include <functional>

class QPainter;
class QPrinter;
class QRect;
class TAnalysis;

/// A print job that could not start, or that failed on the way and was aborted.
class EPrintError : public rtl::Exception
{
public:
    using Exception::Exception;
};

/// What the report shows.
struct TReportContent
{
    /// The data file; the header shows its name without the folder.
    QString FileName;
    /// The data come from a table: the condition of its query is printed under the file name.
    bool IsTable = false;
    /// The lines of the table's query, in order.
    QStringList SqlLines;
    /// The analysis whose judged classes, ordered values and gaps are listed; not null.
    const TAnalysis *Analysis = nullptr;
    /// Draws the chart as vectors into a rectangle of the page; when empty the place stays blank.
    std::function<void(QPainter &, const QRect &)> DrawChart;
    /// The date of the footer's program line.
    QDate Date;
    /// The footer's second line.
    QString Copyright;
};

/// The condition of a query's lines: the text after the WHERE that the query builder splits at
/// (FindWhere: a whole word outside quotes) without the blanks that follow it, then every later
/// line, a blank put between two texts unless one of them already has it there. Empty when
/// there is no WHERE.
QString QueryCondition(const QStringList &sqlLines);

/// Prints the report on `printer` as one job. \throws EPrintError when the job cannot start or
/// fails on the way. Any error (also an exception of DrawChart) aborts the job: printed into a
/// file, the file is written under a temporary name and renamed into place only when the job
/// has ended well, so that a failed job leaves a file of that name as it was.
void PrintReport(QPrinter &printer, const TReportContent &content);
