#pragma once
// The Exec line of a D-Bus activation file, by the rules of the bus that reads it. The bus
// takes the value as a desktop-entry string (the escapes \s \t \n \r and \\; any other
// backslash makes it refuse the whole file) and then splits it into the program and its
// arguments as a shell would, without expansions.

#include <QString>
#include <QStringList>

#include <optional>

namespace automation {

/// One word of an Exec value, read back as `word` whatever it holds: single-quoted, a quote
/// in it written '\'', then escaped for the file.
QString ServiceExecWord(const QString &word);

/// The program and arguments the bus reads from the Exec value `value`; nothing when the bus
/// would refuse it (an unknown escape, a quote left open).
std::optional<QStringList> ServiceExecArguments(const QString &value);

} // namespace automation
