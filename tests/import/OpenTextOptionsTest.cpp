// The options of the dialog "Open text file" in the settings store, and the rules for the
// delimiter text and the file dialog.

#include "import/OpenTextOptions.h"

#include "platform/rtl/SettingsStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

namespace {

class OptionsInStore : public ::testing::Test
{
protected:
    void SetUp() override { m_store.open(m_dir.path(), QStringLiteral("settings.ini")); }

    TSettingsAccess access()
    {
        return {[this](const QString &name, QString &value) { return m_store.read(name, value); },
                [this](const QString &name, const QString &value) { return m_store.write(name, value); }};
    }
    void put(const QString &name, const QString &value) { m_store.write(name, value); }
    QString stored(const QString &name)
    {
        QString value;
        m_store.read(name, value);
        return value;
    }

    QTemporaryDir m_dir;
    rtl::SettingsStore m_store;
};

TEST_F(OptionsInStore, EmptyStoreUnchecksAllThreeAndKeepsTheSemicolon)
{
    TOpenTextOptions options;
    LoadOpenTextOptions(access(), options);
    EXPECT_FALSE(options.Ascii);
    EXPECT_FALSE(options.Delimited);
    EXPECT_FALSE(options.Database);
    EXPECT_FALSE(options.VarNames);
    EXPECT_EQ(options.Delimiter, QChar(u';'));
}

TEST_F(OptionsInStore, LastWayReadAsTrueWins)
{
    put(QStringLiteral("fot_ASCII"), QStringLiteral("T"));
    put(QStringLiteral("fot_Delimited"), QStringLiteral("t"));
    put(QStringLiteral("fot_Database"), QStringLiteral("T"));
    put(QStringLiteral("fot_VarNames"), QStringLiteral("T"));
    put(QStringLiteral("fot_OpenedPath"), QStringLiteral("/data/"));
    put(QStringLiteral("fot_Ext"), QStringLiteral(".csv"));
    TOpenTextOptions options;
    LoadOpenTextOptions(access(), options);
    EXPECT_FALSE(options.Ascii);
    EXPECT_FALSE(options.Delimited) << "only \"T\" checks";
    EXPECT_TRUE(options.Database);
    EXPECT_TRUE(options.VarNames);
    EXPECT_EQ(options.LastDir, QStringLiteral("/data/"));
    EXPECT_EQ(options.LastExt, QStringLiteral(".csv"));
}

TEST_F(OptionsInStore, DelimiterCodeReadByItsLowByte)
{
    const std::pair<const char *, QChar> cases[] = {
        {"9", u'\t'}, {"44", u','}, {"265", u'\t'}, {"154", u'š'}, {"comma", u';'}, {"", u';'}};
    for (const auto &[text, delimiter] : cases) {
        put(QStringLiteral("fot_ASCII"), QStringLiteral("T"));
        put(QStringLiteral("fot_Character"), QString::fromLatin1(text));
        TOpenTextOptions options;
        LoadOpenTextOptions(access(), options);
        EXPECT_EQ(options.Delimiter, delimiter) << text;
    }
}

TEST_F(OptionsInStore, SavedAsTextsAndReadBack)
{
    TOpenTextOptions options;
    options.CheckDelimited(true);
    options.Delimiter = u'\t';
    options.VarNames = true;
    options.LastDir = QStringLiteral("/home/u/data/");
    options.LastExt = QStringLiteral(".txt");
    SaveOpenTextOptions(access(), options);
    EXPECT_EQ(stored(QStringLiteral("fot_ASCII")), QStringLiteral("F"));
    EXPECT_EQ(stored(QStringLiteral("fot_Delimited")), QStringLiteral("T"));
    EXPECT_EQ(stored(QStringLiteral("fot_Character")), QStringLiteral("9"));
    EXPECT_EQ(stored(QStringLiteral("fot_VarNames")), QStringLiteral("T"));
    EXPECT_EQ(stored(QStringLiteral("fot_Database")), QStringLiteral("F"));
    EXPECT_EQ(stored(QStringLiteral("fot_OpenedPath")), QStringLiteral("/home/u/data/"));
    EXPECT_EQ(stored(QStringLiteral("fot_Ext")), QStringLiteral(".txt"));

    TOpenTextOptions read;
    LoadOpenTextOptions(access(), read);
    EXPECT_FALSE(read.Ascii);
    EXPECT_TRUE(read.Delimited);
    EXPECT_EQ(read.Delimiter, QChar(u'\t'));
}

TEST(OptionsWithoutStore, NothingReadAndNothingWrittenAfterTheFirstRefusal)
{
    std::vector<QString> asked;
    TSettingsAccess closed{[&](const QString &name, QString &value) {
                               asked.push_back(name);
                               value.clear();
                               return false;
                           },
                           [&](const QString &name, const QString &) {
                               asked.push_back(name);
                               return false;
                           }};
    TOpenTextOptions options;
    options.CheckDelimited(true);
    LoadOpenTextOptions(closed, options);
    EXPECT_TRUE(options.Delimited) << "the options stay as they were";
    SaveOpenTextOptions(closed, options);
    EXPECT_EQ(asked, (std::vector<QString>{"fot_ASCII", "fot_ASCII"}));
}

TEST(OpenTextWays, CheckingOneUnchecksTheOthersUncheckingChangesNothingElse)
{
    TOpenTextOptions options;
    options.CheckDatabase(true);
    EXPECT_FALSE(options.Ascii);
    options.CheckDatabase(false);
    EXPECT_FALSE(options.Ascii || options.Delimited || options.Database);
    options.CheckAscii(true);
    options.CheckDelimited(true);
    EXPECT_TRUE(options.Delimited);
    EXPECT_FALSE(options.Ascii);
}

struct DelimiterCase
{
    const char *name;
    QString text;
    QString error;
    QString editText;
    QString label;
};

class DelimiterText : public ::testing::TestWithParam<DelimiterCase>
{
};

TEST_P(DelimiterText, GivesTheCharacterOrTheMessage)
{
    const TDelimiterText parsed = ParseDelimiterText(GetParam().text);
    EXPECT_EQ(parsed.Error, GetParam().error);
    if (parsed.Error.isEmpty()) {
        EXPECT_EQ(parsed.EditText, GetParam().editText);
        EXPECT_EQ(DelimiterLabel(parsed.Delimiter), GetParam().label);
    }
}

const QString kBadCode = QStringLiteral("Error of delimiter specification (must be #+ACSII code of the character)");

INSTANTIATE_TEST_SUITE_P(
    Texts, DelimiterText,
    ::testing::Values(DelimiterCase{"Semicolon", ";", "", ";", "Delimiter (59)"},
                      DelimiterCase{"HashNineIsTab", "#9", "", "\t", "Delimiter (9)"},
                      DelimiterCase{"HashCodeOfALetterOfTheTables", "#154", "", QStringLiteral("š"), "Delimiter (154)"},
                      DelimiterCase{"TwoLettersUseTheFirst", "ab", "", "ab", "Delimiter (97)"},
                      DelimiterCase{"HashLetter", "#a", kBadCode, "", ""},
                      DelimiterCase{"HashAlone", "#", kBadCode, "", ""},
                      DelimiterCase{"CharacterOutsideTheTablesCodePage", QStringLiteral("→"), kBadCode, "", ""},
                      DelimiterCase{"Empty", "", "Delimiter was not specified", "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(OpenFileDialog, FilterByLastExtensionElseByTheWayOfReading)
{
    TOpenTextOptions options;
    EXPECT_EQ(OpenFilterIndex(options), 1);
    options.CheckDelimited(true);
    EXPECT_EQ(OpenFilterIndex(options), 2);
    options.CheckDatabase(true);
    EXPECT_EQ(OpenFilterIndex(options), 3);
    const std::pair<const char *, int> byExtension[] = {{".txt", 1}, {".csv", 2}, {".dbf", 3}, {".TXT", 4}, {".msk", 4}};
    for (const auto &[extension, index] : byExtension) {
        options.LastExt = QString::fromLatin1(extension);
        EXPECT_EQ(OpenFilterIndex(options), index) << extension;
    }
}

TEST(OpenFileDialog, ExtensionOfTheChosenFileInLowerCase)
{
    EXPECT_EQ(LowerExtensionOf(QStringLiteral("/data/run.1/a.TXT")), QStringLiteral(".txt"));
    EXPECT_EQ(LowerExtensionOf(QStringLiteral("/data/run.1/noext")), QString());
}

} // namespace
