#include "Application.h"

#include "Dialogs.h"

#include <QCursor>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <stdexcept>

namespace ui {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    RouteWarningsToDialogs();
    RouteLongWorkToDialogs();
}

QString TApplication::Title() const { return ApplicationTitle(); }

void TApplication::SetTitle(const QString &title)
{
    // Only the boxes take it: as the display name, window systems would append it to every caption.
    SetApplicationTitle(title);
}

QString TApplication::ExeName() { return QCoreApplication::applicationFilePath(); }

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowException(error);
    } catch (...) {
        ShowException(std::runtime_error("Unknown error"));
    }
    return false;
}

namespace {
int g_waitCursorsShown = 0;
std::function<bool()> g_closeQuery;
} // namespace

void SetCloseQuery(std::function<bool()> query) { g_closeQuery = std::move(query); }

bool CloseQuery() { return !g_closeQuery || g_closeQuery(); }

void CenterOnScreen(QWidget &window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

int CaptionWidth(const QString &caption)
{
    constexpr int kTitleBarControls = 120;
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarControls;
}

void WidenForCaption(QWidget &window)
{
    const int widening = CaptionWidth(window.windowTitle()) - window.width();
    if (widening <= 0)
        return;
    for (QWidget *control : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        control->move(control->pos() + QPoint(widening / 2, 0));
    window.resize(window.width() + widening, window.height());
}

QMargins FrameMargins(const QWidget &window)
{
    const QRect frame = window.frameGeometry(), client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

QPoint PlaceBeside(QSize size, const QRect &keepClear, const QRect &screen)
{
    const auto within = [&screen](int at, int length, bool horizontal) {
        const int first = horizontal ? screen.left() : screen.top();
        const int last = (horizontal ? screen.right() : screen.bottom()) - length + 1;
        return std::max(first, std::min(at, last));
    };
    const int alignedX = within(keepClear.left(), size.width(), true);
    const int alignedY = within(keepClear.top(), size.height(), false);
    const QPoint sides[] = {
        {keepClear.right() + 1, alignedY},
        {alignedX, keepClear.bottom() + 1},
        {keepClear.left() - size.width(), alignedY},
        {alignedX, keepClear.top() - size.height()},
    };
    for (const QPoint &side : sides) {
        if (screen.contains(QRect(side, size)))
            return side;
    }
    return {alignedX, within(keepClear.bottom() + 1, size.height(), false)};
}

int TWaitCursor::TimesShown() { return g_waitCursorsShown; }

TWaitCursor::TWaitCursor()
{
    ++g_waitCursorsShown;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

TWaitCursor::~TWaitCursor()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}

} // namespace ui
