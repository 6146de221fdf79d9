#include "CurrentItemByUser.h"

#include <QAbstractItemView>
#include <QEvent>

namespace ui {

namespace {

class FocusWithoutCurrentItem : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *view = qobject_cast<QAbstractItemView *>(watched);
        if (event->type() != QEvent::FocusIn || !view || !view->selectionModel() || view->currentIndex().isValid())
            return QObject::eventFilter(watched, event);
        // The view handles its focus as always, unheard, and what it made current is taken back.
        const QSignalBlocker unheard(view->selectionModel());
        watched->event(event);
        view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        return true;
    }
};

} // namespace

void LeaveCurrentItemToTheUser(QAbstractItemView &view) { view.installEventFilter(new FocusWithoutCurrentItem(&view)); }

} // namespace ui
