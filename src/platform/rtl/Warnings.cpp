#include "Warnings.h"

#include <QtGlobal>

namespace rtl {

namespace {

WarningHandler &installedHandler()
{
    static WarningHandler handler;
    return handler;
}

} // namespace

void ShowWarning(WarningKind kind, const QString &text)
{
    const WarningHandler &handler = installedHandler();
    if (handler)
        handler(kind, text);
    else
        qWarning("%s", qUtf8Printable(text));
}

WarningHandler SetWarningHandler(WarningHandler handler)
{
    WarningHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

} // namespace rtl
