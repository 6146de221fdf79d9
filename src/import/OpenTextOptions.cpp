#include "OpenTextOptions.h"

#include "workspace/TextLines.h"

#include "platform/rtl/SysUtils.h"

namespace {

const QString kTrue = QStringLiteral("T");
const QString kFalse = QStringLiteral("F");
constexpr QChar kDefaultDelimiter = u';';

QString flag(bool value) { return value ? kTrue : kFalse; }

QChar delimiterFromStore(const QString &text)
{
    int32_t code = 0;
    return rtl::TryStrToInt(text, code) ? CodePageChar(code) : kDefaultDelimiter;
}

} // namespace

void TOpenTextOptions::CheckAscii(bool checked)
{
    Ascii = checked;
    if (checked)
        Delimited = Database = false;
}

void TOpenTextOptions::CheckDelimited(bool checked)
{
    Delimited = checked;
    if (checked)
        Ascii = Database = false;
}

void TOpenTextOptions::CheckDatabase(bool checked)
{
    Database = checked;
    if (checked)
        Ascii = Delimited = false;
}

void LoadOpenTextOptions(const TSettingsAccess &store, TOpenTextOptions &options)
{
    QString text;
    if (!store.Read(QStringLiteral("fot_ASCII"), text))
        return;
    options.CheckAscii(text == kTrue);
    if (store.Read(QStringLiteral("fot_Delimited"), text))
        options.CheckDelimited(text == kTrue);
    if (store.Read(QStringLiteral("fot_Character"), text))
        options.Delimiter = delimiterFromStore(text);
    if (store.Read(QStringLiteral("fot_VarNames"), text))
        options.VarNames = text == kTrue;
    if (store.Read(QStringLiteral("fot_Database"), text))
        options.CheckDatabase(text == kTrue);
    if (store.Read(QStringLiteral("fot_OpenedPath"), text))
        options.LastDir = text;
    if (store.Read(QStringLiteral("fot_Ext"), text))
        options.LastExt = text;
}

void SaveOpenTextOptions(const TSettingsAccess &store, const TOpenTextOptions &options)
{
    if (!store.Write(QStringLiteral("fot_ASCII"), flag(options.Ascii)))
        return;
    store.Write(QStringLiteral("fot_Delimited"), flag(options.Delimited));
    store.Write(QStringLiteral("fot_Character"), QString::number(CodePageCode(options.Delimiter)));
    store.Write(QStringLiteral("fot_VarNames"), flag(options.VarNames));
    store.Write(QStringLiteral("fot_Database"), flag(options.Database));
    store.Write(QStringLiteral("fot_OpenedPath"), options.LastDir);
    store.Write(QStringLiteral("fot_Ext"), options.LastExt);
}

TDelimiterText ParseDelimiterText(const QString &text)
{
    static const QString badCode =
        QStringLiteral("Error of delimiter specification (must be #+ACSII code of the character)");
    TDelimiterText result;
    if (text.isEmpty()) {
        result.Error = QStringLiteral("Delimiter was not specified");
        return result;
    }
    result.EditText = text;
    if (text.startsWith(u'#')) {
        int32_t code = 0;
        if (!rtl::TryStrToInt(text.mid(1), code)) {
            result.Error = badCode;
            return result;
        }
        result.EditText = CodePageChar(code);
    }
    result.Delimiter = result.EditText.at(0);
    if (CodePageCode(result.Delimiter) < 0)
        result.Error = badCode; // the store keeps the delimiter as a code of the tables' code page
    return result;
}

QString DelimiterLabel(QChar delimiter)
{
    return QStringLiteral("Delimiter (") + QString::number(CodePageCode(delimiter)) + QLatin1Char(')');
}

int OpenFilterIndex(const TOpenTextOptions &options)
{
    if (!options.LastExt.isEmpty()) {
        if (options.LastExt == QLatin1String(".txt"))
            return 1;
        if (options.LastExt == QLatin1String(".csv"))
            return 2;
        return options.LastExt == QLatin1String(".dbf") ? 3 : 4;
    }
    if (options.Delimited)
        return 2;
    return options.Database ? 3 : 1;
}

QString LowerExtensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot < fileName.lastIndexOf(u'/'))
        return {};
    return fileName.mid(dot).toLower();
}
