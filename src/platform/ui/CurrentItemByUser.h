#pragma once
// Lists whose current item only the user chooses.

class QAbstractItemView;

namespace ui {

/// Keeps the view from making its first item current when it gets the focus by the keyboard
/// (Tab) or with its window, as Qt's views do: its current item stays none until the user
/// picks one by mouse or by the arrow keys. The view must have its selection model.
void LeaveCurrentItemToTheUser(QAbstractItemView &view);

} // namespace ui
