' Now, Date, Time and Timer agree with each other.
Dim n, today, t, seconds
n = Now
today = Date
t = Time
seconds = Timer
Check TypeName(n) = "Date" And TypeName(today) = "Date" And TypeName(t) = "Date", "subtypes"
Check Year(n) >= 2020, "a plausible year"
Check Int(CDbl(n)) = CDbl(today) Or Int(CDbl(n)) + 1 = CDbl(today), "Now's date is Date (or midnight passed)"
Check CDbl(today) = Int(CDbl(today)), "Date has no time"
Check CDbl(t) < 1, "Time has no date"
Check seconds >= 0 And seconds < 86400, "Timer counts the seconds of the day"
Check TypeName(seconds) = "Single", "Timer is a Single"
Check Abs(seconds - (Hour(t) * 3600 + Minute(t) * 60 + Second(t))) < 5 Or seconds < 5, "Timer agrees with Time"
Done
