#include "CommaLocale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

CommaLocale::CommaLocale() : m_saved(std::setlocale(LC_NUMERIC, nullptr))
{
    if (!std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8")) {
        // Not installed: the one built for the tests (the C library reads LOCPATH anew).
        if (!std::getenv("LOCPATH"))
            ::setenv("LOCPATH", QUIBO_COMMA_LOCALE_DIR, 1);
        std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8");
    }
}

CommaLocale::~CommaLocale() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }

bool CommaLocale::active() const { return std::strcmp(std::localeconv()->decimal_point, ",") == 0; }
