#include "NumericLocale.h"
#include <clocale>
#include <cstring>

void useCNumericLocale()
{
    const char* now = std::setlocale(LC_NUMERIC, nullptr);
    if (now && (std::strcmp(now, "C") == 0 || std::strcmp(now, "POSIX") == 0))
        return;
    std::setlocale(LC_NUMERIC, "C");
}
