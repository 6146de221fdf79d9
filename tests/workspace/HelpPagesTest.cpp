#include "workspace/FDataItems.h"
#include "workspace/FHistory.h"
#include "workspace/FInfo.h"

#include "platform/ui/Help.h"

#include "QtPrinters.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QShortcut>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every help context the program's windows and commands use.
const int kContexts[] = {10, 20, 30, 40, 60, 70, 75, 76, 80, 90, 100, 105, 106, 110,
                         120, 130, 140, 142, 150, 160, 180, 190, 999};

QString sourceHelpFolder() { return QStringLiteral(QUIBO_SOURCE_DIR "/help"); }

QString readText(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(HelpPagesOfTheProgram, EveryContextHasAPageInTheSourcesAndBesideTheBuiltProgram)
{
    for (int context : kContexts) {
        const QString name = QStringLiteral("context-%1.html").arg(context);
        EXPECT_TRUE(QFile::exists(sourceHelpFolder() + QLatin1Char('/') + name)) << name.toStdString();
        EXPECT_TRUE(QFile::exists(ui::HelpPage(context))) << ui::HelpPage(context).toStdString();
    }
}

TEST(HelpPagesOfTheProgram, EveryLinkLeadsToAPage)
{
    const QDir folder(sourceHelpFolder());
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#:]+)\""));
    for (const QString &page : folder.entryList({QStringLiteral("*.html")})) {
        auto links = link.globalMatch(readText(folder.filePath(page)));
        while (links.hasNext()) {
            const QString target = links.next().captured(1);
            EXPECT_TRUE(folder.exists(target)) << page.toStdString() << " links to " << target.toStdString();
        }
    }
}

class WindowHelp : public ::testing::Test
{
protected:
    void pressF1(QWidget &window, const char *expectedPage)
    {
        dialogs.expectUrl();
        auto *key = window.findChild<QShortcut *>();
        ASSERT_NE(key, nullptr);
        emit key->activated();
        ASSERT_FALSE(dialogs.urls().isEmpty());
        EXPECT_TRUE(dialogs.urls().constLast().path().endsWith(QLatin1String(expectedPage)))
            << dialogs.urls().constLast().toString().toStdString();
    }

    QTemporaryDir folder;
    ScriptedDialogs dialogs;
};

TEST_F(WindowHelp, F1InEachWindowOpensItsOwnPage)
{
    TFormHistory history;
    pressF1(history, "/context-190.html");
    TFormDataItems items;
    pressF1(items, "/context-60.html");
    TFormInfo info(TVersionInfo{}, folder.path());
    pressF1(info, "/context-10.html");
}
