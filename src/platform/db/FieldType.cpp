#include "platform/db/FieldType.h"

namespace db {

QString FieldTypeName(TFieldType type)
{
    static const char *const names[] = {
        "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency",
        "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo",
        "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor", "ftFixedChar",
        "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference", "ftDataSet"};
    const int index = int(type);
    if (index < 0 || index >= int(std::size(names)))
        return QStringLiteral("ftUnknown");
    return QString::fromLatin1(names[index]);
}

bool IsNumericType(TFieldType type)
{
    switch (type) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD:
    case ftAutoInc: case ftLargeint:
        return true;
    default:
        return false;
    }
}

bool IsBlobType(TFieldType type) { return type >= ftBlob && type <= ftTypedBinary; }

} // namespace db
