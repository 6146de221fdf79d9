#include "import/FImport.h"
#include "import/ImportGridView.h"

#include "ui_FImport.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Help.h"

#include "FileSizeLimit.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using ui::mrNo;
using ui::mrYes;

// The window with its target table in reach, to see that closing lets the table go.
class TestedImport : public TFormImport
{
public:
    using TFormImport::Table;
};

QByteArray ReadAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

class ImportWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    /// Fills the grid row by row; row 0 the names, column 0 the numbers.
    void Fill(const std::vector<QStringList> &rows)
    {
        TImportGrid &grid = form.Grid();
        grid.BeginUpdate();
        grid.SetRowCount(int(rows.size()));
        grid.SetColCount(int(rows.front().size()));
        for (int row = 0; row < int(rows.size()); ++row)
            for (int column = 0; column < int(rows[size_t(row)].size()); ++column)
                grid.SetCells(column, row, rows[size_t(row)][column]);
        grid.EndUpdate();
    }

    QStringList Row(int row) const
    {
        QStringList cells;
        for (int column = 0; column < form.Grid().ColCount(); ++column)
            cells << form.Grid().Cells(column, row);
        return cells;
    }

    QStringList Column(int column) const
    {
        QStringList cells;
        for (int row = 0; row < form.Grid().RowCount(); ++row)
            cells << form.Grid().Cells(column, row);
        return cells;
    }

    Ui::TFormImport &f() { return form.Form(); }

    void ShowAndFocusGrid()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        form.DataGrid()->setFocus();
        QApplication::processEvents();
    }

    // "Read" answered by a cancel of the open-text dialog: no file, data unsaved.
    void ReadNothing()
    {
        dialogs.expectModal([](QDialog &openText) {
            EXPECT_EQ(openText.objectName(), QStringLiteral("TFormOpenText"));
            return int(ui::mrCancel);
        });
        form.BtnReadClick();
    }

    /// A table "target" with the fields ID, Start and Rf1 in the database "DBFtables".
    QString MakeTargetTable()
    {
        database.SetDatabaseName(QStringLiteral("DBFtables"));
        database.Params().Add(QStringLiteral("PATH=") + dir.path());
        database.Open();
        db::TQuery create;
        create.SetDatabaseName(database.DatabaseName());
        create.SQL().Add(QStringLiteral("CREATE TABLE 'target' (ID CHAR(8), Start DECIMAL(6,2), Rf1 DECIMAL(8,3))"));
        create.ExecSQL();
        return dir.filePath(QStringLiteral("target.dbf"));
    }

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    db::TDatabase database;
    TestedImport form;
};

} // namespace

TEST_F(ImportWindowTest, OpensWithOneNamedColumnAndOneNumberedRowAndItsTexts)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Import/edit data"));
    EXPECT_EQ(form.size(), QSize(800, 600));
    EXPECT_EQ(Row(0), QStringList({"", "Var1"}));
    EXPECT_EQ(Row(1), QStringList({"1", ""}));
    EXPECT_EQ(f().LblCol->text(), QStringLiteral("Column 1"));
    EXPECT_EQ(f().LblRow->text(), QStringLiteral("Row 1"));
    EXPECT_TRUE(form.Saved());
    EXPECT_FALSE(f().BtnStoreInDBF->isEnabled());
    EXPECT_FALSE(f().CB_ShiftBtn->isChecked());
    EXPECT_EQ(f().Panel1->height(), 41);
    for (QWidget *hidden : {static_cast<QWidget *>(f().BtnLeft), static_cast<QWidget *>(f().BtnRight),
                            static_cast<QWidget *>(f().ListBoxFields)})
        EXPECT_TRUE(hidden->isHidden()) << hidden->objectName().toStdString();
    EXPECT_EQ(f().BtnLeft->focusPolicy(), Qt::NoFocus) << "not in the tab order";
    EXPECT_EQ(f().BtnLeft->size(), QSize(20, 20));

    struct Button
    {
        QAbstractButton *button;
        const char *caption;
        const char *hint;
    };
    const Button buttons[] = {
        {f().BtnColAdd, "+", "Insert new column"},         {f().BtnColDel, "-", "Column delete"},
        {f().BtnColRename, "N", "Rename"},                 {f().BtnRowAdd, "+", "Add new row"},
        {f().BtnRowDel, "-", "Row delete"},                {f().BtnClear, "Clear", "Remove all data from grid"},
        {f().BtnRead, "Read", "Read data from a file"},    {f().BtnSave, "Save as", "Save as text file (CSV)"},
        {f().BtnStoreInDBF, "Store in DB", ""},            {f().BtnCancel, "Cancel", ""},
        {f().CB_ShiftBtn, "Shift buttons", ""},
    };
    for (const Button &b : buttons) {
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption)) << b.button->objectName().toStdString();
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint)) << b.button->objectName().toStdString();
    }
}

TEST_F(ImportWindowTest, ColumnsAreInsertedNamedAndRemovedAtTheSelectedOne)
{
    Fill({{"", "a", "b", "c"}, {"1", "a1", "b1", "c1"}});
    form.DataGrid()->SetCurrentCell(1, 1);
    form.BtnColAddClick();
    EXPECT_EQ(Row(0), QStringList({"", "New4", "a", "b", "c"}));
    EXPECT_EQ(Row(1), QStringList({"1", "", "a1", "b1", "c1"}));

    form.DataGrid()->SetCurrentCell(3, 1);
    dialogs.expectMessage(QStringLiteral("Remove column (3) b"), mrNo);
    form.BtnColDelClick();
    EXPECT_EQ(form.Grid().ColCount(), 5);
    dialogs.expectMessage(QStringLiteral("Remove column (3) b"), mrYes);
    form.BtnColDelClick();
    EXPECT_EQ(Row(0), QStringList({"", "New4", "a", "c"}));
    EXPECT_EQ(f().LblCol->text(), QStringLiteral("Column 3")) << "the selection stays on the column that took the place";

    dialogs.expectInput(QStringLiteral("Weight"));
    f().BtnColRename->click(); // no target table: the name is typed
    EXPECT_EQ(dialogs.shown().back().title, QStringLiteral("New variable name"));
    EXPECT_EQ(dialogs.shown().back().text, QStringLiteral("Edit new name"));
    dialogs.expectInput(QStringLiteral("ignored"), false);
    form.BtnColRenameClick(nullptr);
    EXPECT_EQ(Row(0), QStringList({"", "New4", "a", "Weight"})) << "a cancelled input keeps the name";
    EXPECT_TRUE(form.Saved()) << "edits of the grid's shape leave the data saved";
}

TEST_F(ImportWindowTest, RowsKeepTheirNumbersWhenOneIsRemoved)
{
    Fill({{"", "v"}, {"1", "x"}, {"2", "y"}, {"3", "z"}});
    form.DataGrid()->SetCurrentCell(1, 2);
    dialogs.expectMessage(QStringLiteral("Remove row (2) 2"), mrYes);
    form.BtnRowDelClick();
    EXPECT_EQ(Column(0), QStringList({"", "1", "3"}));
    EXPECT_EQ(Column(1), QStringList({"v", "x", "z"}));

    form.BtnRowAddClick();
    EXPECT_EQ(Row(3), QStringList({"3", ""})) << "a new row is numbered with its index";
    EXPECT_TRUE(form.Saved());
}

TEST_F(ImportWindowTest, DraggingAHeaderSectionMovesTheCells)
{
    Fill({{"", "a", "b", "c"}, {"1", "a1", "b1", "c1"}, {"2", "a2", "b2", "c2"}});
    QHeaderView *columns = form.DataGrid()->horizontalHeader();
    columns->moveSection(0, 2);
    EXPECT_EQ(Row(0), QStringList({"", "b", "c", "a"}));
    EXPECT_EQ(Row(2), QStringList({"2", "b2", "c2", "a2"}));
    EXPECT_EQ(columns->visualIndex(0), 0) << "the header shows the grid's order again";

    form.DataGrid()->verticalHeader()->moveSection(1, 0);
    EXPECT_EQ(Column(0), QStringList({"", "2", "1"}));
    EXPECT_EQ(Column(3), QStringList({"a", "a2", "a1"}));
}

TEST_F(ImportWindowTest, ShiftButtonsStandBesideTheCellAndMoveItsValue)
{
    Fill({{"", "n1", "n2", "n3", "n4", "n5"}, {"1", "a", "b", "", "d", ""}});
    ShowAndFocusGrid();
    form.DataGrid()->SetCurrentCell(1, 1);
    f().CB_ShiftBtn->click();
    const QRect first = form.DataGrid()->CellRect(1, 1, &form);
    EXPECT_TRUE(f().BtnLeft->isHidden()) << "nothing left of column 1";
    ASSERT_TRUE(f().BtnRight->isVisible());
    EXPECT_EQ(f().BtnRight->pos(), QPoint(first.right() + 2, first.top()));

    // Without Shift a run of filled cells moves as a block up to the first empty cell.
    QTest::mouseClick(f().BtnRight, Qt::LeftButton);
    EXPECT_EQ(Row(1), QStringList({"1", "", "a", "b", "d", ""}));
    EXPECT_EQ(form.DataGrid()->Col(), 2) << "the selection follows the moved value";
    const QRect second = form.DataGrid()->CellRect(2, 1, &form);
    EXPECT_EQ(f().BtnLeft->pos(), QPoint(second.left() - 20, second.top()));

    // With Shift the value jumps over filled cells to the nearest empty one; the selection stays.
    QTest::mouseClick(f().BtnRight, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Row(1), QStringList({"1", "", "", "b", "d", "a"}));
    EXPECT_EQ(form.DataGrid()->Col(), 2);

    form.DataGrid()->SetCurrentCell(5, 1);
    EXPECT_TRUE(f().BtnRight->isHidden()) << "nothing right of the last column";
    EXPECT_TRUE(f().BtnLeft->isVisible());
    QTest::mouseClick(f().BtnLeft, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Row(1), QStringList({"1", "", "a", "b", "d", ""}));

    // A run that would be pushed past the edge refuses the whole move.
    Fill({{"", "n1", "n2", "n3"}, {"1", "a", "b", "c"}});
    EXPECT_FALSE(form.ShiftCell(1, 1, +1));
    EXPECT_EQ(Row(1), QStringList({"1", "a", "b", "c"}));

    f().CB_ShiftBtn->click();
    EXPECT_TRUE(f().BtnLeft->isHidden());
    EXPECT_TRUE(f().BtnRight->isHidden());
}

TEST_F(ImportWindowTest, ReadNumbersAreShownWholeWhereTheirColumnCanGrow)
{
    const QString number = QStringLiteral("1,70000000000000");
    const QString name = QStringLiteral("Height of the plant at the second count");
    Fill({{"Item", "a", "b", name, "d"}, {"1", "2", number, "3", QString(400, u'x')}});
    ShowAndFocusGrid();
    TImportGridView &view = *form.DataGrid();
    const auto shownWhole = [&](int column, const QString &text) {
        // The cell's width left to its text once the open editor's frame and margins are off.
        QStyleOptionFrame frame;
        frame.initFrom(&view);
        const int textRoom = view.columnWidth(column - 1) - 2 * view.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame) - 4;
        return textRoom >= view.fontMetrics().horizontalAdvance(text);
    };
    EXPECT_TRUE(shownWhole(2, number)) << view.columnWidth(1);
    EXPECT_TRUE(shownWhole(3, name)) << "a long name widens its column too";
    EXPECT_EQ(view.columnWidth(0), view.horizontalHeader()->defaultSectionSize()) << "short texts keep the usual width";
    EXPECT_LT(view.columnWidth(3), view.viewport()->width() / 2) << "a very long text does not take the whole grid";
}

TEST_F(ImportWindowTest, TypedTextReachesTheCellAtOnceAndLeavesTheDataSaved)
{
    ShowAndFocusGrid();
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "the selected cell's editor is open";
    QTest::keyClicks(editor, QStringLiteral("12,5"));
    EXPECT_EQ(form.Grid().Cells(1, 1), QStringLiteral("12,5"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(form.Grid().Cells(1, 1), QStringLiteral("12,5"));
    EXPECT_TRUE(form.Saved());
    EXPECT_TRUE(form.isVisible()) << "Enter closes nothing";
}

TEST_F(ImportWindowTest, ReadThatIsCancelledKeepsTheGridEmptiesTheNameAndMarksTheDataUnsaved)
{
    Fill({{"", "a"}, {"1", "x"}});
    for (uint8_t mode : {uint8_t(0), uint8_t(1)}) {
        form.SetReadMode(mode);
        ReadNothing();
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Import/edit data []"));
        EXPECT_FALSE(form.Saved());
        EXPECT_EQ(Row(1), QStringList({"1", "x"}));
        QString name = QStringLiteral("old");
        form.GetFileName(name);
        EXPECT_EQ(name, QString());
    }
}

TEST_F(ImportWindowTest, SaveAsWritesWhatTheAnswersAskFor)
{
    struct Case
    {
        ui::TModalResult numbers;
        ui::TModalResult names;
        QByteArray text;
    };
    const Case cases[] = {
        {mrYes, mrYes, "Item;a;b\r\n1;x;y\r\n2;;z\r\n"},
        {mrNo, mrYes, "a;b\r\nx;y\r\n;z\r\n"},
        {mrYes, mrNo, "1;x;y\r\n2;;z\r\n"},
        {mrNo, mrNo, "x;y\r\n;z\r\n"},
    };
    Fill({{"Item", "a", "b"}, {"1", "x;y", ""}, {"2", "", "z"}});
    const QString name = dir.filePath(QStringLiteral("grid.csv"));
    for (const Case &c : cases) {
        ReadNothing();
        dialogs.expectFile(name);
        dialogs.expectMessage(QStringLiteral("Save including item number?"), c.numbers);
        dialogs.expectMessage(QStringLiteral("Save including variable names?"), c.names);
        form.BtnSaveClick();
        EXPECT_EQ(ReadAll(name), c.text);
        EXPECT_TRUE(form.Saved());
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Import/edit data [") + name + QStringLiteral("]"));
    }
    EXPECT_EQ(dialogs.lastFileDialog()->Filter, QStringLiteral("Semicolon delimited|*.csv|Any file|*.*"));

    dialogs.expectFile(QString());
    form.BtnSaveClick();
    EXPECT_EQ(ReadAll(name), cases[3].text) << "a cancelled dialog asks nothing and writes nothing";
}

TEST_F(ImportWindowTest, SaveAsProposesTheLastFileWithTheExtensionCsvInItsFolder)
{
    const QString first = dir.filePath(QStringLiteral("measured.data.txt"));
    dialogs.expectFile(first);
    dialogs.expectMessage(QStringLiteral("item number"), mrNo);
    dialogs.expectMessage(QStringLiteral("variable names"), mrNo);
    form.BtnSaveClick();
    EXPECT_TRUE(QFile::exists(first)) << "the name is taken as typed";

    dialogs.expectFile(QString());
    form.BtnSaveClick();
    EXPECT_EQ(dialogs.lastFileDialog()->InitialDir, dir.path());
    EXPECT_EQ(dialogs.lastFileDialog()->FileName, QStringLiteral("measured.data.csv"));
}

TEST_F(ImportWindowTest, SaveAsThatFailsKeepsNameCaptionSavedStateAndTheEarlierFile)
{
    Fill({{"", "a"}, {"1", "x"}, {"2", "y"}});
    const QString good = dir.filePath(QStringLiteral("good.csv"));
    dialogs.expectFile(good);
    dialogs.expectMessage(QStringLiteral("item number"), mrNo);
    dialogs.expectMessage(QStringLiteral("variable names"), mrNo);
    form.BtnSaveClick();
    const QByteArray earlier = ReadAll(good);
    ASSERT_EQ(earlier, "x\r\ny\r\n");
    form.Grid().SetCells(1, 1, QString(4096, QLatin1Char('w')));

    const auto failingSave = [&](const QString &target) {
        const QString title = form.windowTitle();
        const bool saved = form.Saved();
        dialogs.expectFile(target);
        dialogs.expectMessage(QStringLiteral("item number"), mrYes);
        dialogs.expectMessage(QStringLiteral("variable names"), mrYes);
        EXPECT_THROW(form.BtnSaveClick(), rtl::EInOutError) << target.toStdString();
        QString name;
        form.GetFileName(name);
        EXPECT_EQ(name, good);
        EXPECT_EQ(form.windowTitle(), title);
        EXPECT_EQ(form.Saved(), saved);
        EXPECT_EQ(ReadAll(good), earlier);
    };
    failingSave(dir.filePath(QStringLiteral("missing/grid.csv")));
    WithFileSizeLimit(1024, [&] { failingSave(good); }); // the disk fills while the file is written
}

TEST_F(ImportWindowTest, CancelAndEscAskBeforeClosingAndTheCloseBoxDoesNot)
{
    struct Case
    {
        const char *name;
        bool saved;
        std::vector<ui::TModalResult> answers;
        bool closes;
    };
    const Case cases[] = {
        {"not closing", true, {mrNo}, false},
        {"saved data", true, {mrYes}, true},
        {"unsaved data kept", false, {mrYes, mrNo}, false},
        {"unsaved data dropped", false, {mrYes, mrYes}, true},
    };
    for (int press = 0; press < 3; ++press) {
        for (const Case &c : cases) {
            ShowAndFocusGrid();
            if (c.saved)
                form.BtnClearClick();
            else
                ReadNothing();
            dialogs.expectMessage(QStringLiteral("Close edit data window?"), c.answers[0]);
            if (c.answers.size() > 1)
                dialogs.expectMessage(QStringLiteral("Data was not saved - continue?"), c.answers[1]);
            if (press == 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // from the cell's editor
            else if (press == 1)
                QTest::keyClick(f().BtnCancel, Qt::Key_Escape);
            else
                QTest::mouseClick(f().BtnCancel, Qt::LeftButton);
            EXPECT_EQ(form.isVisible(), !c.closes) << c.name << ", press " << press;
            EXPECT_TRUE(dialogs.allUsed()) << c.name << ", press " << press;
        }
    }

    ShowAndFocusGrid();
    ReadNothing();
    const size_t asked = dialogs.shown().size();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs.shown().size(), asked) << "the close box asks nothing, saved or not";
}

TEST_F(ImportWindowTest, ClosingEndsTheModalRunAndLetsTheTargetTableGo)
{
    form.PrepareStoreTable(MakeTargetTable());
    EXPECT_TRUE(form.Table.Active());
    QTimer::singleShot(0, &form, [this] { form.close(); });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_FALSE(form.Table.Active());
}

TEST_F(ImportWindowTest, ClearEmptiesTheGridAndKeepsFileNameReadModeAndTarget)
{
    form.PrepareStoreTable(MakeTargetTable());
    form.SetReadMode(1);
    Fill({{"ID", "a", "b"}, {"1", "x", "y"}, {"2", "u", "v"}});
    ReadNothing();
    form.BtnClearClick();
    EXPECT_EQ(Row(0), QStringList({"", "Var1"}));
    EXPECT_EQ(Row(1), QStringList({"1", ""}));
    EXPECT_TRUE(form.Saved());
    EXPECT_EQ(form.ReadMode(), 1);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Import/edit data []"));
    EXPECT_TRUE(f().BtnStoreInDBF->isEnabled());
    EXPECT_EQ(form.ListBoxFields()->count(), 4);
}

TEST_F(ImportWindowTest, ColumnTakesAFieldNamePickedFromTheListWithTheKeys)
{
    form.PrepareStoreTable(MakeTargetTable());
    Fill({{"", "a", "b"}, {"1", "x", "y"}});
    QStringList offered;
    for (int i = 0; i < form.ListBoxFields()->count(); ++i)
        offered << form.ListBoxFields()->item(i)->text();
    EXPECT_EQ(offered, QStringList({"[NEW]", "ID", "RF1", "START"})) << "sorted without regard to case";

    ShowAndFocusGrid();
    QListWidget *list = form.ListBoxFields();
    const auto pick = [&](int column, int row, Qt::Key key) {
        form.DataGrid()->SetCurrentCell(column, 1);
        QTest::mouseClick(f().BtnColRename, Qt::LeftButton);
        EXPECT_TRUE(list->isVisible());
        EXPECT_TRUE(list->hasFocus());
        EXPECT_EQ(form.RenameCol(), column);
        list->setCurrentRow(row);
        QTest::keyClick(list, key);
        EXPECT_TRUE(list->isHidden());
        EXPECT_EQ(form.RenameCol(), 0);
    };
    pick(2, 3, Qt::Key_Return);
    EXPECT_EQ(Row(0), QStringList({"", "a", "START"}));
    pick(1, 1, Qt::Key_Escape);
    EXPECT_EQ(Row(0), QStringList({"", "a", "START"})) << "Esc leaves the name";
    EXPECT_TRUE(form.isVisible()) << "Esc in the list does not close the window";
    dialogs.expectInput(QStringLiteral("Weight"));
    pick(1, 0, Qt::Key_Enter);
    EXPECT_EQ(Row(0), QStringList({"", "Weight", "START"})) << "[NEW] asks for a name";

    form.DataGrid()->SetCurrentCell(1, 1);
    QTest::mouseClick(f().BtnColRename, Qt::LeftButton);
    form.DataGrid()->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(list->isHidden()) << "leaving the list drops the rename";
    EXPECT_EQ(form.RenameCol(), 0);
}

TEST_F(ImportWindowTest, F1OpensTheWindowsHelpPage)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    ShowAndFocusGrid();
    dialogs.expectUrl();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ui::SetHelpFolder(QString());
    ASSERT_EQ(dialogs.urls().size(), 1);
    EXPECT_EQ(QFileInfo(dialogs.urls().constFirst().toLocalFile()).fileName(), QStringLiteral("context-140.html"));
}
