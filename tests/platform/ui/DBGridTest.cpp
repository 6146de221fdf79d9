// The grid and navigator over a dataset, and the Qt provider's directory dialog.

#include "platform/ui/DBGrid.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DataSetModel.h"
#include "platform/ui/DataSource.h"
#include "platform/ui/QtDialogs.h"

#include "ScriptedDialogs.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class DBGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = rtl::FormatLocale();
        rtl::SetFormatLocale(QLocale::c());
        database.SetDatabaseName(QStringLiteral("gridtest"));
        database.Params().Add(QStringLiteral("PATH=") + dir.path());
        database.Open();
        exec(QStringLiteral("CREATE TABLE 't.dbf' (ID DECIMAL(4,0), NAME CHAR(8))"));
        for (int i = 1; i <= 3; ++i)
            exec(QStringLiteral("INSERT INTO 't.dbf' VALUES (%1, 'n%1')").arg(i));
        table.SetDatabaseName(QStringLiteral("gridtest"));
        table.SetTableName(QStringLiteral("t.dbf"));
        table.Open();
        grid.SetDataSource(&source);
        navigator.SetDataSource(&source);
        source.SetDataSet(&table);
    }
    void TearDown() override
    {
        source.SetDataSet(nullptr);
        rtl::SetFormatLocale(saved);
    }
    void exec(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(QStringLiteral("gridtest"));
        query.SQL().Add(sql);
        query.ExecSQL();
    }
    QStringList names()
    {
        QStringList list;
        db::TTable fresh;
        fresh.SetDatabaseName(QStringLiteral("gridtest"));
        fresh.SetTableName(QStringLiteral("t.dbf"));
        fresh.Open();
        for (; !fresh.Eof(); fresh.Next())
            list << fresh.Fields()[1].AsString();
        return list;
    }
    bool enabled(ui::TDBNavigator::TNavigateBtn button) const { return navigator.button(button)->isEnabled(); }

    QTemporaryDir dir;
    db::TDatabase database;
    db::TTable table;
    ui::TDataSource source;
    ui::TDBGrid grid;
    ui::TDBNavigator navigator;
    ScriptedDialogs dialogs;
    QLocale saved;
};

TEST_F(DBGridTest, NavigatorButtonsFollowThePositionAndState)
{
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbFirst));
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbPrior));
    EXPECT_TRUE(enabled(ui::TDBNavigator::nbNext));
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbPost));
    navigator.BtnClick(ui::TDBNavigator::nbNext);
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_TRUE(enabled(ui::TDBNavigator::nbPrior));
    navigator.BtnClick(ui::TDBNavigator::nbLast);
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbNext));
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbLast));
    navigator.BtnClick(ui::TDBNavigator::nbInsert);
    EXPECT_TRUE(enabled(ui::TDBNavigator::nbPost));
    EXPECT_TRUE(enabled(ui::TDBNavigator::nbCancel));
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbInsert));
    EXPECT_EQ(grid.model()->headerData(3, Qt::Vertical).toString(), QStringLiteral("*"));
    source.SetDataSet(nullptr);
    EXPECT_FALSE(enabled(ui::TDBNavigator::nbRefresh));
    EXPECT_EQ(grid.model()->rowCount(), 0);
}

TEST_F(DBGridTest, MovingToAnotherRowPostsTheEdit)
{
    QAbstractItemModel &model = *grid.model();
    ASSERT_TRUE(model.setData(model.index(0, 1), QStringLiteral("first")));
    EXPECT_EQ(table.State(), db::dsEdit);
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("first"));
    EXPECT_EQ(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("I"));
    grid.setCurrentIndex(model.index(2, 1));
    EXPECT_EQ(table.State(), db::dsBrowse);
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(names(), (QStringList{"first", "n2", "n3"}));
}

TEST_F(DBGridTest, TypedTextIsStoredThroughTheEditor)
{
    grid.resize(300, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QTest::keyClick(&grid, Qt::Key_F2);
    auto *editor = grid.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("n2"));
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("typed"));
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents(); // the delegate commits queued
    EXPECT_EQ(table.State(), db::dsEdit);
    EXPECT_TRUE(enabled(ui::TDBNavigator::nbPost));
    navigator.BtnClick(ui::TDBNavigator::nbPost);
    EXPECT_EQ(names(), (QStringList{"n1", "typed", "n3"}));
}

TEST_F(DBGridTest, DeleteAsksAndRefreshShowsOtherWriters)
{
    dialogs.expectMessage(QStringLiteral("Delete record?"), ui::mrNo);
    navigator.BtnClick(ui::TDBNavigator::nbDelete);
    EXPECT_EQ(grid.model()->rowCount(), 3);
    dialogs.expectMessage(QStringLiteral("Delete record?"), ui::mrYes);
    navigator.BtnClick(ui::TDBNavigator::nbDelete);
    EXPECT_EQ(grid.model()->rowCount(), 2);
    exec(QStringLiteral("INSERT INTO 't.dbf' VALUES (8, 'other')"));
    navigator.BtnClick(ui::TDBNavigator::nbRefresh);
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(grid.model()->index(2, 1).data().toString(), QStringLiteral("other"));
}

TEST(QtDialogProvider, DirectoryDialogAnswersChosenFolderOrCancel)
{
    QTemporaryDir dir;
    ui::QtDialogProvider provider;
    auto answer = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            auto *newFolder = dialog->findChild<QToolButton *>(QStringLiteral("newFolderButton"));
            EXPECT_TRUE(newFolder && !newFolder->isEnabled());
            if (!accept) {
                dialog->reject();
                return;
            }
            dialog->setDirectory(dir.path());
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    QString folder = QStringLiteral("unchanged");
    answer(false);
    EXPECT_FALSE(provider.selectDirectory(folder));
    EXPECT_EQ(folder, QStringLiteral("unchanged"));
    answer(true);
    ASSERT_TRUE(provider.selectDirectory(folder));
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(dir.path()).canonicalPath());
}

} // namespace
