#pragma once
// Reading of text data files: one data item per line, the identifier and then its values,
// separated by ";".

#include "DataItem.h"

#include "platform/rtl/SysUtils.h"

#include <QStringList>

/// S without leading and trailing space characters (only the space; tabs stay).
QString TrimSpaces(const QString &s);
QStringView TrimSpaces(QStringView s);

/// True when every character of S is '+', '-', a digit or `decimalSeparator` (true for "").
bool IsNumber(QStringView s, QChar decimalSeparator);

/// A reading that stopped at a piece that is no usable value; the message names the 1-based
/// line number and the piece.
class ETextDataError : public rtl::Exception
{
public:
    ETextDataError(int line, const QString &reason);
    int Line() const { return m_line; }

private:
    int m_line;
};

/// Appends one value to `item` when `text` is a number: pieces that are empty or hold other
/// characters are skipped. With `logTransform` the value stored is its base-10 logarithm.
/// Throws rtl::EConvertError for a piece of number characters that is no number and
/// rtl::EMathError for a logarithm of 0 or below. Answers false when the item is full.
bool AddValue(TDataItem &item, QStringView text, bool logTransform);

struct TextDataFile
{
    std::vector<TDataItem> items;
    /// 1-based numbers of the lines that held more values than an item can keep.
    QList<int> truncatedLines;
};

/// Builds one item per line. Throws ETextDataError naming the line of a piece that cannot be read.
TextDataFile ReadTextData(const QStringList &lines, bool logTransform);

/// Builds one item per line of a file's bytes in the local 8-bit encoding, the lines split as
/// SplitTextLines splits the decoded text; the same items as reading the decoded lines.
TextDataFile ReadTextData(QByteArrayView text, bool logTransform);

/// Splits a file's text into lines as a text editor would (CR LF, LF or CR; no line after a
/// final line break).
QStringList SplitTextLines(const QString &text);
