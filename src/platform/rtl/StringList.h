#pragma once
// An ordered list of text lines that also serves as a name=value list.

#include <QString>
#include <QStringList>

namespace rtl {

class TStringList
{
public:
    TStringList() = default;
    explicit TStringList(QStringList lines) : m_lines(std::move(lines)) {}

    int Count() const { return int(m_lines.size()); }
    const QString &operator[](int index) const { return m_lines.at(index); }
    QString &operator[](int index) { return m_lines[index]; }
    void Add(const QString &line) { m_lines.append(line); }
    void Insert(int index, const QString &line) { m_lines.insert(index, line); }
    void Delete(int index) { m_lines.removeAt(index); }
    void Clear() { m_lines.clear(); }
    int IndexOf(const QString &line) const;

    /// Index of the first line "name=..." whose name equals `name` ignoring case; -1 when none.
    int IndexOfName(const QString &name) const;
    /// The text after the first '=' of the line named `name`; empty when there is none.
    QString Values(const QString &name) const;
    /// Replaces the value of the line named `name` in place, or appends "name=value".
    /// An empty value removes the line.
    void SetValues(const QString &name, const QString &value);
    QString Names(int index) const;
    QString ValueFromIndex(int index) const;

    /// All lines joined by line feeds, each line ended by one.
    QString Text() const;
    /// Replaces the lines by those of `text` (split at CR LF, LF or CR).
    void SetText(const QString &text);

    const QStringList &Lines() const { return m_lines; }
    QStringList &Lines() { return m_lines; }

private:
    QStringList m_lines;
};

} // namespace rtl
