' DateSerial, TimeSerial, date literals and the parts of a date.
Dim d, t
d = DateSerial(2003, 1, 2)
Check Year(d) = 2003 And Month(d) = 1 And Day(d) = 2, "Year, Month, Day"
Check d = #1/2/2003#, "a date literal is month/day/year"
Check CDbl(d) = 37623, "a date is days since 12/30/1899"
Check CDbl(#12/30/1899#) = 0, "day zero"
Check Weekday(d) = vbThursday And Weekday(d) = 5, "Weekday counts from Sunday"
Check Weekday(d, vbMonday) = 4, "Weekday from another first day"
Check DateSerial(2003, 13, 1) = #1/1/2004#, "month 13 is January of the next year"
Check Day(DateSerial(2003, 3, 0)) = 28, "day 0 is the last day of the month before"
Check DateSerial(2004, 2, 29) = #2/29/2004#, "a leap day"
t = TimeSerial(13, 45, 30)
Check Hour(t) = 13 And Minute(t) = 45 And Second(t) = 30, "Hour, Minute, Second"
Check TimeSerial(0, 90, 0) = TimeSerial(1, 30, 0), "minutes past 59 carry"
d = #1/2/2003 1:45:30 PM#
Check Hour(d) = 13 And Day(d) = 2, "a literal with a time"
Check DateValue("2003-01-02 10:30:00") = #1/2/2003#, "DateValue keeps the date"
Check TimeValue("10:30:00") = TimeSerial(10, 30, 0), "TimeValue"
Check #1/2/2003# - #1/1/2003# = 1, "subtracting dates gives days"
Check TypeName(#1/1/2003# + 1) = "Date" And #1/1/2003# + 1 = #1/2/2003#, "adding days to a date"
Check IsDate("2003-01-02") And Not IsDate("hello"), "IsDate"
Check TypeName(DateSerial(2003, 1, 2)) = "Date", "DateSerial gives a Date"
Done
