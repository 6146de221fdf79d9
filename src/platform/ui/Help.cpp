#include "Help.h"

#include "Application.h"
#include "Dialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVariant>
#include <QWidget>

namespace ui {

namespace {

constexpr const char *kContextProperty = "quiboHelpContext";
constexpr const char *kHelpKeyName = "quiboHelpKey";
constexpr QSize kHelpWindowSize(640, 560);

QString &helpFolderOverride()
{
    static QString folder;
    return folder;
}

void installHelpKey(QWidget *window)
{
    if (window->findChild<QShortcut *>(QLatin1String(kHelpKeyName), Qt::FindDirectChildrenOnly))
        return;
    auto *key = new QShortcut(QKeySequence(Qt::Key_F1), window);
    key->setObjectName(QLatin1String(kHelpKeyName));
    key->setContext(Qt::WindowShortcut);
    QObject::connect(key, &QShortcut::activated, window, [window] {
        QWidget *focused = window->focusWidget();
        const int context = HelpContextOf(focused ? focused : window);
        if (context != 0)
            ShowHelpContext(context);
    });
}

// Answers F1 in a menu with the page of the highlighted entry, before any short-cut sees the key.
class MenuHelpKey : public QObject
{
public:
    explicit MenuHelpKey(QMenu *menu) : QObject(menu), m_menu(menu) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool keyEvent = event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress;
        if (watched != m_menu || !keyEvent || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1
            || static_cast<QKeyEvent *>(event)->modifiers() != Qt::NoModifier)
            return false;
        event->accept();
        if (event->type() == QEvent::KeyPress) {
            const int context = HelpContextOf(m_menu->activeAction());
            m_menu->close();
            if (context != 0)
                ShowHelpContext(context);
        }
        return true;
    }

private:
    QMenu *m_menu;
};

} // namespace

QString HelpFolderOf(const QString &exeFolder)
{
    QString parent = QDir::cleanPath(QDir(exeFolder).absolutePath() + QStringLiteral("/.."));
    if (!parent.endsWith(QLatin1Char('/')))
        parent += QLatin1Char('/');
    return parent + QStringLiteral("help");
}

QString HelpFolder()
{
    if (!helpFolderOverride().isEmpty())
        return helpFolderOverride();
    return HelpFolderOf(QCoreApplication::applicationDirPath());
}

void SetHelpFolder(const QString &folder) { helpFolderOverride() = folder; }

QString HelpPage(int context)
{
    return HelpFolder() + QStringLiteral("/context-%1.html").arg(context);
}

void ShowHelpContext(int context)
{
    const QString page = HelpPage(context);
    if (!QFileInfo(page).isFile())
        throw rtl::Exception(QStringLiteral("The help page %1 does not exist.").arg(QDir::toNativeSeparators(page)));
    OpenUrl(QUrl::fromLocalFile(page), [page] { ShowHelpWindow(page); });
}

void ShowHelpWindow(const QString &page)
{
    static QPointer<QTextBrowser> window;
    if (!window) {
        window = new QTextBrowser;
        window->setObjectName(QStringLiteral("HelpWindow"));
        window->setWindowTitle(ApplicationTitle().isEmpty() ? QStringLiteral("Help") : ApplicationTitle() + QStringLiteral(" Help"));
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), window), &QShortcut::activated, window.data(),
                         &QWidget::close);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, window.data(), &QObject::deleteLater);
        window->resize(kHelpWindowSize);
        CenterOnScreen(*window);
    }
    window->setSource(QUrl::fromLocalFile(page));
    if (!window->isVisible()) {
        const QWidget *active = QApplication::activeWindow();
        MoveClearOfWindowsOnTop(*window, active ? FrameMargins(*active) : QMargins());
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void SetHelpContext(QWidget *widget, int context)
{
    widget->setProperty(kContextProperty, context);
    if (widget->isWindow())
        installHelpKey(widget);
}

int HelpContextOf(const QWidget *widget)
{
    for (; widget; widget = widget->parentWidget()) {
        const int context = widget->property(kContextProperty).toInt();
        if (context != 0)
            return context;
        if (widget->isWindow())
            break;
    }
    return 0;
}

void SetHelpContext(QAction *action, int context) { action->setProperty(kContextProperty, context); }

int HelpContextOf(const QAction *action) { return action ? action->property(kContextProperty).toInt() : 0; }

void InstallMenuHelp(QMenu *menu) { menu->installEventFilter(new MenuHelpKey(menu)); }

} // namespace ui
