#pragma once
// The application object: title, help file, executable folder, and the default exception
// handler that turns every exception leaving an event handler into a stop box.

#include <QApplication>

#include <functional>

namespace ui {

class TApplication : public QApplication
{
public:
    TApplication(int &argc, char **argv);

    QString Title() const;
    void SetTitle(const QString &title);
    QString HelpFile() const { return m_helpFile; }
    void SetHelpFile(const QString &file) { m_helpFile = file; }

    /// Full path of the running executable.
    static QString ExeName();

    bool notify(QObject *receiver, QEvent *event) override;

private:
    QString m_helpFile;
};

/// Runs `handler` and shows any exception it raises the way the default handler does; for
/// code that runs outside Qt's event delivery (timers of the platform, automation calls).
template<typename Handler>
void HandleExceptions(Handler &&handler);

/// Asked when the user ends the program, after the program's own question; a query that answers
/// false keeps the program running. None (the default) lets it end.
void SetCloseQuery(std::function<bool()> query);
bool CloseQuery();

/// Places a window in the middle of the primary screen's free area (before it is shown).
void CenterOnScreen(QWidget &window);

/// The width a window needs for its title bar to show `caption` whole: the caption in the bold
/// application font, as title bars mostly show it, beside the window manager's icon and buttons.
int CaptionWidth(const QString &caption);
/// Widens a window whose controls sit at fixed places until its title bar shows its caption
/// whole; the controls move along to stay centred.
void WidenForCaption(QWidget &window);

/// The widths of the window system's frame around a shown window (title bar, borders); none
/// while the window system has not framed it.
QMargins FrameMargins(const QWidget &window);

/// The top-left corner for a window whose frame has `size`, placed so that it covers none of
/// `keepClear`: right of it, below it, left of it or above it, the first of these that lies
/// whole within `screen`. When none does, it goes below, moved up into the screen: it covers
/// keepClear's lower part and leaves its top free, where windows have their menus and buttons.
QPoint PlaceBeside(QSize size, const QRect &keepClear, const QRect &screen);

/// Where a window framed as `framed` goes so that it lies clear of `onTop`, a window that stays
/// above it: where it is when they do not overlap; else the first side of onTop with room
/// (PlaceBeside); else, shrunk as far as `minimum` (its smallest framed size) allows, the largest
/// part of `screen` above, below, left or right of onTop, as near its place as it fits. When not
/// even that fits, PlaceBeside's place.
QRect PlaceClearOf(const QRect &framed, QSize minimum, const QRect &onTop, const QRect &screen);

/// Moves, and where needed shrinks, `window` so that `onTop`, when shown, covers none of it
/// (PlaceClearOf, on the window's screen). A frame the window system has not drawn yet is taken
/// to be `frame`; a window about to be shown is best placed before it is shown.
void MoveClearOf(QWidget &window, const QWidget &onTop, const QMargins &frame);
/// MoveClearOf each shown window of the program that stays on top.
void MoveClearOfWindowsOnTop(QWidget &window, const QMargins &frame);

/// Shows the hourglass cursor for as long as it lives.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor &) = delete;
    TWaitCursor &operator=(const TWaitCursor &) = delete;

    /// How often the hourglass has been shown in this run, for watchers of long work.
    static int TimesShown();
};

} // namespace ui

#include "Dialogs.h"

template<typename Handler>
void ui::HandleExceptions(Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        ShowException(error);
    }
}
