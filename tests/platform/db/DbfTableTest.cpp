// dBASE files: reading what other writers make, writing what other readers take, and refusing
// damaged files with a clear error instead of crashing.

#include "CommaLocale.h"
#include "DbTestSupport.h"

#include "platform/db/DatabaseError.h"
#include "platform/db/DbfTable.h"

#include <QDate>

#include <charconv>
#include <random>

using namespace db;

namespace {

DbfImage sampleImage()
{
    DbfImage image;
    image.fields = {{"NAME", 'C', 8}, {"AMOUNT", 'N', 8, 2}, {"RATIO", 'F', 12, 4}, {"BORN", 'D', 8}, {"OK", 'L', 1}};
    // flag, NAME(8), AMOUNT(8), RATIO(12), BORN(8), OK(1)
    image.records = {
        QByteArray(" ") + "Anna    " + "   12.50" + "      0.2500" + "19991231" + "T",
        QByteArray("*") + "Deleted " + "    1.00" + "      1.0000" + "20000101" + "F",
        QByteArray(" ") + "        " + "        " + "            " + "        " + "?",
        QByteArray(" ") + "  lead  " + "   -3.25" + "     -1.5e3 " + "00000000" + "n",
    };
    return image;
}

// Reads every value of every record, as the program's readers do.
void readAll(TDataSet &dataSet)
{
    dataSet.First();
    while (!dataSet.Eof()) {
        for (int i = 0; i < dataSet.Fields().Count(); ++i)
            (void)dataSet.Fields()[i].AsString();
        dataSet.Next();
    }
}

} // namespace

TEST(DbfRead, ValuesOfEveryTypeAndDeletedRecordsSkipped)
{
    DbFolder folder;
    folder.writeBytes("sample.dbf", sampleImage().bytes());
    auto table = folder.table("SAMPLE");
    table->Open();
    ASSERT_EQ(table->RecordCount(), 3);
    EXPECT_EQ(table->FieldByName("name")->DataType(), ftString);
    EXPECT_EQ(table->FieldByName("amount")->DataType(), ftFloat);
    EXPECT_EQ(table->FieldByName("born")->DataType(), ftDate);
    EXPECT_EQ(table->FieldByName("ok")->DataType(), ftBoolean);

    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("Anna"));
    EXPECT_EQ(table->FieldByName("AMOUNT")->AsFloat(), 12.5);
    EXPECT_EQ(table->FieldByName("RATIO")->AsFloat(), 0.25);
    EXPECT_EQ(table->FieldByName("BORN")->Value().toDate(), QDate(1999, 12, 31));
    EXPECT_TRUE(table->FieldByName("OK")->AsBoolean());

    table->Next();
    for (const char *name : {"NAME", "AMOUNT", "RATIO", "BORN", "OK"})
        EXPECT_TRUE(table->FieldByName(name)->IsNull()) << name;

    table->Next();
    EXPECT_EQ(table->FieldByName("NAME")->AsString(), QStringLiteral("  lead")); // leading blanks are data
    EXPECT_EQ(table->FieldByName("RATIO")->AsFloat(), -1500.0);
    EXPECT_FALSE(table->FieldByName("OK")->AsBoolean());
    EXPECT_FALSE(table->FieldByName("OK")->IsNull());
    table->Next();
    EXPECT_TRUE(table->Eof());
}

TEST(DbfRead, CharacterDataDecodedByLanguageDriver)
{
    struct Case
    {
        uint8_t driver;
        QByteArray bytes;
        QString text;
        const char *cpg = nullptr; ///< the contents of a .cpg file beside the table
    };
    const Case cases[] = {
        {0xC8, QByteArray("P\xF8\xEDli\x9A", 6), QStringLiteral("Příliš")},     // code page 1250
        {0x00, QByteArray("\x9E\x9Dlu", 4), QStringLiteral("žťlu")},            // none given: 1250
        {0x57, QByteArray("caf\xE9 \x80", 6), QStringLiteral("café €")},        // code page 1252
        {0x03, QByteArray("\xFC\xDF", 2), QStringLiteral("üß")},
        {0x65, QByteArray("\x8C\xA8\xE0", 3), QStringLiteral("Мир")},          // code page 866
        {0x7B, QByteArray("\x93\xFA\x96\x7B", 4), QStringLiteral("日本")},       // code page 932, two bytes a character
        // No driver byte: a .cpg file (GDAL, shapefile tools) names the code page.
        {0x00, QByteArray("\xC5\xBElu\xC5\xA5", 6), QStringLiteral("žluť"), "UTF-8\r\n"},
        {0x00, QByteArray("\xA5", 1), QStringLiteral("¥"), "1252"},
        {0x00, QByteArray("\xB1\xE6", 2), QStringLiteral("ąć"), "88592"},
        {0x00, QByteArray("\xA5", 1), QStringLiteral("Ą"), "no such code page"},
        {0xC8, QByteArray("\xA5", 1), QStringLiteral("Ą"), "1252"}, // the driver byte wins
    };
    for (const Case &c : cases) {
        DbFolder folder;
        DbfImage image;
        image.languageDriver = c.driver;
        image.fields = {{"TEXT", 'C', 10}};
        image.records = {" " + c.bytes};
        folder.writeBytes("t.dbf", image.bytes());
        if (c.cpg)
            folder.writeBytes("T.CPG", c.cpg);
        auto table = folder.table("t");
        table->Open();
        EXPECT_EQ(table->FieldByName("TEXT")->AsString(), c.text) << int(c.driver) << ' ' << (c.cpg ? c.cpg : "");
    }
}

// dBASE marks a number that overflowed its field with asterisks, and GDAL writes them for empty
// numbers: the value is null, the rest of the column stays readable.
TEST(DbfRead, AsterisksInANumberFieldAreNull)
{
    DbFolder folder;
    DbfImage image;
    image.fields = {{"ID", 'N', 4}, {"X", 'N', 8, 2}};
    image.records = {QByteArray(" ") + "   1" + "********", QByteArray(" ") + "   2" + "    1.50"};
    folder.writeBytes("stars.dbf", image.bytes());
    auto query = folder.query("SELECT ID, X FROM stars ORDER BY ID");
    query->Open();
    EXPECT_TRUE(query->FieldByName("X")->IsNull());
    query->Next();
    EXPECT_EQ(query->FieldByName("X")->AsFloat(), 1.5);
    auto sum = folder.query("SELECT SUM(X) AS S FROM stars");
    sum->Open();
    EXPECT_EQ(sum->FieldByName("S")->AsFloat(), 1.5);
}

// Clipper-style writers keep the high byte of a long character field's length in the decimals
// byte. The record length tells that reading from a plain field with a stray decimals byte;
// a header that fits neither is refused.
TEST(DbfRead, LongCharacterFieldsOfClipperStyleWriters)
{
    DbFolder folder;
    DbfImage clipper;
    clipper.fields = {{"LONG", 'C', 300, 1}, {"N", 'N', 4}};
    clipper.records = {QByteArray(" ") + QByteArray(299, 'x') + "y" + "  42"};
    folder.writeBytes("clip.dbf", clipper.bytes());
    DbfImage stray;
    stray.fields = {{"NAME", 'C', 5, 3}, {"N", 'N', 4}};
    stray.records = {QByteArray(" ") + "abcde" + "  42"};
    folder.writeBytes("stray.dbf", stray.bytes());
    QByteArray neither = clipper.bytes();
    neither[10] = char(neither[10] + 1); // the record length
    folder.writeBytes("neither.dbf", neither);

    auto table = folder.table("clip");
    table->Open();
    EXPECT_EQ(table->FieldByName("LONG")->AsString(), QString(299, QLatin1Char('x')) + QLatin1Char('y'));
    EXPECT_EQ(table->FieldByName("N")->AsInteger(), 42);
    table->Edit();
    table->FieldByName("LONG")->SetAsString(QString(300, QLatin1Char('z')));
    table->Post();
    table->Close();
    folder.exec("ALTER TABLE clip ADD EXTRA INTEGER"); // the rebuilt file keeps the length
    table->Open();
    EXPECT_EQ(table->FieldByName("LONG")->AsString(), QString(300, QLatin1Char('z')));
    EXPECT_EQ(table->FieldByName("N")->AsInteger(), 42);
    table->Close();

    auto plain = folder.table("stray");
    plain->Open();
    EXPECT_EQ(plain->FieldByName("NAME")->AsString(), QStringLiteral("abcde"));
    EXPECT_EQ(plain->FieldByName("N")->AsInteger(), 42);
    EXPECT_THROW(folder.table("neither")->Open(), EDatabaseError);
}

TEST(DbfRead, DBase4MemosWithTheHeadersBlockSize)
{
    for (int blockSize : {64, 512, 1024}) {
        DbFolder folder;
        std::vector<int> blocks;
        const QByteArray longText = QByteArray(3 * blockSize, 'x') + "\r\nend";
        folder.writeBytes("m.dbt", dBase4Memo(blockSize, {"first line\r\nsecond line", longText}, blocks));
        DbfImage image;
        image.version = 0x8B;
        image.fields = {{"ID", 'N', 3}, {"NOTE", 'M', 10}};
        image.records = {"  1" + QByteArray::number(blocks[0]).rightJustified(10, ' '),
                         "  2" + QByteArray::number(blocks[1]).rightJustified(10, ' '),
                         QByteArray("  3          ")};
        folder.writeBytes("m.dbf", image.bytes().replace(0, 1, "\x8B"));
        auto table = folder.table("m");
        table->Open();
        rtl::TStringList lines;
        table->FieldByName("NOTE")->AssignTo(lines);
        EXPECT_EQ(lines.Lines(), (QStringList{"first line", "second line"})) << blockSize;
        table->Next();
        EXPECT_EQ(table->FieldByName("NOTE")->AsString(), QString::fromLatin1(longText)) << blockSize;
        table->Next();
        EXPECT_TRUE(table->FieldByName("NOTE")->IsNull());
    }
}

TEST(DbfRead, DBase3MemoEndsAtItsMark)
{
    DbFolder folder;
    QByteArray memo(512, '\0');
    memo[0] = 3;
    memo += QByteArray("one\r\ntwo\x1A\x1A").leftJustified(512, '\0');
    memo += QByteArray(600, 'y') + "\x1A\x1A"; // a memo over two blocks, the file not padded
    folder.writeBytes("m.dbt", memo);
    DbfImage image;
    image.version = 0x83;
    image.fields = {{"NOTE", 'M', 10}};
    image.records = {QByteArray("          1"), QByteArray("          2")};
    folder.writeBytes("m.dbf", image.bytes());
    auto table = folder.table("M.DBF");
    table->Open();
    EXPECT_EQ(table->FieldByName("NOTE")->AsString(), QStringLiteral("one\r\ntwo"));
    table->Next();
    EXPECT_EQ(table->FieldByName("NOTE")->AsString(), QString(600, QLatin1Char('y')));
}

// A damaged file gives EDatabaseError on opening or reading, never a crash or a hang.
struct DamageCase
{
    const char *name;
    std::function<void(QByteArray &table, QByteArray &memo)> damage;
};

class DbfDamage : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(DbfDamage, RaisesDatabaseError)
{
    DbFolder folder;
    DbfImage image;
    image.version = 0x83;
    image.fields = {{"ID", 'N', 4}, {"NAME", 'C', 6}, {"DAY", 'D', 8}, {"NOTE", 'M', 10}};
    image.records = {QByteArray("    1ab    20200101         1")};
    QByteArray table = image.bytes();
    QByteArray memo(512, '\0');
    memo[0] = 2;
    memo += QByteArray("text\x1A\x1A").leftJustified(512, '\0');
    GetParam().damage(table, memo);
    folder.writeBytes("d.dbf", table);
    folder.writeBytes("d.dbt", memo);
    auto dataSet = folder.table("d");
    EXPECT_THROW({
        dataSet->Open();
        readAll(*dataSet);
    }, EDatabaseError);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DbfDamage,
    ::testing::Values(
        DamageCase{"EmptyFile", [](QByteArray &t, QByteArray &) { t.clear(); }},
        DamageCase{"HeaderCut", [](QByteArray &t, QByteArray &) { t.truncate(20); }},
        DamageCase{"FieldListCut", [](QByteArray &t, QByteArray &) { t.truncate(70); }},
        DamageCase{"RecordsCut", [](QByteArray &t, QByteArray &) { t.chop(10); }},
        DamageCase{"CountPastData", [](QByteArray &t, QByteArray &) { t[4] = char(0xFF); t[5] = char(0xFF); }},
        DamageCase{"HugeCount", [](QByteArray &t, QByteArray &) { t[7] = char(0x7F); }},
        DamageCase{"HeaderLengthPastEnd", [](QByteArray &t, QByteArray &) { t[8] = char(0xFF); t[9] = char(0xFF); }},
        DamageCase{"HeaderLengthTooSmall", [](QByteArray &t, QByteArray &) { t[8] = 10; t[9] = 0; }},
        DamageCase{"RecordLengthZero", [](QByteArray &t, QByteArray &) { t[10] = 0; t[11] = 0; }},
        DamageCase{"RecordShorterThanFields", [](QByteArray &t, QByteArray &) { t[10] = 5; }},
        DamageCase{"NoFieldTerminator", [](QByteArray &t, QByteArray &) { t[32 * 5] = 'X'; }},
        DamageCase{"FieldLengthZero", [](QByteArray &t, QByteArray &) { t[32 + 16] = 0; }},
        DamageCase{"DateFieldOfWrongLength", [](QByteArray &t, QByteArray &) { t[32 * 3 + 16] = 3; }},
        DamageCase{"NumberTooWide", [](QByteArray &t, QByteArray &) { t[32 + 16] = char(200); }},
        DamageCase{"DuplicateFieldName", [](QByteArray &t, QByteArray &) { t.replace(64, 4, "ID\0\0", 4); }},
        DamageCase{"UnsupportedVersion", [](QByteArray &t, QByteArray &) { t[0] = 0x30; }},
        DamageCase{"GarbageNumber", [](QByteArray &t, QByteArray &) { t.replace(t.indexOf("   1ab"), 4, "1x2y"); }},
        DamageCase{"GarbageDate", [](QByteArray &t, QByteArray &) { t.replace(t.indexOf("20200101"), 8, "2020AB01"); }},
        DamageCase{"MemoPointerPastEnd", [](QByteArray &t, QByteArray &) { t.replace(t.lastIndexOf("         1"), 10, "    999999"); }},
        DamageCase{"MemoPointerNotNumber", [](QByteArray &t, QByteArray &) { t.replace(t.lastIndexOf("         1"), 10, "       abc"); }},
        DamageCase{"MemoFileMissingHeader", [](QByteArray &, QByteArray &m) { m.truncate(10); }},
        DamageCase{"DBase4MemoLengthPastEnd", [](QByteArray &, QByteArray &m) { m.replace(512, 8, QByteArray("\xFF\xFF\x08\x00\xFF\xFF\xFF\x7F", 8)); }}),
    [](const ::testing::TestParamInfo<DamageCase> &info) { return std::string(info.param.name); });

TEST(DbfDamage, MissingMemoFileIsReported)
{
    DbFolder folder;
    DbfImage image;
    image.version = 0x83;
    image.fields = {{"NOTE", 'M', 10}};
    folder.writeBytes("nomemo.dbf", image.bytes());
    auto table = folder.table("nomemo");
    EXPECT_THROW(table->Open(), EDatabaseError);
}

// Qt takes the C library's locale from the environment; a Czech user's decimal comma must not
// reach the file, where every other reader (and this one) expects a point.
TEST(DbfWrite, NumbersHaveADecimalPointInACommaLocale)
{
    const CommaLocale comma;
    ASSERT_TRUE(comma.active()) << "no cs_CZ.UTF-8 locale: the locales package is missing";
    DbFolder folder;
    folder.exec("CREATE TABLE t (ID INTEGER, X DECIMAL(6,3), Y FLOAT)");
    folder.exec("INSERT INTO t VALUES (1, 1.5, 0.25)");
    auto table = folder.table("t");
    table->Open();
    table->Append();
    table->FieldByName("X")->SetAsFloat(-2.125);
    table->Post();
    table->Close();

    const int headerLength = 32 + 3 * 32 + 1;
    const int recordLength = 1 + 11 + 8 + 20;
    const QByteArray file = folder.bytes("t.dbf");
    EXPECT_EQ(file.mid(headerLength, recordLength), QByteArray(" ") + "          1" + "   1.500" + "        0.2500000000");
    EXPECT_EQ(file.mid(headerLength + recordLength + 1 + 11, 8), QByteArray("  -2.125"));

    auto query = folder.query("SELECT X, Y FROM t WHERE ID = 1");
    query->Open();
    EXPECT_EQ(query->FieldByName("X")->AsFloat(), 1.5);
    EXPECT_EQ(query->FieldByName("Y")->AsFloat(), 0.25);
}

// Numbers are read on a quick path for short decimals; every text must give the double the
// standard library's correctly rounded conversion gives.
TEST(DbfRead, NumbersReadAsTheirCorrectlyRoundedDouble)
{
    std::mt19937 random(5);
    DbfImage image;
    image.fields = {{"X", 'N', 20, 0}};
    std::vector<QByteArray> texts;
    for (int i = 0; i < 3000; ++i) {
        const int digits = 1 + int(random() % 18);
        QByteArray text = random() % 2 ? "-" : "";
        for (int d = 0; d < digits; ++d)
            text += char('0' + random() % 10);
        if (random() % 4 != 0)
            text.insert(text.size() - int(random() % uint32_t(digits)), '.');
        texts.push_back(text);
        image.records.push_back(" " + text.rightJustified(20));
    }
    DbFolder folder;
    folder.writeBytes("numbers.dbf", image.bytes());
    auto table = DbfTable::open(folder.path("numbers.dbf"));
    for (int i = 0; i < int(texts.size()); ++i) {
        double expected = 0;
        std::from_chars(texts[size_t(i)].constData(), texts[size_t(i)].constData() + texts[size_t(i)].size(), expected);
        EXPECT_EQ(table->value(i, 0).toDouble(), expected) << texts[size_t(i)].constData();
    }
}
