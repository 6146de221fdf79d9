#include "TextData.h"

#include "platform/rtl/Parallel.h"

#include <QByteArrayView>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

// The reading looks at ASCII characters only (space, ";", line breaks, signs, digits and the
// decimal separator). So it works alike on UTF-16 text and on the bytes of an ASCII-compatible
// 8-bit encoding, whose other characters never contain an ASCII byte; only identifiers are decoded.
template<typename C>
using TextView = std::basic_string_view<C>;

std::u16string_view viewOf(QStringView s) { return {reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size())}; }

QString textOf(std::u16string_view s) { return QString(reinterpret_cast<const QChar *>(s.data()), qsizetype(s.size())); }
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

QString textOf(std::string_view s)
{
    // Decoding drops a byte order mark at the start, which only the file's start may lose.
    if (s.starts_with(kByteOrderMark))
        return QString::fromLocal8Bit(QByteArray(" ").append(QByteArrayView(s.data(), qsizetype(s.size())))).mid(1);
    return QString::fromLocal8Bit(QByteArrayView(s.data(), qsizetype(s.size())));
}

template<typename C>
TextView<C> trimmed(TextView<C> s)
{
    size_t first = 0, last = s.size();
    while (first < last && s[first] == C(' '))
        ++first;
    while (last > first && s[last - 1] == C(' '))
        --last;
    return s.substr(first, last - first);
}

template<typename C>
bool isNumber(TextView<C> s, C decimalSeparator)
{
    return std::all_of(s.begin(), s.end(),
                       [&](C c) { return c == C('+') || c == C('-') || (c >= C('0') && c <= C('9')) || c == decimalSeparator; });
}

// The value of a piece made only of signs, digits and separators, as rtl::StrToFloat reads it.
// A plain decimal (a sign, digits and at most one separator) is read here without a string of
// its own; anything else goes to rtl::StrToFloat, which also words the error.
template<typename C>
double numberOf(TextView<C> piece, C decimalSeparator)
{
    char buffer[64];
    size_t length = 0;
    size_t i = 0;
    if (piece.front() == C('+') || piece.front() == C('-')) {
        if (piece.front() == C('-'))
            buffer[length++] = '-';
        ++i;
    }
    bool separatorSeen = false, digitSeen = false, plain = true;
    for (; i < piece.size() && plain; ++i) {
        const C c = piece[i];
        plain = length + 1 < sizeof buffer;
        if (c >= C('0') && c <= C('9')) {
            buffer[length++] = char(c);
            digitSeen = true;
        } else if (c == decimalSeparator && !separatorSeen) {
            buffer[length++] = '.';
            separatorSeen = true;
        } else {
            plain = false;
        }
    }
    double value = 0;
    if (plain && digitSeen) {
        const auto [end, error] = std::from_chars(buffer, buffer + length, value);
        if (error == std::errc() && end == buffer + length && std::isfinite(value))
            return value;
    }
    return rtl::StrToFloat(textOf(piece));
}

template<typename C>
bool addValue(TDataItem &item, TextView<C> text, bool logTransform, C decimalSeparator)
{
    const TextView<C> piece = trimmed(text);
    if (piece.empty() || !isNumber(piece, decimalSeparator))
        return true;
    if (item.Count >= MaxItemValues)
        return false;
    double value = numberOf(piece, decimalSeparator);
    if (logTransform) {
        if (!(value > 0))
            throw rtl::EMathError(QStringLiteral("the value '%1' has no logarithm (LOG-transformation)").arg(textOf(piece)));
        value = std::log10(value);
    }
    ++item.Count;
    item.Values.push_back(value);
    item.Positions.push_back(item.Count);
    return true;
}

// Reads one line into `item`; answers false when values had to be dropped.
template<typename C>
bool readLine(TextView<C> line, TDataItem &item, bool logTransform, C decimalSeparator)
{
    const TextView<C> text = trimmed(line);
    const size_t p = text.find(C(';'));
    if (p == 0 || p == TextView<C>::npos) {
        item.Id = textOf(text);
        item.Used = false;
        return true;
    }
    item.Id = textOf(trimmed(text.substr(0, p)));
    TextView<C> rest = text.substr(p + 1);
    const size_t pieces = size_t(std::count(rest.begin(), rest.end(), C(';'))) + 1;
    item.Values.reserve(std::min<size_t>(pieces, MaxItemValues));
    item.Positions.reserve(item.Values.capacity());
    bool complete = true;
    while (!rest.empty()) {
        const size_t q = rest.find(C(';'));
        const TextView<C> piece = rest.substr(0, q);
        rest = q == TextView<C>::npos ? TextView<C>() : rest.substr(q + 1);
        if (!addValue(item, piece, logTransform, decimalSeparator)) {
            complete = false;
            break;
        }
    }
    item.Used = item.Count > 0;
    item.Classes.assign(item.Count, 0);
    return complete;
}

// Lines as a text editor shows them: CR LF, LF or CR end a line; no line after a final break.
template<typename C>
std::vector<TextView<C>> linesOf(TextView<C> text)
{
    std::vector<TextView<C>> lines;
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const C c = text[i];
        if (c == C('\n') || c == C('\r')) {
            lines.push_back(text.substr(start, i - start));
            if (c == C('\r') && i + 1 < n && text[i + 1] == C('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.push_back(text.substr(start));
    return lines;
}

// Fewer lines than this are not worth a thread of their own.
constexpr size_t kLeastLinesPerThread = 256;

// Reads the lines in stretches on every core; the first line that cannot be read, in file
// order, is the one reported.
template<typename C>
TextDataFile readLines(const std::vector<TextView<C>> &lines, bool logTransform, C decimalSeparator)
{
    TextDataFile file;
    file.items.resize(lines.size());
    std::vector<uint8_t> truncated(lines.size(), 0);
    rtl::ParallelForStretches(lines.size(), kLeastLinesPerThread, 0, [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            try {
                truncated[i] = !readLine(lines[i], file.items[i], logTransform, decimalSeparator);
            } catch (const rtl::Exception &error) {
                throw ETextDataError(int(i) + 1, error.Message());
            }
        }
    });
    for (size_t i = 0; i < lines.size(); ++i) {
        if (truncated[i])
            file.truncatedLines << int(i) + 1;
    }
    return file;
}

} // namespace

QStringView TrimSpaces(QStringView s)
{
    const std::u16string_view t = trimmed(viewOf(s));
    return s.mid(qsizetype(t.data() - viewOf(s).data()), qsizetype(t.size()));
}

QString TrimSpaces(const QString &s) { return TrimSpaces(QStringView(s)).toString(); }

bool IsNumber(QStringView s, QChar decimalSeparator) { return isNumber(viewOf(s), decimalSeparator.unicode()); }

ETextDataError::ETextDataError(int line, const QString &reason)
    : rtl::Exception(QStringLiteral("Reading of the data stopped at line %1: %2").arg(line).arg(reason)), m_line(line)
{
}

bool AddValue(TDataItem &item, QStringView text, bool logTransform)
{
    return addValue(item, viewOf(text), logTransform, rtl::DecimalSeparator().unicode());
}

TextDataFile ReadTextData(const QStringList &lines, bool logTransform)
{
    std::vector<std::u16string_view> views;
    views.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        views.push_back(viewOf(line));
    return readLines(views, logTransform, rtl::DecimalSeparator().unicode());
}

TextDataFile ReadTextData(QByteArrayView text, bool logTransform)
{
    const QChar decimalSeparator = rtl::DecimalSeparator();
    if (decimalSeparator.unicode() >= 0x80)
        return ReadTextData(SplitTextLines(QString::fromLocal8Bit(text)), logTransform);
    std::string_view bytes(text.data(), size_t(text.size()));
    // The decoding drops a byte order mark at the start of the text.
    if (bytes.starts_with(kByteOrderMark) && QString::fromLocal8Bit(kByteOrderMark.data(), 3).isEmpty())
        bytes.remove_prefix(kByteOrderMark.size());
    return readLines(linesOf(bytes), logTransform, char(decimalSeparator.unicode()));
}

QStringList SplitTextLines(const QString &text)
{
    QStringList lines;
    for (const std::u16string_view line : linesOf(viewOf(text)))
        lines << textOf(line);
    return lines;
}
