#pragma once
// Sets the locale of number text for the life of a test and restores the one before.

#include "platform/rtl/SysUtils.h"

struct LocaleGuard
{
    explicit LocaleGuard(const QLocale &locale) : saved(rtl::FormatLocale()) { rtl::SetFormatLocale(locale); }
    ~LocaleGuard() { rtl::SetFormatLocale(saved); }
    LocaleGuard(const LocaleGuard &) = delete;
    LocaleGuard &operator=(const LocaleGuard &) = delete;
    QLocale saved;
};
