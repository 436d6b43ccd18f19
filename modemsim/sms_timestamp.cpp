#include "modemsim/sms_timestamp.h"

#include <cstdio>

namespace modemsim {
namespace {

struct CivilDate {
    long year;
    unsigned month;
    unsigned day;
};

// Days since 1970-01-01 to a Gregorian date, without the C library's non-reentrant calls.
CivilDate DateFromDays(long days) {
    days += 719468;
    const long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned long>(days - era * 146097);
    const unsigned long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned long monthIndex = (5 * dayOfYear + 2) / 153;
    const auto day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const auto month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const long year = static_cast<long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

}  // namespace

std::string SmsTimestamp(std::chrono::system_clock::time_point when) {
    const long seconds = static_cast<long>(
        std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count());
    const long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const long secondOfDay = seconds - days * 86400;
    const CivilDate date = DateFromDays(days);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld/%02u/%02u,%02ld:%02ld:%02ld+00",
                  ((date.year % 100) + 100) % 100, date.month, date.day, secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60);
    return text;
}

}  // namespace modemsim
