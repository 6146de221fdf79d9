#include "MainWindowFixture.h"

#include "workspace/FDataItems.h"
#include "workspace/FInfo.h"
#include "workspace/FReport.h"

#include "platform/ui/Help.h"

#include "statistics/CriticalValueSource.h"

namespace {

class ConstantCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override { return 2.0; }
};

class MainWindowCommandsTest : public MainWindowTest
{
protected:
    QStringList history() const { return FormHistory ? FormHistory->Lines() : QStringList(); }

    // Runs "Data items", toggling the given rows (1-based grid rows) in the dialog.
    void runDataItems(std::vector<int> rowsToToggle)
    {
        dialogs.expectModal([rowsToToggle](QDialog &dialog) {
            auto &items = static_cast<TFormDataItems &>(dialog);
            for (const int row : rowsToToggle) {
                items.ItemGrid()->SetRow(row);
                items.ItemGridDblClick();
            }
            return int(ui::mrOk);
        });
        form->DataItems1Click();
    }
};

TEST_F(MainWindowCommandsTest, StartScreenShowsOnlyAtTheFirstActivation)
{
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].kind, QStringLiteral("modal"));
    form->FormActivate();
    EXPECT_EQ(dialogs.shown().size(), 1u);
    dialogs.expectModal([](QDialog &dialog) {
        EXPECT_EQ(&dialog, FormInfo);
        return int(ui::mrOk);
    });
    form->AboutQuibo1Click();
    EXPECT_EQ(dialogs.shown().size(), 2u);
}

TEST_F(MainWindowCommandsTest, OpeningIsRecordedWithSeparatorAndQuitWritesTheHistory)
{
    openText("a;1;2\n");
    const QString file = dialogs.lastFileDialog() ? form->FileName() : QString();
    EXPECT_EQ(history(), (QStringList{QStringLiteral(" ---------- "), QStringLiteral("Open: ") + file}));

    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrNo);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_FALSE(QFile::exists(historyFile()));

    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(FormHistory, nullptr);
    QFile written(historyFile());
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArray(" ---------- \r\nOpen: ") + file.toUtf8() + "\r\n");
}

TEST_F(MainWindowCommandsTest, HistoryOfAnEarlierRunIsLoadedAtTheFirstActivation)
{
    QFile old(dir.filePath(QStringLiteral("earlier.txt")));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("Open: x.csv\r\nStatistics: 1 (0,3)\r\n");
    old.close();
    TFormQuibo second;
    second.SetHistoryFileName(old.fileName());
    dialogs.expectModal([](QDialog &) { return int(ui::mrOk); });
    second.FormActivate();
    EXPECT_EQ(history(), (QStringList{QStringLiteral("Open: x.csv"), QStringLiteral("Statistics: 1 (0,3)")}));
}

TEST_F(MainWindowCommandsTest, DataItemsUnchangedKeepsUsedItemsButClearsLimits)
{
    openText("a;1;2\nb;\nc;5;9\n");
    form->ToggleLimit(0);
    runDataItems({});
    EXPECT_EQ(history().last(), QStringLiteral("Set_items: 0,2"));
    EXPECT_TRUE(grid().Cells(0, 0).isEmpty());
    EXPECT_EQ(form->Ordered().size(), 4u);
}

TEST_F(MainWindowCommandsTest, DataItemsToggledTwiceRestoresAndEmptyItemStaysOut)
{
    openText("a;1;2\nb;\nc;5;9\n");
    runDataItems({1, 1, 2, 3});
    EXPECT_EQ(history().last(), QStringLiteral("Set_items: 0"));
    EXPECT_EQ(form->Ordered().size(), 2u);
    EXPECT_FALSE(form->Items()[1].Used);
}

TEST_F(MainWindowCommandsTest, UnmarkingEveryItemWarnsAndLeavesDataToChooseAgain)
{
    openText("a;1;2\nc;5;9\n");
    dialogs.expectModal([](QDialog &dialog) {
        auto &items = static_cast<TFormDataItems &>(dialog);
        for (int row : {1, 2}) {
            items.ItemGrid()->SetRow(row);
            items.ItemGridDblClick();
        }
        return int(ui::mrOk);
    });
    dialogs.expectMessage(QStringLiteral("No data item is in use"));
    form->DataItems1Click();
    EXPECT_TRUE(form->Ordered().empty());
    EXPECT_TRUE(f().BtnClose->isEnabled());
    EXPECT_TRUE(f().Dataitems1->isEnabled());
    EXPECT_EQ(history().last(), QStringLiteral("Set_items: "));
    form->Statistics1Click(); // nothing to judge, nothing happens
    runDataItems({2});
    EXPECT_EQ(form->Ordered().size(), 2u);
}

TEST_F(MainWindowCommandsTest, StatisticsAreRecordedWithTheirClasses)
{
    TFormReport report;
    FormReport = &report;
    ConstantCriticalValues critical;
    form->SetCriticalValueSource(&critical);
    openText("a;1;2;3;10;11;12;13;14;15;16\n");
    form->SetLimitAfter(4);
    form->Statistics1Click();
    FormReport = nullptr;
    EXPECT_EQ(history().last(), QStringLiteral("Statistics: 2 (0,4) (5,9)"));
}

TEST_F(MainWindowCommandsTest, HelpOpensContentsPageAndOnlineHelpItsAddress)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    dialogs.expectUrl();
    form->Help1Click();
    dialogs.expectUrl();
    form->I_HelponlineClick();
    ui::SetHelpFolder(QString());
    ASSERT_EQ(dialogs.urls().size(), 2);
    EXPECT_TRUE(dialogs.urls()[0].toLocalFile().endsWith(QStringLiteral("help/context-10.html")));
    EXPECT_EQ(dialogs.urls()[1].path(), QStringLiteral("/software/hlp_quibo/quibo.htm"));
}

TEST_F(MainWindowCommandsTest, HistoryWindowOpensWithOrWithoutData)
{
    form->History1Click();
    EXPECT_TRUE(FormHistory->isVisible());
    FormHistory->hide();
    openText("a;1;2\n");
    form->History1Click();
    EXPECT_TRUE(FormHistory->isVisible());
}

} // namespace
