// New RegExp as scripts use it: matching options, Execute's collections, Replace.
#include "tests/unit/stepscript/TestSite.h"
#include <gtest/gtest.h>

using namespace stepscript_test;

namespace {

std::vector<std::wstring> Logged(const std::wstring& script) {
    Harness h;
    h.run(script);
    std::wstring error = h.lastError();
    EXPECT_TRUE(h.site->errors.empty()) << std::string(error.begin(), error.end());
    return h.lines();
}

// The value of expr after a RegExp r was set up by setup.
std::wstring With(const std::wstring& setup, const std::wstring& expr) {
    auto lines = Logged(L"Set r = New RegExp\n" + setup + L"\nOut.Log " + expr + L"\n");
    return lines.empty() ? L"<nothing logged>" : lines.back();
}

using Lines = std::vector<std::wstring>;

} // namespace

TEST(RegExp, ExecuteGivesMatchesWithPositionsAndSubMatches) {
    EXPECT_EQ(Logged(L"Set r = New RegExp : r.Pattern = \"(\\d+)-(\\d+)\" : r.Global = True\n"
                     L"Set ms = r.Execute(\"1-2 x 30-40\")\nOut.Log ms.Count\n"
                     L"For Each m In ms : Out.Log m.Value & \"|\" & m.FirstIndex & \"|\" & m.Length & \"|\" & "
                     L"m.SubMatches(1) & \"|\" & m.SubMatches.Count : Next\n"
                     L"Out.Log ms(1) & \",\" & ms.Item(0).SubMatches.Item(0)\n"
                     L"For Each s In ms(1).SubMatches : Out.Log s : Next"),
              (Lines{L"2", L"1-2|0|3|2|2", L"30-40|6|5|40|2", L"30-40,1", L"30", L"40"}));
    // Without Global only the first match counts.
    EXPECT_EQ(With(L"r.Pattern = \"\\d\"", L"r.Execute(\"a1b2c3\").Count & r.Execute(\"a1b2c3\")(0)"), L"11");
    EXPECT_EQ(With(L"r.Pattern = \"\\d\" : r.Global = True", L"r.Execute(\"a1b2c3\").Count"), L"3");
    EXPECT_EQ(With(L"r.Pattern = \"z\" : r.Global = True", L"r.Execute(\"abc\").Count"), L"0");
    // A group that took no part is Empty, not an empty string.
    EXPECT_EQ(With(L"r.Pattern = \"(a)|(b)\"", L"IsEmpty(r.Execute(\"b\")(0).SubMatches(0)) & r.Execute(\"b\")(0).SubMatches(1)"),
              L"Trueb");
    EXPECT_EQ(With(L"r.Pattern = \"(x)?y\"", L"IsEmpty(r.Execute(\"y\")(0).SubMatches(0))"), L"True");
    // Indexes past the end are an error, not a crash.
    Harness h;
    h.run(L"Set r = New RegExp : r.Pattern = \"a\"\nOut.Log r.Execute(\"a\")(1)\n");
    EXPECT_EQ(h.lastError(), L"Invalid procedure call or argument");
}

TEST(RegExp, OptionsIgnoreCaseAndMultiline) {
    EXPECT_EQ(With(L"r.Pattern = \"abc\"", L"r.Test(\"xABCx\")"), L"False");
    EXPECT_EQ(With(L"r.Pattern = \"abc\" : r.IgnoreCase = True", L"r.Test(\"xABCx\")"), L"True");
    EXPECT_EQ(With(L"r.Pattern = \"abc\" : r.IgnoreCase = True : r.IgnoreCase = False", L"r.Test(\"xABCx\")"), L"False");
    EXPECT_EQ(With(L"r.Pattern = \"^b\"", L"r.Test(\"a\" & vbLf & \"b\")"), L"False");
    EXPECT_EQ(With(L"r.Pattern = \"a$\"", L"r.Test(\"a\" & vbLf & \"b\")"), L"False");
    EXPECT_EQ(With(L"r.Pattern = \"^b\" : r.Multiline = True", L"r.Test(\"a\" & vbLf & \"b\")"), L"True");
    EXPECT_EQ(With(L"r.Pattern = \"^\\w\" : r.Multiline = True : r.Global = True",
                   L"r.Execute(\"ab\" & vbLf & \"cd\" & vbLf & \"ef\").Count"),
              L"3");
    // A later search starts mid-text but ^ still means a line start, not the search start.
    EXPECT_EQ(With(L"r.Pattern = \"^a\" : r.Global = True", L"r.Execute(\"aaa\").Count"), L"1");
    EXPECT_EQ(With(L"r.Pattern = \"a.c\"", L"r.Test(\"a\" & vbLf & \"c\")"), L"False");
    EXPECT_EQ(Logged(L"Set r = New RegExp\nOut.Log r.Global & r.IgnoreCase & r.Multiline & \"[\" & r.Pattern & \"]\"\n"
                     L"r.Pattern = \"x+\" : r.Global = 1\nOut.Log r.Pattern & r.Global & r.PATTERN"),
              (Lines{L"FalseFalseFalse[]", L"x+Truex+"}));
}

TEST(RegExp, ReplaceExpandsGroupReferences) {
    EXPECT_EQ(With(L"r.Pattern = \"(\\w+) (\\w+)\"", L"r.Replace(\"hello world\", \"$2 $1\")"), L"world hello");
    EXPECT_EQ(With(L"r.Pattern = \"o\"", L"r.Replace(\"foo boo\", \"0\")"), L"f0o boo");
    EXPECT_EQ(With(L"r.Pattern = \"o\" : r.Global = True", L"r.Replace(\"foo boo\", \"0\")"), L"f00 b00");
    EXPECT_EQ(With(L"r.Pattern = \"b\"", L"r.Replace(\"abc\", \"[$&|$`|$'|$$]\")"), L"a[b|a|c|$]c");
    // $3 without a third group and a lone $ stay literal; $10 falls back to $1 then 0.
    EXPECT_EQ(With(L"r.Pattern = \"(a)(b)\"", L"r.Replace(\"ab\", \"$3$10$\")"), L"$3a0$");
    EXPECT_EQ(With(L"r.Pattern = \"(a)|(b)\" : r.Global = True", L"r.Replace(\"ab\", \"<$1$2>\")"), L"<a><b>");
    EXPECT_EQ(With(L"r.Pattern = \"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)\"", L"r.Replace(\"abcdefghijk\", \"$11$10\")"),
              L"kj");
}

TEST(RegExp, EmptyMatchesMoveOn) {
    EXPECT_EQ(With(L"r.Pattern = \"x*\" : r.Global = True", L"r.Replace(\"abc\", \"-\")"), L"-a-b-c-");
    EXPECT_EQ(With(L"r.Pattern = \"x*\" : r.Global = True", L"r.Execute(\"abc\").Count"), L"4");
    EXPECT_EQ(With(L"r.Pattern = \"\\b\" : r.Global = True", L"r.Replace(\"ab cd\", \"|\")"), L"|ab| |cd|");
    EXPECT_EQ(With(L"r.Pattern = \"\" : r.Global = True", L"r.Execute(\"\").Count"), L"1");
}

TEST(RegExp, BadPatternFailsTheCallThatUsesIt) {
    Harness h;
    h.run(L"Set r = New RegExp\nr.Pattern = \"(a\"\nOut.Log \"set\"\nOut.Log r.Test(\"a\")\nOut.Log \"never\"\n");
    EXPECT_EQ(h.lines(), (Lines{L"set"}));
    ASSERT_EQ(h.site->errors.size(), 1u);
    EXPECT_EQ(h.site->errors[0].scode, static_cast<HRESULT>(0x800A1399));
    EXPECT_EQ(h.lastError(), L"Syntax error in regular expression");
    // The error can be caught, and a fixed pattern works again.
    EXPECT_EQ(Logged(L"Set r = New RegExp : r.Pattern = \"[\"\nOn Error Resume Next\nx = r.Execute(\"a\").Count\n"
                     L"Out.Log Err.Number\nOn Error GoTo 0\nr.Pattern = \"a\"\nOut.Log r.Test(\"a\")"),
              (Lines{L"5017", L"True"}));
    Harness wrongCount;
    wrongCount.run(L"Set r = New RegExp\nOut.Log r.Replace(\"a\")\n");
    EXPECT_FALSE(wrongCount.site->errors.empty());
}

TEST(RegExp, ObjectsAnswerTheirTypeNamesAndAScriptClassReplacesTheBuiltIn) {
    EXPECT_EQ(With(L"r.Pattern = \"(a)\" : Set ms = r.Execute(\"a\")",
                   L"TypeName(r) & \" \" & TypeName(ms) & \" \" & TypeName(ms(0)) & \" \" & TypeName(ms(0).SubMatches)"),
              L"IRegExp2 IMatchCollection2 IMatch2 ISubMatches");
    EXPECT_EQ(With(L"r.Pattern = \"a\" : r.Global = True", L"r.Replace(\"banana\", 7) & r.Replace(\"a\", True)"),
              L"b7n7n7True");
    EXPECT_EQ(Logged(L"Class RegExp\n Public Pattern\nEnd Class\nSet r = New RegExp\nOut.Log TypeName(r)\n"),
              (Lines{L"RegExp"}));
}
