#include "stepscript/library/BuiltinSupport.h"
#include "stepscript/library/DateParts.h"
#include <cmath>

namespace stepscript {
namespace builtins {

DATE DateArg(Args& a, size_t i) {
    const Value& v = Arg(a, i);
    if (v.type() == VT_DATE) return v.variant().date;
    return ConvertTo(v, VT_DATE).variant().date;
}

namespace {

using namespace dates;

bool NullArg(Args& a, size_t i) { return Given(a, i) && Arg(a, i).isNull(); }

Value DateOf(double serial) {
    if (!InRange(serial)) InvalidCall();
    return Value::Date(serial);
}

// firstdayofweek: 1 (Sunday) to 7, 0 for the system's.
int FirstDay(Args& a, size_t i) {
    LONG f = LongOr(a, i, 1);
    if (f < 0 || f > 7) InvalidCall();
    if (f == 0) {
        wchar_t buf[4] = L"6";
        ::GetLocaleInfoW(ScriptLocale(), LOCALE_IFIRSTDAYOFWEEK, buf, 4);
        f = ((buf[0] - L'0') + 1) % 7 + 1;
    }
    return static_cast<int>(f);
}

// firstweekofyear: 1 (week of January 1), 2 (first four-day week), 3 (first full week), 0 the system's.
int FirstWeek(Args& a, size_t i) {
    LONG f = LongOr(a, i, 1);
    if (f < 0 || f > 3) InvalidCall();
    if (f == 0) {
        wchar_t buf[4] = L"0";
        ::GetLocaleInfoW(ScriptLocale(), LOCALE_IFIRSTWEEKOFYEAR, buf, 4);
        f = buf[0] == L'1' ? 3 : buf[0] == L'2' ? 2 : 1;
    }
    return static_cast<int>(f);
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

Interval IntervalArg(Args& a, size_t i) {
    std::wstring s = Lower(Text(a, i));
    static const struct {
        const wchar_t* name;
        Interval interval;
    } names[] = {{L"yyyy", Interval::Year}, {L"q", Interval::Quarter},  {L"m", Interval::Month},
                 {L"y", Interval::DayOfYear}, {L"d", Interval::Day},     {L"w", Interval::Weekday},
                 {L"ww", Interval::Week},   {L"h", Interval::Hour},     {L"n", Interval::Minute},
                 {L"s", Interval::Second}};
    for (const auto& n : names)
        if (s == n.name) return n.interval;
    InvalidCall();
}

Value NowFn(const std::wstring&, Args&, ErrObject*) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Value::Date(Serial(t.wYear, t.wMonth, t.wDay) + Seconds(t.wHour, t.wMinute, t.wSecond) / 86400.0);
}
Value DateFn(const std::wstring&, Args&, ErrObject*) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Value::Date(Serial(t.wYear, t.wMonth, t.wDay));
}
Value TimeFn(const std::wstring&, Args&, ErrObject*) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Value::Date(Seconds(t.wHour, t.wMinute, t.wSecond) / 86400.0);
}
Value TimerFn(const std::wstring&, Args&, ErrObject*) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return Value::Single(static_cast<float>(Seconds(t.wHour, t.wMinute, t.wSecond) + t.wMilliseconds / 1000.0));
}

template <int Parts::*Field>
Value PartFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    return Value::Int(static_cast<SHORT>(Split(DateArg(a, 0)).*Field));
}

Value WeekdayFn(const std::wstring&, Args& a, ErrObject*) {
    int first = FirstDay(a, 1);
    if (NullArg(a, 0)) return Value::Null();
    return Value::Int(static_cast<SHORT>(WeekdayOf(DateArg(a, 0), first)));
}

Value DateSerialFn(const std::wstring&, Args& a, ErrObject*) {
    for (size_t i = 0; i < 3; ++i)
        if (NullArg(a, i)) RaiseError(errors::kInvalidUseOfNull);
    long long y = Long(a, 0), m = Long(a, 1), d = Long(a, 2);
    if (y >= 0 && y < 30) y += 2000;
    else if (y >= 30 && y < 100) y += 1900;
    double serial = 0;
    if (!SerialRolled(y, m, d, serial)) InvalidCall();
    return DateOf(serial);
}

Value TimeSerialFn(const std::wstring&, Args& a, ErrObject*) {
    for (size_t i = 0; i < 3; ++i)
        if (NullArg(a, i)) RaiseError(errors::kInvalidUseOfNull);
    long long total = static_cast<long long>(Long(a, 0)) * 3600 + static_cast<long long>(Long(a, 1)) * 60 + Long(a, 2);
    return DateOf(FromLinear(static_cast<double>(total) / 86400.0));
}

Value DateValueFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    return Value::Date(std::trunc(DateArg(a, 0)));
}

Value TimeValueFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    double d = DateArg(a, 0);
    return Value::Date(std::fabs(d - std::trunc(d)));
}

Value DateAddFn(const std::wstring&, Args& a, ErrObject*) {
    Interval interval = IntervalArg(a, 0);
    if (NullArg(a, 1)) RaiseError(errors::kInvalidUseOfNull);
    double number = Dbl(a, 1);
    if (NullArg(a, 2)) return Value::Null();
    double date = DateArg(a, 2);
    long long n = static_cast<long long>(std::nearbyint(number));
    switch (interval) {
    case Interval::Year: return DateOf(AddMonths(date, n * 12));
    case Interval::Quarter: return DateOf(AddMonths(date, n * 3));
    case Interval::Month: return DateOf(AddMonths(date, n));
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return DateOf(AddSeconds(date, static_cast<double>(n) * 86400));
    case Interval::Week: return DateOf(AddSeconds(date, static_cast<double>(n) * 7 * 86400));
    case Interval::Hour: return DateOf(AddSeconds(date, static_cast<double>(n) * 3600));
    case Interval::Minute: return DateOf(AddSeconds(date, static_cast<double>(n) * 60));
    default: return DateOf(AddSeconds(date, static_cast<double>(n)));
    }
}

long long FloorDiv(long long a, long long b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

Value DateDiffFn(const std::wstring&, Args& a, ErrObject*) {
    Interval interval = IntervalArg(a, 0);
    int first = FirstDay(a, 3);
    FirstWeek(a, 4);
    if (NullArg(a, 1) || NullArg(a, 2)) return Value::Null();
    double d1 = DateArg(a, 1), d2 = DateArg(a, 2);
    Parts p1 = Split(d1), p2 = Split(d2);
    long long t1 = TotalSeconds(d1), t2 = TotalSeconds(d2);
    long long day1 = FloorDiv(t1, 86400), day2 = FloorDiv(t2, 86400);
    long long r = 0;
    switch (interval) {
    case Interval::Year: r = p2.year - p1.year; break;
    case Interval::Quarter: r = (p2.year * 4LL + (p2.month - 1) / 3) - (p1.year * 4LL + (p1.month - 1) / 3); break;
    case Interval::Month: r = (p2.year * 12LL + p2.month) - (p1.year * 12LL + p1.month); break;
    case Interval::DayOfYear:
    case Interval::Day: r = day2 - day1; break;
    case Interval::Weekday: r = (day2 - day1) / 7; break;
    case Interval::Week: r = (WeekStart(day2, first) - WeekStart(day1, first)) / 7; break;
    case Interval::Hour: r = FloorDiv(t2, 3600) - FloorDiv(t1, 3600); break;
    case Interval::Minute: r = FloorDiv(t2, 60) - FloorDiv(t1, 60); break;
    default: r = t2 - t1; break;
    }
    if (r < LONG_MIN || r > LONG_MAX) RaiseError(errors::kOverflow);
    return Value::Long(static_cast<LONG>(r));
}

Value DatePartFn(const std::wstring&, Args& a, ErrObject*) {
    Interval interval = IntervalArg(a, 0);
    int first = FirstDay(a, 2);
    int week = FirstWeek(a, 3);
    if (NullArg(a, 1)) return Value::Null();
    double d = DateArg(a, 1);
    Parts p = Split(d);
    int r = 0;
    switch (interval) {
    case Interval::Year: r = p.year; break;
    case Interval::Quarter: r = (p.month - 1) / 3 + 1; break;
    case Interval::Month: r = p.month; break;
    case Interval::DayOfYear: r = p.dayOfYear; break;
    case Interval::Day: r = p.day; break;
    case Interval::Weekday: r = WeekdayOf(d, first); break;
    case Interval::Week: r = WeekOfYear(d, first, week); break;
    case Interval::Hour: r = p.hour; break;
    case Interval::Minute: r = p.minute; break;
    default: r = p.second; break;
    }
    return Value::Int(static_cast<SHORT>(r));
}

std::wstring LocaleText(LCTYPE type) {
    wchar_t buf[100] = {};
    ::GetLocaleInfoW(ScriptLocale(), type, buf, 100);
    return buf;
}

Value WeekdayNameFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Long(a, 0);
    bool abbreviate = Given(a, 1) && ToBool(Arg(a, 1));
    int first = FirstDay(a, 2);
    if (n < 1 || n > 7) InvalidCall();
    int sunday0 = static_cast<int>((n - 1 + first - 1) % 7);
    int monday0 = (sunday0 + 6) % 7;
    return Value::String(LocaleText((abbreviate ? LOCALE_SABBREVDAYNAME1 : LOCALE_SDAYNAME1) + monday0));
}

Value MonthNameFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Long(a, 0);
    bool abbreviate = Given(a, 1) && ToBool(Arg(a, 1));
    if (n < 1 || n > 12) InvalidCall();
    return Value::String(LocaleText((abbreviate ? LOCALE_SABBREVMONTHNAME1 : LOCALE_SMONTHNAME1) + (n - 1)));
}

Value IsDateFn(const std::wstring&, Args& a, ErrObject*) {
    if (!Given(a, 0)) return Value::Bool(false);
    Value v = a[0];
    if (v.type() == VT_DATE) return Value::Bool(true);
    if (v.type() != VT_BSTR) return Value::Bool(false);
    DATE d = 0;
    return Value::Bool(SUCCEEDED(::VarDateFromStr(v.variant().bstrVal, ScriptLocale(), 0, &d)) && InRange(d));
}

} // namespace

void AddDateFunctions(Table& t) {
    t.insert({
        {L"now", {0, 0, NowFn}},
        {L"date", {0, 0, DateFn}},
        {L"time", {0, 0, TimeFn}},
        {L"timer", {0, 0, TimerFn}},
        {L"year", {1, 1, PartFn<&Parts::year>}},
        {L"month", {1, 1, PartFn<&Parts::month>}},
        {L"day", {1, 1, PartFn<&Parts::day>}},
        {L"hour", {1, 1, PartFn<&Parts::hour>}},
        {L"minute", {1, 1, PartFn<&Parts::minute>}},
        {L"second", {1, 1, PartFn<&Parts::second>}},
        {L"weekday", {1, 2, WeekdayFn}},
        {L"dateserial", {3, 3, DateSerialFn}},
        {L"timeserial", {3, 3, TimeSerialFn}},
        {L"datevalue", {1, 1, DateValueFn}},
        {L"timevalue", {1, 1, TimeValueFn}},
        {L"dateadd", {3, 3, DateAddFn}},
        {L"datediff", {3, 5, DateDiffFn}},
        {L"datepart", {2, 4, DatePartFn}},
        {L"weekdayname", {1, 3, WeekdayNameFn}},
        {L"monthname", {1, 2, MonthNameFn}},
        {L"isdate", {1, 1, IsDateFn}},
    });
}

} // namespace builtins
} // namespace stepscript
