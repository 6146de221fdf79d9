#include "Application.h"

#include "Dialogs.h"

#include <QCursor>
#include <QScreen>
#include <QWidget>

#include <stdexcept>

namespace ui {

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) { RouteWarningsToDialogs(); }

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
