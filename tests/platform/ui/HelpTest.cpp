#include "platform/ui/Help.h"

#include "platform/rtl/SysUtils.h"

#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QShortcut>
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
