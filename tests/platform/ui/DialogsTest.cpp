#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/QtDialogs.h"

#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

class ThrowingObject : public QObject
{
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw rtl::EConvertError(QStringLiteral("'x' is not a valid floating point value"));
        return QObject::event(event);
    }
};

TEST(DefaultExceptionHandler, ShowsStopBoxTitledWithApplicationTitle)
{
    ui::SetApplicationTitle(QStringLiteral("Quibo"));
    ScriptedDialogs dialogs;
    dialogs.expectMessage(QStringLiteral("'x' is not a valid floating point value"));
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_NO_THROW(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].title, QStringLiteral("Quibo"));
    EXPECT_EQ(dialogs.shown()[0].type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(dialogs.shown()[0].buttons, ui::TMsgDlgButtons::mbOK);
}

TEST(DefaultExceptionHandler, ReportsOutOfMemoryPlainly)
{
    ScriptedDialogs dialogs;
    dialogs.expectMessage(QStringLiteral("Out of memory"));
    ui::HandleExceptions([] { throw std::bad_alloc(); });
}

TEST(DialogSeam, MessageBoxesAndInputAreRoutedAndAnswered)
{
    ScriptedDialogs dialogs;
    dialogs.expectMessage(QStringLiteral("Sure?"), ui::mrNo);
    EXPECT_EQ(ui::MessageDlg(QStringLiteral("Sure?"), ui::TMsgDlgType::mtConfirmation, ui::TMsgDlgButtons::mbYesNo),
              ui::mrNo);
    dialogs.expectInput(QString(), false);
    EXPECT_EQ(ui::InputBox(QStringLiteral("Caption"), QStringLiteral("Prompt"), QStringLiteral("default")),
              QStringLiteral("default"));
    dialogs.expectInput(QStringLiteral("typed"));
    EXPECT_EQ(ui::InputBox(QStringLiteral("Caption"), QStringLiteral("Prompt"), QStringLiteral("default")),
              QStringLiteral("typed"));
}

TEST(DialogSeam, WarningsOfTheComputingUnitsBecomeOkBoxesOfTheirKind)
{
    ui::SetApplicationTitle(QStringLiteral("Quibo"));
    QStringList elsewhere;
    const rtl::WarningHandler before = rtl::SetWarningHandler(
        [&elsewhere](rtl::WarningKind, const QString &text) { elsewhere << text; });
    {
        ScriptedDialogs dialogs;
        for (const char *text : {"careful", "failed", "done"})
            dialogs.expectMessage(QLatin1String(text));
        rtl::ShowWarning(rtl::WarningKind::Warning, QStringLiteral("careful"));
        rtl::ShowWarning(rtl::WarningKind::Error, QStringLiteral("failed"));
        rtl::ShowWarning(rtl::WarningKind::Information, QStringLiteral("done"));
        ASSERT_EQ(dialogs.shown().size(), 3u);
        const ui::TMsgDlgType types[] = {ui::TMsgDlgType::mtWarning, ui::TMsgDlgType::mtError,
                                         ui::TMsgDlgType::mtInformation};
        for (size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(dialogs.shown()[i].type, types[i]) << i;
            EXPECT_EQ(dialogs.shown()[i].buttons, ui::TMsgDlgButtons::mbOK) << i;
            EXPECT_EQ(dialogs.shown()[i].title, QStringLiteral("Quibo")) << i;
        }
    }
    rtl::ShowWarning(rtl::WarningKind::Error, QStringLiteral("after the recorder"));
    EXPECT_EQ(elsewhere, QStringList{QStringLiteral("after the recorder")}) << "the handler before it is back";
    rtl::SetWarningHandler(before);
}

TEST(DialogSeam, FileDialogReportsTypeChangeAndAddsDefaultExtension)
{
    ScriptedDialogs dialogs;
    ui::TSaveDialog dialog;
    dialog.Filter = QStringLiteral("Bitmap|*.bmp|Metafile|*.wmf");
    dialog.DefaultExt = QStringLiteral("bmp");
    dialog.OnTypeChange = [](ui::TFileDialog &d) { d.DefaultExt = d.FilterIndex == 2 ? QStringLiteral("wmf") : QStringLiteral("bmp"); };
    dialogs.expectFile(QStringLiteral("/tmp/chart"), 2);
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FilterIndex, 2);
    EXPECT_EQ(dialog.DefaultExt, QStringLiteral("wmf"));
    EXPECT_EQ(dialog.FileName, QStringLiteral("/tmp/chart.wmf")); // the default extension is added
}

TEST(QtNameFilters, TranslatesRuntimeFilters)
{
    EXPECT_EQ(ui::QtNameFilters(QStringLiteral("Text data files (CSV,TXT)|*.csv;*.txt|All files|*.*")),
              (QStringList{QStringLiteral("Text data files (CSV,TXT) (*.csv *.txt)"), QStringLiteral("All files (*.*)")}));
    EXPECT_EQ(ui::QtNameFilters(QStringLiteral("Mask file (*.msk)|*.msk|Text (*.csv *.txt)|*.csv;*.txt")),
              (QStringList{QStringLiteral("Mask file (*.msk)"), QStringLiteral("Text (*.csv *.txt)")}))
        << "patterns already in the description are not shown twice";
    EXPECT_TRUE(ui::QtNameFilters(QString()).isEmpty());
}

// A modal box opened while a window that stays on top is shown must not open below it, where
// the user could not see what blocks the program.
TEST(QtDialogProvider, ModalBoxesStayAboveAWindowThatStaysOnTop)
{
    ui::QtDialogProvider provider;
    QDialog form;
    auto formOnTop = [&] {
        std::optional<bool> onTop;
        QTimer::singleShot(0, [&] {
            onTop = form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            form.reject();
        });
        provider.showModal(form);
        return onTop;
    };
    auto boxOnTop = [&] {
        std::optional<bool> onTop;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            box->reject();
        });
        ui::MessageRequest request{QStringLiteral("T"), QStringLiteral("Question?"), ui::TMsgDlgType::mtConfirmation,
                                   ui::TMsgDlgButtons::mbYesNo};
        provider.messageBox(request);
        return onTop;
    };

    EXPECT_EQ(formOnTop(), std::optional<bool>(false));
    EXPECT_EQ(boxOnTop(), std::optional<bool>(false));

    QWidget report(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    report.show();
    EXPECT_EQ(formOnTop(), std::optional<bool>(true));
    EXPECT_EQ(boxOnTop(), std::optional<bool>(true));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint)); // a form shown again later is as it was
}

// Qt's print dialog, as the user sees it: the PDF entry of the printer list chosen (on a machine
// without printers it is the only one), a file name typed, then Return or Esc.
class PrinterSetupDialogTest : public ::testing::Test
{
protected:
    bool runDialog(int key, const QString &fileName)
    {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QPrintDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
            ASSERT_NE(printers, nullptr);
            printers->setCurrentIndex(printers->count() - 1);
            auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
            ASSERT_NE(file, nullptr);
            file->setText(fileName);
            QTest::keyClick(dialog, Qt::Key(key));
            if (dialog->isVisible()) // the keys did not close it: fail without hanging
                dialog->reject();
        });
        ui::TPrinterSetupDialog setup;
        setup.Printer = &printer;
        return ui::QtDialogProvider().printerSetupDialog(setup);
    }

    QTemporaryDir dir;
    QPrinter printer{QPrinter::HighResolution};
};

TEST_F(PrinterSetupDialogTest, ReturnChoosesPrintingIntoThePdfFile)
{
    const QString target = dir.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(runDialog(Qt::Key_Return, target));
    EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(printer.outputFileName(), target);
}

TEST_F(PrinterSetupDialogTest, EscapeCancelsAndLeavesThePrinterAsItWas)
{
    printer.setOutputFileName(dir.filePath(QStringLiteral("before.pdf")));
    EXPECT_FALSE(runDialog(Qt::Key_Escape, dir.filePath(QStringLiteral("other.pdf"))));
    EXPECT_EQ(printer.outputFileName(), dir.filePath(QStringLiteral("before.pdf")));
}

TEST(DialogSeam, PrinterSetupIsRoutedAndAnswered)
{
    ScriptedDialogs dialogs;
    QPrinter printer;
    ui::TPrinterSetupDialog setup;
    setup.Printer = &printer;
    dialogs.expectPrinter(QString());
    EXPECT_FALSE(setup.Execute());
    dialogs.expectPrinter(QStringLiteral("/tmp/x.pdf"));
    ASSERT_TRUE(setup.Execute());
    EXPECT_EQ(printer.outputFileName(), QStringLiteral("/tmp/x.pdf"));
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].kind, QStringLiteral("printer"));
}

} // namespace

namespace {

// Runs `step` on the font dialog once the provider has opened it modally.
void whenFontDialogOpens(std::function<void(ui::FontColorDialog &)> step)
{
    QTimer::singleShot(0, [step] {
        auto *box = qobject_cast<ui::FontColorDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        step(*box);
    });
}

TEST(QtFontDialog, ReturnsTheChosenFontAndColourOnEnter)
{
    ui::QtDialogProvider provider;
    ui::TFontDialog dialog{QFont(QStringLiteral("DejaVu Sans"), 9), Qt::black};
    whenFontDialogOpens([](ui::FontColorDialog &box) {
        EXPECT_EQ(box.fontChoice()->currentFont().pointSize(), 9);
        QFont chosen(QStringLiteral("DejaVu Serif"), 14);
        chosen.setBold(true);
        box.fontChoice()->setCurrentFont(chosen);
        box.setColor(Qt::red);
        QTest::keyClick(&box, Qt::Key_Return);
    });
    ASSERT_TRUE(provider.fontDialog(dialog));
    EXPECT_EQ(dialog.Font.pointSize(), 14);
    EXPECT_TRUE(dialog.Font.bold());
    EXPECT_EQ(dialog.Color, QColor(Qt::red));
}

TEST(QtFontDialog, EscapeLeavesTheFontAsItWas)
{
    ui::QtDialogProvider provider;
    ui::TFontDialog dialog{QFont(QStringLiteral("DejaVu Sans"), 9), Qt::blue};
    whenFontDialogOpens([](ui::FontColorDialog &box) {
        box.fontChoice()->setCurrentFont(QFont(QStringLiteral("DejaVu Serif"), 20));
        box.setColor(Qt::red);
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    EXPECT_FALSE(provider.fontDialog(dialog));
    EXPECT_EQ(dialog.Font.pointSize(), 9);
    EXPECT_EQ(dialog.Color, QColor(Qt::blue));
}

TEST(QtInputBox, WideEnoughForItsCaptionAndAnsweredByKeys)
{
    ui::QtDialogProvider provider;
    const QString caption = QStringLiteral("Create new DBF table");
    QString value = QStringLiteral("3");
    QTimer::singleShot(0, [&caption] {
        auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->adjustSize();
        QFont bold = box->font();
        bold.setBold(true);
        const int iconAndThreeButtons = 100;
        EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(caption) + iconAndThreeButtons)
            << "the title bar would elide the caption";
        auto *edit = box->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    ASSERT_TRUE(provider.inputQuery(caption, QStringLiteral("Number of Rf values"), value));
    EXPECT_EQ(value, QStringLiteral("12"));

    QTimer::singleShot(0, [] {
        auto *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        QTest::keyClicks(box->findChild<QLineEdit *>(), QStringLiteral("99"));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_FALSE(provider.inputQuery(caption, QStringLiteral("Number of Rf values"), value));
    EXPECT_EQ(value, QStringLiteral("12"));
}

} // namespace
