#include "core/date_time.h"

// -1, 0 or 1 for the presence test: present sorts before missing.
static int32_t comparePresence(bool aHas, bool bHas) {
    if (aHas == bHas) return 0;
    return aHas ? -1 : 1;
}

static int32_t sign(int32_t a, int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }

static int32_t compareDates(const DateTime& a, const DateTime& b) {
    if (int32_t presence = comparePresence(a.hasDate(), b.hasDate())) return presence;
    if (!a.hasDate()) return 0;
    if (int32_t r = sign(a.year, b.year)) return r;
    if (int32_t r = sign(a.month, b.month)) return r;
    return sign(a.day, b.day);
}

static int32_t compareTimes(const DateTime& a, const DateTime& b) {
    if (int32_t presence = comparePresence(a.hasTime(), b.hasTime())) return presence;
    if (!a.hasTime()) return 0;
    if (int32_t r = sign(a.hour, b.hour)) return r;
    if (int32_t r = sign(a.minute, b.minute)) return r;
    // Payload values can be anything: the difference is taken in 64 bits.
    int64_t difference = int64_t(a.second) - int64_t(b.second);
    if (difference > INT32_MAX) return INT32_MAX;
    if (difference < INT32_MIN) return INT32_MIN;
    return int32_t(difference);
}

int32_t compareDateTime(const DateTime& a, const DateTime& b) {
    if (int32_t r = compareDates(a, b)) return r;
    return compareTimes(a, b);
}
