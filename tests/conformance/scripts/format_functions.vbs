' FormatNumber, FormatCurrency, FormatPercent, FormatDateTime (English, United States).
Dim d
Check FormatNumber(1234.567, 2) = "1,234.57", "FormatNumber groups and rounds"
Check FormatNumber(-1234.5, 1) = "-1,234.5", "FormatNumber of a negative number"
Check FormatNumber(1234.5, 2, , , vbFalse) = "1234.50", "FormatNumber without grouping"
Check FormatNumber(0.25, 2, vbFalse) = ".25", "FormatNumber without the leading digit"
Check FormatNumber(-5, 0, , vbTrue) = "(5)", "FormatNumber with parentheses for negatives"
Check FormatNumber(3) = "3.00", "FormatNumber's default of two places"
Check FormatCurrency(1234.5) = "$1,234.50", "FormatCurrency"
Check FormatPercent(0.256, 1) = "25.6%", "FormatPercent"
Check FormatPercent(1) = "100.00%", "FormatPercent's default places"
d = #1/2/2003 1:45:00 PM#
Check FormatDateTime(d, vbShortDate) = "1/2/2003", "short date"
Check FormatDateTime(d, vbShortTime) = "13:45", "short time"
Check FormatDateTime(d, vbLongTime) = "1:45:00 PM", "long time"
Check FormatDateTime(d) = "1/2/2003 1:45:00 PM", "general date"
Check InStr(FormatDateTime(d, vbLongDate), "January") > 0 And InStr(FormatDateTime(d, vbLongDate), "2003") > 0, "long date"
Done
