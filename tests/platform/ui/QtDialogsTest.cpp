// The Qt provider of the dialog seam, driven with real keys: what the user meets in the real
// dialogs rather than in the scripted ones.

#include "ModalSteps.h"

#include "platform/ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The chart-image save dialog of the main window: four entries, the first two with their extension.
ui::TSaveDialog chartImageDialog(const QString &folder)
{
    ui::TSaveDialog dialog;
    dialog.InitialDir = folder;
    dialog.Filter = QStringLiteral(
        "Windows bitmap|*.bmp|Windows enhanced metafile|*.wmf|Windows enhanced metafile|*.emf|All files|*.*");
    dialog.DefaultExt = QStringLiteral("bmp");
    dialog.OnTypeChange = [](ui::TFileDialog &d) {
        d.DefaultExt = d.FilterIndex == 1 ? QStringLiteral("bmp") : d.FilterIndex == 2 ? QStringLiteral("wmf") : QString();
    };
    return dialog;
}

// Picks filter entry `entry` (from 1) with the arrow keys, types `name` and presses Enter.
std::function<bool(QWidget &)> chooseAndType(int entry, const QString &name)
{
    return [entry, name](QWidget &window) {
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        auto *edit = window.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        EXPECT_TRUE(combo && edit);
        if (!combo || !edit) {
            window.close();
            return false;
        }
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 1; i < entry; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
        return true;
    };
}

// Types `name` into a file dialog; Enter follows once the step is over, so that a box it opens
// is met by the next step (steps do not run while one runs).
std::function<bool(QWidget &)> typeThenEnter(const QString &name)
{
    return [name](QWidget &fileDialog) {
        auto *edit = fileDialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        EXPECT_TRUE(edit);
        if (!edit)
            return false;
        QTest::keyClicks(edit, name);
        QTimer::singleShot(0, edit, [edit] { QTest::keyClick(edit, Qt::Key_Return); });
        return true;
    };
}

class QtProvider : public ::testing::Test
{
protected:
    void SetUp() override { ui::SetDialogProvider(nullptr); }
    QTemporaryDir folder;
};

TEST_F(QtProvider, NameWithoutExtensionGetsOnlyTheChosenEntrysExtension)
{
    struct Case
    {
        std::vector<int> entries; // chosen one after the other, the last one stays
        QString expected;
    };
    const Case cases[] = {
        {{1}, QStringLiteral("graph.bmp")},
        {{2}, QStringLiteral("graph.wmf")},
        {{2, 3}, QStringLiteral("graph")}, // after the .wmf entry, the .emf entry adds nothing
        {{4}, QStringLiteral("graph")},    // "All files" adds nothing, not the first entry's .bmp
    };
    for (const Case &c : cases) {
        ui::TSaveDialog dialog = chartImageDialog(folder.path());
        std::vector<std::function<bool(QWidget &)>> steps;
        bool accepted = false;
        EXPECT_EQ(withModalSteps(
            [&] { accepted = dialog.Execute(); },
            {[&](QWidget &window) {
                for (size_t i = 0; i + 1 < c.entries.size(); ++i) {
                    auto *combo = window.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                    combo->setFocus();
                    QTest::keyClick(combo, Qt::Key_Home);
                    for (int k = 1; k < c.entries[i]; ++k)
                        QTest::keyClick(combo, Qt::Key_Down);
                }
                return chooseAndType(c.entries.back(), QStringLiteral("graph"))(window);
            }}), 1u);
        ASSERT_TRUE(accepted);
        EXPECT_EQ(QFileInfo(dialog.FileName).fileName(), c.expected) << "entries ending in " << c.entries.back();
        EXPECT_EQ(dialog.FilterIndex, c.entries.back());
    }
}

TEST_F(QtProvider, SaveDialogAsksNoOverwriteQuestionOfItsOwn)
{
    QFile existing(folder.filePath(QStringLiteral("graph.bmp")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    ui::TSaveDialog dialog = chartImageDialog(folder.path());
    bool accepted = false;
    bool asked = false;
    withModalSteps([&] { accepted = dialog.Execute(); },
                   {chooseAndType(1, QStringLiteral("graph.bmp")), [&](QWidget &question) {
                        // Yes, so that the dialog closes and the test goes on.
                        asked = true;
                        auto *box = qobject_cast<QMessageBox *>(&question);
                        if (QAbstractButton *yes = box ? box->button(QMessageBox::Yes) : nullptr)
                            QTest::mouseClick(yes, Qt::LeftButton);
                        return true;
                    }});
    EXPECT_FALSE(asked);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(dialog.FileName, existing.fileName());
}

TEST_F(QtProvider, OpenDialogTakesATypedNewNameOnlyWhereAllowed)
{
    QFile existing(folder.filePath(QStringLiteral("old.dbf")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    const QString typed = folder.filePath(QStringLiteral("new.dbf"));
    ui::TOpenDialog dialog;
    dialog.InitialDir = folder.path();
    dialog.Filter = QStringLiteral("DBF tables|*.dbf|All files|*.*");
    dialog.FileMustExist = false;
    bool accepted = false;
    EXPECT_EQ(withModalSteps([&] { accepted = dialog.Execute(); }, {typeThenEnter(QStringLiteral("new.dbf"))}), 1u);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(dialog.FileName, typed);

    // By default the name is refused: the dialog says so and stays open until cancelled.
    ui::TOpenDialog mustExist;
    mustExist.InitialDir = folder.path();
    QString refusal;
    bool stillOpen = false;
    withModalSteps([&] { accepted = mustExist.Execute(); },
                   {typeThenEnter(QStringLiteral("new.dbf")),
                    [&](QWidget &box) {
                        if (auto *message = qobject_cast<QMessageBox *>(&box))
                            refusal = message->text();
                        box.close();
                        return true;
                    },
                    [&](QWidget &fileDialog) {
                        stillOpen = qobject_cast<QFileDialog *>(&fileDialog) != nullptr;
                        fileDialog.close();
                        return true;
                    }});
    EXPECT_TRUE(refusal.contains(QStringLiteral("File not found"))) << refusal.toStdString();
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(accepted);
}

TEST_F(QtProvider, PlainMessageShowsNoIcon)
{
    QMessageBox::Icon icon = QMessageBox::Warning;
    QString text;
    EXPECT_EQ(withModalSteps([] { ui::ShowMessage(QStringLiteral("Series: Data0 at point: 1")); },
                   {[&](QWidget &window) {
                       auto *box = qobject_cast<QMessageBox *>(&window);
                       EXPECT_NE(box, nullptr);
                       if (box) {
                           icon = box->icon();
                           text = box->text();
                       }
                       QTest::keyClick(&window, Qt::Key_Return);
                       return true;
                   }}),
              1u);
    EXPECT_EQ(text, QStringLiteral("Series: Data0 at point: 1"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
}

// Enter presses the default button: Yes unless the question makes No its default.
TEST_F(QtProvider, EnterAnswersTheDefaultOfYesNoQuestion)
{
    const auto pressEnter = [](QWidget &window) {
        QTest::keyClick(&window, Qt::Key_Return);
        return true;
    };
    ui::TModalResult answer = ui::mrNone;
    withModalSteps([&] { answer = ui::MessageDlg(QStringLiteral("Go on?"), ui::TMsgDlgType::mtConfirmation,
                                                   ui::TMsgDlgButtons::mbYesNo); },
                   {pressEnter});
    EXPECT_EQ(answer, ui::mrYes);
    withModalSteps([&] { answer = ui::MessageDlg(QStringLiteral("Close anyway?"), ui::TMsgDlgType::mtWarning,
                                                   ui::TMsgDlgButtons::mbYesNo, 0, ui::mrNo); },
                   {pressEnter});
    EXPECT_EQ(answer, ui::mrNo);
}

// A question closed without Yes or No guards its change as No: by Esc, by the close box, and
// when the program ends under it (a client leaving ends the instance that serves it); one whose
// answer must come from the user has none when the program ends under it.
TEST_F(QtProvider, QuestionClosedWithoutAButtonAnswersNo)
{
    const auto ask = [] {
        return ui::MessageDlg(QStringLiteral("File x.dbf does not exists. Create new?"), ui::TMsgDlgType::mtConfirmation,
                              ui::TMsgDlgButtons::mbYesNo);
    };
    ui::TModalResult answer = ui::mrNone;
    withModalSteps([&] { answer = ask(); }, {[](QWidget &box) {
                       QTest::keyClick(&box, Qt::Key_Escape);
                       return true;
                   }});
    EXPECT_EQ(answer, ui::mrNo) << "Esc";
    answer = ui::mrNone;
    withModalSteps([&] { answer = ask(); }, {[](QWidget &box) { return box.close(); }});
    EXPECT_EQ(answer, ui::mrNo) << "the close box";

    // The program's loop runs here so that its end clears again for the tests after this one.
    answer = ui::mrNone;
    QTimer::singleShot(0, [&] {
        withModalSteps([&] { answer = ask(); }, {[](QWidget &) {
                           QCoreApplication::exit(0);
                           return true;
                       }});
    });
    QCoreApplication::exec();
    EXPECT_EQ(answer, ui::mrNo) << "the program ending";

    // A question whose answer decides what is made: Esc is still No, the ending program no answer.
    const auto confirm = [] { return ui::ConfirmAnswered(QStringLiteral("Include FACTOR variable field?")); };
    bool yes = true;
    withModalSteps([&] { yes = confirm(); }, {[](QWidget &box) {
                       QTest::keyClick(&box, Qt::Key_Escape);
                       return true;
                   }});
    EXPECT_FALSE(yes) << "Esc";
    bool unanswered = false;
    QTimer::singleShot(0, [&] {
        try {
            withModalSteps([&] { confirm(); }, {[](QWidget &) {
                               QCoreApplication::exit(0);
                               return true;
                           }});
        } catch (const ui::EUnanswered &) {
            unanswered = true;
        }
    });
    QCoreApplication::exec();
    EXPECT_TRUE(unanswered) << "the program ending";
}

// Cancel, Esc and the close box give an input box's default, as its caller expects of a user's
// Cancel; a box the ending program closes, or one shown once the end has begun, has no answer
// at all, so that no default is taken for one.
TEST_F(QtProvider, InputBoxClosedByTheUserGivesItsDefaultButTheEndingProgramGivesNone)
{
    const QString caption = QStringLiteral("Create new DBF table"), prompt = QStringLiteral("Number of Rf values");
    const auto typeThenClose = [](std::function<void(QWidget &)> close) {
        return [close](QWidget &box) {
            if (auto *edit = box.findChild<QLineEdit *>())
                QTest::keyClicks(edit, QStringLiteral("7"));
            close(box);
            return true;
        };
    };
    const std::function<void(QWidget &)> closings[] = {
        [](QWidget &box) {
            if (auto *cancel = box.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel))
                QTest::mouseClick(cancel, Qt::LeftButton);
        },
        [](QWidget &box) { QTest::keyClick(&box, Qt::Key_Escape); }, [](QWidget &box) { box.close(); }};
    for (const auto &close : closings) {
        QString answer;
        EXPECT_EQ(withModalSteps([&] { answer = ui::InputBox(caption, prompt, QStringLiteral("3")); },
                                 {typeThenClose(close)}),
                  1u);
        EXPECT_EQ(answer, QStringLiteral("3"));
    }

    QString value = QStringLiteral("3");
    bool accepted = true;
    int unanswered = 0;
    QTimer::singleShot(0, [&] {
        try {
            withModalSteps([&] { accepted = ui::InputQuery(caption, prompt, value); },
                           {typeThenClose([](QWidget &) { QCoreApplication::exit(0); })});
        } catch (const ui::EUnanswered &) {
            ++unanswered;
        }
        try {
            ui::InputBox(caption, QStringLiteral("Format of Rf fields"), QStringLiteral("DECIMAL(6,3)"));
        } catch (const ui::EUnanswered &) {
            ++unanswered;
        }
    });
    QCoreApplication::exec();
    EXPECT_EQ(unanswered, 2);
    EXPECT_TRUE(accepted) << "untouched: no answer came back";
    EXPECT_EQ(value, QStringLiteral("3"));
}

// Just after another dialog has closed the window system leaves no window active for a moment;
// a box shown then still belongs to the window running modally. Without that owner it could open
// behind a window that stays on top, where the user cannot reach it.
TEST_F(QtProvider, BoxShownRightAfterAnotherDialogBelongsToTheModalWindow)
{
    QDialog owner;
    owner.setWindowFlag(Qt::WindowStaysOnTopHint);
    QWidget *boxOwner = nullptr;
    QTimer::singleShot(0, &owner, [&] {
        QDialog chooser(&owner);
        QTimer::singleShot(0, &chooser, &QDialog::accept);
        chooser.exec();
        QApplication::setActiveWindow(nullptr);
        QTimer::singleShot(0, [&] {
            QWidget *box = QApplication::activeModalWidget();
            boxOwner = box ? box->parentWidget() : nullptr;
            if (box)
                QTest::keyClick(box, Qt::Key_Return);
        });
        ui::ShowMessage(QStringLiteral("Saved"));
        owner.reject();
    });
    owner.exec();
    EXPECT_EQ(boxOwner, &owner);
}

// Long work shows its box after a while and goes on under it: the windows repaint meanwhile, and
// Enter (the Stop button) or Esc stops the work.
TEST_F(QtProvider, StopBoxOfLongWorkLetsWindowsRepaintAndStopsTheWork)
{
    struct CountingPaints : QWidget
    {
        int paints = 0;
        void paintEvent(QPaintEvent *) override { ++paints; }
    } window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QString button;
        QTimer::singleShot(0, &window, [&] {
            window.update();
            QTimer::singleShot(0, &window, [&] {
                QWidget *box = QApplication::activeModalWidget();
                ASSERT_NE(box, nullptr);
                button = box->findChild<QPushButton *>()->text();
                QTest::keyClick(box, key);
            });
        });
        const int paintsBefore = window.paints;
        rtl::TLongWork work(QStringLiteral("The SQL statement is still running."));
        while (!work.stopRequested()) {
        }
        EXPECT_EQ(button, QStringLiteral("Stop"));
        EXPECT_GT(window.paints, paintsBefore) << "the window was not repainted under the box";
    }
}

} // namespace

// A text from a file or a caller may be megabytes long, or of many lines: the box shows its two
// ends around "…" with its length, and comes up at once instead of laying the whole text out.
TEST_F(QtProvider, AHugeTextIsShownByItsEndsAndItsLength)
{
    const QString texts[] = {QStringLiteral("WHERE ") + QString(1'000'000, u'x') + QStringLiteral(" END"),
                             QStringLiteral("first\n") + QStringLiteral("line\n").repeated(100'000) + QStringLiteral("last")};
    for (const QString &text : texts) {
        QString shown;
        const auto show = [&] {
            if (&text == texts)
                ui::MessageDlg(text, ui::TMsgDlgType::mtError, ui::TMsgDlgButtons::mbOK);
            else
                ui::ShowMessage(text);
        };
        EXPECT_EQ(withModalSteps(show, {[&](QWidget &box) {
                                     shown = qobject_cast<QMessageBox *>(&box)->text();
                                     return box.close();
                                 }}),
                  1u);
        EXPECT_TRUE(shown.size() <= 1100 && shown.count(u'\n') <= 25) << shown.size();
        EXPECT_TRUE(shown.startsWith(text.first(5)) && shown.endsWith(text.last(4))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("\u2026 (%1 characters").arg(text.size()))) << shown.toStdString();
    }
}
