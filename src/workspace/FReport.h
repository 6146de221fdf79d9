#pragma once
// The report window: one row per class with its letter, positions, average, STD, critical
// values and important gaps.

#include <QWidget>

#include <memory>

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

    ui::TStringGrid &Grid() const;

private:
    std::unique_ptr<Ui::FormReport> ui;
};

/// The report window of the run.
extern TFormReport *FormReport;
