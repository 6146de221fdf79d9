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
            page.write("<html></html>");
        }
    }
    void TearDown() override { ui::SetHelpFolder(QString()); }

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

// Where no program can show a page (no URL launcher installed) F1 tells the user which file to
// open. The offscreen platform starts no program, so the Qt provider must answer that nothing
// was opened there.
TEST_F(HelpPages, F1WhereNoProgramCanShowThePageNamesItsFile)
{
    EXPECT_FALSE(ui::QtDialogProvider().openUrl(QUrl::fromLocalFile(ui::HelpPage(60))));

    QDialog window;
    ui::SetHelpContext(&window, 60);
    window.show();
    QApplication::setActiveWindow(&window);
    dialogs.expectUrl(false);
    dialogs.expectMessage(QStringLiteral("context-60.html"));
    QTest::keyClick(&window, Qt::Key_F1);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(dialogs.shown().back().title, ui::ApplicationTitle());
}
