#pragma once
// A cell editor that hands every keystroke to its cell at once, as a grid whose in-place editor
// is always shown does: what is typed counts before the editor closes.

#include <QLineEdit>
#include <QStyledItemDelegate>

class TTypedTextDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            auto *self = const_cast<TTypedTextDelegate *>(this);
            connect(line, &QLineEdit::textEdited, self, [self, line] { emit self->commitData(line); });
        }
        return editor;
    }
};
