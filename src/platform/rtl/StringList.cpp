#include "StringList.h"

#include <QRegularExpression>

namespace rtl {

int TStringList::IndexOf(const QString &line) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_lines[i].compare(line, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int TStringList::IndexOfName(const QString &name) const
{
    for (int i = 0; i < Count(); ++i) {
        const QString &line = m_lines[i];
        const int eq = int(line.indexOf(QLatin1Char('=')));
        if (eq >= 0 && QStringView(line).left(eq).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TStringList::Values(const QString &name) const
{
    const int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStringList::SetValues(const QString &name, const QString &value)
{
    const int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0)
            m_lines.removeAt(i);
        return;
    }
    const QString line = name + QLatin1Char('=') + value;
    if (i >= 0)
        m_lines[i] = line;
    else
        m_lines.append(line);
}

QString TStringList::Names(int index) const
{
    const QString &line = m_lines.at(index);
    const int eq = int(line.indexOf(QLatin1Char('=')));
    return eq < 0 ? QString() : line.left(eq);
}

QString TStringList::ValueFromIndex(int index) const
{
    const QString &line = m_lines.at(index);
    const int eq = int(line.indexOf(QLatin1Char('=')));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

QString TStringList::Text() const
{
    QString text;
    for (const QString &line : m_lines) {
        text += line;
        text += QLatin1Char('\n');
    }
    return text;
}

void TStringList::SetText(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    m_lines = text.split(lineBreak);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

} // namespace rtl
