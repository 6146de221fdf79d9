// The dialog "Open text file" and the mask window "Import text file", driven through their
// controls, real keys and mouse clicks, with every box scripted.

#include "import/FOpenText.h"
#include "import/FTextData.h"
#include "import/ImportGrid.h"
#include "ui_FOpenText.h"
#include "ui_FTextData.h"

#include "charts/FMemoDlg.h"
#include "workspace/FInfo.h"
#include "workspace/FSetQuery.h"
#include "ui_FSetQuery.h"

#include "platform/ui/Help.h"

#include "ImportTestHelpers.h"
#include "ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

void activate(QWidget &window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// Places the caret `caret` characters into the mask by a click of the mouse.
void clickMaskAt(QLineEdit *mask, int caret, Qt::KeyboardModifiers modifiers = {})
{
    mask->setCursorPosition(caret);
    const QPoint at = mask->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    mask->deselect();
    QTest::mouseClick(mask, Qt::LeftButton, modifiers, at);
}

class ImportDialogs : public ::testing::Test
{
protected:
    ImportDialogs() : m_info(TVersionInfo{}, m_dir.path())
    {
        m_info.SetProgramInfo(QString(), QString(), QString(), QString());
        FormInfo = &m_info;
        m_grid.SetCells(1, 1, QStringLiteral("before"));
    }
    ~ImportDialogs() override { FormInfo = nullptr; }

    QString write(const QString &name, const QByteArray &bytes) { return WriteBytes(m_dir, name, bytes); }
    QString stored(const QString &name)
    {
        QString value;
        m_info.ReadRegString(name, value);
        return value;
    }
    // The next open-text dialog is set up by `fill`, then OK is clicked.
    void expectOpenText(std::function<void(TFormOpenText &, Ui::TFormOpenText &)> fill)
    {
        dialogs.expectModal([fill](QDialog &dialog) {
            auto &form = dynamic_cast<TFormOpenText &>(dialog);
            fill(form, form.form());
            form.form().BtnOK->click();
            return form.result();
        });
    }
    void expectOpenTextCancelled(std::function<void(Ui::TFormOpenText &)> check = {})
    {
        dialogs.expectModal([check](QDialog &dialog) {
            if (check)
                check(dynamic_cast<TFormOpenText &>(dialog).form());
            return int(ui::mrCancel);
        });
    }
    // The next mask window is handed to `script`, shown, and closed with the answer of `script`.
    void expectMaskWindow(std::function<int(TFormTextData &, Ui::TFormTextData &)> script)
    {
        dialogs.expectModal([script](QDialog &dialog) {
            auto &form = dynamic_cast<TFormTextData &>(dialog);
            activate(form);
            const int result = script(form, form.form());
            form.hide();
            return result;
        });
    }

    QTemporaryDir m_dir;
    ScriptedDialogs dialogs;
    TFormInfo m_info;
    TImportGrid m_grid;
};

TEST_F(ImportDialogs, DelimitedFileWithNamesIsReadAndTheOptionsKeptForTheNextRun)
{
    const QString path = write(QStringLiteral("people.CSV"), "Name;Height;Weight\r\nAnna; 1,62 ;55\r\nBob;1,80\r\n");
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        w.CBdelimited->click();
        w.CBvarNames->click();
        w.EditFileName->setText(path);
    });
    QString fileName;
    OpenTextFile(m_grid, fileName);
    EXPECT_EQ(fileName, path);
    EXPECT_EQ(FormOpenText, nullptr);
    ASSERT_EQ(m_grid.RowCount(), 3);
    EXPECT_EQ(Row(m_grid, 0), QStringList({"Item", "Name", "Height", "Weight"}));
    EXPECT_EQ(Row(m_grid, 1), QStringList({"1", "Anna", "1,62", "55"}));
    EXPECT_EQ(Row(m_grid, 2), QStringList({"2", "Bob", "1,80", ""}));

    EXPECT_EQ(stored(QStringLiteral("fot_ASCII")), QStringLiteral("F"));
    EXPECT_EQ(stored(QStringLiteral("fot_Delimited")), QStringLiteral("T"));
    EXPECT_EQ(stored(QStringLiteral("fot_Character")), QStringLiteral("59"));
    EXPECT_EQ(stored(QStringLiteral("fot_VarNames")), QStringLiteral("T"));
    EXPECT_EQ(stored(QStringLiteral("fot_OpenedPath")), m_dir.path() + QLatin1Char('/'));
    EXPECT_EQ(stored(QStringLiteral("fot_Ext")), QStringLiteral(".csv"));

    dialogs.expectFile(QString());
    TFormOpenText browse;
    browse.BtnListFileClick();
    EXPECT_EQ(dialogs.lastFileDialog()->InitialDir, m_dir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialogs.lastFileDialog()->FilterIndex, 2) << "the extension is kept in lower case";

    bool delimited = false;
    bool names = false;
    expectOpenTextCancelled([&](Ui::TFormOpenText &w) {
        delimited = w.CBdelimited->isChecked() && !w.CB_ASCII->isChecked();
        names = w.CBvarNames->isChecked();
    });
    OpenTextFile(m_grid, fileName);
    EXPECT_TRUE(delimited);
    EXPECT_TRUE(names);
    EXPECT_EQ(fileName, QString());
    EXPECT_EQ(m_grid.Cells(1, 1), QStringLiteral("Anna")) << "a cancel reads nothing";
}

TEST_F(ImportDialogs, StoredOptionsOpenTheDialogAndWithoutStoreTheDefaultsDo)
{
    m_info.WriteRegString(QStringLiteral("fot_ASCII"), QStringLiteral("T"));
    m_info.WriteRegString(QStringLiteral("fot_Database"), QStringLiteral("T"));
    m_info.WriteRegString(QStringLiteral("fot_Character"), QStringLiteral("semicolon"));
    TFormOpenText stored;
    EXPECT_FALSE(stored.form().CB_ASCII->isChecked());
    EXPECT_FALSE(stored.form().CBdelimited->isChecked());
    EXPECT_TRUE(stored.form().CB_database->isChecked());
    EXPECT_EQ(stored.form().EditChar->text(), QStringLiteral(";"));
    EXPECT_EQ(stored.form().LbDelimiter->text(), QStringLiteral("Delimiter (59)"));

    FormInfo = nullptr;
    TFormOpenText defaults;
    EXPECT_TRUE(defaults.form().CB_ASCII->isChecked());
    EXPECT_FALSE(defaults.form().CB_database->isChecked());
    EXPECT_EQ(defaults.windowTitle(), QStringLiteral("Open text file"));
    EXPECT_EQ(defaults.form().EditChar->toolTip(), QStringLiteral("Use #+number for ASCII character code"));
    defaults.form().CB_ASCII->click();
    EXPECT_FALSE(defaults.form().CB_ASCII->isChecked() || defaults.form().CBdelimited->isChecked()
                 || defaults.form().CB_database->isChecked())
        << "all three may be off";
}

TEST_F(ImportDialogs, MissingFileOrNamesWithoutLineBringTheDialogBackWithTheGridUnchanged)
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.txt"));
    const QString empty = write(QStringLiteral("empty.csv"), "");
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        w.CBdelimited->click();
        w.CBvarNames->setChecked(true);
        w.EditFileName->setText(missing);
    });
    dialogs.expectMessage(QStringLiteral("File ") + missing + QStringLiteral(" does not exist"));
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        EXPECT_EQ(w.EditFileName->text(), missing) << "the dialog keeps its entries";
        w.EditFileName->setText(empty);
    });
    dialogs.expectMessage(empty);
    expectOpenTextCancelled();
    QString fileName = QStringLiteral("old");
    OpenTextFile(m_grid, fileName);
    EXPECT_EQ(fileName, QString());
    EXPECT_EQ(m_grid.Cells(1, 1), QStringLiteral("before"));
    EXPECT_EQ(m_grid.Cells(0, 0), QString());
    EXPECT_EQ(dialogs.shown()[1].type, ui::TMsgDlgType::mtWarning);
    EXPECT_EQ(dialogs.shown()[3].type, ui::TMsgDlgType::mtError);
    EXPECT_EQ(stored(QStringLiteral("fot_Ext")), QStringLiteral(".csv")) << "options are saved at every OK";
}

// No way of reading ticked (as a store of no options leaves them): OK is refused, nothing is
// saved or read, and the dialog waits for a choice.
TEST_F(ImportDialogs, OkWithNoTypeTickedIsRefusedUntilOneIs)
{
    const QString path = write(QStringLiteral("data.csv"), "1;2\n");
    bool refused = false;
    expectOpenText([&](TFormOpenText &form, Ui::TFormOpenText &w) {
        w.EditFileName->setText(path);
        w.BtnOK->click();
        refused = form.result() == 0 && stored(QStringLiteral("fot_Ext")).isEmpty();
        w.CBdelimited->click();
    });
    dialogs.expectMessage(QStringLiteral("type of the file"));
    QString fileName;
    OpenTextFile(m_grid, fileName);
    EXPECT_TRUE(refused);
    EXPECT_EQ(fileName, path);
    EXPECT_EQ(Row(m_grid, 1), QStringList({"1", "1", "2"}));
}

TEST_F(ImportDialogs, TabPresetReadsTabDelimitedTextWithNames)
{
    const QString path = write(QStringLiteral("export.txt"), "ID\tValue 1\n7\t2.5\n");
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        EXPECT_TRUE(w.CBdelimited->isChecked());
        EXPECT_TRUE(w.CBvarNames->isChecked());
        EXPECT_EQ(w.LbDelimiter->text(), QStringLiteral("Delimiter (9)"));
        w.EditFileName->setText(path);
    });
    QString fileName;
    OpenTabTextFile(m_grid, fileName);
    EXPECT_EQ(Row(m_grid, 0), QStringList({"Item", "ID", "Value 1"}));
    EXPECT_EQ(Row(m_grid, 1), QStringList({"1", "7", "2.5"}));
    EXPECT_EQ(stored(QStringLiteral("fot_Character")), QStringLiteral("9"));
}

TEST_F(ImportDialogs, DelimiterTypedWithTheKeys)
{
    TFormOpenText form;
    Ui::TFormOpenText &w = form.form();
    activate(form);
    const auto type = [&](const QString &text) {
        w.EditChar->setFocus();
        w.EditChar->selectAll();
        QTest::keyClick(w.EditChar, Qt::Key_Delete);
        QTest::keyClicks(w.EditChar, text);
        QTest::keyClick(w.EditChar, Qt::Key_Tab);
    };
    type(QStringLiteral("#9"));
    EXPECT_EQ(w.LbDelimiter->text(), QStringLiteral("Delimiter (9)"));
    EXPECT_EQ(w.EditChar->text(), QStringLiteral("\t"));
    EXPECT_EQ(form.Delimiter(), QChar(u'\t'));

    dialogs.expectMessage(QStringLiteral("Error of delimiter specification (must be #+ACSII code of the character)"));
    type(QStringLiteral("#a"));
    EXPECT_EQ(form.Delimiter(), QChar(u'\t')) << "the previous delimiter stays";
    EXPECT_EQ(QApplication::focusWidget(), w.EditChar);

    dialogs.expectMessage(QStringLiteral("Delimiter was not specified"));
    type(QString());

    type(QStringLiteral("|;"));
    EXPECT_EQ(w.LbDelimiter->text(), QStringLiteral("Delimiter (124)")) << "only the first character counts";

    // Enter closes the dialog from the box itself: the typed delimiter is taken all the same.
    w.CBdelimited->click();
    w.EditChar->setFocus();
    w.EditChar->selectAll();
    QTest::keyClicks(w.EditChar, QStringLiteral(","));
    QTest::keyClick(w.EditChar, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Delimiter(), QChar(u','));
    EXPECT_EQ(stored(QStringLiteral("fot_Character")), QStringLiteral("44"));
}

TEST_F(ImportDialogs, F1OpensTheImportPage)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    TFormOpenText form;
    activate(form);
    form.form().EditFileName->setFocus();
    dialogs.expectUrl();
    QTest::keyClick(form.form().EditFileName, Qt::Key_F1);
    ASSERT_EQ(dialogs.urls().size(), 1);
    EXPECT_EQ(QFileInfo(dialogs.urls().constFirst().toLocalFile()).fileName(), QStringLiteral("context-140.html"));
    ui::SetHelpFolder(QString());
}

// Text in fixed columns as a program prints it.
const QByteArray kReport = "id   height w\n"
                           "A1     1.5  7\n"
                           "B22   12.25 8\n";

TEST_F(ImportDialogs, FixedColumnsCutByAMaskBuiltWithTheMouse)
{
    const QString path = write(QStringLiteral("report.txt"), kReport);
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        EXPECT_FALSE(w.CB_ASCII->isChecked()) << "a store without values unchecks all three";
        w.CB_ASCII->click();
        w.EditFileName->setText(path);
    });
    QString shownMask;
    expectMaskWindow([&](TFormTextData &form, Ui::TFormTextData &w) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Import text file"));
        EXPECT_EQ(w.EditMask->text(), QStringLiteral("[...........]"));
        clickMaskAt(w.EditMask, 5);
        clickMaskAt(w.EditMask, 11);
        clickMaskAt(w.EditMask, 8, Qt::ShiftModifier); // with Shift a click only places the caret
        shownMask = w.EditMask->text();
        w.CB_RowNames->setChecked(true);
        dialogs.expectModal([](QDialog &memo) {
            EXPECT_EQ(memo.windowTitle(), QStringLiteral("Parameters for import"));
            dynamic_cast<TFormMemoDialog &>(memo).SetLines({QStringLiteral("Var1=Height"), QStringLiteral("Var2=Weight")});
            return int(ui::mrOk);
        });
        form.findChild<QAction *>(QStringLiteral("EditDescriptors1"))->trigger();
        w.BtnOK->click();
        return form.result();
    });
    QString fileName;
    OpenTextFile(m_grid, fileName);
    EXPECT_EQ(shownMask, QStringLiteral("[...][....][]"));
    EXPECT_EQ(FormTextData, nullptr);
    ASSERT_EQ(m_grid.ColCount(), 3);
    ASSERT_EQ(m_grid.RowCount(), 4);
    EXPECT_EQ(Row(m_grid, 0), QStringList({"Item", "Height", "Weight"}));
    EXPECT_EQ(Row(m_grid, 1), QStringList({"id", "height", "w"}));
    EXPECT_EQ(Row(m_grid, 2), QStringList({"A1", "1.5", "7"}));
    EXPECT_EQ(Row(m_grid, 3), QStringList({"B22", "12.25", "8"}));
}

TEST_F(ImportDialogs, TypedXCtrlMAndEscapeInTheMaskWindow)
{
    const QString path = write(QStringLiteral("six.txt"), "abcdef\nab\n");
    expectMaskWindow([&](TFormTextData &form, Ui::TFormTextData &w) {
        w.EditMask->setFocus();
        w.EditMask->setCursorPosition(3);
        QTest::keyClick(w.EditMask, Qt::Key_X);
        EXPECT_EQ(w.EditMask->text(), QStringLiteral("[.]x[]"));
        w.Memo->setFocus();
        QTest::keyClick(w.Memo, Qt::Key_M, Qt::ControlModifier);
        EXPECT_EQ(QApplication::focusWidget(), w.EditMask);
        EXPECT_EQ(w.Memo->toPlainText(), QStringLiteral("abcdef\nab")) << "Ctrl+M is consumed";
        QTest::keyClick(&form, Qt::Key_Escape);
        return form.result();
    });
    EXPECT_TRUE(ExecuteTextData(path)) << "the mask edit was not empty";
    ASSERT_NE(FormTextData, nullptr);
    EXPECT_EQ(FormTextData->Mask(), QString()) << "Escape drops the mask";
    delete FormTextData;
    EXPECT_EQ(FormTextData, nullptr);
}

TEST_F(ImportDialogs, MaskFileWrittenAtCloseAndReadInTheNextRun)
{
    const QString path = write(QStringLiteral("six.txt"), "abcdef\n");
    const QString maskFile = m_dir.filePath(QStringLiteral("six.msk"));
    expectMaskWindow([&](TFormTextData &form, Ui::TFormTextData &w) {
        clickMaskAt(w.EditMask, 2);
        dialogs.expectFile(maskFile);
        form.findChild<QAction *>(QStringLiteral("SaveToFile1"))->trigger();
        EXPECT_EQ(dialogs.lastFileDialog()->Title, QStringLiteral("Save mask into file"));
        EXPECT_EQ(dialogs.lastFileDialog()->InitialDir, m_dir.path());
        EXPECT_FALSE(QFile::exists(maskFile)) << "written when the window closes";
        clickMaskAt(w.EditMask, 4);
        dialogs.expectModal([](QDialog &memo) {
            auto &dialog = dynamic_cast<TFormMemoDialog &>(memo);
            EXPECT_EQ(dialog.Lines(), QStringList{QStringLiteral("Mask=[][..]")});
            dialog.SetLines({QStringLiteral("Mask=[][..]"), QStringLiteral("Var1=First")});
            return int(ui::mrOk);
        });
        form.findChild<QAction *>(QStringLiteral("EditDescriptors1"))->trigger();
        w.BtnOK->click();
        return form.result();
    });
    ASSERT_TRUE(ExecuteTextData(path));
    EXPECT_EQ(FormTextData->Mask(), QStringLiteral("[][][]"));
    delete FormTextData;
    QFile file(maskFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Mask=[][..]\r\nVar1=First\r\n"));

    expectMaskWindow([&](TFormTextData &form, Ui::TFormTextData &w) {
        dialogs.expectFile(maskFile);
        form.findChild<QAction *>(QStringLiteral("ReadFromFile1"))->trigger();
        EXPECT_EQ(dialogs.lastFileDialog()->Title, QStringLiteral("Select file with mask"));
        EXPECT_EQ(w.EditMask->text(), QStringLiteral("[][..]"));
        form.findChild<QAction *>(QStringLiteral("MaskInitialize1"))->trigger();
        EXPECT_EQ(w.EditMask->text(), QStringLiteral("[....]"));
        w.EditMask->setFocus();
        QTest::keyClick(w.EditMask, Qt::Key_Return);
        return form.result();
    });
    ASSERT_TRUE(ExecuteTextData(path));
    ASSERT_NE(FormTextData->Descriptors(), nullptr);
    EXPECT_EQ(FormTextData->Descriptors()->Values(QStringLiteral("Var1")), QStringLiteral("First"));
    delete FormTextData;
}

TEST_F(ImportDialogs, ClickOverABoundaryOfTheTextSplitsTheMaskThereAlsoInAnotherFont)
{
    const QString path = write(QStringLiteral("wide.txt"), "0123456789abcdefghij\n");
    expectMaskWindow([&](TFormTextData &form, Ui::TFormTextData &w) {
        QFont larger = w.Memo->font();
        larger.setPointSize(larger.pointSize() + 5);
        dialogs.expectFont(larger, Qt::black);
        w.BtnFont->click();
        EXPECT_EQ(w.Memo->font().pointSize(), larger.pointSize());
        EXPECT_EQ(w.EditMask->font().pointSize(), larger.pointSize()) << "mask and text keep one font";
        for (int column : {7, 13}) {
            QTextCursor cursor(w.Memo->document());
            cursor.setPosition(column);
            const QPoint inText = w.Memo->viewport()->mapTo(&form, w.Memo->cursorRect(cursor).topLeft());
            const QPoint inMask = w.EditMask->mapFrom(&form, QPoint(inText.x(), 0));
            QTest::mouseClick(w.EditMask, Qt::LeftButton, {}, QPoint(inMask.x(), w.EditMask->height() / 2));
        }
        EXPECT_EQ(w.EditMask->text(), QStringLiteral("[.....][....][.....]"));
        return int(ui::mrCancel);
    });
    ExecuteTextData(path);
    delete FormTextData;
}

TEST_F(ImportDialogs, EmptyTextFileIsReportedWithoutAWindow)
{
    const QString path = write(QStringLiteral("blank.txt"), "\n\n");
    dialogs.expectMessage(QStringLiteral("Empty data file"));
    EXPECT_FALSE(ExecuteTextData(path));
    EXPECT_EQ(FormTextData, nullptr);
    EXPECT_EQ(dialogs.shown().back().type, ui::TMsgDlgType::mtInformation);
    EXPECT_FALSE(ExecuteTextData(m_dir.filePath(QStringLiteral("none.txt"))));
}

TEST_F(ImportDialogs, TableReadThroughTheQueryBuilder)
{
    const QString path = WriteTable(m_dir, QStringLiteral("plants"), QStringLiteral("ID CHAR(8), HEIGHT NUMERIC(6,1)"),
                                    {{"oak", "3.5"}, {"ash", "3"}, {"elm", "3.5"}});
    expectOpenText([&](TFormOpenText &, Ui::TFormOpenText &w) {
        w.CB_database->click();
        w.EditFileName->setText(path);
    });
    dialogs.expectModal([](QDialog &dialog) {
        auto &builder = dynamic_cast<TFormSetQuery &>(dialog);
        EXPECT_EQ(builder.form().EditQueryFields->text(), QStringLiteral("*"));
        builder.form().ListConds->addItem(QStringLiteral("(ID<>'ash')"));
        builder.BtnSQLClick();
        return int(ui::mrOk);
    });
    QString fileName;
    OpenTextFile(m_grid, fileName);
    EXPECT_EQ(fileName, path);
    ASSERT_EQ(m_grid.RowCount(), 3);
    EXPECT_EQ(Row(m_grid, 0), QStringList({"Item", "ID", "HEIGHT"}));
    EXPECT_EQ(Row(m_grid, 1), QStringList({"1", "oak", "3.5"}));
    EXPECT_EQ(Row(m_grid, 2), QStringList({"2", "elm", "3.5"}));
}

TEST(OpenTextWithQtDialogs, EnterInTheFileNameReadsTheFile)
{
    QTemporaryDir dir;
    const QString path = WriteBytes(dir, QStringLiteral("d.csv"), "x,y\n1,2\n");
    TImportGrid grid;
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TFormOpenText *>(QApplication::activeModalWidget());
        ASSERT_NE(form, nullptr);
        form->form().CBdelimited->click();
        form->form().EditChar->setText(QStringLiteral("#44"));
        form->form().EditFileName->setFocus();
        form->form().EditFileName->setText(path);
        QTest::keyClick(form->form().EditFileName, Qt::Key_Return);
    });
    QString fileName;
    OpenTextFile(grid, fileName);
    EXPECT_EQ(fileName, path);
    EXPECT_EQ(Row(grid, 0), QStringList({"Item", "Var 1", "Var 2"}));
    EXPECT_EQ(Row(grid, 1), QStringList({"1", "x", "y"}));
    EXPECT_EQ(Row(grid, 2), QStringList({"2", "1", "2"}));
}

} // namespace
