#include "platform/ui/Help.h"
#include "platform/ui/QtDialogs.h"

#include "platform/rtl/SysUtils.h"

#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QUrl>

#include <gtest/gtest.h>

TEST(HelpFolder, LiesBesideTheExecutablesFolderNotInIt)
{
    EXPECT_EQ(ui::HelpFolderOf(QStringLiteral("/opt/quibo/bin")), QStringLiteral("/opt/quibo/help"));
    EXPECT_EQ(ui::HelpFolderOf(QStringLiteral("/opt/quibo/bin/")), QStringLiteral("/opt/quibo/help"));
    EXPECT_EQ(ui::HelpFolderOf(QStringLiteral("/quibo")), QStringLiteral("/help"));
}

class HelpPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ui::SetHelpFolder(folder.path());
        for (int context : {10, 60}) {
            QFile page(ui::HelpPage(context));
            ASSERT_TRUE(page.open(QIODevice::WriteOnly));
            page.write(QStringLiteral("<html><body>Page %1</body></html>").arg(context).toLatin1());
        }
    }
    void TearDown() override { ui::SetHelpFolder(QString()); }

    static QWidget *helpWindow()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("HelpWindow"))
                return window;
        }
        return nullptr;
    }

    static void pressF1(QWidget &window)
    {
        auto *key = window.findChild<QShortcut *>();
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->key(), QKeySequence(Qt::Key_F1));
        emit key->activated();
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
};

TEST_F(HelpPages, ContextOpensItsPageInTheBrowser)
{
    dialogs.expectUrl();
    ui::ShowHelpContext(60);
    ASSERT_EQ(dialogs.urls().size(), 1);
    EXPECT_EQ(dialogs.urls().constFirst(), QUrl::fromLocalFile(folder.path() + QStringLiteral("/context-60.html")));
}

TEST_F(HelpPages, MissingPageIsAnErrorNamingIt)
{
    try {
        ui::ShowHelpContext(77);
        FAIL() << "no error for a missing page";
    } catch (const rtl::Exception &error) {
        EXPECT_TRUE(error.Message().contains(QStringLiteral("context-77.html"))) << error.what();
    }
    EXPECT_TRUE(dialogs.urls().isEmpty());
}

TEST_F(HelpPages, F1OpensThePageOfTheFocusedControlElseOfTheWindow)
{
    QDialog window;
    auto *plain = new QLineEdit(&window);
    auto *special = new QLineEdit(&window);
    ui::SetHelpContext(&window, 10);
    ui::SetHelpContext(special, 60);
    window.show();

    dialogs.expectUrl();
    plain->setFocus();
    pressF1(window);
    dialogs.expectUrl();
    special->setFocus();
    pressF1(window);

    ASSERT_EQ(dialogs.urls().size(), 2);
    EXPECT_TRUE(dialogs.urls()[0].path().endsWith(QStringLiteral("/context-10.html")));
    EXPECT_TRUE(dialogs.urls()[1].path().endsWith(QStringLiteral("/context-60.html")));
}

// A desktop with xdg-utils but no browser: xdg-open starts, says so and ends with status 3. F1
// then shows the page in the program's own help window, not nothing.
TEST_F(HelpPages, F1WhereTheLauncherFindsNoBrowserShowsThePageInTheHelpWindow)
{
    QTemporaryDir bin;
    QFile launcher(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\necho \"$1\" > \"$0.asked\"\necho 'xdg-open: no method available' >&2\nexit 3\n");
    launcher.close();
    launcher.setPermissions(launcher.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + path);
    ui::QtDialogProvider desktop;
    ui::SetDialogProvider(&desktop);

    QDialog window;
    ui::SetHelpContext(&window, 60);
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_F1);
    QTextBrowser *help = nullptr;
    EXPECT_TRUE(QTest::qWaitFor([&help] { return (help = qobject_cast<QTextBrowser *>(helpWindow())) != nullptr; }));
    ui::SetDialogProvider(&dialogs);
    qputenv("PATH", path);

    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->toPlainText(), QStringLiteral("Page 60"));
    QFile asked(launcher.fileName() + QStringLiteral(".asked"));
    ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
    EXPECT_EQ(asked.readAll().trimmed(), ui::HelpPage(60).toLocal8Bit());
    delete help;
}
