#include "Quibo_TLB.h"

#include <QFile>

namespace Quibo_TLB {

QString TypeLibrary()
{
    QFile file(QStringLiteral(":/automation/example.quibo.ICQuibo.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString InterfaceElements()
{
    const QString document = TypeLibrary();
    const qsizetype first = document.indexOf(QLatin1String("<interface "));
    const QLatin1String end("</interface>");
    const qsizetype last = document.lastIndexOf(end);
    if (first < 0 || last < first)
        return QString();
    return document.mid(first, last + end.size() - first);
}

} // namespace Quibo_TLB
