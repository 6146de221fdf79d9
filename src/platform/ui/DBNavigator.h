#pragma once
// The buttons that move through and edit the dataset of a data source: first, prior, next,
// last, insert, delete, post, cancel, refresh. Each is enabled only where it can act.

#include <QWidget>

#include <array>

class QToolButton;

namespace ui {

class TDataSource;

class TDBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel, nbRefresh };
    static constexpr int kButtonCount = 9;

    explicit TDBNavigator(QWidget *parent = nullptr);

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source; }

    /// Acts as a click on the button would (nothing when the button is disabled).
    void BtnClick(TNavigateBtn button);
    QToolButton *button(TNavigateBtn button) const { return m_buttons[size_t(button)]; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void act(TNavigateBtn button);
    void updateButtons();

    TDataSource *m_source = nullptr;
    std::array<QToolButton *, kButtonCount> m_buttons{};
};

} // namespace ui
