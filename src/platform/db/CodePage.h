#pragma once
// Character data of table files: the code page a dBASE language-driver byte names, and text
// conversion in both directions.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace db {

class CodePage
{
public:
    /// The code page named by a dBASE language-driver byte. 0xC8 (code page 1250) is the
    /// program's own and also stands for 0 and for bytes that name no code page iconv knows.
    static const CodePage &forLanguageDriver(uint8_t driver);
    /// A code page by its iconv name; nullptr when iconv does not know it.
    static const CodePage *byName(const char *iconvName);
    /// The code page a .cpg file beside a table names ("UTF-8", "1252", "ANSI 1250",
    /// "88592", "ISO-8859-2", ...); nullptr when it names none iconv knows.
    static const CodePage *byCpgText(const QByteArray &text);

    static constexpr uint8_t ProgramLanguageDriver = 0xC8;

    const char *name() const { return m_name.c_str(); }

    QString decode(const char *data, int length) const;
    /// Encodes `text`; false when a character has no byte in this code page.
    bool encode(const QString &text, QByteArray &out) const;

    explicit CodePage(const char *iconvName);

private:
    bool buildSingleByteTables();

    std::string m_name;
    bool m_singleByte = false;
    std::array<char16_t, 256> m_toUnicode{};
    std::vector<uint8_t> m_fromUnicode; // 65536 entries, 0 = not representable (0 itself maps to 0)
};

} // namespace db
