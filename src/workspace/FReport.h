#pragma once
// The report window: one row per class with its letter, positions, average, STD, critical
// values and important gaps.

#include <QWidget>

#include <memory>
#include <optional>

struct TJudgement;

namespace Ui {
class FormReport;
}

namespace ui {
class TStringGrid;
}

class TFormReport : public QWidget
{
    Q_OBJECT
public:
    /// Report grid columns.
    enum Column { ColClass, ColFirst, ColLast, ColAverage, ColStd, ColCritVal, ColImportant, ColOuter, ColumnCount };

    explicit TFormReport(QWidget *parent = nullptr);
    ~TFormReport() override;

    void FormCreate();
    /// Empties every cell below the header; Rows + 1 rows, or 2 when Rows < 1.
    void ResetGrid(int Rows);

    /// Fills one row per class: letter and positions of every class, the numbers of the judged ones.
    void ShowJudgement(const TJudgement &judgement);

    /// Shows the window beside owner, where it covers none of owner when the screen has room;
    /// once the user has moved it, it stays where the user put it.
    void ShowBeside(const QWidget &owner);

    ui::TStringGrid &Grid() const;

private:
    std::unique_ptr<Ui::FormReport> ui;
    std::optional<QPoint> m_placedAt; // where ShowBeside last put the window
    bool m_movedByUser = false;
};

/// The report window of the run.
extern TFormReport *FormReport;
