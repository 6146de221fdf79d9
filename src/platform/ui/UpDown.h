#pragma once
// An up-down control: two arrow buttons beside an edit that step the whole number in the edit
// within a range. Like the window system's control bound to its buddy edit, it reads the edit's
// text at every step, so numbers typed or set by the program count.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ui {

class TUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit TUpDown(QWidget *parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    void SetRange(int min, int max);
    int Increment() const { return m_increment; }
    void SetIncrement(int increment) { m_increment = increment; }
    int Position() const { return m_position; }
    /// Sets the position within the range and writes it into the associated edit.
    void SetPosition(int position);

    QLineEdit *Associate() const { return m_associate; }
    /// Binds the edit: the up and down arrow keys in it step too. The edit keeps its text.
    void SetAssociate(QLineEdit *edit);

    /// One step up (direction 1) or down (-1) from the number in the edit, or from the
    /// position when the edit holds no whole number.
    void Step(int direction);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
    QLineEdit *m_associate = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_increment = 1;
    int m_position = 0;
};

} // namespace ui
