#pragma once

namespace stepscript {
namespace dates {

// Calendar arithmetic on OLE dates: days since 30 December 1899, the time as the
// fraction. Before that day the fraction still counts forward from midnight
// (-1.25 is 29 December 1899, 06:00), so arithmetic goes through a linear day count.

struct Parts {
    int year, month, day, hour, minute, second;
    int dayOfYear;
    int weekday;  // 0 Sunday .. 6 Saturday
};

double Serial(long long year, int month, int day);
double Seconds(int hour, int minute, int second);
// The dates the language holds: years 100 to 9999.
bool InRange(double date);
Parts Split(double date);
double ToLinear(double date);
double FromLinear(double linear);
// Whole seconds since the epoch on the linear scale (rounded to the second).
long long TotalSeconds(double date);
// DateSerial's rolling of months and days beyond their range; false outside the dates.
bool SerialRolled(long long year, long long month, long long day, double& date);
// NaN when the result leaves the dates.
double AddMonths(double date, long long months);
double AddSeconds(double date, double seconds);
// 1 .. 7 counted from firstDay (1 Sunday .. 7 Saturday).
int WeekdayOf(double date, int firstDay);
// The linear day on which the week holding day begins.
long long WeekStart(long long day, int firstDay);
// firstWeek: 1 the week of January 1, 2 the first with four days, 3 the first full week.
int WeekOfYear(double date, int firstDay, int firstWeek);

} // namespace dates
} // namespace stepscript
