#include "FReport.h"

#include "ui_FReport.h"

#include "Analysis.h"

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Help.h"
#include "platform/ui/StringGrid.h"

#include <QScreen>
#include <QScrollBar>

TFormReport *FormReport = nullptr;

namespace {

constexpr int kHelpContext = 70;

struct ColumnHeader
{
    const char *text;
    int width;
};

constexpr ColumnHeader kHeaders[TFormReport::ColumnCount] = {
    {"Class", 45}, {"First", 45}, {"Last", 45}, {"AVG", 80}, {"STD", 70}, {"CritVal", 80}, {"Important", 100}, {"Outer dist.", 80},
};

// The widest texts each column is made for: positions of a million values, six significant
// digits in their longest form, the flag of the STD, and a few important gaps.
constexpr const char *kWidestTexts[TFormReport::ColumnCount] = {
    "Class", "9999999", "9999999", "-0.0000123457", "0.0000123457 !", "0.0000123457", "99998/99999;99999/100000",
    "0.0000123457",
};
constexpr int kCellPadding = 10;
constexpr int kWidestImportant = 400;

} // namespace

TFormReport::TFormReport(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::FormReport>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
    ui->Grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    ui->Grid->SetDefaultRowHeight(20);
    ui->Grid->setShowGrid(true);
    ui->Grid->SetColSizing(true);
    ui::SetHelpContext(this, kHelpContext);
    FormCreate();
    // All columns show at the window's first size.
    int width = 2 * ui->Grid->frameWidth() + ui->Grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < ColumnCount; ++c)
        width += ui->Grid->ColWidths(c);
    resize(std::max(width, this->width()), height());
    ui::CenterOnScreen(*this);
}

TFormReport::~TFormReport() = default;

ui::TStringGrid &TFormReport::Grid() const { return *ui->Grid; }

void TFormReport::ShowBeside(const QWidget &owner)
{
    if (m_placedAt && pos() != *m_placedAt)
        m_movedByUser = true;
    if (!m_movedByUser) {
        // The window system may not have framed this window yet: its frame is taken to be the owner's.
        if (const QScreen *screen = owner.screen())
            move(ui::PlaceBeside(size().grownBy(ui::FrameMargins(owner)), owner.frameGeometry(), screen->availableGeometry()));
        m_placedAt = pos();
    }
    show();
}

void TFormReport::FormCreate()
{
    ui->Grid->SetColCount(ColumnCount);
    ui->Grid->SetRowCount(2);
    ui->Grid->SetFixedRows(1);
    for (int c = 0; c < ColumnCount; ++c) {
        ui->Grid->SetCells(c, 0, QString::fromLatin1(kHeaders[c].text));
        // The layout's widths are for a small font; ours may need more.
        const int needed = ui->Grid->fontMetrics().horizontalAdvance(QString::fromLatin1(kWidestTexts[c])) + kCellPadding;
        ui->Grid->SetColWidths(c, std::max(kHeaders[c].width, needed));
    }
}

void TFormReport::ResetGrid(int Rows)
{
    ui::TStringGrid &grid = *ui->Grid;
    grid.BeginUpdate();
    for (int r = 1; r < grid.RowCount(); ++r) {
        for (int c = 0; c < grid.ColCount(); ++c)
            grid.SetCells(c, r, QString());
    }
    grid.SetRowCount(Rows < 1 ? 2 : Rows + 1);
    grid.EndUpdate();
}

void TFormReport::ShowJudgement(const TJudgement &judgement)
{
    ResetGrid(int(judgement.Classes.size()));
    ui::TStringGrid &grid = *ui->Grid;
    grid.BeginUpdate();
    for (int c = 0; c < int(judgement.Classes.size()); ++c) {
        const TJudgedClass &cls = judgement.Classes[size_t(c)];
        const int row = c + 1;
        grid.SetCells(ColClass, row, QChar(u'A' + c));
        grid.SetCells(ColFirst, row, QString::number(cls.First));
        grid.SetCells(ColLast, row, QString::number(cls.Last));
        if (c >= judgement.Judged)
            continue;
        QStringList important;
        for (const int32_t m : cls.ImportantGaps)
            important << GapText(m);
        grid.SetCells(ColImportant, row, important.join(QLatin1Char(';')));
        grid.SetCells(ColAverage, row, rtl::FloatToStrF(cls.Average, 6));
        grid.SetCells(ColStd, row, rtl::FloatToStrF(cls.Std, 6) + (cls.BelowMinStd ? QStringLiteral(" !") : QString()));
        grid.SetCells(ColCritVal, row, rtl::FloatToStrF(cls.InnerCrit, 6));
        grid.SetCells(ColOuter, row, rtl::FloatToStrF(cls.OuterCrit, 6));
    }
    grid.EndUpdate();
    grid.FitColumnToTexts(ColImportant, kWidestImportant); // many gaps are cut; the user may widen the column
}
