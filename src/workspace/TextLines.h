#pragma once
// Lines of the text files the program reads and writes (import files, query files, the
// history). Files are UTF-8; a line that is no valid UTF-8 comes from an older tool and is read
// in code page 1250, the code page of the tables, so that its letters survive. Lines end with
// CR LF, LF or CR; a final line break starts no further line.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstring>

/// One line's bytes as text: UTF-8 when they are valid UTF-8 (a leading byte-order mark is
/// dropped), else code page 1250.
QString DecodeTextLine(QByteArrayView bytes);
/// True when DecodeTextLine reads `bytes` in code page 1250.
bool IsCodePageLine(QByteArrayView bytes);

/// The character of code page 1250 with the byte `code` (its low 8 bits count).
QChar CodePageChar(int code);
/// The byte of `c` in code page 1250; -1 when the code page has no such character.
int CodePageCode(QChar c);

/// The whole file. Throws rtl::EInOutError naming the file when it cannot be read.
QByteArray ReadFileBytes(const QString &fileName);

/// Calls `visit(QByteArrayView line)` for each line of `data`, without its line break.
template <typename Visit>
void ForEachLine(QByteArrayView data, Visit &&visit)
{
    const char *begin = data.data();
    const char *const end = begin + data.size();
    if (begin == end)
        return;
    const char *lineFeed = nullptr; // the next LF at or after begin, end when there is none
    while (begin < end) {
        if (!lineFeed || lineFeed < begin) { // kept from line to line: CR-ended lines are scanned once
            lineFeed = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin)));
            if (!lineFeed)
                lineFeed = end;
        }
        const auto *carriageReturn = static_cast<const char *>(std::memchr(begin, '\r', size_t(lineFeed - begin)));
        if (carriageReturn && carriageReturn + 1 < lineFeed) { // a CR alone ends a line too
            visit(QByteArrayView(begin, carriageReturn - begin));
            begin = carriageReturn + 1;
            continue;
        }
        visit(QByteArrayView(begin, (carriageReturn ? carriageReturn : lineFeed) - begin));
        begin = lineFeed < end ? lineFeed + 1 : (carriageReturn ? carriageReturn + 1 : end);
    }
}

/// The number of lines ForEachLine visits.
int CountLines(QByteArrayView data);

/// The decoded lines of a file. Throws rtl::EInOutError naming the file.
QStringList ReadTextLines(const QString &fileName);
/// Writes the lines as UTF-8, each ended by CR LF, beside `fileName` and renamed over it, so
/// that a failure leaves an earlier file intact. Throws rtl::EInOutError naming the file.
void WriteTextLines(const QString &fileName, const QStringList &lines);

/// True when every byte is below 0x80: the line reads the same in UTF-8 and code page 1250.
bool IsAsciiText(QByteArrayView bytes);

/// `text` without the characters of code 32 or below at either end.
QStringView TrimControls(QStringView text);
QByteArrayView TrimControls(QByteArrayView text);
