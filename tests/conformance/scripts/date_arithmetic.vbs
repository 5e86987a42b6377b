' DateAdd, DateDiff, DatePart, MonthName, WeekdayName.
Function Same(a, b)
    ' Within half a second: times are fractions of a day.
    Same = Abs(CDbl(a) - CDbl(b)) < 0.5 / 86400
End Function
Check DateAdd("d", 30, #1/15/2003#) = #2/14/2003#, "DateAdd days"
Check DateAdd("m", 1, #1/31/2003#) = #2/28/2003#, "DateAdd of a month clamps the day"
Check DateAdd("yyyy", 1, #2/29/2004#) = #2/28/2005#, "DateAdd of a year from a leap day"
Check Same(DateAdd("h", 25, #1/1/2003#), #1/2/2003 1:00:00 AM#), "DateAdd hours"
Check Same(DateAdd("n", -1, #1/1/2003#), #12/31/2002 11:59:00 PM#), "DateAdd of negative minutes"
Check DateAdd("ww", 2, #1/1/2003#) = #1/15/2003#, "DateAdd weeks"
Check DateDiff("d", #1/1/2003#, #3/1/2003#) = 59, "DateDiff days"
Check DateDiff("d", #3/1/2003#, #1/1/2003#) = -59, "DateDiff backwards is negative"
Check DateDiff("m", #1/31/2003#, #2/1/2003#) = 1, "DateDiff counts month boundaries"
Check DateDiff("yyyy", #12/31/2002#, #1/1/2003#) = 1, "DateDiff counts year boundaries"
Check DateDiff("s", #1/1/2003#, #1/1/2003 12:01:00 AM#) = 60, "DateDiff seconds"
Check DateDiff("h", #1/1/2003#, #1/2/2003#) = 24, "DateDiff hours"
Check DatePart("q", #5/1/2003#) = 2, "DatePart quarter"
Check DatePart("y", #2/1/2003#) = 32, "DatePart day of year"
Check DatePart("yyyy", #5/1/2003#) = 2003 And DatePart("m", #5/1/2003#) = 5, "DatePart year and month"
Check DatePart("w", #1/2/2003#) = 5, "DatePart weekday"
Check MonthName(2) = "February" And MonthName(2, True) = "Feb", "MonthName"
Check WeekdayName(1) = "Sunday" And WeekdayName(7, True) = "Sat", "WeekdayName"
On Error Resume Next
Dim x
x = DateAdd("bogus", 1, #1/1/2003#)
Check Err.Number = 5, "an unknown interval is error 5"
Err.Clear
x = MonthName(13)
Check Err.Number = 5, "MonthName(13) is error 5"
Err.Clear
On Error GoTo 0
Done
