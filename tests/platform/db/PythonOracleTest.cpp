// Interoperability: tables and memos written here are read by Debian's dbfread and dbf
// modules, and tables with memos written by the dbf module are read here.

#include "DbTestSupport.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace db;

namespace {

QString runOracle(const QString &command, const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(QUIBO_SOURCE_DIR "/tests/platform/db/python/dbf_oracle.py"), command, path});
    python.waitForFinished(60000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QString::fromUtf8(python.readAllStandardOutput());
}

} // namespace

TEST(PythonOracle, ReadsTablesAndMemosWeWrite)
{
    DbFolder folder;
    folder.exec("CREATE TABLE 'ours.dbf' (ID INTEGER, NAME CHAR(10), X DECIMAL(8,3), DAY DATE, OK BOOLEAN, NOTE MEMO)");
    auto table = folder.table("ours");
    table->Open();
    const QString longMemo = QString(1200, QLatin1Char('z'));
    struct Row
    {
        int id;
        QString name;
        double x;
        QDate day;
        bool ok;
        QString note;
    };
    const Row rows[] = {
        {1, QStringLiteral("Žluťoučký"), 1.5, QDate(2020, 2, 29), true, QStringLiteral("first\r\nsecond ěščř")},
        {2, QStringLiteral("plain"), -0.125, QDate(1999, 1, 1), false, longMemo},
    };
    for (const Row &row : rows) {
        table->Append();
        table->FieldByName("ID")->SetAsInteger(row.id);
        table->FieldByName("NAME")->SetAsString(row.name);
        table->FieldByName("X")->SetAsFloat(row.x);
        table->FieldByName("DAY")->SetValue(row.day);
        table->FieldByName("OK")->SetAsBoolean(row.ok);
        table->FieldByName("NOTE")->SetAsString(row.note);
        table->Post();
    }
    table->Append();
    table->FieldByName("ID")->SetAsInteger(3);
    table->Post();
    table->First();
    table->Edit();
    table->FieldByName("NOTE")->SetAsString(QStringLiteral("rewritten"));
    table->Post();
    table->Close();

    const QJsonObject result = QJsonDocument::fromJson(runOracle("read", folder.path("ours.dbf")).toUtf8()).object();
    for (const QString &reader : {QStringLiteral("dbfread"), QStringLiteral("dbf")}) {
        const QJsonArray records = result[reader].toArray();
        ASSERT_EQ(records.size(), 3) << reader.toStdString();
        for (int i = 0; i < 2; ++i) {
            const QJsonObject record = records[i].toObject();
            const Row &row = rows[i];
            EXPECT_EQ(record["ID"].toInt(), row.id) << reader.toStdString();
            EXPECT_EQ(record["NAME"].toString(), row.name) << reader.toStdString();
            EXPECT_EQ(record["X"].toDouble(), row.x) << reader.toStdString();
            EXPECT_EQ(record["DAY"].toString(), row.day.toString(Qt::ISODate)) << reader.toStdString();
            EXPECT_EQ(record["OK"].toBool(), row.ok) << reader.toStdString();
            EXPECT_EQ(record["NOTE"].toString(), i == 0 ? QStringLiteral("rewritten") : row.note) << reader.toStdString();
        }
        const QJsonObject blank = records[2].toObject();
        EXPECT_TRUE(blank["NAME"].isNull() || blank["NAME"].toString().isEmpty()) << reader.toStdString();
        EXPECT_TRUE(blank["X"].isNull()) << reader.toStdString();
        EXPECT_TRUE(blank["DAY"].isNull()) << reader.toStdString();
        EXPECT_TRUE(blank["OK"].isNull()) << reader.toStdString();
        EXPECT_TRUE(blank["NOTE"].isNull() || blank["NOTE"].toString().isEmpty()) << reader.toStdString();
    }
}

TEST(PythonOracle, WeReadTablesWithMemosTheyWrite)
{
    DbFolder folder;
    runOracle("write", folder.path("theirs.dbf"));
    auto query = folder.query("SELECT * FROM 'theirs.dbf' ORDER BY AMOUNT");
    query->Open();
    ASSERT_EQ(query->RecordCount(), 3);
    query->First(); // a blank number sorts first
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("empty"));
    EXPECT_TRUE(query->FieldByName("AMOUNT")->IsNull());
    EXPECT_TRUE(query->FieldByName("NOTE")->IsNull());
    EXPECT_TRUE(query->FieldByName("OK")->IsNull());
    query->Next();
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("long"));
    EXPECT_EQ(query->FieldByName("AMOUNT")->AsFloat(), -0.25);
    EXPECT_FALSE(query->FieldByName("OK")->AsBoolean());
    EXPECT_EQ(query->FieldByName("NOTE")->AsString(), QString(1500, QLatin1Char('x')));
    query->Next();
    EXPECT_EQ(query->FieldByName("NAME")->AsString(), QStringLiteral("café crème"));
    EXPECT_EQ(query->FieldByName("BORN")->Value().toDate(), QDate(2001, 2, 3));
    rtl::TStringList lines;
    query->FieldByName("NOTE")->AssignTo(lines);
    EXPECT_EQ(lines.Lines(), (QStringList{"line one", "line two ü"}));
}

// Mended: numbers were held as doubles, so that statements changed digits beyond the 15th
// that they were not asked to change and no condition found a whole number beyond 2^53.
TEST(PythonOracle, NumbersOfEighteenDigitsKeepThem)
{
    DbFolder folder;
    DbfImage image;
    image.fields = {{"BIG", 'N', 18}, {"PREC", 'N', 19, 9}};
    image.records = {" 123456789012345678123456789.123456789", "   9007199254740993       -0.000000000",
                     " -99999999999999999"};
    folder.writeBytes("big.dbf", image.bytes());

    folder.exec("UPDATE 'big.dbf' SET PREC = PREC, BIG = BIG");
    EXPECT_EQ(folder.bytes("big.dbf"), image.bytes());
    auto query = folder.query("SELECT BIG FROM 'big.dbf' WHERE BIG = 9007199254740993");
    query->Open();
    EXPECT_EQ(query->RecordCount(), 1);

    folder.exec("UPDATE 'big.dbf' SET BIG = BIG + 1");
    const QJsonObject result = QJsonDocument::fromJson(runOracle("read", folder.path("big.dbf")).toUtf8()).object();
    for (const QString &reader : {QStringLiteral("dbfread"), QStringLiteral("dbf")}) {
        QList<qint64> big;
        for (const QJsonValue &record : result[reader].toArray())
            big << record.toObject()["BIG"].toInteger();
        EXPECT_EQ(big, (QList<qint64>{123456789012345679, 9007199254740994, -99999999999999998})) << reader.toStdString();
    }
}
