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

QRect PlaceClearOf(const QRect &framed, QSize minimum, const QRect &onTop, const QRect &screen)
{
    if (!framed.intersects(onTop))
        return framed;
    const QRect beside(PlaceBeside(framed.size(), onTop, screen), framed.size());
    if (!beside.intersects(onTop))
        return beside;
    const QRect parts[] = {
        QRect(screen.topLeft(), QPoint(screen.right(), onTop.top() - 1)),
        QRect(QPoint(screen.left(), onTop.bottom() + 1), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(onTop.left() - 1, screen.bottom())),
        QRect(QPoint(onTop.right() + 1, screen.top()), screen.bottomRight()),
    };
    QRect best = beside;
    qint64 bestArea = -1;
    for (const QRect &part : parts) {
        if (part.width() < minimum.width() || part.height() < minimum.height())
            continue;
        const QSize size = framed.size().boundedTo(part.size());
        if (qint64(size.width()) * size.height() <= bestArea)
            continue;
        bestArea = qint64(size.width()) * size.height();
        const int x = std::clamp(framed.left(), part.left(), part.right() - size.width() + 1);
        const int y = std::clamp(framed.top(), part.top(), part.bottom() - size.height() + 1);
        best = QRect(QPoint(x, y), size);
    }
    return best;
}

void MoveClearOf(QWidget &window, const QWidget &onTop, const QMargins &frame)
{
    const auto frameOf = [&frame](const QWidget &w) {
        const QMargins drawn = FrameMargins(w);
        return drawn.isNull() ? frame : drawn;
    };
    const QScreen *screen = window.screen();
    if (!screen || !onTop.isVisible())
        return;
    const QMargins margins = frameOf(window);
    const QRect framed = window.geometry().marginsAdded(margins);
    // A window that lays out no controls (its hint is invalid) keeps its size.
    const QSize hint = window.minimumSizeHint();
    const QSize minimum = (hint.isValid() ? hint.expandedTo(window.minimumSize()) : window.size()).grownBy(margins);
    const QRect placed = PlaceClearOf(framed, minimum, onTop.geometry().marginsAdded(frameOf(onTop)),
                                      screen->availableGeometry());
    if (placed == framed)
        return;
    window.resize(placed.size().shrunkBy(margins));
    window.move(placed.topLeft());
}

void MoveClearOfWindowsOnTop(QWidget &window, const QMargins &frame)
{
    for (const QWidget *other : QApplication::topLevelWidgets()) {
        if (other != &window && other->isVisible() && other->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            MoveClearOf(window, *other, frame);
    }
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
