#include "TextLines.h"

#include "platform/db/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

const db::CodePage &tableCodePage() { return db::CodePage::forLanguageDriver(db::CodePage::ProgramLanguageDriver); }

uint32_t codeOf(char c) { return static_cast<unsigned char>(c); }
uint32_t codeOf(QChar c) { return c.unicode(); }

template <typename View>
View trimControls(View text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && codeOf(text[first]) <= 32)
        ++first;
    while (last > first && codeOf(text[last - 1]) <= 32)
        --last;
    return text.sliced(first, last - first);
}

// False when the bytes are no valid UTF-8.
bool decodeUtf8(QByteArrayView bytes, QString &text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8.decode(bytes);
    return !utf8.hasError();
}

QString nativeName(const QString &fileName) { return QDir::toNativeSeparators(fileName); }

} // namespace

QString DecodeTextLine(QByteArrayView bytes)
{
    if (IsAsciiText(bytes))
        return QString::fromLatin1(bytes);
    QString text;
    return decodeUtf8(bytes, text) ? text : tableCodePage().decode(bytes.data(), int(bytes.size()));
}

bool IsCodePageLine(QByteArrayView bytes)
{
    QString text;
    return !IsAsciiText(bytes) && !decodeUtf8(bytes, text);
}

QChar CodePageChar(int code)
{
    const char byte = char(code & 0xFF);
    return tableCodePage().decode(&byte, 1).at(0);
}

int CodePageCode(QChar c)
{
    QByteArray byte;
    if (!tableCodePage().encode(QString(c), byte) || byte.size() != 1)
        return -1;
    return static_cast<unsigned char>(byte[0]);
}

QByteArray ReadFileBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw rtl::EInOutError(QStringLiteral("The file %1 cannot be read. %2").arg(nativeName(fileName), file.errorString()));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw rtl::EInOutError(QStringLiteral("The file %1 cannot be read. %2").arg(nativeName(fileName), file.errorString()));
    return data;
}

int CountLines(QByteArrayView data)
{
    int count = 0;
    ForEachLine(data, [&count](QByteArrayView) { ++count; });
    return count;
}

QStringList ReadTextLines(const QString &fileName)
{
    const QByteArray data = ReadFileBytes(fileName);
    QStringList lines;
    lines.reserve(CountLines(data));
    ForEachLine(data, [&lines](QByteArrayView line) { lines.append(DecodeTextLine(line)); });
    return lines;
}

void WriteTextLines(const QString &fileName, const QStringList &lines)
{
    QByteArray text;
    for (const QString &line : lines)
        text += line.toUtf8() + "\r\n";
    rtl::WriteWholeFile(fileName, text);
}

bool IsAsciiText(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return codeOf(c) < 0x80; });
}

QStringView TrimControls(QStringView text) { return trimControls(text); }

QByteArrayView TrimControls(QByteArrayView text) { return trimControls(text); }
