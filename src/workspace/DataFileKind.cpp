#include "DataFileKind.h"

#include <QFileInfo>

TDataFileKind DataFileKind(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toUpper();
    if (suffix == QLatin1String("CSV") || suffix == QLatin1String("TXT"))
        return TDataFileKind::Text;
    if (suffix == QLatin1String("DBF"))
        return TDataFileKind::DBase;
    if (suffix == QLatin1String("DB"))
        return TDataFileKind::Paradox;
    return TDataFileKind::Other;
}
