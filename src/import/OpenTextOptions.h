#pragma once
// The options of the dialog "Open text file" and their named text values in the settings store
// ("fot_" names, Booleans as "T" or "F"), with the rules for the delimiter text, the file
// dialog's filter and the remembered folder.

#include <QChar>
#include <QString>

#include <functional>

struct TOpenTextOptions
{
    bool Ascii = true;
    bool Delimited = false;
    /// A character of code page 1250: its code is what the store keeps.
    QChar Delimiter = u';';
    bool VarNames = false;
    bool Database = false;
    QString LastDir;
    QString LastExt;

    /// Checking one of the three ways of reading unchecks the other two.
    void CheckAscii(bool checked);
    void CheckDelimited(bool checked);
    void CheckDatabase(bool checked);
};

/// Reading and writing named text values; each answers false while the store is not open.
struct TSettingsAccess
{
    std::function<bool(const QString &name, QString &value)> Read;
    std::function<bool(const QString &name, const QString &value)> Write;
};

/// Reads the "fot_" values over `options`. Nothing is read when "fot_ASCII" cannot be; a value
/// that cannot be read keeps its option. Each way of reading is set as if clicked, so the last
/// one read as "T" stays checked.
void LoadOpenTextOptions(const TSettingsAccess &store, TOpenTextOptions &options);
/// Writes the "fot_" values; nothing more when "fot_ASCII" cannot be written. Errors of the
/// store pass to the caller.
void SaveOpenTextOptions(const TSettingsAccess &store, const TOpenTextOptions &options);

/// The delimiter as typed: a character (only the first counts) or "#" and its code.
struct TDelimiterText
{
    /// Empty when the text is accepted; else the message to show.
    QString Error;
    /// The text the edit takes: the character itself for "#" and a code.
    QString EditText;
    QChar Delimiter;
};
TDelimiterText ParseDelimiterText(const QString &text);
/// "Delimiter (" + the code of `delimiter` + ")".
QString DelimiterLabel(QChar delimiter);

/// The filter entry the file dialog opens with: by the last extension when there is one
/// (".txt" 1, ".csv" 2, ".dbf" 3, any other 4), else by the checked way of reading.
int OpenFilterIndex(const TOpenTextOptions &options);
/// The extension of a file name in lower case with its dot; empty when it has none.
QString LowerExtensionOf(const QString &fileName);
