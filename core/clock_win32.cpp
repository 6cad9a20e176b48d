// The system clock.
#include <windows.h>

#include "core/clock.h"

Timestamp nowTimestamp() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    DateTime now;
    now.year = local.wYear;
    now.month = local.wMonth;
    now.day = local.wDay;
    now.hour = local.wHour;
    now.minute = local.wMinute;
    now.second = local.wSecond;
    return timestampFromDateTime(now);
}
