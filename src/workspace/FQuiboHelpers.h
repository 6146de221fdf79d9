#pragma once
// What the main window's source files share: its layout constants and small helpers.

#include "platform/db/Query.h"
#include "platform/ui/Dialogs.h"

#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QString>

namespace formquibo {

const QString kTextDataFilter = QStringLiteral("Text data files (CSV,TXT)|*.csv;*.txt|DBF tables|*.dbf|All files|*.*");
const QString kChartImageFilter = QStringLiteral(
    "Windows bitmap|*.bmp|Windows enhanced metafile|*.wmf|Windows enhanced metafile|*.emf|All files|*.*");
constexpr int kDistGridDefaultColWidth = 44;
constexpr int kDistGridMarkColWidth = 26; // two mark characters leave the numbers more room
constexpr int kDistGridValueColWidth = 84;
constexpr int kDistGridRowHeight = 20;
constexpr int kDistGridTopGap = 145;
// The smallest window: the list keeps this many rows, the chart room for its axes and legend.
constexpr int kDistGridMinRows = 4;
constexpr int kChartMinWidth = 300;
const QString kTablesDatabase = QStringLiteral("DBFtables");

// Focus that leaves for another window or a popup (a message box, another program) is not the user
// leaving the box; only a move to another control of this window is.
inline bool leavesForAnotherControl(QEvent *event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

inline bool IsProbabilityPercent(double percent) { return percent > 0 && percent < 100; }
// A query opened live for writing, closed and set back to not live however the work ends.
class LiveQuery
{
public:
    explicit LiveQuery(db::TQuery &query) : m_query(query)
    {
        if (query.Active())
            query.Close();
        query.SetRequestLive(true);
        try {
            query.Open();
        } catch (...) {
            query.SetRequestLive(false);
            throw;
        }
    }
    ~LiveQuery()
    {
        m_query.Close();
        m_query.SetRequestLive(false);
    }
    LiveQuery(const LiveQuery &) = delete;
    LiveQuery &operator=(const LiveQuery &) = delete;

private:
    db::TQuery &m_query;
};

// The output query holds its one record only while it is used.
class OpenedQuery
{
public:
    explicit OpenedQuery(db::TQuery &query) : m_query(query) { query.Open(); }
    ~OpenedQuery() { m_query.Close(); }
    OpenedQuery(const OpenedQuery &) = delete;
    OpenedQuery &operator=(const OpenedQuery &) = delete;

private:
    db::TQuery &m_query;
};

inline void warn(const QString &text) { ui::MessageDlg(text, ui::TMsgDlgType::mtWarning, ui::TMsgDlgButtons::mbOK); }

inline QString upperExtension(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix.toUpper();
}

} // namespace formquibo

using namespace formquibo;
