#include "platform/db/DbfTable.h"

#include "platform/db/CodePage.h"
#include "platform/db/DatabaseError.h"
#include "platform/db/TableFiles.h"
#include "platform/db/TableLock.h"

#include "platform/rtl/WholeFile.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace db {
namespace {

constexpr int kFileHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr char kFieldTerminator = '\x0D';
constexpr char kEndOfFile = '\x1A';
constexpr size_t kWindowBytes = 1 << 20;
constexpr int kMaxNumberWidth = 32;

bool isDBase4MemoVersion(uint8_t version) { return version == 0x8B || version == 0x8E || version == 0xCB; }

TFieldType typeOf(char letter)
{
    switch (letter) {
    case 'C': return ftString;
    case 'N':
    case 'F': return ftFloat;
    case 'D': return ftDate;
    case 'L': return ftBoolean;
    case 'M': return ftMemo;
    case 'B': return ftBlob;
    case 'G': return ftDBaseOle;
    default: return ftUnknown;
    }
}

// Blank-padded text without the padding; NUL counts as padding too.
std::pair<const char *, int> trimmed(const char *data, int length)
{
    int first = 0;
    while (first < length && (data[first] == ' ' || data[first] == '\0'))
        ++first;
    int last = length;
    while (last > first && (data[last - 1] == ' ' || data[last - 1] == '\0'))
        --last;
    return {data + first, last - first};
}

// Numbers as dBASE writes them, with at most 15 digits: the digits and the power of ten are
// exact doubles, so their quotient is the correctly rounded value, and much quicker to get.
std::optional<double> parseShortDecimal(const char *text, int length)
{
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    constexpr int kMostDigits = 15;
    const char *p = text;
    const char *end = text + length;
    const bool negative = p < end && *p == '-';
    if (negative)
        ++p;
    // Too many digits wrap around in `digits`; such text is refused below all the same.
    uint64_t digits = 0;
    const auto readDigits = [&p, end, &digits] {
        const char *first = p;
        for (; p < end && unsigned(*p - '0') <= 9; ++p)
            digits = digits * 10 + uint64_t(*p - '0');
        return int(p - first);
    };
    int count = readDigits();
    int decimals = 0;
    if (p < end && *p == '.') {
        ++p;
        decimals = readDigits();
        count += decimals;
    }
    if (p != end || count == 0 || count > kMostDigits)
        return std::nullopt;
    const double value = double(digits) / kPowersOfTen[decimals];
    return negative ? -value : value;
}

constexpr int kIntegerDigits = 16;
constexpr int64_t kSixteenDigits = 1'000'000'000'000'000;

// A whole number of at most 18 digits, as dBASE writes it; a double would lose digits beyond
// the 15th. A negative zero is left to the floating-point reading, which keeps its sign.
std::optional<int64_t> parseWholeNumber(const char *text, int length)
{
    if (length > 0 && text[0] == '+') {
        ++text;
        --length;
    }
    const int sign = length > 0 && text[0] == '-' ? 1 : 0;
    if (length - sign < 1 || length - sign > 18 || !std::all_of(text + sign, text + length, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    int64_t value = 0;
    std::from_chars(text, text + length, value);
    if (value == 0 && sign)
        return std::nullopt;
    return value;
}

std::optional<double> parseNumber(const char *text, int length)
{
    if (length > 0 && text[0] == '+') {
        ++text;
        --length;
    }
    if (const auto value = parseShortDecimal(text, length))
        return value;
    double value = 0;
    const auto [end, error] = std::from_chars(text, text + length, value);
    if (error != std::errc() || end != text + length || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int fractionDigits(const std::string &text)
{
    const size_t point = text.find('.');
    return point == std::string::npos ? 0 : int(text.size() - point - 1);
}

// A number as "[-]digits[.digits]" with at most `decimals` decimals: the shortest text that
// reads back as `number` where it has no more, else `number` rounded (`rounded` is set).
// Nothing for an infinite or NaN value.
std::optional<std::string> fixedText(double number, int decimals, bool &rounded)
{
    if (!std::isfinite(number))
        return std::nullopt;
    char text[700]; // the longest: 309 integer digits and 255 decimals
    auto result = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed);
    std::string shortest(text, result.ptr);
    if (fractionDigits(shortest) <= decimals)
        return shortest;
    rounded = true;
    result = std::to_chars(text, text + sizeof text, number, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

// Decimal text without exponent ("-12.50", "+.5", "7.") as "[-]digits[.digits]", when it has at
// most `decimals` decimals: it is written digit for digit.
std::optional<std::string> plainDecimal(const char *text, int length, int decimals)
{
    const char *end = text + length;
    std::string result;
    if (text < end && (*text == '-' || *text == '+'))
        result += *text++ == '-' ? "-" : "";
    while (end - text > 1 && *text == '0' && text[1] >= '0' && text[1] <= '9')
        ++text;
    const char *point = std::find(text, end, '.');
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const bool valid = (point > text || end - point > 1) && std::all_of(text, point, isDigit)
                       && (point == end || std::all_of(point + 1, end, isDigit));
    if (!valid || (point < end && end - point - 1 > decimals))
        return std::nullopt;
    result += point == text ? std::string("0") : std::string(text, point);
    if (end - point > 1)
        result.append(point, end);
    return result;
}

// `text` as a field of `def` holds it: padded to its decimals, without the sign of a value
// rounded to zero, without the zero before the point where the field is too narrow for it.
std::string numberFieldText(std::string text, const FieldDef &def, bool rounded)
{
    if (def.decimals > 0) {
        if (text.find('.') == std::string::npos)
            text += '.';
        text.append(size_t(def.decimals - fractionDigits(text)), '0');
    }
    const size_t sign = text[0] == '-' ? 1 : 0;
    if (rounded && sign && std::all_of(text.begin() + 1, text.end(), [](char c) { return c == '0' || c == '.'; }))
        text.erase(0, 1);
    else if (int(text.size()) > def.size && text.compare(sign, 2, "0.") == 0)
        text.erase(sign, 1);
    return text;
}

void stampDate(unsigned char *header)
{
    const QDate today = QDate::currentDate();
    header[1] = uint8_t(today.year() - 1900);
    header[2] = uint8_t(today.month());
    header[3] = uint8_t(today.day());
}

int recordLengthOf(const std::vector<FieldDef> &fields)
{
    int length = 1;
    for (const FieldDef &field : fields)
        length += field.size;
    return length;
}

QString displayName(const QString &path) { return QFileInfo(path).fileName(); }

bool usesMemo(char letter) { return letter == 'M' || letter == 'B' || letter == 'G'; }

bool usesMemo(const std::vector<FieldDef> &fields)
{
    return std::any_of(fields.begin(), fields.end(), [](const FieldDef &f) { return usesMemo(f.nativeType); });
}

} // namespace

std::optional<QString> DbfTable::memoPathFor(const QString &path)
{
    const QFileInfo info(path);
    return findFileIgnoringCase(info.absolutePath(), info.completeBaseName() + QStringLiteral(".dbt"));
}

std::unique_ptr<DbfTable> DbfTable::open(const QString &path)
{
    RecoverInterruptedChange(path);
    bool writable = false;
    io::FileHandle table = io::openTableFile(path, writable, QStringLiteral("table %1").arg(displayName(path)));
    io::FileHandle memo;
    bool memoWritable = false;
    if (const auto memoPath = memoPathFor(path))
        memo = io::openTableFile(*memoPath, memoWritable, QStringLiteral("memo file %1").arg(displayName(*memoPath)));
    return std::make_unique<DbfTable>(std::move(table), writable, std::move(memo), memoWritable, path);
}

DbfTable::DbfTable(io::FileHandle table, bool writable, io::FileHandle memo, bool memoWritable, QString path)
    : m_fd(std::move(table)), m_writable(writable), m_path(std::move(path)),
      m_what(QStringLiteral("table %1").arg(displayName(m_path))), m_lockFile(m_path, m_fd.get())
{
    readHeader();
    if (m_languageDriver == 0)
        useCodePageFile();
    if (usesMemo(m_fields)) {
        if (!memo.valid())
            throw EDatabaseError(QStringLiteral("The memo file of %1 is missing").arg(m_what));
        const auto layout = isDBase4MemoVersion(m_version) ? DbfMemo::Layout::DBase4 : DbfMemo::Layout::DBase3;
        m_memoPath = memoPathFor(m_path).value_or(QString());
        m_memo = std::make_unique<DbfMemo>(std::move(memo), memoWritable, layout,
                                           QStringLiteral("memo file of %1").arg(m_what));
    }
}

DbfTable::~DbfTable() = default;

// Writers that leave the language driver unset (GDAL, shapefile tools) name the code page in
// a .cpg file beside the table.
void DbfTable::useCodePageFile()
{
    const QFileInfo info(m_path);
    const auto cpgPath = findFileIgnoringCase(info.absolutePath(), info.completeBaseName() + QStringLiteral(".cpg"));
    if (!cpgPath)
        return;
    QFile file(*cpgPath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    if (const CodePage *page = CodePage::byCpgText(file.read(64)))
        m_codePage = page;
}

void DbfTable::readHeader()
{
    const off_t size = io::fileSize(m_fd.get(), m_what);
    unsigned char fixed[kFileHeaderSize];
    io::readExactly(m_fd.get(), fixed, sizeof fixed, 0, m_what);
    m_version = fixed[0];
    if ((m_version & 0x07) != 0x03)
        throw EDatabaseError(QStringLiteral("%1 is no dBASE III, IV or 5 table (version byte 0x%2)")
                                 .arg(m_what).arg(m_version, 2, 16, QLatin1Char('0')));
    m_count = io::le32(fixed + 4);
    m_headerLength = io::le16(fixed + 8);
    m_recordLength = io::le16(fixed + 10);
    m_languageDriver = fixed[29];
    m_codePage = &CodePage::forLanguageDriver(m_languageDriver);

    if (m_headerLength < kFileHeaderSize + 1 || off_t(m_headerLength) > size)
        throw EDatabaseError(QStringLiteral("%1 has an invalid header length %2").arg(m_what).arg(m_headerLength));
    if (m_recordLength < 1)
        throw EDatabaseError(QStringLiteral("%1 has an invalid record length %2").arg(m_what).arg(m_recordLength));

    QByteArray header(m_headerLength, '\0');
    io::readExactly(m_fd.get(), header.data(), size_t(header.size()), 0, m_what);
    readFieldDescriptors(header);
    slotCount();
}

void DbfTable::readFieldDescriptors(const QByteArray &header)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(header.constData());
    int offset = 1;
    int position = kFileHeaderSize;
    bool terminated = false;
    while (position < header.size()) {
        if (bytes[position] == kFieldTerminator) {
            terminated = true;
            break;
        }
        if (position + kDescriptorSize > header.size())
            break;
        const unsigned char *descriptor = bytes + position;
        FieldDef field;
        int nameLength = 0;
        while (nameLength < 11 && descriptor[nameLength] != 0)
            ++nameLength;
        field.name = QString::fromLatin1(reinterpret_cast<const char *>(descriptor), nameLength).trimmed();
        field.nativeType = char(descriptor[11]);
        field.size = descriptor[16];
        field.decimals = descriptor[17];
        field.type = typeOf(field.nativeType);
        const int index = int(m_fields.size());
        if (field.name.isEmpty() || std::any_of(field.name.begin(), field.name.end(), [](QChar c) { return c.unicode() < 0x20; }))
            throw EDatabaseError(QStringLiteral("%1: field %2 has an invalid name").arg(m_what).arg(index + 1));
        if (field.size == 0 && !(field.nativeType == 'C' && field.decimals > 0)) // C(256): see settleFieldLengths
            throw EDatabaseError(QStringLiteral("%1: field %2 has the length 0").arg(m_what, field.name));
        const bool badLength = (field.nativeType == 'D' && field.size != 8) || (field.nativeType == 'L' && field.size != 1)
                               || ((field.nativeType == 'N' || field.nativeType == 'F') && field.size > kMaxNumberWidth)
                               || (field.type == ftMemo && field.size != 10);
        if (badLength)
            throw EDatabaseError(QStringLiteral("%1: field %2 has an invalid length %3").arg(m_what, field.name).arg(field.size));
        for (const FieldDef &other : m_fields)
            if (other.name.compare(field.name, Qt::CaseInsensitive) == 0)
                throw EDatabaseError(QStringLiteral("%1: the field name %2 occurs twice").arg(m_what, field.name));
        m_fields.push_back(field);
        position += kDescriptorSize;
    }
    if (!terminated)
        throw EDatabaseError(QStringLiteral("%1: the field list has no end mark").arg(m_what));
    if (m_fields.empty())
        throw EDatabaseError(QStringLiteral("%1 has no fields").arg(m_what));
    settleFieldLengths();
    for (const FieldDef &field : m_fields) {
        m_offsets.push_back(offset);
        offset += field.size;
    }
}

// Clipper-style writers keep the high byte of a character field's length in its decimals byte.
// That reading is taken only when the record length confirms it; fields that fill the record
// in neither reading make the file damaged.
void DbfTable::settleFieldLengths()
{
    int plain = 1;
    int clipper = 1;
    for (const FieldDef &field : m_fields) {
        plain += field.size;
        clipper += field.size + (field.nativeType == 'C' ? field.decimals * 256 : 0);
    }
    if (plain != m_recordLength && clipper == m_recordLength) {
        for (FieldDef &field : m_fields) {
            if (field.nativeType == 'C') {
                field.size += field.decimals * 256;
                field.decimals = 0;
            }
        }
    } else if (plain != m_recordLength) {
        throw EDatabaseError(QStringLiteral("%1: the fields need %2 bytes but a record has %3")
                                 .arg(m_what).arg(plain).arg(m_recordLength));
    }
    for (const FieldDef &field : m_fields)
        if (field.size == 0)
            throw EDatabaseError(QStringLiteral("%1: field %2 has the length 0").arg(m_what, field.name));
}

int DbfTable::capabilities() const
{
    return m_writable ? (CanUpdate | CanAppend | CanDelete) : 0;
}

int DbfTable::slotCount()
{
    unsigned char count[4];
    io::readExactly(m_fd.get(), count, sizeof count, 4, m_what);
    const uint32_t recorded = io::le32(count);
    const off_t size = io::fileSize(m_fd.get(), m_what);
    const off_t available = (size - m_headerLength) / m_recordLength;
    if (recorded > uint32_t(INT32_MAX) || off_t(recorded) > available)
        throw EDatabaseError(QStringLiteral("%1 is truncated: its header counts %2 records, the file holds %3")
                                 .arg(m_what).arg(recorded).arg(qint64(std::max<off_t>(available, 0))));
    if (recorded != m_count) {
        writeChangedRecords();
        m_windowCount = 0;
    }
    m_count = recorded;
    return int(m_count);
}

void DbfTable::checkSlot(int slot)
{
    if (slot < 0 || uint32_t(slot) >= m_count)
        throw EDatabaseError(QStringLiteral("%1 has no record %2").arg(m_what).arg(slot + 1));
}

const char *DbfTable::recordBytes(int slot)
{
    checkSlot(slot);
    if (inWindow(slot))
        return windowRecord(slot);
    // Read ahead only while the reads go forward record by record; a jump reads one record.
    const bool forward = slot == m_windowFirst + m_windowCount || (slot == 0 && m_windowCount == 0);
    const int wanted = m_sequential && forward ? int(std::max<size_t>(1, kWindowBytes / size_t(m_recordLength))) : 1;
    const int count = std::min<int>(wanted, int(m_count) - slot);
    writeChangedRecords();
    m_window.resize(qsizetype(count) * m_recordLength);
    m_windowCount = 0;
    io::readExactly(m_fd.get(), m_window.data(), size_t(m_window.size()),
                    off_t(m_headerLength) + off_t(slot) * m_recordLength, m_what);
    m_windowFirst = slot;
    m_windowCount = count;
    return m_window.constData();
}

bool DbfTable::inWindow(int slot) const { return slot >= m_windowFirst && slot < m_windowFirst + m_windowCount; }

char *DbfTable::windowRecord(int slot) { return m_window.data() + qsizetype(slot - m_windowFirst) * m_recordLength; }

void DbfTable::reload(int slot)
{
    writeChangedRecords();
    if (inWindow(slot))
        io::readExactly(m_fd.get(), windowRecord(slot), size_t(m_recordLength), recordOffset(slot), m_what);
}

off_t DbfTable::recordOffset(int slot) const { return off_t(m_headerLength) + off_t(slot) * m_recordLength; }

bool DbfTable::isDeleted(int slot) { return recordBytes(slot)[0] == '*'; }

QVariant DbfTable::value(int slot, int field)
{
    return decode(recordBytes(slot), field, slot);
}

QString DbfTable::fieldError(int field, const QString &problem) const
{
    return QStringLiteral("%1, field %2: %3").arg(m_what, m_fields[size_t(field)].name, problem);
}

QVariant DbfTable::decode(const char *record, int field, int slot)
{
    const FieldDef &def = m_fields[size_t(field)];
    const char *raw = record + m_offsets[size_t(field)];
    switch (def.nativeType) {
    case 'C': {
        int length = def.size;
        while (length > 0 && (raw[length - 1] == ' ' || raw[length - 1] == '\0'))
            --length;
        if (length == 0)
            return {};
        return m_codePage->decode(raw, length);
    }
    case 'N':
    case 'F': {
        const auto [text, length] = trimmed(raw, def.size);
        // Asterisks mark a number that overflowed its field (and some writers' empty numbers).
        if (length == 0 || std::all_of(text, text + length, [](char c) { return c == '*'; }))
            return {};
        // Whole numbers of more digits than a double carries through arithmetic are held as
        // integers; smaller ones stay doubles, so that dividing them in SQL does not truncate.
        if (def.decimals == 0 && length >= kIntegerDigits)
            if (const auto whole = parseWholeNumber(text, length); whole && std::abs(*whole) >= kSixteenDigits)
                return qlonglong(*whole);
        const auto number = parseNumber(text, length);
        if (!number)
            throw EDatabaseError(fieldError(field, QStringLiteral("record %1 holds no number: '%2'")
                                                       .arg(slot + 1).arg(QString::fromLatin1(text, length))));
        return *number;
    }
    case 'D': {
        const auto [text, length] = trimmed(raw, def.size);
        if (length == 0 || std::all_of(text, text + length, [](char c) { return c == '0'; }))
            return {};
        const QDate date = length == 8 ? QDate::fromString(QString::fromLatin1(text, 8), QStringLiteral("yyyyMMdd")) : QDate();
        if (!date.isValid())
            throw EDatabaseError(fieldError(field, QStringLiteral("record %1 holds no date: '%2'")
                                                       .arg(slot + 1).arg(QString::fromLatin1(text, length))));
        return date;
    }
    case 'L':
        switch (raw[0]) {
        case 'T': case 't': case 'Y': case 'y': return true;
        case 'F': case 'f': case 'N': case 'n': return false;
        default: return {};
        }
    case 'M':
    case 'B':
    case 'G': {
        const auto [text, length] = trimmed(raw, def.size);
        if (length == 0)
            return {};
        uint32_t block = 0;
        const auto [end, error] = std::from_chars(text, text + length, block);
        if (error != std::errc() || end != text + length)
            throw EDatabaseError(fieldError(field, QStringLiteral("record %1 holds an invalid memo reference").arg(slot + 1)));
        if (block == 0)
            return {};
        const QByteArray data = m_memo->read(block);
        if (def.nativeType != 'M')
            return data;
        if (data.isEmpty())
            return {};
        return m_codePage->decode(data.constData(), int(data.size()));
    }
    default:
        return m_codePage->decode(raw, def.size);
    }
}

void DbfTable::checkWritable() const
{
    if (!m_writable)
        throw EDatabaseError(QStringLiteral("%1 is read-only").arg(m_what));
}

void DbfTable::encode(char *record, int field, const QVariant &value, QByteArray *memoText) const
{
    const FieldDef &def = m_fields[size_t(field)];
    char *raw = record + m_offsets[size_t(field)];
    const bool null = value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
    std::memset(raw, ' ', size_t(def.size));
    switch (def.nativeType) {
    case 'C': {
        if (null)
            return;
        QByteArray bytes;
        if (!m_codePage->encode(value.toString(), bytes))
            throw EDatabaseError(fieldError(field, QStringLiteral("'%1' holds a character that code page %2 cannot store")
                                                       .arg(value.toString(), QString::fromLatin1(m_codePage->name()))));
        if (bytes.size() > def.size)
            throw EDatabaseError(fieldError(field, QStringLiteral("'%1' is longer than %2 characters").arg(value.toString()).arg(def.size)));
        std::memcpy(raw, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case 'N':
    case 'F': {
        if (null)
            return;
        const std::string text = numberText(field, value);
        std::memcpy(raw + (def.size - int(text.size())), text.data(), text.size());
        return;
    }
    case 'D': {
        if (null)
            return;
        QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (value.typeId() == QMetaType::QString)
            date = QDate::fromString(value.toString(), Qt::ISODate);
        if (!date.isValid() || date.year() < 1 || date.year() > 9999)
            throw EDatabaseError(fieldError(field, QStringLiteral("'%1' is not a date").arg(value.toString())));
        const QByteArray text = date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(raw, text.constData(), 8);
        return;
    }
    case 'L':
        raw[0] = null ? '?' : (value.toBool() ? 'T' : 'F');
        return;
    case 'M': {
        if (null)
            return;
        if (!m_codePage->encode(value.toString(), *memoText))
            throw EDatabaseError(fieldError(field, QStringLiteral("the text holds a character that code page %1 cannot store")
                                                       .arg(QString::fromLatin1(m_codePage->name()))));
        if (memoText->contains(kEndOfFile))
            throw EDatabaseError(fieldError(field, QStringLiteral("the text holds the end-of-text character")));
        return;
    }
    default:
        throw EDatabaseError(fieldError(field, QStringLiteral("fields of type %1 cannot be written").arg(QChar::fromLatin1(def.nativeType))));
    }
}

std::string DbfTable::numberText(int field, const QVariant &value) const
{
    const FieldDef &def = m_fields[size_t(field)];
    bool rounded = false;
    std::optional<std::string> text;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        text = std::to_string(value.toLongLong());
    } else if (value.typeId() == QMetaType::QString) {
        const QByteArray latin = value.toString().trimmed().toLatin1();
        text = plainDecimal(latin.constData(), int(latin.size()), def.decimals);
        if (!text) {
            const auto parsed = parseNumber(latin.constData(), int(latin.size()));
            if (!parsed)
                throw EDatabaseError(fieldError(field, QStringLiteral("'%1' is not a number").arg(value.toString())));
            text = fixedText(*parsed, def.decimals, rounded);
        }
    } else {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            throw EDatabaseError(fieldError(field, QStringLiteral("the value is not a number")));
        text = fixedText(number, def.decimals, rounded);
    }
    if (!text)
        throw EDatabaseError(fieldError(field, QStringLiteral("the value is not a finite number")));
    const std::string fitted = numberFieldText(*text, def, rounded);
    if (int(fitted.size()) > def.size)
        throw EDatabaseError(fieldError(field, QStringLiteral("%1 does not fit a number field of width %2 with %3 decimals")
                                                   .arg(QString::fromStdString(*text)).arg(def.size).arg(def.decimals)));
    return fitted;
}

void DbfTable::encodeFields(const Record &values, const std::vector<bool> *changed, char *record, MemoTexts &memos) const
{
    if (values.size() != m_fields.size())
        throw EDatabaseError(QStringLiteral("%1: a record needs %2 values").arg(m_what).arg(m_fields.size()));
    for (int field = 0; field < int(m_fields.size()); ++field) {
        if (changed && !(*changed)[size_t(field)])
            continue;
        QByteArray memoText;
        encode(record, field, values[size_t(field)], &memoText);
        if (!memoText.isEmpty())
            memos.emplace_back(field, std::move(memoText));
    }
}

void DbfTable::check(const Record &values, const std::vector<bool> *changed)
{
    checkWritable();
    QByteArray scratch(m_recordLength, ' ');
    MemoTexts memos;
    encodeFields(values, changed, scratch.data(), memos);
}

QByteArray DbfTable::encodeRecord(const Record &values, const std::vector<bool> *changed, QByteArray base)
{
    const QByteArray original = base;
    MemoTexts memos;
    encodeFields(values, changed, base.data(), memos);
    // Every value converted: only now does anything reach the files, the memo blocks first.
    writeMemos(base.data(), original, memos);
    return base;
}

uint32_t DbfTable::memoReference(const char *record, int field) const
{
    const auto [text, length] = trimmed(record + m_offsets[size_t(field)], m_fields[size_t(field)].size);
    uint32_t block = 0;
    const auto [end, error] = std::from_chars(text, text + length, block);
    return error == std::errc() && end == text + length ? block : 0;
}

void DbfTable::writeMemos(char *record, const QByteArray &original, const MemoTexts &memos)
{
    for (const auto &[field, text] : memos) {
        const uint32_t block = m_memo->write(text, memoReference(original.constData(), field));
        const QByteArray number = QByteArray::number(block).rightJustified(10, ' ');
        std::memcpy(record + m_offsets[size_t(field)], number.constData(), 10);
    }
}

void DbfTable::startJournal(bool kept)
{
    m_journal = kept ? std::make_unique<io::WriteJournal>(io::journalPathFor(m_path)) : std::make_unique<io::WriteJournal>();
    if (kept) {
        m_journal->track(m_fd.get(), QFileInfo(m_path).fileName());
        if (m_memo)
            m_journal->track(m_memo->descriptor(), QFileInfo(m_memoPath).fileName());
    }
    if (m_memo)
        m_memo->setJournal(m_journal.get());
}

void DbfTable::beginChanges()
{
    m_changeLock = lockForWriting();
    startJournal(true);
}

std::unique_ptr<TableLock> DbfTable::lockForWriting()
{
    bool pending = false;
    auto lock = LockForWriting(m_lockFile, &pending);
    if (!m_leftoversRemoved) {
        rtl::RemoveLeftoverNewFiles(m_path);
        m_leftoversRemoved = true;
    }
    if (pending) { // the files may have been put back as they were
        m_windowCount = 0;
        slotCount();
    }
    return lock;
}

char *DbfTable::recordToChange(int slot)
{
    if (!inWindow(slot)) {
        writeChangedRecords();
        const bool forward = slot == m_windowFirst + m_windowCount || m_windowCount == 0;
        const bool sequential = m_sequential;
        m_sequential = forward;
        recordBytes(slot);
        m_sequential = sequential;
    }
    // A window that reads loaded has no changed records yet.
    m_windowChanged.resize(size_t(m_windowCount));
    return windowRecord(slot);
}

// Each run of changed records is one write: a change of many records costs few system calls.
void DbfTable::writeChangedRecords()
{
    const int count = std::min<int>(m_windowCount, int(m_windowChanged.size()));
    for (int first = 0; first < count;) {
        if (!m_windowChanged[size_t(first)]) {
            ++first;
            continue;
        }
        int end = first + 1;
        while (end < count && m_windowChanged[size_t(end)])
            ++end;
        write(windowRecord(m_windowFirst + first), size_t(end - first) * size_t(m_recordLength), recordOffset(m_windowFirst + first));
        std::fill(m_windowChanged.begin() + first, m_windowChanged.begin() + end, uint8_t(0));
        for (int i = first; i < end && AfterRecordWrite; ++i)
            AfterRecordWrite();
        first = end;
    }
}

void DbfTable::willOverwrite(std::vector<int> overwritten)
{
    if (!m_journal)
        return;
    std::sort(overwritten.begin(), overwritten.end());
    std::vector<std::pair<off_t, size_t>> ranges;
    ranges.reserve(overwritten.size());
    for (const int slot : overwritten)
        if (slot >= 0 && slot < int(m_count))
            ranges.emplace_back(recordOffset(slot), size_t(m_recordLength));
    m_journal->saveRanges(m_fd.get(), ranges, m_what);
}

void DbfTable::commitChanges()
{
    writeChangedRecords();
    if (m_memo)
        m_memo->setJournal(nullptr);
    if (m_journal)
        m_journal->commit(m_what);
    m_journal.reset();
    m_changeLock.reset();
}

void DbfTable::rollbackChanges()
{
    if (!m_journal)
        return;
    m_windowChanged.clear();
    m_windowCount = 0;
    const bool restored = m_journal->restore();
    if (m_memo)
        m_memo->setJournal(nullptr);
    m_journal.reset();
    const auto lock = std::move(m_changeLock);
    slotCount();
    if (!restored)
        throw EDatabaseError(QStringLiteral("%1 could not be put back as it was after a failed write").arg(m_what));
}

// A single post or delete is one write or two: it is kept in memory only, and reaches the
// file whole or not at all unless the process is killed between its writes.
void DbfTable::atomically(const std::function<void()> &change)
{
    if (m_journal) {
        change();
        return;
    }
    const auto lock = lockForWriting();
    startJournal(false);
    try {
        change();
    } catch (...) {
        rollbackChanges();
        throw;
    }
    commitChanges();
}

void DbfTable::write(const void *bytes, size_t length, off_t offset)
{
    io::writeAt(m_fd.get(), bytes, length, offset, m_what, m_journal.get());
}

void DbfTable::update(int slot, const Record &values, const std::vector<bool> &changed)
{
    checkWritable();
    if (m_changeLock) {
        updateWithinChange(slot, values, changed);
        return;
    }
    slotCount();
    checkSlot(slot);
    QByteArray current(m_recordLength, '\0');
    io::readExactly(m_fd.get(), current.data(), size_t(current.size()), recordOffset(slot), m_what);
    if (current[0] == '*')
        throw EDatabaseError(QStringLiteral("Record %1 of %2 was deleted after it was read; the change is not stored")
                                 .arg(slot + 1).arg(m_what));
    atomically([&] {
        const QByteArray record = encodeRecord(values, &changed, current);
        write(record.constData(), size_t(record.size()), recordOffset(slot));
        if (inWindow(slot))
            std::memcpy(windowRecord(slot), record.constData(), size_t(m_recordLength));
    });
    if (AfterRecordWrite)
        AfterRecordWrite();
}

void DbfTable::updateWithinChange(int slot, const Record &values, const std::vector<bool> &changed)
{
    checkSlot(slot);
    char *current = recordToChange(slot);
    if (current[0] == '*')
        throw EDatabaseError(QStringLiteral("Record %1 of %2 was deleted after it was read; the change is not stored")
                                 .arg(slot + 1).arg(m_what));
    const QByteArray record = encodeRecord(values, &changed, QByteArray(current, m_recordLength));
    std::memcpy(current, record.constData(), size_t(m_recordLength));
    m_windowChanged[size_t(slot - m_windowFirst)] = 1;
}

void DbfTable::writeHeaderCount(uint32_t count)
{
    unsigned char header[8];
    io::readExactly(m_fd.get(), header, sizeof header, 0, m_what);
    stampDate(header);
    io::putLe32(header + 4, count);
    write(header, sizeof header, 0);
}

int DbfTable::append(const Record &values)
{
    checkWritable();
    writeChangedRecords();
    const int slot = slotCount();
    if (slot == INT32_MAX)
        throw EDatabaseError(QStringLiteral("%1 is full").arg(m_what));
    atomically([&] {
        QByteArray record = encodeRecord(values, nullptr, QByteArray(m_recordLength, ' '));
        record.append(kEndOfFile);
        // The record is complete on disk before the header counts it.
        write(record.constData(), size_t(record.size()), recordOffset(slot));
        writeHeaderCount(uint32_t(slot) + 1);
        m_count = uint32_t(slot) + 1;
    });
    if (AfterRecordWrite)
        AfterRecordWrite();
    return slot;
}

void DbfTable::remove(int slot)
{
    checkWritable();
    writeChangedRecords();
    slotCount();
    checkSlot(slot);
    atomically([&] { write("*", 1, recordOffset(slot)); });
    if (inWindow(slot))
        windowRecord(slot)[0] = '*';
    if (AfterRecordWrite)
        AfterRecordWrite();
}

FieldDef DbfTable::checkedField(FieldDef field)
{
    const QString name = field.name;
    const bool validName = !name.isEmpty() && name.size() <= 10 && name[0].isLetter()
                           && std::all_of(name.begin(), name.end(), [](QChar c) {
                                  return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_'));
                              });
    if (!validName)
        throw EDatabaseError(QStringLiteral("Invalid dBASE field name '%1': up to 10 letters, digits or '_', starting with a letter").arg(name));
    field.name = name.toUpper();
    field.type = typeOf(field.nativeType);
    switch (field.nativeType) {
    case 'C':
        if (field.size < 1 || field.size > 254)
            throw EDatabaseError(QStringLiteral("Field %1: a character field holds 1 to 254 characters").arg(field.name));
        field.decimals = 0;
        break;
    case 'N':
    case 'F':
        if (field.size < 1 || field.size > 20 || field.decimals < 0 || (field.decimals > 0 && field.decimals > field.size - 2))
            throw EDatabaseError(QStringLiteral("Field %1: a number field is 1 to 20 wide with decimals at most the width less 2").arg(field.name));
        break;
    case 'D': field.size = 8; field.decimals = 0; break;
    case 'L': field.size = 1; field.decimals = 0; break;
    case 'M': field.size = 10; field.decimals = 0; break;
    default:
        throw EDatabaseError(QStringLiteral("Field %1: dBASE fields are of type C, N, F, D, L or M").arg(field.name));
    }
    return field;
}

QByteArray DbfTable::newTableImage(const std::vector<FieldDef> &fields)
{
    if (fields.empty() || fields.size() > 255)
        throw EDatabaseError(QStringLiteral("A dBASE table has 1 to 255 fields"));
    const int recordLength = recordLengthOf(fields);
    if (recordLength > 65535)
        throw EDatabaseError(QStringLiteral("The record of the table would be longer than 65535 bytes"));
    const bool memo = usesMemo(fields);
    const int headerLength = kFileHeaderSize + kDescriptorSize * int(fields.size()) + 1;
    QByteArray image(headerLength, '\0');
    auto *bytes = reinterpret_cast<unsigned char *>(image.data());
    bytes[0] = memo ? 0x83 : 0x03;
    stampDate(bytes);
    io::putLe16(bytes + 8, uint16_t(headerLength));
    io::putLe16(bytes + 10, uint16_t(recordLength));
    bytes[29] = CodePage::ProgramLanguageDriver;
    for (size_t i = 0; i < fields.size(); ++i) {
        unsigned char *descriptor = bytes + kFileHeaderSize + kDescriptorSize * i;
        const QByteArray name = fields[i].name.toLatin1();
        std::memcpy(descriptor, name.constData(), size_t(std::min<qsizetype>(name.size(), 10)));
        descriptor[11] = uint8_t(fields[i].nativeType);
        // A character field longer than 255 keeps the length's high byte where the decimals go.
        const bool longText = fields[i].nativeType == 'C' && fields[i].size > 255;
        descriptor[16] = uint8_t(fields[i].size & 0xFF);
        descriptor[17] = uint8_t(longText ? fields[i].size >> 8 : fields[i].decimals);
    }
    bytes[headerLength - 1] = uint8_t(kFieldTerminator);
    image.append(kEndOfFile);
    return image;
}

void DbfTable::restructure(const QString &path, const std::vector<FieldDef> &fields, const std::vector<int> &sources)
{
    auto old = open(path);
    const int count = old->slotCount();
    const bool memo = usesMemo(fields);

    QByteArray image = newTableImage(fields);
    image.chop(1); // the end-of-file mark goes after the records
    auto *header = reinterpret_cast<unsigned char *>(image.data());
    header[29] = old->m_languageDriver;
    if (memo)
        header[0] = (old->m_memo && isDBase4MemoVersion(old->m_version)) ? old->m_version : 0x83;
    io::putLe32(header + 4, uint32_t(count));

    const int recordLength = recordLengthOf(fields);
    image.reserve(image.size() + qsizetype(count) * recordLength + 1);
    old->setSequential(true);
    for (int slot = 0; slot < count; ++slot) {
        const char *source = old->recordBytes(slot);
        QByteArray record(recordLength, ' ');
        record[0] = source[0];
        int offset = 1;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (sources[i] >= 0)
                std::memcpy(record.data() + offset, source + old->m_offsets[size_t(sources[i])], size_t(fields[i].size));
            else if (fields[i].nativeType == 'L')
                record[offset] = '?';
            offset += fields[i].size;
        }
        image.append(record);
    }
    image.append(kEndOfFile);

    const bool newMemo = memo && !old->m_memo;
    old.reset();
    const QFileInfo info(path);
    const QString memoPath = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".dbt");
    if (newMemo)
        createMemoFile(memoPath, info.fileName());
    try {
        io::saveWholeFile(path, image, true);
    } catch (...) {
        if (newMemo)
            QFile::remove(memoPath);
        throw;
    }
}

void DbfTable::createMemoFile(const QString &memoPath, const QString &tableName)
{
    // A memo file beside a table without memo fields belongs to no table: it is someone's file.
    const QFileInfo memo(memoPath);
    if (const auto existing = findFileIgnoringCase(memo.absolutePath(), memo.fileName()))
        throw EDatabaseError(QStringLiteral("Table %1 cannot get a memo file: %2 exists already and does not belong to it")
                                 .arg(tableName, QFileInfo(*existing).fileName()));
    io::saveWholeFile(memoPath, DbfMemo::emptyFile(), false);
}

} // namespace db
