// The query builder and its relation dialog driven through their handlers, over a small
// dBASE table in a temporary folder, with every box scripted.

#include "workspace/FSetQuery.h"
#include "workspace/FSetRelation.h"

#include "ui_FSetQuery.h"
#include "ui_FSetRelation.h"

#include "ScriptedDialogs.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseError.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/DataSetModel.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QString kAlias = QStringLiteral("builderdb");

class QueryBuilderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = rtl::FormatLocale();
        rtl::SetFormatLocale(QLocale::c());
        database.SetDatabaseName(kAlias);
        database.Params().Add(QStringLiteral("PATH=") + dir.path());
        database.Open();
        exec(QStringLiteral("CREATE TABLE 'data.dbf' (ID DECIMAL(4,0), COLOR CHAR(10), T CHAR(5), NAME CHAR(12), NOTE MEMO)"));
        const char *rows[] = {"1, 'red', '10:30', 'O''Brien', 'x'", "2, 'blue', '11:00', 'Novák', NULL",
                              "3, 'red', '12:15', 'Čížek', NULL",   "4, NULL, '10:30', 'Smith', NULL",
                              "5, 'green', '08:00', 'Brown', NULL"};
        for (const char *row : rows)
            exec(QStringLiteral("INSERT INTO 'data.dbf' VALUES (%1)").arg(QString::fromUtf8(row)));
    }
    void TearDown() override
    {
        delete FormSetQuery;
        rtl::SetFormatLocale(saved);
    }

    void exec(const QString &sql)
    {
        db::TQuery query;
        query.SetDatabaseName(kAlias);
        query.SQL().Add(sql);
        query.ExecSQL();
    }

    int run(const QStringList &lines, QString &fields, bool autoRun = true)
    {
        rtl::TStringList sql(lines);
        return ExecuteQueryBuilder(kAlias, QStringLiteral("data.dbf"), &sql, fields, autoRun);
    }

    // Shows the builder without SQL lines and lets `script` work in it before it answers.
    int runShown(QString &fields, std::function<int(TFormSetQuery &, Ui::TFormSetQuery &)> script)
    {
        dialogs.expectModal([&](QDialog &dialog) {
            auto &form = dynamic_cast<TFormSetQuery &>(dialog);
            return script(form, form.form());
        });
        return ExecuteQueryBuilder(kAlias, QStringLiteral("data.dbf"), nullptr, fields, false);
    }

    static void chooseField(Ui::TFormSetQuery &w, const QString &name)
    {
        w.ListFields->setCurrentItem(w.ListFields->findItems(name, Qt::MatchExactly).value(0));
    }
    static QStringList items(const QListWidget &list)
    {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts << list.item(i)->text();
        return texts;
    }
    static void selectValues(Ui::TFormSetQuery &w, const QStringList &values)
    {
        for (int i = 0; i < w.ListVals->count(); ++i)
            w.ListVals->item(i)->setSelected(values.contains(w.ListVals->item(i)->text()));
    }
    static QStringList memo(Ui::TFormSetQuery &w) { return w.MemoSQL->toPlainText().split(QLatin1Char('\n')); }

    QTemporaryDir dir;
    db::TDatabase database;
    ScriptedDialogs dialogs;
    QLocale saved;
};

TEST_F(QueryBuilderTest, AutoRunOpensTheStatementWithoutShowingTheWindow)
{
    QString fields = QStringLiteral("ID");
    const int count = run({"SELECT ID,COLOR FROM 'data.dbf' WHERE (COLOR='red')"}, fields);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(fields, QStringLiteral("ID"));
    ASSERT_NE(FormSetQuery, nullptr);
    EXPECT_FALSE(FormSetQuery->isVisible());
    EXPECT_TRUE(FormSetQuery->Query().Active());
    EXPECT_FALSE(FormSetQuery->Table().Active());
    std::unique_ptr<rtl::TStringList> lines;
    GetQuerySQL(FormSetQuery, lines);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->Lines(), (QStringList{"SELECT ID,COLOR FROM 'data.dbf' ", "WHERE (COLOR='red')"}));
    rtl::TStringList names;
    names.Add(QStringLiteral("stale"));
    GetQueryFieldNames(FormSetQuery, names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "COLOR"}));
    GetQuerySQL(FormSetQuery, lines); // an existing list is cleared first
    EXPECT_EQ(lines->Count(), 2);
}

TEST_F(QueryBuilderTest, ParametersAreOnlyPreparedAndLeftToTheCaller)
{
    QString fields;
    EXPECT_EQ(run({"SELECT * FROM 'data.dbf'", "WHERE (ID BETWEEN :ID_1 AND :ID_2)"}, fields), 0);
    db::TQuery &query = FormSetQuery->Query();
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(query.Prepared());
    ASSERT_EQ(query.Params().Count(), 2);
    query.ParamByName(QStringLiteral("ID_1")).SetDataType(db::ftInteger);
    query.ParamByName(QStringLiteral("ID_1")).SetText(QStringLiteral("2"));
    query.ParamByName(QStringLiteral("ID_2")).SetAsInteger(4);
    query.Open();
    EXPECT_EQ(query.RecordCount(), 3);
}

// Mended: a ":" inside a quoted value made the statement count as having parameters, so it was
// only prepared and the caller found no data.
TEST_F(QueryBuilderTest, ColonInsideQuotedValueStillOpens)
{
    QString fields;
    EXPECT_EQ(run({"SELECT * FROM 'data.dbf'", "WHERE (T='10:30')"}, fields), 2);
    EXPECT_TRUE(FormSetQuery->Query().Active());
}

// Mended: a table name holding the letters WHERE was cut there and the engine refused it.
TEST_F(QueryBuilderTest, TableNamedSomewhereIsNotCutAtWhere)
{
    exec(QStringLiteral("CREATE TABLE 'somewhere.dbf' (ID DECIMAL(4,0))"));
    exec(QStringLiteral("INSERT INTO 'somewhere.dbf' VALUES (7)"));
    QString fields;
    EXPECT_EQ(run({"SELECT * FROM 'somewhere.dbf' WHERE (ID=7)"}, fields), 1);
}

TEST_F(QueryBuilderTest, RejectedStatementReachesTheCallerAndKeepsTheWindow)
{
    QString fields = QStringLiteral("ID");
    EXPECT_THROW(run({"SELECT NOSUCH FROM 'data.dbf'"}, fields), db::EDatabaseError);
    EXPECT_NE(FormSetQuery, nullptr);
    EXPECT_EQ(fields, QStringLiteral("ID"));
}

TEST_F(QueryBuilderTest, AutoRunWithoutLinesShowsTheWindowAndCancelChangesNothing)
{
    QString fields = QStringLiteral("ID,COLOR");
    bool okEnabled = true;
    QString shownFields;
    const int answer = runShown(fields, [&](TFormSetQuery &, Ui::TFormSetQuery &w) {
        okEnabled = w.BtnOK->isEnabled();
        shownFields = w.EditQueryFields->text();
        w.EditQueryFields->setText(QStringLiteral("changed"));
        return int(ui::mrCancel);
    });
    EXPECT_EQ(answer, -1);
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(shownFields, QStringLiteral("ID,COLOR"));
    EXPECT_EQ(fields, QStringLiteral("ID,COLOR"));
    EXPECT_EQ(FormSetQuery, nullptr);
}

TEST_F(QueryBuilderTest, EmptySqlLinesEnableOkAndAnEmptySelectListComesBack)
{
    QString fields = QStringLiteral("ID");
    bool okEnabled = false;
    dialogs.expectModal([&](QDialog &dialog) {
        auto &w = dynamic_cast<TFormSetQuery &>(dialog).form();
        okEnabled = w.BtnOK->isEnabled();
        w.MemoSQL->setPlainText(QStringLiteral("SELECT * FROM 'data.dbf'"));
        w.EditQueryFields->clear();
        return int(ui::mrOk);
    });
    rtl::TStringList none;
    EXPECT_EQ(ExecuteQueryBuilder(kAlias, QStringLiteral("data.dbf"), &none, fields, false), 5);
    EXPECT_TRUE(okEnabled);
    EXPECT_EQ(fields, QString());
}

TEST_F(QueryBuilderTest, FieldsValuesConditionsAndStatementFromTheWindow)
{
    QString fields;
    QStringList listed, redValues, idValues;
    bool numberForId = false, characterForColor = false;
    const int count = runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        listed = items(*w.ListFields);
        chooseField(w, QStringLiteral("COLOR"));
        form.ListFieldsClick();
        redValues = items(*w.ListVals);
        characterForColor = w.RB_Character->isChecked();
        w.ListVals->setCurrentRow(redValues.indexOf(QStringLiteral("red")));
        form.BtnCondsClick();                      // (COLOR='red')
        form.BtnAddAtribClick();
        chooseField(w, QStringLiteral("ID"));
        form.ListFieldsClick();                    // narrowed by the red condition
        idValues = items(*w.ListVals);
        numberForId = w.RB_Number->isChecked();
        form.BtnAddAtribClick();
        w.CBoper->setCurrentIndex(int(TQueryOperator::In));
        selectValues(w, {QStringLiteral("3"), QStringLiteral("1")});
        form.BtnCondsClick();                      // (ID IN (1,3))
        w.CBoper->setCurrentIndex(int(TQueryOperator::Between));
        selectValues(w, {QStringLiteral("1")});
        dialogs.expectMessage(QStringLiteral("Kvantifikátor vyžaduje vybrání dvou hodnot pro dotaz."));
        form.BtnCondsClick();
        w.CBdistinct->setChecked(true);
        form.BtnSQLClick();
        return int(ui::mrOk);
    });
    EXPECT_EQ(listed, (QStringList{"ID", "COLOR", "T", "NAME"})); // no memo
    EXPECT_EQ(redValues, (QStringList{"", "blue", "green", "red"}));
    EXPECT_TRUE(characterForColor);
    EXPECT_EQ(idValues, (QStringList{"1", "3"}));
    EXPECT_TRUE(numberForId);
    EXPECT_EQ(fields, QStringLiteral("COLOR,ID"));
    EXPECT_EQ(count, 2);
    std::unique_ptr<rtl::TStringList> lines;
    GetQuerySQL(FormSetQuery, lines);
    EXPECT_EQ(lines->Lines(), (QStringList{"SELECT DISTINCT COLOR,ID FROM 'data.dbf'", "WHERE ((COLOR='red') AND (ID IN (1,3)))"}));
}

// Mended: a quote inside a chosen value was not doubled and broke the statement.
TEST_F(QueryBuilderTest, ValueWithQuoteFindsItsRecord)
{
    QString fields = QStringLiteral("*");
    const int count = runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        chooseField(w, QStringLiteral("NAME"));
        form.ListFieldsClick();
        w.ListVals->setCurrentItem(w.ListVals->findItems(QStringLiteral("O'Brien"), Qt::MatchExactly).value(0));
        form.BtnCondsClick();
        form.BtnSQLClick();
        return int(ui::mrOk);
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(FormSetQuery->Query().FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
}

// Mended: a picked date was written as the list shows it (31.01.24), which the engine never
// matched.
TEST_F(QueryBuilderTest, PickedDatesFindTheirRecordsInACzechLocale)
{
    rtl::SetFormatLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    exec(QStringLiteral("CREATE TABLE 'days.dbf' (ID DECIMAL(4,0), D DATE)"));
    for (const char *row : {"1, '2024-01-31'", "2, '1999-12-31'", "3, '2024-01-31'", "4, NULL", "5, '2024-02-01'"})
        exec(QStringLiteral("INSERT INTO 'days.dbf' VALUES (%1)").arg(QLatin1String(row)));
    QStringList listed;
    dialogs.expectModal([&](QDialog &dialog) {
        auto &form = dynamic_cast<TFormSetQuery &>(dialog);
        Ui::TFormSetQuery &w = form.form();
        chooseField(w, QStringLiteral("D"));
        form.ListFieldsClick();
        listed = items(*w.ListVals);
        w.CBoper->setCurrentIndex(int(TQueryOperator::In));
        selectValues(w, {QStringLiteral("31.12.1999"), QStringLiteral("31.01.2024")});
        form.BtnCondsClick();
        w.CBoper->setCurrentIndex(int(TQueryOperator::Less));
        w.ListVals->setCurrentRow(int(listed.indexOf(QStringLiteral("01.02.2024"))));
        form.BtnCondsClick();
        form.BtnSQLClick();
        return int(ui::mrOk);
    });
    QString fields = QStringLiteral("ID");
    EXPECT_EQ(ExecuteQueryBuilder(kAlias, QStringLiteral("days.dbf"), nullptr, fields, false), 3);
    EXPECT_EQ(listed, (QStringList{"", "31.12.1999", "31.01.2024", "01.02.2024"}));
    std::unique_ptr<rtl::TStringList> lines;
    GetQuerySQL(FormSetQuery, lines);
    EXPECT_EQ(lines->Lines().value(1), QStringLiteral("WHERE ((D IN ('1999-12-31','2024-01-31')) AND (D<'2024-02-01'))"));
}

// Mended: a picked number was listed with 15 digits (123456789.123457), which no record held.
TEST_F(QueryBuilderTest, PickedNumberOfSeventeenDigitsFindsItsRecord)
{
    exec(QStringLiteral("CREATE TABLE 'prec.dbf' (ID DECIMAL(4,0), PREC DECIMAL(17,9))"));
    exec(QStringLiteral("INSERT INTO 'prec.dbf' VALUES (1, '123456789.123456789')"));
    exec(QStringLiteral("INSERT INTO 'prec.dbf' VALUES (2, '0.5')"));
    dialogs.expectModal([&](QDialog &dialog) {
        auto &form = dynamic_cast<TFormSetQuery &>(dialog);
        Ui::TFormSetQuery &w = form.form();
        chooseField(w, QStringLiteral("PREC"));
        form.ListFieldsClick();
        w.ListVals->setCurrentRow(1);
        form.BtnCondsClick();
        form.BtnSQLClick();
        return int(ui::mrOk);
    });
    QString fields = QStringLiteral("ID");
    EXPECT_EQ(ExecuteQueryBuilder(kAlias, QStringLiteral("prec.dbf"), nullptr, fields, false), 1);
    EXPECT_EQ(FormSetQuery->Query().FieldByName(QStringLiteral("ID"))->AsInteger(), 1);
}

TEST_F(QueryBuilderTest, MissingChoicesAreWarnedInCzech)
{
    QString fields;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        dialogs.expectMessage(QStringLiteral("Nebyl vybrán atribut pro dotaz."));
        form.BtnCondsClick();
        dialogs.expectMessage(QStringLiteral("Nebyl vybrán atribut pro dotaz."));
        form.SpeedButton1Click();
        chooseField(w, QStringLiteral("ID"));
        dialogs.expectMessage(QStringLiteral("Nebyla vybrána hodnota pro dotaz."));
        form.BtnCondsClick();
        w.CBoper->setCurrentIndex(int(TQueryOperator::In));
        dialogs.expectMessage(QStringLiteral("Nebyla vybrána alespoň 1 hodnota pro dotaz."));
        form.BtnCondsClick();
        dialogs.expectMessage(QStringLiteral("Kvantifikátor nemožno použít v podmíněném dotazu."));
        form.SpeedButton1Click();
        dialogs.expectMessage(QStringLiteral("Doplnit pole \"Výběr pro\""));
        form.BtnSQLClick();
        dialogs.expectMessage(QStringLiteral("Doplnit pole \"Výběr pro\""));
        form.MemoSQLDblClick();
        EXPECT_EQ(w.ListConds->count(), 0);
        EXPECT_EQ(w.MemoSQL->toPlainText(), QString());
        return int(ui::mrCancel);
    });
    for (const auto &shown : dialogs.shown()) {
        if (shown.kind == QLatin1String("message")) {
            EXPECT_EQ(shown.type, ui::TMsgDlgType::mtWarning);
        }
    }
}

TEST_F(QueryBuilderTest, ParameterConditionTemplateAndClipboard)
{
    QString fields = QStringLiteral("ID");
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        chooseField(w, QStringLiteral("COLOR"));
        form.ListFieldsDblClick();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("COLOR"));
        form.SpeedButton1Click();
        w.CBoper->setCurrentIndex(int(TQueryOperator::Between));
        chooseField(w, QStringLiteral("ID"));
        form.SpeedButton1Click();
        EXPECT_EQ(items(*w.ListConds), (QStringList{"(COLOR=:COLOR_)", "(ID BETWEEN :ID_1 AND :ID_2)"}));
        form.ListFieldsClick(); // parameter conditions do not narrow the values
        EXPECT_EQ(w.ListVals->count(), 5);
        w.ListVals->setCurrentRow(1);
        form.ListValsDblClick();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("2"));
        form.MemoSQLDblClick();
        EXPECT_EQ(memo(w), (QStringList{"SELECT ID FROM 'data.dbf'", "WHERE "}));
        EXPECT_TRUE(w.BtnOK->isEnabled());
        w.MemoSQL->clear();
        EXPECT_FALSE(w.BtnOK->isEnabled());
        return int(ui::mrCancel);
    });
}

TEST_F(QueryBuilderTest, ConditionsAreEditedAndDeleted)
{
    QString fields;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        w.ListConds->addItems({"(A=1)", "(B=2)", "(C=3)"});
        form.M_Edit1Click(); // nothing current: nothing asked
        w.ListConds->setCurrentRow(0);
        dialogs.expectInput(QStringLiteral("(A=5)"));
        form.M_Edit1Click();
        w.ListConds->setCurrentRow(1);
        dialogs.expectInput(QString(), false); // Cancel keeps the condition
        form.M_Edit1Click();
        w.ListConds->setCurrentRow(2);
        dialogs.expectInput(QString());
        form.M_Edit1Click();
        EXPECT_EQ(items(*w.ListConds), (QStringList{"(A=5)", "(B=2)"}));
        w.ListConds->setCurrentRow(0);
        form.M_Delete1Click();
        EXPECT_EQ(items(*w.ListConds), (QStringList{"(B=2)"}));
        return int(ui::mrCancel);
    });
    ASSERT_EQ(dialogs.shown().size(), 4u); // the builder, then three input boxes
    EXPECT_EQ(dialogs.shown()[1].title, QStringLiteral("Výběrová podmínka"));
    EXPECT_EQ(dialogs.shown()[1].text, QString());
}

TEST_F(QueryBuilderTest, RelationDialogAddsEqualityThatNarrowsValues)
{
    exec(QStringLiteral("CREATE TABLE 'pairs.dbf' (A DECIMAL(4,0), B DECIMAL(4,0))"));
    for (const char *row : {"1, 1", "2, 3", "4, 4"})
        exec(QStringLiteral("INSERT INTO 'pairs.dbf' VALUES (%1)").arg(QLatin1String(row)));
    QStringList firstList, valuesOfA;
    bool okAtStart = true, okWithOne = true;
    QString fields = QStringLiteral("*");
    dialogs.expectModal([&](QDialog &dialog) {
        auto &form = dynamic_cast<TFormSetQuery &>(dialog);
        auto &w = form.form();
        dialogs.expectModal([&](QDialog &relationDialog) {
            auto &relation = dynamic_cast<TFormSetRelation &>(relationDialog);
            EXPECT_EQ(FormSetRelation, &relation);
            EXPECT_EQ(relation.windowTitle(), QStringLiteral("Nastavení relace (rovnosti)"));
            firstList = items(*relation.form().ListBox1);
            okAtStart = relation.form().BtnOk->isEnabled();
            relation.form().ListBox1->setCurrentRow(0);
            okWithOne = relation.form().BtnOk->isEnabled();
            relation.form().ListBox2->setCurrentRow(1);
            relation.BtnOkClick();
            return relation.result();
        });
        form.BtnRelationClick();
        dialogs.expectModal([](QDialog &) { return int(ui::mrCancel); });
        form.BtnRelationClick();
        chooseField(w, QStringLiteral("A"));
        form.ListFieldsClick();
        valuesOfA = items(*w.ListVals);
        form.BtnSQLClick();
        return int(ui::mrOk);
    });
    EXPECT_EQ(ExecuteQueryBuilder(kAlias, QStringLiteral("pairs.dbf"), nullptr, fields, false), 2);
    EXPECT_EQ(firstList, (QStringList{"A", "B"}));
    EXPECT_FALSE(okAtStart);
    EXPECT_FALSE(okWithOne);
    EXPECT_EQ(valuesOfA, (QStringList{"1", "4"}));
    std::unique_ptr<rtl::TStringList> lines;
    GetQuerySQL(FormSetQuery, lines);
    EXPECT_EQ(lines->Lines(), (QStringList{"SELECT * FROM 'pairs.dbf'", "WHERE (A=B)"}));
}

TEST(RelationDialog, SameFieldTwiceAndCancel)
{
    ScriptedDialogs dialogs;
    rtl::TStringList fields(QStringList{"X", "Y"});
    dialogs.expectModal([](QDialog &dialog) {
        auto &relation = dynamic_cast<TFormSetRelation &>(dialog);
        relation.form().ListBox1->setCurrentRow(1);
        relation.form().ListBox2->setCurrentRow(1);
        relation.BtnOkClick();
        return relation.result();
    });
    QString term = QStringLiteral("old");
    EXPECT_TRUE(SetRelation(fields, term));
    EXPECT_EQ(term, QStringLiteral("(Y=Y)"));
    dialogs.expectModal([](QDialog &) { return int(ui::mrCancel); });
    EXPECT_FALSE(SetRelation(fields, term));
    EXPECT_EQ(term, QString());
    EXPECT_EQ(FormSetRelation, nullptr);
}

// At the width of its layout (256 pixels) the title bar cut the caption to "Nastavení …
// (rovnosti)"; the lists and buttons stay centred in the wider dialog.
TEST(RelationDialog, WideEnoughForItsCaption)
{
    TFormSetRelation dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Nastavení relace (rovnosti)"));
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int iconAndThreeButtons = 100;
    EXPECT_GE(dialog.width(), QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + iconAndThreeButtons)
        << "the title bar would elide the caption";
    const QRect lists = dialog.form().ListBox1->geometry().united(dialog.form().ListBox2->geometry());
    EXPECT_LE(std::abs(lists.left() - (dialog.width() - 1 - lists.right())), 2);
    const QRect buttons = dialog.form().BtnOk->geometry().united(dialog.form().BtnCancel->geometry());
    EXPECT_LE(std::abs(buttons.center().x() - lists.center().x()), 3);
}

// Tab walks through the lists without choosing anything; the arrow keys and the mouse choose.
TEST(RelationDialog, TabChoosesNoFieldAndOkWaitsForTheUsersChoice)
{
    ScriptedDialogs dialogs;
    rtl::TStringList fields(QStringList{"START", "ID"});
    QString term = QStringLiteral("old");
    dialogs.expectModal([](QDialog &dialog) {
        auto &relation = dynamic_cast<TFormSetRelation &>(dialog);
        auto &w = relation.form();
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
        EXPECT_EQ(QApplication::focusWidget(), w.ListBox1) << "the window opens with the focus in the first list";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w.ListBox2);
        EXPECT_EQ(w.ListBox1->currentRow(), -1);
        EXPECT_EQ(w.ListBox2->currentRow(), -1);
        EXPECT_FALSE(w.BtnOk->isEnabled());
        QTest::keyClick(w.ListBox2, Qt::Key_Down);
        EXPECT_EQ(w.ListBox2->currentRow(), 0);
        EXPECT_FALSE(w.BtnOk->isEnabled());
        QTest::keyClick(w.ListBox2, Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(w.ListBox1->currentRow(), -1);
        QTest::keyClick(w.ListBox1, Qt::Key_Down);
        QTest::keyClick(w.ListBox1, Qt::Key_Down);
        EXPECT_TRUE(w.BtnOk->isEnabled());
        w.BtnOk->click();
        return relation.result();
    });
    EXPECT_TRUE(SetRelation(fields, term));
    EXPECT_EQ(term, QStringLiteral("(ID=START)"));
}

TEST_F(QueryBuilderTest, TabThroughTheListsListsNoValuesAndAddsNoCondition)
{
    QString fields;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        w.ListFields->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w.ListFields, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), w.ListVals);
        EXPECT_EQ(w.ListFields->currentRow(), -1);
        EXPECT_EQ(w.ListVals->count(), 0) << "no field was chosen whose values could be listed";

        QTest::keyClick(w.ListVals, Qt::Key_Tab, Qt::ShiftModifier);
        QTest::keyClick(w.ListFields, Qt::Key_Down);
        EXPECT_EQ(w.ListFields->currentItem()->text(), QStringLiteral("ID"));
        EXPECT_EQ(w.ListVals->count(), 5);
        QTest::keyClick(w.ListFields, Qt::Key_Tab);
        EXPECT_EQ(w.ListVals->currentRow(), -1);
        dialogs.expectMessage(QStringLiteral("Nebyla vybrána hodnota pro dotaz."));
        w.BtnConds->click();
        EXPECT_EQ(w.ListConds->count(), 0);
        w.ListConds->addItem(QStringLiteral("(ID=1)"));
        w.ListConds->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(w.ListConds->currentRow(), -1);
        form.M_Delete1Click();
        EXPECT_EQ(w.ListConds->count(), 1) << "Delete acts on a condition the user chose";
        return int(ui::mrCancel);
    });
}

TEST_F(QueryBuilderTest, QueryFilesAreNumberedSavedAndLoaded)
{
    QString fields;
    QStringList messages;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        w.MemoSQL->setPlainText(QStringLiteral("SELECT * FROM 'data.dbf'\nWHERE (ID<3)"));
        dialogs.expectDirectory(dir.path() + QLatin1Char('/'));
        dialogs.expectMessage(QStringLiteral("Dotaz uložen do souboru ") + dir.filePath(QStringLiteral("data_0.sql")));
        form.PopSaveClick();
        dialogs.expectDirectory(dir.path());
        dialogs.expectMessage(QStringLiteral("Dotaz uložen do souboru ") + dir.filePath(QStringLiteral("data_1.sql")));
        form.PopSaveClick();
        QFile::remove(dir.filePath(QStringLiteral("data_0.sql")));
        dialogs.expectDirectory(dir.path());
        dialogs.expectMessage(QStringLiteral("data_0.sql"));
        form.PopSaveClick();
        w.MemoSQL->clear();
        dialogs.expectFile(dir.filePath(QStringLiteral("data_1.sql")));
        form.PopLoadClick();
        EXPECT_EQ(memo(w), (QStringList{"SELECT * FROM 'data.dbf'", "WHERE (ID<3)"}));
        EXPECT_EQ(dialogs.lastFileDialog()->Title, QStringLiteral("Načíst dotaz"));
        EXPECT_EQ(dialogs.lastFileDialog()->Filter, QStringLiteral("Dotaz SQL|*.sql|Všechny soubory|*.*"));
        return int(ui::mrCancel);
    });
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("data_0.sql"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("data_1.sql"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("data_2.sql"))));
}

TEST_F(QueryBuilderTest, TableViewEditsTheTableThroughTheNavigator)
{
    QString fields;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        form.BtnShowTableClick();
        EXPECT_EQ(w.BtnShowTable->text(), QStringLiteral("Skrýt tabulku"));
        EXPECT_FALSE(w.DBGrid->isHidden());
        EXPECT_FALSE(w.DBNavigator->isHidden());
        QAbstractItemModel *model = w.DBGrid->model();
        EXPECT_EQ(model->rowCount(), 5);
        EXPECT_EQ(model->columnCount(), 5);
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("COLOR"));
        EXPECT_EQ(model->index(2, 3).data().toString(), QStringLiteral("Čížek"));
        ui::TDBNavigator &nav = *w.DBNavigator;
        EXPECT_FALSE(nav.button(ui::TDBNavigator::nbPrior)->isEnabled());
        nav.BtnClick(ui::TDBNavigator::nbLast);
        EXPECT_EQ(w.DBGrid->currentIndex().row(), 4);
        EXPECT_FALSE(nav.button(ui::TDBNavigator::nbNext)->isEnabled());
        nav.BtnClick(ui::TDBNavigator::nbPrior);
        EXPECT_TRUE(model->setData(model->index(3, 1), QStringLiteral("black")));
        EXPECT_TRUE(nav.button(ui::TDBNavigator::nbPost)->isEnabled());
        nav.BtnClick(ui::TDBNavigator::nbPost);
        nav.BtnClick(ui::TDBNavigator::nbInsert);
        EXPECT_EQ(model->rowCount(), 6);
        model->setData(model->index(5, 0), QStringLiteral("6"));
        nav.BtnClick(ui::TDBNavigator::nbCancel);
        EXPECT_EQ(model->rowCount(), 5);
        nav.BtnClick(ui::TDBNavigator::nbInsert);
        model->setData(model->index(5, 0), QStringLiteral("9"));
        model->setData(model->index(5, 1), QStringLiteral("white"));
        nav.BtnClick(ui::TDBNavigator::nbPost);
        nav.BtnClick(ui::TDBNavigator::nbFirst);
        dialogs.expectMessage(QStringLiteral("Delete record?"), ui::mrYes);
        nav.BtnClick(ui::TDBNavigator::nbDelete);
        EXPECT_EQ(model->rowCount(), 5);
        form.resize(700, 600);
        form.FormResize(); // the window is not shown: no resize event
        EXPECT_EQ(w.DBGrid->width(), 700 + 8 - 13);
        form.BtnShowTableClick();
        EXPECT_TRUE(w.DBGrid->isHidden());
        EXPECT_EQ(w.BtnShowTable->text(), QStringLiteral("Zobrazit tabulku"));
        EXPECT_EQ(form.height(), 240 - 28);
        EXPECT_FALSE(form.Table().Active());
        return int(ui::mrCancel);
    });
    QString all = QStringLiteral("*");
    EXPECT_EQ(run({"SELECT ID,COLOR FROM 'data.dbf' ORDER BY ID"}, all), 5);
    db::TQuery &query = FormSetQuery->Query();
    QStringList rows;
    for (query.First(); !query.Eof(); query.Next())
        rows << query.Fields()[0].AsString() + QLatin1Char('=') + query.Fields()[1].AsString();
    EXPECT_EQ(rows, (QStringList{"2=blue", "3=red", "4=black", "5=green", "9=white"}));
}

TEST_F(QueryBuilderTest, RefusedValueInTheGridIsReportedAndNotStored)
{
    QString fields;
    runShown(fields, [&](TFormSetQuery &form, Ui::TFormSetQuery &w) {
        form.BtnShowTableClick();
        dialogs.expectMessage(QStringLiteral("abc"));
        EXPECT_FALSE(w.DBGrid->model()->setData(w.DBGrid->model()->index(0, 0), QStringLiteral("abc")));
        w.DBNavigator->BtnClick(ui::TDBNavigator::nbCancel);
        EXPECT_EQ(w.DBGrid->model()->index(0, 0).data().toString(), QStringLiteral("1"));
        return int(ui::mrCancel);
    });
}

TEST_F(QueryBuilderTest, LiveRequestGivesAnEditableResult)
{
    QString fields;
    const int count = runShown(fields, [&](TFormSetQuery &, Ui::TFormSetQuery &w) {
        w.MemoSQL->setPlainText(QStringLiteral("SELECT * FROM 'data.dbf' WHERE (ID=2)"));
        w.CB_RequestLive->setChecked(true);
        return int(ui::mrOk);
    });
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(FormSetQuery->Query().CanModify());
}

} // namespace
