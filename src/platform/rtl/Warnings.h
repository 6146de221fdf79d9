#pragma once
// The one way computing units tell the user something: a message of a kind, handed to whatever
// the program installed (the dialog seam in the program, a recorder in tests). Units below the
// forms call ShowWarning instead of opening boxes themselves.

#include <QString>

#include <functional>

namespace rtl {

enum class WarningKind { Warning, Error, Information };

using WarningHandler = std::function<void(WarningKind kind, const QString &text)>;

/// Hands the message to the installed handler; without one it is written to the Qt message log.
void ShowWarning(WarningKind kind, const QString &text);

/// Installs `handler` (an empty one goes back to the message log) and answers the one before it.
WarningHandler SetWarningHandler(WarningHandler handler);

} // namespace rtl
