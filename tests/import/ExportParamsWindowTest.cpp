// The "Export parameters" dialog as the user types into it.

#include "import/ExportParams.h"
#include "import/FExportParams.h"

#include "ScriptedDialogs.h"

#include "platform/ui/Help.h"

#include <QFileInfo>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

TEST(ExportParamsWindow, TypingANumberNamesTheColumnAtOnceAndF1OpensTheDialogsPage)
{
    ui::SetHelpFolder(QStringLiteral(QUIBO_SOURCE_DIR "/help"));
    ScriptedDialogs dialogs;
    TFormExportParams form;
    QString helpPage;
    dialogs.expectModal([&](QDialog &dialog) {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTableView *grid = form.ParamGrid();
        const QModelIndex number = form.Params().index(1, TExportParamsModel::ColNumber);
        grid->setCurrentIndex(number);
        QWidget *editor = grid->indexWidget(number);
        EXPECT_NE(editor, nullptr) << "the editor opens on the cell reached";
        if (editor) {
            QTest::keyClicks(editor, QStringLiteral("2"));
            EXPECT_EQ(form.Params().Cell(TExportParamsModel::ColName, 1), "Rf1") << "while the editor is still open";
            dialogs.expectUrl();
            QTest::keyClick(editor, Qt::Key_F1);
            if (!dialogs.urls().isEmpty())
                helpPage = QFileInfo(dialogs.urls().constLast().toLocalFile()).fileName();
        }
        return int(ui::mrOk);
    });
    form.Execute({"ID", "START"}, {"Item", "id", "Rf1"});
    EXPECT_EQ(helpPage, "context-142.html");
    QString value;
    EXPECT_EQ(form.GetParam(0, value), 1) << "ID proposed by name";
    EXPECT_EQ(form.GetParam(1, value), 2);
}
