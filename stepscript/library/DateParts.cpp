#include "stepscript/library/DateParts.h"
#include <cmath>
#include <limits>

namespace stepscript {
namespace dates {
namespace {

constexpr long long kEpoch = 25569;  // days from 30 December 1899 to 1 January 1970

long long FloorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Days since 1 January 1970 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    long long era = FloorDiv(y, 400);
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    long long era = FloorDiv(z, 146097);
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

int DaysInMonth(long long y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

int Sunday0(long long day) { return static_cast<int>(((day + 6) % 7 + 7) % 7); }  // day 0 was a Saturday

} // namespace

double Serial(long long year, int month, int day) { return static_cast<double>(DaysFromCivil(year, month, day) + kEpoch); }

double Seconds(int hour, int minute, int second) { return hour * 3600.0 + minute * 60.0 + second; }

bool InRange(double date) { return date >= -657434.0 && date < 2958466.0; }

double ToLinear(double date) {
    double day = std::trunc(date);
    return day + std::fabs(date - day);
}

double FromLinear(double linear) {
    double day = std::floor(linear);
    double frac = linear - day;
    return day < 0 && frac > 0 ? day - frac : day + frac;
}

long long TotalSeconds(double date) { return static_cast<long long>(std::llround(ToLinear(date) * 86400.0)); }

Parts Split(double date) {
    long long total = TotalSeconds(date);
    long long day = FloorDiv(total, 86400);
    long long secs = total - day * 86400;
    Parts p{};
    CivilFromDays(day - kEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(secs / 3600);
    p.minute = static_cast<int>(secs / 60 % 60);
    p.second = static_cast<int>(secs % 60);
    p.dayOfYear = static_cast<int>(day - static_cast<long long>(Serial(p.year, 1, 1))) + 1;
    p.weekday = Sunday0(day);
    return p;
}

bool SerialRolled(long long year, long long month, long long day, double& date) {
    year += FloorDiv(month - 1, 12);
    month -= FloorDiv(month - 1, 12) * 12;
    if (year < -100000 || year > 100000) return false;
    date = Serial(year, static_cast<int>(month), 1) + static_cast<double>(day - 1);
    return InRange(date);
}

double AddMonths(double date, long long months) {
    Parts p = Split(date);
    long long total = p.year * 12LL + (p.month - 1) + months;
    long long y = FloorDiv(total, 12);
    int m = static_cast<int>(total - y * 12) + 1;
    if (y < 100 || y > 9999) return std::numeric_limits<double>::quiet_NaN();
    int d = p.day < DaysInMonth(y, m) ? p.day : DaysInMonth(y, m);
    double linear = Serial(y, m, d) + Seconds(p.hour, p.minute, p.second) / 86400.0;
    return FromLinear(linear);
}

double AddSeconds(double date, double seconds) {
    double total = static_cast<double>(TotalSeconds(date)) + seconds;
    return FromLinear(total / 86400.0);
}

int WeekdayOf(double date, int firstDay) {
    int sunday0 = Split(date).weekday;
    return (sunday0 - (firstDay - 1) + 7) % 7 + 1;
}

long long WeekStart(long long day, int firstDay) { return day - (Sunday0(day) - (firstDay - 1) + 7) % 7; }

namespace {
long long FirstWeekStart(int year, int firstDay, int firstWeek) {
    long long jan1 = static_cast<long long>(Serial(year, 1, 1));
    long long start = WeekStart(jan1, firstDay);
    long long daysInYear = start + 7 - jan1;  // days of that week inside the new year
    if (firstWeek == 2 && daysInYear < 4) start += 7;
    if (firstWeek == 3 && start != jan1) start += 7;
    return start;
}
} // namespace

int WeekOfYear(double date, int firstDay, int firstWeek) {
    Parts p = Split(date);
    long long day = FloorDiv(TotalSeconds(date), 86400);
    long long start = FirstWeekStart(p.year, firstDay, firstWeek);
    if (day < start) start = FirstWeekStart(p.year - 1, firstDay, firstWeek);
    return static_cast<int>((day - start) / 7 + 1);
}

} // namespace dates
} // namespace stepscript
