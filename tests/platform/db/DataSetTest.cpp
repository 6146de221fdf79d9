// Tables and queries as the program drives them: moving, editing, appending, finding records,
// fields read and written in the program's terms, and the database aliases.

#include "DbTestSupport.h"
#include "LocaleGuard.h"

#include "platform/db/DatabaseError.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

using namespace db;

namespace {

class DataSet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder.exec("CREATE TABLE 'data.dbf' (ID DECIMAL(4,0), NAME CHAR(6), FACTOR DECIMAL(9,5), CLAS CHAR(4), NOTE MEMO)");
        for (int id : {3, 1, 2, 1})
            folder.exec(QStringLiteral("INSERT INTO 'data.dbf' (ID, NAME) VALUES (%1, 'n%1')").arg(id));
    }

    void TearDown() override { rtl::SetFormatLocale(QLocale::c()); }

    DbFolder folder;
};

QStringList namesOf(TDataSet &dataSet, const char *field)
{
    QStringList values;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next())
        values << dataSet.FieldByName(field)->AsString();
    return values;
}

} // namespace

TEST_F(DataSet, MovingThroughRecords)
{
    auto table = folder.table("data");
    table->Open();
    EXPECT_EQ(table->RecordCount(), 4);
    EXPECT_TRUE(table->Bof());
    EXPECT_FALSE(table->Eof());
    EXPECT_EQ(namesOf(*table, "NAME"), (QStringList{"n3", "n1", "n2", "n1"}));
    EXPECT_TRUE(table->Eof());
    EXPECT_EQ(table->RecNo(), 4); // Next on the last record keeps it current
    table->Prior();
    EXPECT_EQ(table->RecNo(), 3);
    table->Last();
    EXPECT_TRUE(table->Eof());
    table->SetRecNo(2);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);

    folder.exec("DELETE FROM 'data.dbf'");
    table->Refresh();
    EXPECT_TRUE(table->IsEmpty());
    EXPECT_TRUE(table->Eof());
    EXPECT_TRUE(table->Bof());
    EXPECT_EQ(table->RecNo(), 0);
}

TEST_F(DataSet, EditPostAndCancel)
{
    auto table = folder.table("data");
    table->Open();
    EXPECT_THROW(table->FieldByName("NAME")->SetAsString("x"), EDatabaseError); // not in edit mode
    table->Edit();
    table->FieldByName("NAME")->SetAsString("edited");
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("edited"));
    table->Cancel();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("n3"));
    table->Edit();
    table->FieldByName("FACTOR")->SetAsFloat(0.31623);
    table->Post();
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName("FACTOR")->AsFloat(), 0.31623);
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("n3"));
}

TEST_F(DataSet, MovingOnStoresTheEdit)
{
    // The factor write-back edits each record and moves on without Post.
    auto query = folder.query("SELECT * FROM 'data.dbf'\nWHERE (ID<3)");
    query->SetRequestLive(true);
    query->Open();
    ASSERT_TRUE(query->CanModify());
    for (query->First(); !query->Eof(); query->Next()) {
        query->Edit();
        query->FieldByName("FACTOR")->SetAsFloat(2.5);
    }
    query->Close();
    auto table = folder.table("data");
    table->Open();
    EXPECT_EQ(namesOf(*table, "FACTOR"), (QStringList{"", "2.5", "2.5", "2.5"}));
}

TEST_F(DataSet, CloseDropsAnEditNotPosted)
{
    auto table = folder.table("data");
    table->Open();
    table->Edit();
    table->FieldByName("NAME")->SetAsString("lost");
    table->Close();
    table->Open();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("n3"));
}

TEST_F(DataSet, AppendWritesOnlyOnPost)
{
    auto table = folder.table("data");
    table->Open();
    const QByteArray before = folder.bytes("data.dbf");
    table->Append();
    table->FieldByName("ID")->SetAsInteger(7);
    table->Cancel();
    EXPECT_EQ(folder.bytes("data.dbf"), before);
    table->Append();
    table->FieldByName("ID")->SetAsString("7");
    table->FieldByName("NAME")->SetAsString("seven");
    table->Post();
    EXPECT_EQ(table->RecordCount(), 5);
    EXPECT_EQ(table->RecNo(), 5);
    auto query = folder.query("SELECT NAME FROM data WHERE ID = 7");
    query->Open();
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("seven"));
}

TEST_F(DataSet, EditOfAnEmptyResultStartsANewRecord)
{
    // The output-table memo is written with Edit even when the key selects no record.
    auto query = folder.query("SELECT * FROM 'data.dbf' WHERE ID= :ID");
    query->SetRequestLive(true);
    query->Prepare();
    query->ParamByName("ID").SetDataType(ftInteger);
    query->ParamByName("ID").SetText("12");
    query->Open();
    EXPECT_EQ(query->RecordCount(), 0);
    query->Edit();
    EXPECT_EQ(query->State(), dsInsert);
    rtl::TStringList results(QStringList{"log=0", "class_A=(n 12; std 0.0412; avg 1.25)"});
    query->FieldByName("NOTE")->Assign(results);
    query->Post();
    query->Close();

    auto table = folder.table("data");
    table->Open();
    table->Last();
    EXPECT_TRUE(table->FieldByName("ID")->IsNull()); // the new record receives only the memo
    EXPECT_EQ(table->FieldByName("NOTE")->AsString(), QStringLiteral("log=0\r\nclass_A=(n 12; std 0.0412; avg 1.25)\r\n"));
    rtl::TStringList lines;
    table->FieldByName("NOTE")->AssignTo(lines);
    EXPECT_EQ(lines.Lines(), results.Lines());
}

TEST_F(DataSet, MemoRewriteKeepsOtherMemos)
{
    auto table = folder.table("data");
    table->Open();
    table->Edit();
    table->FieldByName("NOTE")->SetAsString("first");
    table->Next();
    table->Edit();
    table->FieldByName("NOTE")->SetAsString(QString(2000, QLatin1Char('m')));
    table->Post();
    table->First();
    table->Edit();
    table->FieldByName("NOTE")->SetAsString("first, longer now");
    table->Post();
    table->Edit();
    table->FieldByName("NAME")->SetAsString("other"); // a memo not assigned keeps its blocks
    table->Post();
    table->Close();
    table->Open();
    EXPECT_EQ(namesOf(*table, "NOTE").mid(0, 2), (QStringList{"first, longer now", QString(2000, QLatin1Char('m'))}));
}

// A memo rewritten with a text that fits its blocks stays in them, so that repeated updates do
// not grow the memo file; a longer text moves to fresh blocks and leaves the others alone.
TEST_F(DataSet, RewrittenMemoReusesItsBlocks)
{
    folder.exec("UPDATE 'data.dbf' SET NOTE = 'first text ' || ID");
    const qint64 size = QFileInfo(folder.path("data.dbt")).size();
    folder.exec("UPDATE 'data.dbf' SET NOTE = 'second ' || ID");
    folder.exec("UPDATE 'data.dbf' SET NOTE = printf('%.510c', 'a')"); // with its two end marks, one block
    EXPECT_EQ(QFileInfo(folder.path("data.dbt")).size(), size);
    folder.exec("UPDATE 'data.dbf' SET NOTE = printf('%.511c', 'b') WHERE ID = 2");
    EXPECT_EQ(QFileInfo(folder.path("data.dbt")).size(), size + 1024);
    auto table = folder.table("data");
    table->Open();
    EXPECT_EQ(namesOf(*table, "NOTE"), (QStringList{QString(510, QLatin1Char('a')), QString(510, QLatin1Char('a')), QString(511, QLatin1Char('b')), QString(510, QLatin1Char('a'))}));
}

// dBASE IV memos carry their length: a shorter text goes back into the old blocks.
TEST(DbfMemoReuse, DBase4MemoRewrittenInPlace)
{
    DbFolder folder;
    std::vector<int> blocks;
    folder.writeBytes("four.dbt", dBase4Memo(64, {QByteArray(100, 'x'), "beta"}, blocks));
    DbfImage image;
    image.version = 0x8B;
    image.fields = {{"ID", 'N', 4}, {"NOTE", 'M', 10}};
    for (int i = 0; i < 2; ++i)
        image.records.push_back(QByteArray(" ") + QByteArray::number(i + 1).rightJustified(4) + QByteArray::number(blocks[size_t(i)]).rightJustified(10));
    folder.writeBytes("four.dbf", image.bytes());
    const QByteArray memoBefore = folder.bytes("four.dbt");
    folder.exec("UPDATE four SET NOTE = 'gamma' WHERE ID = 1");
    EXPECT_EQ(folder.bytes("four.dbt").size(), memoBefore.size());
    EXPECT_EQ(folder.bytes("four.dbf"), image.bytes()) << "the references stay";
    auto query = folder.query("SELECT NOTE FROM four ORDER BY ID");
    query->Open();
    EXPECT_EQ(namesOf(*query, "NOTE"), (QStringList{"gamma", "beta"}));
}

// Two datasets on one table: an edit of a record the other one deleted meanwhile is refused
// instead of being written into the deleted record, where it would be lost.
namespace {

void postAfterOtherDeleted(DbFolder &folder, const char *name)
{
    SCOPED_TRACE(name);
    auto editing = folder.table(name);
    auto deleting = folder.table(name);
    editing->Open();
    deleting->Open();
    editing->SetRecNo(2);
    deleting->SetRecNo(2);
    editing->Edit();
    editing->FieldByName("NAME")->SetAsString("edited");
    deleting->Delete();
    EXPECT_THROW(editing->Post(), EDatabaseError);
    editing->Cancel();
    editing->Close();
    auto fresh = folder.table(name);
    fresh->Open();
    EXPECT_EQ(namesOf(*fresh, "NAME"), (QStringList{"n3", "n2", "n1"}));
}

} // namespace

TEST_F(DataSet, PostIntoARecordAnotherDataSetDeletedIsRefused)
{
    folder.exec("CREATE TABLE 'para.db' (ID INTEGER, NAME CHAR(6))");
    folder.exec("INSERT INTO 'para.db' SELECT ID, NAME FROM 'data.dbf'");
    postAfterOtherDeleted(folder, "data");
    postAfterOtherDeleted(folder, "para.db");
}

TEST_F(DataSet, LocateFindsTheFirstMatchAndFollowsEdits)
{
    auto query = folder.query("SELECT * FROM 'data.dbf'");
    query->SetRequestLive(true);
    query->Open();
    ASSERT_TRUE(query->Locate("ID", 1));
    EXPECT_EQ(query->RecNo(), 2);
    ASSERT_TRUE(query->Locate("ID", QStringLiteral("2")));
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("n2"));
    EXPECT_FALSE(query->Locate("ID", 9));
    EXPECT_EQ(query->RecNo(), 3); // unchanged when nothing is found
    EXPECT_FALSE(query->Locate("ID", QStringLiteral("abc")));

    query->Edit();
    query->FieldByName("ID")->SetAsInteger(9);
    query->Post();
    EXPECT_TRUE(query->Locate("ID", 9));
    EXPECT_FALSE(query->Locate("ID", 2));
    query->Append();
    query->FieldByName("ID")->SetAsInteger(5);
    query->Post();
    query->First();
    ASSERT_TRUE(query->Locate("ID", 5.0));
    EXPECT_EQ(query->RecNo(), 5);
    EXPECT_TRUE(query->Locate("NAME", QStringLiteral("n3")));
    EXPECT_FALSE(query->Locate("NAME", QStringLiteral("N3"))); // text compares exactly
}

TEST_F(DataSet, LocateTellsWholeNumbersBeyondTheDigitsOfADoubleApart)
{
    folder.exec("CREATE TABLE 'big.dbf' (BIG DECIMAL(17,0))");
    folder.exec("INSERT INTO 'big.dbf' VALUES ('9007199254740992')");
    folder.exec("INSERT INTO 'big.dbf' VALUES ('9007199254740993')");
    auto query = folder.query("SELECT * FROM 'big.dbf'");
    query->Open();
    ASSERT_TRUE(query->Locate("BIG", QStringLiteral("9007199254740993")));
    EXPECT_EQ(query->RecNo(), 2);
}

TEST_F(DataSet, ClassificationWriteBackByLocate)
{
    auto query = folder.query("SELECT * FROM 'data.dbf' WHERE (ID<3)");
    query->SetRequestLive(true);
    query->Open();
    for (const auto &[id, clas] : {std::pair{1, "AB"}, std::pair{2, "BBC"}}) {
        ASSERT_TRUE(query->Locate("ID", id));
        query->Edit();
        query->FieldByName("CLAS")->SetAsString(QString::fromLatin1(clas));
        query->Post();
    }
    query->Edit();
    EXPECT_THROW(query->FieldByName("CLAS")->SetAsString("TOOLONG"), EDatabaseError);
    query->Cancel();
    query->Close();
    auto table = folder.table("data");
    table->Open();
    EXPECT_EQ(namesOf(*table, "CLAS"), (QStringList{"", "AB", "BBC", ""}));
}

TEST_F(DataSet, ValueTooLongIsRefusedAtPostAndNothingWritten)
{
    auto table = folder.table("data");
    table->Open();
    const QByteArray before = folder.bytes("data.dbf");
    table->Edit();
    EXPECT_THROW(table->FieldByName("NAME")->SetAsString("far too long"), EDatabaseError);
    table->Cancel();
    table->Append();
    table->FieldByName("FACTOR")->SetAsFloat(1e12);
    EXPECT_THROW(table->Post(), EDatabaseError);
    EXPECT_EQ(table->State(), dsInsert);
    table->Cancel();
    EXPECT_EQ(folder.bytes("data.dbf"), before);
}

TEST_F(DataSet, FieldsConvertWithTheLocale)
{
    rtl::SetFormatLocale(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    auto table = folder.table("data");
    table->Open();
    table->Edit();
    table->FieldByName("FACTOR")->SetAsString("0,5");
    EXPECT_EQ(table->FieldByName("FACTOR")->AsString(), QStringLiteral("0,5"));
    EXPECT_THROW(table->FieldByName("FACTOR")->SetAsString("abc"), rtl::EConvertError);
    EXPECT_THROW(table->FieldByName("ID")->SetAsString("1.5"), rtl::EConvertError);
    table->FieldByName("ID")->SetAsFloat(4.0);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
    table->FieldByName("NAME")->Clear();
    EXPECT_TRUE(table->FieldByName("NAME")->IsNull());
    EXPECT_EQ(table->FieldByName("NAME")->AsFloat(), 0.0);
    table->Post();
    EXPECT_EQ(table->FieldByName("FACTOR")->AsFloat(), 0.5);
    EXPECT_THROW(table->FieldByName("nope"), EDatabaseError);
    EXPECT_EQ(table->FindField("nope"), nullptr);
}

TEST_F(DataSet, ReadOnlyResults)
{
    auto distinct = folder.query("SELECT DISTINCT ID FROM 'data.dbf'");
    distinct->SetRequestLive(true);
    distinct->Open();
    EXPECT_FALSE(distinct->CanModify());
    EXPECT_THROW(distinct->Edit(), EDatabaseError);

    auto plain = folder.query("SELECT * FROM 'data.dbf'");
    plain->Open();
    EXPECT_FALSE(plain->CanModify());

    auto computed = folder.query("SELECT ID, ID*2 AS TWICE FROM 'data.dbf' ORDER BY ID");
    computed->SetRequestLive(true);
    computed->Open();
    ASSERT_TRUE(computed->CanModify());
    computed->Edit();
    EXPECT_THROW(computed->FieldByName("TWICE")->SetAsInteger(1), EDatabaseError);
    computed->FieldByName("ID")->SetAsInteger(8);
    computed->Post();
    EXPECT_EQ(computed->FieldByName("ID")->AsInteger(), 8);
}

TEST_F(DataSet, ReadOnlyFileCannotBeModified)
{
    // The mode bits decide, also for root.
    ::chmod(QFile::encodeName(folder.path("data.dbf")).constData(), 0444);
    auto table = folder.table("data");
    table->Open();
    EXPECT_FALSE(table->CanModify());
    EXPECT_THROW(table->Edit(), EDatabaseError);
    EXPECT_THROW(folder.exec("DELETE FROM 'data.dbf'"), EDatabaseError);
}

TEST_F(DataSet, InterruptedAppendLeavesAValidTable)
{
    // An append cut off after its record but before the header: the header still counts the
    // old records, and the next append takes the place of the orphan.
    QByteArray bytes = folder.bytes("data.dbf");
    bytes.chop(1);
    bytes += QByteArray(" 99orphan").leftJustified(1 + 4 + 6 + 9 + 4 + 10, ' ');
    folder.writeBytes("data.dbf", bytes);
    auto table = folder.table("data");
    table->Open();
    EXPECT_EQ(table->RecordCount(), 4);
    table->Append();
    table->FieldByName("ID")->SetAsInteger(5);
    table->Post();
    table->Close();
    table->Open();
    EXPECT_EQ(namesOf(*table, "ID"), (QStringList{"3", "1", "2", "1", "5"}));
}

TEST_F(DataSet, DeleteRemovesTheRecord)
{
    auto table = folder.table("data");
    table->Open();
    table->SetRecNo(2);
    table->Delete();
    EXPECT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("n2"));
    table->Close();
    table->Open();
    EXPECT_EQ(namesOf(*table, "NAME"), (QStringList{"n3", "n2", "n1"}));
}

TEST(Database, AliasesAndPaths)
{
    DbFolder first(QStringLiteral("DBFtables"));
    first.exec("CREATE TABLE 'one.dbf' (ID INTEGER)");
    DbFolder second(QStringLiteral("stat"));

    TTable table;
    table.SetDatabaseName("dbftables");
    table.SetTableName("One.DBF");
    table.Open();
    EXPECT_TRUE(table.Active());
    EXPECT_THROW(table.SetTableName("x"), EDatabaseError);

    // Closing the database closes its datasets; a new PATH takes effect on the next connect.
    first.database().Close();
    EXPECT_FALSE(table.Active());
    first.database().Params().SetValues("PATH", second.path());
    first.database().Open();
    EXPECT_THROW(table.Open(), EDatabaseError);

    TDatabase duplicate;
    duplicate.SetDatabaseName("STAT");
    EXPECT_THROW(duplicate.Open(), EDatabaseError);
    TQuery unknown;
    unknown.SetDatabaseName("nowhere");
    unknown.SQL().Add("SELECT 1");
    EXPECT_THROW(unknown.Open(), EDatabaseError);

    // Without a database name, names are paths.
    TQuery byPath;
    byPath.SQL().Add(QStringLiteral("SELECT * FROM '%1'").arg(first.path("one.dbf")));
    byPath.Open();
    EXPECT_EQ(byPath.RecordCount(), 0);
    TTable tableByPath;
    tableByPath.SetTableName(first.path("ONE"));
    rtl::TStringList names;
    tableByPath.GetFieldNames(names);
    EXPECT_EQ(names.Lines(), QStringList{"ID"});
}

TEST(Params, ValuesFromTextByTypeCode)
{
    struct Case
    {
        int code;
        const char *text;
        QVariant value;
    };
    const Case cases[] = {
        {1, "abc", QStringLiteral("abc")},
        {2, "-12", qlonglong(-12)},
        {3, "12", qlonglong(12)},
        {4, "65535", qlonglong(65535)},
        {5, "0", false},
        {5, "2", true},
        {5, "True", true},
        {5, "false", false},
        {6, "0.95", 0.95},
        {9, "2021-03-04", QDate(2021, 3, 4)},
        {10, "10:30:00", QTime(10, 30)},
        {7, "3.5", QVariant()},
        {15, "x", QVariant()},
    };
    for (const Case &c : cases) {
        TParam param(QStringLiteral("KEY"));
        param.SetDataType(TFieldType(c.code));
        param.SetText(QString::fromLatin1(c.text));
        EXPECT_EQ(param.Value(), c.value) << c.code << " " << c.text;
        EXPECT_EQ(param.DataType(), TFieldType(c.code));
        EXPECT_TRUE(param.Bound());
    }
    for (const auto &[code, text] : {std::pair{3, "x"}, std::pair{6, "1,2,3"}, std::pair{5, "yes"}, std::pair{2, "70000"}, std::pair{9, "soon"}}) {
        TParam param(QStringLiteral("KEY"));
        param.SetDataType(TFieldType(code));
        EXPECT_ANY_THROW(param.SetText(QString::fromLatin1(text))) << code << " " << text;
    }
}

// Qt reads a two-digit year as 19xx; people mean the year within 50 years of today. Shown, a
// date keeps all four digits, so that it reads back as itself.
TEST(Params, TwoDigitYearsNameTheYearWithinFiftyYearsOfToday)
{
    LocaleGuard czech(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const int latest = QDate::currentDate().year() + 50;
    auto dateOf = [](const QString &text) {
        TParam param(QStringLiteral("D"));
        param.SetDataType(ftDate);
        param.SetText(text);
        return param.Value().toDate().toString(Qt::ISODate).toStdString();
    };
    auto twoDigits = [](int year) { return QStringLiteral("%1").arg(year % 100, 2, 10, QLatin1Char('0')); };
    auto iso = [](int year, const char *monthAndDay) { return std::to_string(year) + monthAndDay; };
    EXPECT_EQ(dateOf(QStringLiteral("01.02.24")), "2024-02-01");
    EXPECT_EQ(dateOf(QStringLiteral("31.12.") + twoDigits(latest)), iso(latest, "-12-31"));
    EXPECT_EQ(dateOf(QStringLiteral("01.01.") + twoDigits(latest + 1)), iso(latest - 99, "-01-01"));
    EXPECT_EQ(dateOf(QStringLiteral("01.02.1924")), "1924-02-01");
    TParam shown(QStringLiteral("D"));
    shown.SetAsDate(QDate(1924, 2, 1));
    EXPECT_EQ(shown.AsString().toStdString(), "01.02.1924");
}

TEST(CriticalValues, RowsFoundByExactNumberAndLevel)
{
    const double levels[] = {0.05, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.95, 0.99};
    for (const char *alphaType : {"DECIMAL(3,2)", "DECIMAL(17,15)", "FLOAT"}) {
        DbFolder folder(QStringLiteral("stat"));
        folder.exec(QStringLiteral("CREATE TABLE 'Normal.dbf' (NMB DECIMAL(6,0), ITERS DECIMAL(10,0), ALPHA %1, VAL FLOAT)")
                        .arg(QLatin1String(alphaType)));
        // The statement as the statistics window builds it, on a name in other letter case.
        auto query = folder.query("SELECT * FROM 'normal.dbf' WHERE (NMB = :NMB) AND (ALPHA = :ALPHA)");
        query->SetRequestLive(true);
        query->Prepare();
        query->Params()[0].SetDataType(ftInteger);
        query->Params()[1].SetDataType(ftFloat);
        for (int pass = 0; pass < 2; ++pass) {
            for (double level : levels) {
                query->Close();
                query->ParamByName("NMB").SetAsInteger(5);
                query->ParamByName("ALPHA").SetAsFloat(level);
                query->Open();
                if (pass == 0) {
                    ASSERT_EQ(query->RecordCount(), 0) << alphaType << " " << level;
                    query->Append();
                    query->FieldByName("NMB")->SetAsInteger(5);
                    query->FieldByName("ALPHA")->SetAsFloat(level);
                    query->FieldByName("ITERS")->SetAsInteger(100004);
                    query->FieldByName("VAL")->SetAsFloat(level * 3.1);
                    query->Post();
                } else {
                    ASSERT_EQ(query->RecordCount(), 1) << alphaType << " " << level;
                    EXPECT_EQ(query->FieldByName("ITERS")->AsInteger(), 100004);
                    EXPECT_NEAR(query->FieldByName("VAL")->AsFloat(), level * 3.1, 1e-10);
                }
            }
        }
        query->Close();
    }
}
