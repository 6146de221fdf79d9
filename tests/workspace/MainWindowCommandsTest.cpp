#include "MainWindowFixture.h"

#include "workspace/FDataItems.h"
#include "workspace/FInfo.h"
#include "workspace/FReport.h"

#include "statistics/FStat.h"

#include "platform/ui/Help.h"

#include "statistics/CriticalValueSource.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class ConstantCriticalValues : public CriticalValueSource
{
public:
    double GetCriticalValue(uint8_t, int32_t, int32_t, int32_t, double, int32_t) override
    {
        ++requests;
        return 2.0;
    }
    int requests = 0;
};

// Shows a window and makes it the active one, as a user's click would.
void activate(QWidget &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

class MainWindowCommandsTest : public MainWindowTest
{
protected:
    void TearDown() override
    {
        FormReport = nullptr;
        MainWindowTest::TearDown();
    }
    // The statistics fill a report of their own and take constant critical values.
    void judgeWithConstantValues()
    {
        FormReport = &report;
        form->SetCriticalValueSource(&critical);
    }

    TFormReport report;
    ConstantCriticalValues critical;

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
    judgeWithConstantValues();
    openText("a;1;2;3;10;11;12;13;14;15;16\n");
    form->SetLimitAfter(4);
    form->Statistics1Click();
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

TEST_F(MainWindowCommandsTest, F1OpensThePageOfTheFocusedControlMenuEntryOrReportWindow)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    openText("a;1;2\n"); // "&Statistics" is enabled, so it can be highlighted
    activate(*form);
    const auto pressF1 = [this](QWidget *target) {
        dialogs.expectUrl();
        QTest::keyClick(target, Qt::Key_F1);
        return dialogs.urls().isEmpty() ? QString() : QFileInfo(dialogs.urls().constLast().toLocalFile()).fileName();
    };
    f().BtnClose->setFocus();
    EXPECT_EQ(pressF1(f().BtnClose), QStringLiteral("context-40.html"));
    f().EditProbab->setFocus(); // no context of its own: the panel's
    EXPECT_EQ(pressF1(f().EditProbab), QStringLiteral("context-20.html"));

    QMenu *menu = form->popupFunctions();
    menu->popup(form->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(f().Statistics1);
    EXPECT_EQ(pressF1(menu), QStringLiteral("context-70.html"));
    EXPECT_FALSE(menu->isVisible());
    menu->popup(form->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    menu->setActiveAction(f().Tables1);
    EXPECT_EQ(pressF1(menu), QStringLiteral("context-130.html"));
    EXPECT_EQ(f().Help1->shortcut(), QKeySequence(Qt::Key_F1)) << "the menu still shows the key";

    activate(report);
    EXPECT_EQ(pressF1(&report.Grid()), QStringLiteral("context-70.html"));
    ui::SetHelpFolder(QString());
    EXPECT_EQ(dialogs.urls().size(), 5);
}

TEST_F(MainWindowCommandsTest, CloseBoxAndAltF4AskLikeCancel)
{
    openText("a;1;2\n");
    activate(*form);
    QSignalSpy quit(form.get(), &TFormQuibo::quitRequested);
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrNo);
    QTest::keyClick(form.get(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(quit.count(), 0);
    EXPECT_FALSE(QFile::exists(historyFile()));

    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    EXPECT_FALSE(form->close()) << "the window waits for the application's end";
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(QFile::exists(historyFile()));
    EXPECT_TRUE(form->close()) << "once quitting, the end of the application closes it without a question";
}

TEST_F(MainWindowCommandsTest, UnwritableHistoryStopsTheQuitUntilMended)
{
    openText("a;1;2\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("history.txt")));
    QSignalSpy quit(form.get(), &TFormQuibo::quitRequested);
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    dialogs.expectMessage(QStringLiteral("The history could not be saved"));
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(quit.count(), 0);
    ASSERT_NE(FormHistory, nullptr);
    EXPECT_EQ(history().size(), 2) << "the run's entries stay";
    EXPECT_FALSE(form->Ordered().empty()) << "nothing was closed";

    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("history.txt")));
    dialogs.expectMessage(QStringLiteral("Quit of Quibo?"), ui::mrYes);
    form->BtnCancelClick(f().BtnCancel);
    EXPECT_EQ(quit.count(), 1);
    EXPECT_TRUE(QFileInfo(historyFile()).isFile());
}

TEST_F(MainWindowCommandsTest, ProbabilityOutsideTheOpenPercentRangeIsRefused)
{
    judgeWithConstantValues();
    openText("a;1;2;3;10;11;12\n");
    for (const char *text : {"150", "100", "0", "-5"}) {
        f().EditProbab->setText(QLatin1String(text));
        EXPECT_DOUBLE_EQ(form->Probability(), 0.95) << text;
        dialogs.expectMessage(QStringLiteral("The probability must lie above 0 and below 100 %"));
        form->Statistics1Click();
    }
    EXPECT_EQ(critical.requests, 0);
    f().EditProbab->setText(QStringLiteral("99"));
    form->Statistics1Click();
    EXPECT_GT(critical.requests, 0);
    EXPECT_DOUBLE_EQ(form->Probability(), 0.99);
}

TEST_F(MainWindowCommandsTest, StatisticsRedrawTheViewTheButtonsShow)
{
    judgeWithConstantValues();
    openText("a;1;2;3\nb;10;11;12\n");
    form->SetLimitAfter(2);
    form->Statistics1Click(); // neither view chosen: the cases view, and its button
    EXPECT_TRUE(f().RB_Cases->isChecked());
    EXPECT_FALSE(f().RB_distribution->isChecked());
    ASSERT_NE(seriesNamed(QStringLiteral("Data1")), nullptr);
    EXPECT_EQ(seriesNamed(QStringLiteral("Data1"))->Title(), QStringLiteral("b [B;B;B]")) << "redrawn with the classes";
    ASSERT_NE(seriesNamed(QStringLiteral("Limit_2_3")), nullptr);
    EXPECT_EQ(seriesNamed(QStringLiteral("Limit_2_3"))->Count(), 2) << "the limit line spans the view";

    f().RB_distribution->setChecked(true);
    form->RB_distributionClick();
    form->Statistics1Click();
    EXPECT_TRUE(f().RB_distribution->isChecked());
    EXPECT_FALSE(f().RB_Cases->isChecked());
    EXPECT_EQ(seriesNamed(QStringLiteral("Data1")), nullptr);
}

TEST_F(MainWindowCommandsTest, TablesShowsTheStatisticsWindowOnlyWhenHidden)
{
    TFormStat stat;
    FormStat = &stat;
    EXPECT_FALSE(stat.isVisible());
    form->Tables1Click();
    EXPECT_TRUE(stat.isVisible());
    stat.move(40, 40);
    form->Tables1Click(); // already shown: nothing changes
    EXPECT_TRUE(stat.isVisible());
    EXPECT_EQ(stat.pos(), QPoint(40, 40));
    FormStat = nullptr;
}

} // namespace
