#include "VersionInfo.h"

#include "BuildVersion.h"

QString TVersionInfo::Value(const QString &key) const
{
    const auto found = Entries.find(key);
    return found == Entries.end() ? QString() : found->second;
}

const QStringList &VersionKeys()
{
    static const QStringList keys{
        QStringLiteral("CompanyName"),      QStringLiteral("FileDescription"), QStringLiteral("FileVersion"),
        QStringLiteral("InternalName"),     QStringLiteral("LegalCopyright"),  QStringLiteral("LegalTradeMarks"),
        QStringLiteral("OriginalFileName"), QStringLiteral("ProductName"),     QStringLiteral("ProductVersion"),
        QStringLiteral("Comments")};
    return keys;
}

TVersionInfo ProgramVersionInfo()
{
    TVersionInfo info;
    info.Present = true;
    info.Entries = {
        {QStringLiteral("CompanyName"), QStringLiteral(QUIBO_COMPANY_NAME)},
        {QStringLiteral("FileDescription"), QStringLiteral(QUIBO_FILE_DESCRIPTION)},
        {QStringLiteral("FileVersion"), QStringLiteral(QUIBO_FILE_VERSION)},
        {QStringLiteral("InternalName"), QStringLiteral(QUIBO_INTERNAL_NAME)},
        {QStringLiteral("LegalCopyright"), QString::fromUtf8(QUIBO_LEGAL_COPYRIGHT)},
        {QStringLiteral("LegalTradeMarks"), QString::fromUtf8(QUIBO_LEGAL_TRADEMARKS)},
        {QStringLiteral("OriginalFileName"), QStringLiteral(QUIBO_ORIGINAL_FILE_NAME)},
        {QStringLiteral("ProductName"), QStringLiteral(QUIBO_PRODUCT_NAME)},
        {QStringLiteral("ProductVersion"), QStringLiteral(QUIBO_PRODUCT_VERSION)},
        {QStringLiteral("Comments"), QString::fromUtf8(QUIBO_COMMENTS)},
    };
    return info;
}
