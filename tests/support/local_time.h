// A moment given in local time, for tests of day boundaries and time stamps.
#pragma once

#include <ctime>

namespace ft::testing {

inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

}  // namespace ft::testing
