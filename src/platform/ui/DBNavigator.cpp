#include "platform/ui/DBNavigator.h"

#include "platform/ui/DataSource.h"
#include "platform/ui/Dialogs.h"

#include "platform/db/DataSet.h"

#include <QToolButton>

namespace ui {
namespace {

struct ButtonText
{
    const char *name;
    const char *symbol;
    const char *hint;
};

constexpr ButtonText kButtons[TDBNavigator::kButtonCount] = {
    {"nbFirst", "|◀", "First record"},  {"nbPrior", "◀", "Prior record"},   {"nbNext", "▶", "Next record"},
    {"nbLast", "▶|", "Last record"},    {"nbInsert", "+", "Insert record"}, {"nbDelete", "−", "Delete record"},
    {"nbPost", "✔", "Post edit"},      {"nbCancel", "✖", "Cancel edit"},   {"nbRefresh", "↻", "Refresh data"}};

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    for (int i = 0; i < kButtonCount; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(kButtons[i].name));
        button->setText(QString::fromUtf8(kButtons[i].symbol));
        button->setToolTip(QLatin1String(kButtons[i].hint));
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { BtnClick(TNavigateBtn(i)); });
        m_buttons[size_t(i)] = button;
    }
    updateButtons();
}

void TDBNavigator::SetDataSource(TDataSource *source)
{
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (source) {
        connect(source, &TDataSource::dataSetChanged, this, &TDBNavigator::updateButtons);
        connect(source, &TDataSource::changed, this, &TDBNavigator::updateButtons);
    }
    updateButtons();
}

// The buttons share the width evenly, as the navigator's row of equal buttons.
void TDBNavigator::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    for (int i = 0; i < kButtonCount; ++i) {
        const int left = w * i / kButtonCount;
        m_buttons[size_t(i)]->setGeometry(left, 0, w * (i + 1) / kButtonCount - left, height());
    }
}

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    if (!m_buttons[size_t(button)]->isEnabled())
        return;
    try {
        act(button);
    } catch (const std::exception &error) {
        ShowException(error);
    }
    if (m_source)
        m_source->notifyChanged();
}

void TDBNavigator::act(TNavigateBtn button)
{
    db::TDataSet &dataSet = *m_source->DataSet();
    switch (button) {
    case nbFirst: dataSet.First(); break;
    case nbPrior: dataSet.Prior(); break;
    case nbNext: dataSet.Next(); break;
    case nbLast: dataSet.Last(); break;
    case nbInsert: dataSet.Append(); break;
    case nbDelete:
        if (MessageDlg(QStringLiteral("Delete record?"), TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo) == mrYes)
            dataSet.Delete();
        break;
    case nbPost: dataSet.Post(); break;
    case nbCancel: dataSet.Cancel(); break;
    case nbRefresh: dataSet.Refresh(); break;
    }
}

void TDBNavigator::updateButtons()
{
    db::TDataSet *dataSet = m_source ? m_source->DataSet() : nullptr;
    const bool active = dataSet && dataSet->Active();
    const bool editing = active && (dataSet->State() == db::dsEdit || dataSet->State() == db::dsInsert);
    const bool browsing = active && !editing;
    const bool canModify = active && dataSet->CanModify();
    const bool empty = !active || dataSet->IsEmpty();
    const bool atFirst = !active || empty || (browsing && dataSet->RecNo() <= 1);
    const bool atLast = !active || empty || (browsing && dataSet->RecNo() >= dataSet->RecordCount());
    const bool enabled[kButtonCount] = {!atFirst, !atFirst,      !atLast, !atLast, canModify && browsing,
                                        canModify && !empty,     editing, editing, browsing};
    for (int i = 0; i < kButtonCount; ++i)
        m_buttons[size_t(i)]->setEnabled(enabled[i]);
}

} // namespace ui
