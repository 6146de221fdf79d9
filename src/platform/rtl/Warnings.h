#pragma once
// The one way computing units tell the user something: a message of a kind, handed to whatever
// the program installed (the dialog seam in the program, a recorder in tests). Units below the
// forms call ShowWarning instead of opening boxes themselves.

#include <QString>

#include <functional>
#include <vector>

namespace rtl {

enum class WarningKind { Warning, Error, Information };

using WarningHandler = std::function<void(WarningKind kind, const QString &text)>;

/// Hands the message to the installed handler; without one it is written to the Qt message log.
void ShowWarning(WarningKind kind, const QString &text);

/// Installs `handler` (an empty one goes back to the message log) and answers the one before it.
WarningHandler SetWarningHandler(WarningHandler handler);

struct TWarning
{
    WarningKind kind;
    QString text;
};

/// While it lives, the warnings shown on the thread that made it are appended to `into` instead
/// of being handed on: work on another thread keeps them for the thread that shows boxes.
class TWarningCapture
{
public:
    explicit TWarningCapture(std::vector<TWarning> &into);
    ~TWarningCapture();
    TWarningCapture(const TWarningCapture &) = delete;
    TWarningCapture &operator=(const TWarningCapture &) = delete;

private:
    std::vector<TWarning> *m_previous;
};

/// Shows captured warnings in the order they came.
void ShowWarnings(const std::vector<TWarning> &warnings);

} // namespace rtl
