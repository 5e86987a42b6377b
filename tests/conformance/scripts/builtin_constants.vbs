' The vb* constants.
Check vbCrLf = Chr(13) & Chr(10) And vbCr = Chr(13) And vbLf = Chr(10), "line ends"
Check vbNewLine = vbCrLf, "vbNewLine"
Check vbTab = Chr(9) And vbBack = Chr(8) And vbFormFeed = Chr(12) And vbVerticalTab = Chr(11), "control characters"
Check vbNullChar = Chr(0) And vbNullString = "", "vbNullChar, vbNullString"
Check vbTrue = -1 And vbFalse = 0 And vbUseDefault = -2, "tristate"
Check vbObjectError = -2147221504, "vbObjectError"
Check vbBinaryCompare = 0 And vbTextCompare = 1, "compare modes"
Check vbSunday = 1 And vbMonday = 2 And vbSaturday = 7 And vbUseSystemDayOfWeek = 0, "days"
Check vbFirstJan1 = 1 And vbFirstFourDays = 2 And vbFirstFullWeek = 3, "first week of the year"
Check vbGeneralDate = 0 And vbLongDate = 1 And vbShortDate = 2 And vbLongTime = 3 And vbShortTime = 4, "date formats"
Check vbBlack = 0 And vbRed = &HFF And vbGreen = 65280 And vbBlue = &HFF0000 And vbWhite = &HFFFFFF, "colours"
Check vbOKOnly = 0 And vbOKCancel = 1 And vbYesNo = 4 And vbOK = 1 And vbCancel = 2 And vbYes = 6 And vbNo = 7, "message box constants"
Done
