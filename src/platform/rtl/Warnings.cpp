#include "Warnings.h"

#include <QtGlobal>

namespace rtl {

namespace {

WarningHandler &installedHandler()
{
    static WarningHandler handler;
    return handler;
}

thread_local std::vector<TWarning> *t_capture = nullptr;

} // namespace

void ShowWarning(WarningKind kind, const QString &text)
{
    if (t_capture) {
        t_capture->push_back({kind, text});
        return;
    }
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

TWarningCapture::TWarningCapture(std::vector<TWarning> &into) : m_previous(t_capture) { t_capture = &into; }

TWarningCapture::~TWarningCapture() { t_capture = m_previous; }

void ShowWarnings(const std::vector<TWarning> &warnings)
{
    for (const TWarning &warning : warnings)
        ShowWarning(warning.kind, warning.text);
}

} // namespace rtl
