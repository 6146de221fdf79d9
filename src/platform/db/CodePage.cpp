#include "platform/db/CodePage.h"

#include <iconv.h>

#include <QHash>

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>

namespace db {
namespace {

struct DriverEntry
{
    uint8_t driver;
    const char *codePage;
};

// Language-driver bytes as dBASE, its successors and other writers use them.
constexpr DriverEntry kDrivers[] = {
    {0x01, "CP437"}, {0x02, "CP850"}, {0x03, "CP1252"}, {0x04, "MACINTOSH"}, {0x08, "CP865"},
    {0x09, "CP437"}, {0x0A, "CP850"}, {0x0B, "CP437"}, {0x0D, "CP437"}, {0x0E, "CP850"},
    {0x0F, "CP437"}, {0x10, "CP850"}, {0x11, "CP437"}, {0x12, "CP850"}, {0x13, "CP932"},
    {0x14, "CP850"}, {0x15, "CP437"}, {0x16, "CP850"}, {0x17, "CP865"}, {0x18, "CP437"},
    {0x19, "CP437"}, {0x1A, "CP850"}, {0x1B, "CP437"}, {0x1C, "CP863"}, {0x1D, "CP850"},
    {0x1F, "CP852"}, {0x22, "CP852"}, {0x23, "CP852"}, {0x24, "CP860"}, {0x25, "CP850"},
    {0x26, "CP866"}, {0x37, "CP850"}, {0x40, "CP852"}, {0x4D, "CP936"}, {0x4E, "CP949"},
    {0x4F, "CP950"}, {0x50, "CP874"}, {0x57, "CP1252"}, {0x58, "CP1252"}, {0x59, "CP1252"},
    {0x64, "CP852"}, {0x65, "CP866"}, {0x66, "CP865"}, {0x67, "CP861"}, {0x6A, "CP737"},
    {0x6B, "CP857"}, {0x6C, "CP863"}, {0x78, "CP950"}, {0x79, "CP949"}, {0x7A, "CP936"},
    {0x7B, "CP932"}, {0x7C, "CP874"}, {0x7D, "CP1255"}, {0x7E, "CP1256"}, {0x86, "CP737"},
    {0x87, "CP852"}, {0x88, "CP857"}, {0x96, "MACCYRILLIC"}, {0x97, "MACCENTRALEUROPE"},
    {0x98, "MACGREEK"}, {0xC8, "CP1250"}, {0xC9, "CP1251"}, {0xCA, "CP1254"}, {0xCB, "CP1253"},
    {0xCC, "CP1257"},
};

bool iconvKnows(const char *name)
{
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == iconv_t(-1))
        return false;
    iconv_close(cd);
    return true;
}

// Converts with iconv; false on a character the target cannot hold.
bool convert(const char *to, const char *from, const char *data, size_t length, QByteArray &out)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return false;
    out.resize(qsizetype(length * 4 + 16));
    char *in = const_cast<char *>(data);
    size_t inLeft = length;
    char *target = out.data();
    size_t outLeft = size_t(out.size());
    const size_t result = iconv(cd, &in, &inLeft, &target, &outLeft);
    const int error = errno;
    iconv_close(cd);
    if (result == size_t(-1)) {
        errno = error; // tells an incomplete sequence (EINVAL) from an invalid byte (EILSEQ)
        return false;
    }
    out.resize(out.size() - qsizetype(outLeft));
    return true;
}

std::mutex &registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

} // namespace

CodePage::CodePage(const char *iconvName) : m_name(iconvName)
{
    m_singleByte = buildSingleByteTables();
}

bool CodePage::buildSingleByteTables()
{
    for (int byte = 0; byte < 256; ++byte) {
        const char in = char(byte);
        QByteArray out;
        if (!convert("UTF-16LE", m_name.c_str(), &in, 1, out)) {
            if (byte < 0x80 || errno == EINVAL)
                return false; // a multi-byte code page: a lead byte does not stand alone
            // An unassigned byte keeps its value as code point, so that it survives a round trip.
            m_toUnicode[byte] = char16_t(byte);
            continue;
        }
        if (out.size() != 2)
            return false;
        m_toUnicode[byte] = char16_t(uint8_t(out[0]) | (uint8_t(out[1]) << 8));
    }
    m_fromUnicode.assign(65536, 0);
    for (int byte = 255; byte > 0; --byte)
        m_fromUnicode[m_toUnicode[byte]] = uint8_t(byte);
    return true;
}

QString CodePage::decode(const char *data, int length) const
{
    if (m_singleByte) {
        QString text(length, Qt::Uninitialized);
        char16_t *target = reinterpret_cast<char16_t *>(text.data());
        for (int i = 0; i < length; ++i)
            target[i] = m_toUnicode[uint8_t(data[i])];
        return text;
    }
    QByteArray utf16;
    if (!convert("UTF-16LE", m_name.c_str(), data, size_t(length), utf16))
        return QString::fromLatin1(data, length);
    return QString(reinterpret_cast<const QChar *>(utf16.constData()), int(utf16.size() / 2));
}

bool CodePage::encode(const QString &text, QByteArray &out) const
{
    if (m_singleByte) {
        out.resize(text.size());
        const char16_t *source = reinterpret_cast<const char16_t *>(text.constData());
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = source[i];
            const uint8_t byte = m_fromUnicode[c];
            if (byte == 0 && c != 0)
                return false;
            out[i] = char(byte);
        }
        return true;
    }
    const QByteArray utf16(reinterpret_cast<const char *>(text.constData()), text.size() * 2);
    return convert(m_name.c_str(), "UTF-16LE", utf16.constData(), size_t(utf16.size()), out);
}

const CodePage *CodePage::byName(const char *iconvName)
{
    std::lock_guard lock(registryMutex());
    static std::map<std::string, std::unique_ptr<CodePage>> pages;
    auto found = pages.find(iconvName);
    if (found != pages.end())
        return found->second.get();
    if (!iconvKnows(iconvName))
        return nullptr;
    auto page = std::make_unique<CodePage>(iconvName);
    return pages.emplace(iconvName, std::move(page)).first->second.get();
}

const CodePage *CodePage::byCpgText(const QByteArray &text)
{
    QByteArray name = text.trimmed().toUpper();
    if (name.startsWith("ANSI "))
        name = name.mid(5).trimmed();
    const bool digits = !name.isEmpty() && std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (name == "UTF8" || name == "65001")
        name = "UTF-8";
    else if (name.startsWith("8859")) // "88592" and "8859_2" as shapefile tools write them
        name = "ISO-8859-" + name.mid(name.size() > 4 && (name[4] == '_' || name[4] == '-') ? 5 : 4);
    else if (digits)
        name = "CP" + name;
    const bool plain = !name.isEmpty() && name.size() <= 32 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
    return plain ? byName(name.constData()) : nullptr;
}

const CodePage &CodePage::forLanguageDriver(uint8_t driver)
{
    for (const DriverEntry &entry : kDrivers) {
        if (entry.driver == driver) {
            if (const CodePage *page = byName(entry.codePage))
                return *page;
            break;
        }
    }
    return *byName("CP1250");
}

} // namespace db
