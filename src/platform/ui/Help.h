#pragma once
// Help pages: one HTML page per help context in the folder "help" beside the executable's
// folder, opened in the desktop's browser through the dialog seam, or in the program's own help
// window where no program could show them. F1 in a window opens the page of the focused
// control's context, else the window's.

#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace ui {

/// The help folder for an executable folder: "help" under its parent ("/opt/q/bin" gives
/// "/opt/q/help"), without a trailing separator.
QString HelpFolderOf(const QString &exeFolder);

/// The help folder of this run: the one set by SetHelpFolder, else HelpFolderOf the running
/// executable's folder.
QString HelpFolder();
/// Points the help at another folder; an empty text goes back to the default.
void SetHelpFolder(const QString &folder);

/// Full name of the page of a help context: <HelpFolder>/context-<context>.html.
QString HelpPage(int context);

/// Opens the page of `context` through ui::OpenUrl; where no program could show it, the help
/// window shows it. Throws rtl::Exception naming the page when it does not exist.
void ShowHelpContext(int context);

/// Shows a help page in the program's own help window (object name "HelpWindow", one for the
/// run, brought to the front), which follows the links between the pages.
void ShowHelpWindow(const QString &page);

/// Gives `widget` a help context (0 = none). The first call on a window also makes F1 in that
/// window open the page of HelpContextOf(the focused widget).
void SetHelpContext(QWidget *widget, int context);

/// The context of `widget` or of its nearest ancestor that has one; 0 when none has.
int HelpContextOf(const QWidget *widget);

/// Gives a menu entry a help context (0 = none).
void SetHelpContext(QAction *action, int context);
int HelpContextOf(const QAction *action);

/// Makes F1 in an open menu open the page of the highlighted entry's context (an entry without
/// one opens nothing); the menu closes first. F1 is then no short-cut of any entry of that menu.
void InstallMenuHelp(QMenu *menu);

} // namespace ui
