#pragma once
// The dialog "Export parameters": for each field of the target table, the grid column that feeds
// it and the standard value it takes where that column's cell is empty.

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TFormExportParams;
}

class QTableView;
class TExportParamsModel;

class TFormExportParams : public QDialog
{
    Q_OBJECT
public:
    explicit TFormExportParams(QWidget *parent = nullptr);
    ~TFormExportParams() override;

    /// Fills the grid with Fields and the columns proposed for them from Columns (the grid's
    /// column names, index = grid column) and shows the dialog modally.
    void Execute(const QStringList &Fields, const QStringList &Columns);
    /// The column chosen for field Index (from 0), -1 for none, and its standard value in Value.
    int GetParam(int Index, QString &Value) const;

    QTableView *ParamGrid() const;
    TExportParamsModel &Params() const { return *FParams; }

private:
    std::unique_ptr<Ui::TFormExportParams> ui;
    TExportParamsModel *FParams;
};
