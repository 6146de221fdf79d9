// Paradox tables through pxlib: created by CREATE TABLE, filled by INSERT and by datasets,
// changed and read back by a fresh pxlib document.

#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/ParadoxTable.h"

#include <QDate>
#include <QFile>

using namespace db;

TEST(Paradox, CreateFillUpdateReadBack)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'people.db' (ID INTEGER, NAME CHAR(12), X FLOAT, BORN DATE, OK BOOLEAN, N SMALLINT)");
    folder.exec("INSERT INTO 'people.db' (ID, NAME, X, BORN, OK, N) VALUES (1, 'Žofie', 0.95, '2001-02-03', 1, 7)");
    auto table = folder.table("people.db");
    table->Open();
    for (int id = 2; id <= 4; ++id) {
        table->Append();
        table->FieldByName("ID")->SetAsInteger(id);
        table->FieldByName("NAME")->SetAsString(QStringLiteral("n%1").arg(id));
        table->FieldByName("X")->SetAsFloat(id / 3.0);
        table->Post();
    }
    table->Close();

    auto live = folder.query("SELECT * FROM 'people.db' WHERE (ID = :ID)");
    live->SetRequestLive(true);
    live->ParamByName("ID").SetAsInteger(3);
    live->Open();
    ASSERT_EQ(live->RecordCount(), 1);
    live->Edit();
    live->FieldByName("NAME")->SetAsString("three");
    live->Post();
    live->Close();
    folder.exec("UPDATE 'people.db' SET OK = 0 WHERE ID > 2");
    folder.exec("DELETE FROM 'people.db' WHERE ID = 2");

    auto store = ParadoxTable::open(folder.path("people.db"));
    ASSERT_EQ(store->slotCount(), 3);
    EXPECT_EQ(store->value(0, 1).toString(), QStringLiteral("Žofie"));
    EXPECT_EQ(store->value(0, 2).toDouble(), 0.95);
    EXPECT_EQ(store->value(0, 3).toDate(), QDate(2001, 2, 3));
    EXPECT_EQ(store->value(0, 4).toBool(), true);
    EXPECT_EQ(store->value(0, 5).toLongLong(), 7);
    EXPECT_EQ(store->value(1, 0).toLongLong(), 3);
    EXPECT_EQ(store->value(1, 1).toString(), QStringLiteral("three"));
    EXPECT_EQ(store->value(1, 2).toDouble(), 1.0);
    EXPECT_EQ(store->value(1, 4).toBool(), false);
    EXPECT_EQ(store->value(2, 2).toDouble(), 4 / 3.0);
    EXPECT_TRUE(store->value(2, 3).isNull());

    store.reset();
    auto query = folder.query("SELECT NAME FROM 'People.DB' WHERE (X BETWEEN 0.5 AND 2) ORDER BY NAME");
    query->Open();
    ASSERT_EQ(query->RecordCount(), 3);
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("n4"));
    query->Last();
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("Žofie"));
    query->Close();

    folder.exec("ALTER TABLE 'people.db' ADD NOTE CHAR(5), DROP N");
    auto altered = folder.table("people.db");
    altered->Open();
    rtl::TStringList names;
    altered->GetFieldNames(names);
    EXPECT_EQ(names.Lines(), (QStringList{"ID", "NAME", "X", "BORN", "OK", "NOTE"}));
    EXPECT_EQ(altered->RecordCount(), 3);
    EXPECT_EQ(altered->FieldByName("NAME")->AsString(), QStringLiteral("Žofie"));
    altered->Close();
    folder.exec("DROP TABLE 'people.db'");
    EXPECT_FALSE(QFile::exists(folder.path("people.db")));
}

TEST(Paradox, DefaultDriverGivesTheExtension)
{
    DbFolder folder;
    folder.database().Close();
    folder.database().Params().SetValues("DEFAULT DRIVER", "PARADOX");
    folder.exec("CREATE TABLE plain (ID INTEGER)");
    EXPECT_TRUE(QFile::exists(folder.path("plain.db")));
    folder.exec("INSERT INTO plain (ID) VALUES (5)");
    auto table = folder.table("plain");
    table->Open();
    EXPECT_EQ(table->FieldByName("ID")->DataType(), ftInteger);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 5);
}

TEST(Paradox, RefusalsAndDamage)
{
    DbFolder folder;
    EXPECT_THROW(folder.exec("CREATE TABLE 'p.db' (X CHAR(300))"), EDatabaseError);
    EXPECT_THROW(folder.exec("CREATE TABLE 'p.db' (X MEMO)"), EDatabaseError);
    EXPECT_FALSE(QFile::exists(folder.path("p.db")));
    folder.exec("CREATE TABLE 'p.db' (ID SMALLINT)");
    EXPECT_THROW(folder.exec("INSERT INTO 'p.db' VALUES (40000)"), EDatabaseError);
    folder.writeBytes("junk.db", QByteArray("not a table at all"));
    auto junk = folder.table("junk.db");
    EXPECT_THROW(junk->Open(), EDatabaseError);
}

namespace {

int le16(const QByteArray &bytes, int at) { return uint8_t(bytes[at]) | (uint8_t(bytes[at + 1]) << 8); }

} // namespace

// On disk a blank Number or Currency is all zero bytes and a stored 0 has its sign bit set;
// pxlib hands out both as 0.
TEST(Paradox, BlankNumbersReadAsNullAndStayBlankWhenTheirRecordIsWritten)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'p.db' (N CHAR(3), F NUMERIC(8,2), M MONEY)");
    folder.exec("INSERT INTO 'p.db' (N) VALUES ('a')");
    folder.exec("INSERT INTO 'p.db' (N, F, M) VALUES ('b', 0, 0)");
    auto table = folder.table("p.db");
    table->Open();
    EXPECT_TRUE(table->FieldByName("F")->IsNull());
    EXPECT_TRUE(table->FieldByName("M")->IsNull());
    table->Edit();
    table->FieldByName("N")->SetAsString("x");
    table->Post();
    table->Next();
    EXPECT_FALSE(table->FieldByName("F")->IsNull());
    EXPECT_EQ(table->FieldByName("M")->AsFloat(), 0.0);
    table->Close();

    const QByteArray bytes = folder.bytes("p.db");
    const int recordSize = le16(bytes, 0);
    ASSERT_EQ(recordSize, 3 + 8 + 8);
    const int firstRecord = le16(bytes, 2) + 6; // the first data block follows the header
    auto hex = [&](int at, int length) { return bytes.mid(at, length).toHex().toStdString(); };
    EXPECT_EQ(hex(firstRecord, 3), "780000");
    EXPECT_EQ(hex(firstRecord + 3, 8), "0000000000000000");
    EXPECT_EQ(hex(firstRecord + 11, 8), "0000000000000000");
    EXPECT_EQ(hex(firstRecord + recordSize + 3, 8), "8000000000000000");
    EXPECT_EQ(hex(firstRecord + recordSize + 11, 8), "8000000000000000");

    auto blanks = folder.query("SELECT N FROM 'p.db' WHERE F IS NULL AND M IS NULL");
    blanks->Open();
    ASSERT_EQ(blanks->RecordCount(), 1);
    EXPECT_EQ(blanks->FieldByName("N")->AsString(), QStringLiteral("x"));
}

// pxlib trusts the block and record counts of the header; one changed byte could make its
// open loop for ever. Such files are refused before pxlib sees them.
TEST(Paradox, DamagedHeaderOrBlockListIsRefused)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'big.db' (ID INTEGER, NAME CHAR(40))");
    folder.exec("INSERT INTO 'big.db' (ID, NAME) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                "SELECT i, 'name ' || i FROM n");
    folder.exec("DELETE FROM 'big.db' WHERE ID % 3 = 0");
    const QByteArray good = folder.bytes("big.db");
    {
        auto table = folder.table("big.db");
        table->Open();
        EXPECT_EQ(table->RecordCount(), 200);
    }
    const int headerSize = le16(good, 2);
    const int blockSize = uint8_t(good[5]) * 1024;
    ASSERT_GE(le16(good, 0x0C), 3) << "the table should span several blocks";
    const int secondBlock = headerSize + blockSize;

    struct Damage
    {
        const char *what;
        int offset;
        char value;
    };
    const Damage damages[] = {
        {"encryption, low byte", 0x25, 0x01},  {"encryption, second byte", 0x26, 0x01},
        {"block size", 0x05, 0x20},            {"record size", 0x00, 0x7F},
        {"header size", 0x03, 0x7F},           {"record count", 0x08, 0x01},
        {"block count", 0x0C, 0x7F},           {"first block", 0x0E, 0x40},
        {"last block", 0x10, 0x40},            {"field count", 0x21, 0x09},
        {"field length", 0x78 + 3, 0x05},      {"block list loops", secondBlock, 0x01},
        {"records of a block", secondBlock + 4, 0x7F},
    };
    for (const Damage &damage : damages) {
        QByteArray bad = good;
        bad[damage.offset] = damage.value;
        folder.writeBytes("bad.db", bad);
        auto table = folder.table("bad.db");
        EXPECT_THROW(table->Open(), EDatabaseError) << damage.what;
    }
}
