#include "import/SqlTemplates.h"

#include <gtest/gtest.h>

namespace {

struct TemplateCase
{
    const char *name;
    TSqlTemplate kind;
    QString table;
    QStringList lines;
};

class SqlTemplateText : public ::testing::TestWithParam<TemplateCase>
{
};

TEST_P(SqlTemplateText, WritesTheStatementWithItsPlaceholders)
{
    EXPECT_EQ(SqlTemplateLines(GetParam().kind, GetParam().table), GetParam().lines);
}

const QString kOther = QStringLiteral("/home/eva/other/X.dbf");

INSTANTIATE_TEST_SUITE_P(
    Templates, SqlTemplateText,
    ::testing::Values(
        TemplateCase{"CreateTableNamesANewTableWhateverIsOpen", TSqlTemplate::CreateTable, "data.dbf",
                     {"CREATE TABLE 'new_table.dbf'", "(", ")"}},
        TemplateCase{"AlterTable", TSqlTemplate::AlterTable, "data.dbf", {"ALTER TABLE 'data.dbf'"}},
        TemplateCase{"AlterWithoutTableNamesTheEmptyTable", TSqlTemplate::AlterTable, "", {"ALTER TABLE ''"}},
        TemplateCase{"DropTableOutsideTheFolderByFullPath", TSqlTemplate::DropTable, kOther,
                     {"DROP TABLE '/home/eva/other/X.dbf'"}},
        TemplateCase{"CreateIndex", TSqlTemplate::CreateIndex, "data.dbf",
                     {"CREATE INDEX _indexname_ ON 'data.dbf' (_fields_)"}},
        TemplateCase{"DropIndex", TSqlTemplate::DropIndex, kOther, {"DROP INDEX '/home/eva/other/X.dbf'._indexname_"}},
        TemplateCase{"Delete", TSqlTemplate::Delete, "data.dbf", {"DELETE FROM 'data.dbf'", "WHERE _conditions_"}},
        TemplateCase{"InsertEndsWithValuesAndASpace", TSqlTemplate::Insert, "data.dbf",
                     {"INSERT INTO 'data.dbf'", "(_columns_list_)", "VALUES "}},
        TemplateCase{"UpdateWithoutTable", TSqlTemplate::Update, "", {"UPDATE ''", "SET ", "WHERE _conditions_"}}),
    [](const auto &info) { return std::string(info.param.name); });

// The name the templates give a chosen table: bare only in the database's own folder.
TEST(ChosenTableName, IsBareOnlyInTheDatabasesOwnFolder)
{
    const struct
    {
        const char *directory;
        const char *chosen;
        const char *tableName;
    } cases[] = {
        {"/data/tables/", "/data/tables/Rocks.dbf", "Rocks.dbf"},
        {"/data/tables", "/data/tables/Rocks.dbf", "Rocks.dbf"},
        {"/data/", "/data/tables/Rocks.dbf", "/data/tables/Rocks.dbf"},
        {"/data/tables/", "/data/Rocks.dbf", "/data/Rocks.dbf"},
        {"/data/tab/", "/data/tables/r.dbf", "/data/tables/r.dbf"},
        {"", "/data/r.dbf", "/data/r.dbf"},
        // Folders that differ in letter case alone are two folders here.
        {"/data/Tables/", "/data/tables/r.dbf", "/data/tables/r.dbf"},
        {"/data/Čísla/", "/data/čísla/r.dbf", "/data/čísla/r.dbf"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.directory) + " " + c.chosen);
        EXPECT_EQ(TableNameFor(QString::fromUtf8(c.directory), QString::fromUtf8(c.chosen)), QString::fromUtf8(c.tableName));
    }
}

TEST(FolderOfAFile, EndsWithTheSeparator)
{
    EXPECT_EQ(FolderOf(QStringLiteral("/data/tables/Rocks.dbf")), QStringLiteral("/data/tables/"));
    EXPECT_EQ(FolderOf(QStringLiteral("/Rocks.dbf")), QStringLiteral("/"));
    EXPECT_EQ(FolderOf(QStringLiteral("Rocks.dbf")), QString()) << "a bare name has no folder";
}

} // namespace
