#pragma once
// The C library's number formatting switched to a locale with a decimal comma (cs_CZ), as Qt
// sets it from the environment for a Czech user.

#include <string>

class CommaLocale
{
public:
    /// Switches LC_NUMERIC for the life of the object; the locale before comes back after.
    CommaLocale();
    ~CommaLocale();
    CommaLocale(const CommaLocale &) = delete;
    CommaLocale &operator=(const CommaLocale &) = delete;
    /// False when no comma locale could be set (neither installed nor built for the tests).
    bool active() const;

private:
    std::string m_saved;
};
