#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/QtDialogs.h"

#include "ScriptedDialogs.h"

#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

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
    EXPECT_TRUE(ui::QtNameFilters(QString()).isEmpty());
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

} // namespace
