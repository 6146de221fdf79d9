#pragma once
// The data items dialog: one row per data item with its index, name, use mark and value count;
// a double click toggles the mark.

#include "DataItem.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class TFormDataItems;
}

namespace ui {
class TStringGrid;
}

class TFormDataItems : public QDialog
{
    Q_OBJECT
public:
    explicit TFormDataItems(QWidget *parent = nullptr);
    ~TFormDataItems() override;

    /// Empties every cell below the header row and makes room for Count items.
    void ResetGrid(int32_t Count);
    /// Lists the first ItemCount items, marking the used ones with "+".
    void ShowItems(const std::vector<TDataItem> &Items, int32_t ItemCount);
    /// Sets Used of every item that has values from its row's mark (exactly "+"); items without
    /// values stay unused. Answers the indices of the used items joined by "," ("" when none).
    QString TakeMarks(std::vector<TDataItem> &Items, int32_t ItemCount) const;

    void ItemGridDblClick();

    ui::TStringGrid *ItemGrid() const;

private:
    void FormCreate();

    std::unique_ptr<Ui::TFormDataItems> ui;
};

/// Lets the user choose the used items in a new dialog shown modally (FormDataItems while it is
/// shown): the marks are taken however the dialog is closed. Answers TakeMarks' indices.
QString ExecuteDataItems(std::vector<TDataItem> &Items, int32_t ItemCount);

extern TFormDataItems *FormDataItems;
