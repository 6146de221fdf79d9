// Test main: the application object on the offscreen platform, so that widgets can be built unshown.

#include "platform/ui/Application.h"

#include <QLocale>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());
    ui::TApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true); // settings go to a test folder, not the user's
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
