// The language as scripts see it, run through the engine's scripting interfaces.
#include "tests/unit/stepscript/TestSite.h"
#include <gtest/gtest.h>

using namespace stepscript_test;

namespace {

// Runs a script and answers what it logged, one entry per Out.Log.
std::vector<std::wstring> Logged(const std::wstring& script) {
    Harness h;
    h.run(script);
    std::wstring error = h.lastError();
    EXPECT_TRUE(h.site->errors.empty()) << std::string(error.begin(), error.end());
    return h.lines();
}

using Lines = std::vector<std::wstring>;

} // namespace

TEST(Language, ArithmeticAndStrings) {
    EXPECT_EQ(Eval(L"1 + 2 * 3"), L"7");
    EXPECT_EQ(Eval(L"(1 + 2) * 3"), L"9");
    EXPECT_EQ(Eval(L"(1 + 2)"), L"3");
    EXPECT_EQ(Eval(L"7 \\ 2"), L"3");
    EXPECT_EQ(Eval(L"7 Mod 3"), L"1");
    EXPECT_EQ(Eval(L"7 / 2"), L"3.5");
    EXPECT_EQ(Eval(L"-2 ^ 2"), L"4");
    EXPECT_EQ(Eval(L"2147483647 + 1"), L"2147483648");
    EXPECT_EQ(Eval(L"\"a\" & 1 & True"), L"a1True");
    EXPECT_EQ(Eval(L"\"say \"\"hi\"\"\""), L"say \"hi\"");
    EXPECT_EQ(Eval(L"\"ab\" + \"cd\""), L"abcd");
    EXPECT_EQ(Eval(L"Empty + 1"), L"1");
    EXPECT_EQ(Eval(L"Empty & \"x\""), L"x");
}

TEST(Language, ComparisonsAndLogic) {
    EXPECT_EQ(Eval(L"1 < 2 And 2 <= 2 And 3 > 2 And 3 >= 3 And 1 <> 2 And 1 = 1"), L"True");
    EXPECT_EQ(Eval(L"\"abc\" < \"abd\""), L"True");
    EXPECT_EQ(Eval(L"Not True Or False"), L"False");
    EXPECT_EQ(Eval(L"True Xor True"), L"False");
    EXPECT_EQ(Eval(L"6 And 3"), L"2");
    EXPECT_EQ(Eval(L"Nothing Is Nothing"), L"True");
    EXPECT_EQ(Eval(L"Out Is Out.Self"), L"True");
    EXPECT_EQ(Eval(L"Out Is Nothing"), L"False");
}

TEST(Language, ArithmeticFaultsAreRunTimeErrors) {
    EXPECT_EQ(Eval(L"1 / 0"), L"error: Division by zero");
    EXPECT_EQ(Eval(L"5 Mod 0"), L"error: Division by zero");
    EXPECT_EQ(Eval(L"\"abc\" * 2"), L"error: Type mismatch");
    EXPECT_EQ(Eval(L"1 Is 2"), L"error: Object required");
}

TEST(Language, IfElseIfElse) {
    EXPECT_EQ(Logged(L"Dim x\nFor x = 1 To 4\n If x = 1 Then\n  Out.Log \"one\"\n ElseIf x = 2 Then\n  Out.Log \"two\"\n"
                     L" ElseIf x = 3 Then\n Else\n  Out.Log \"many\"\n End If\nNext\n"),
              (Lines{L"one", L"two", L"many"}));
    EXPECT_EQ(Logged(L"If 1 > 2 Then Out.Log \"a\" Else Out.Log \"b\" : Out.Log \"c\"\nIf True Then Out.Log \"d\""),
              (Lines{L"b", L"c", L"d"}));
}

TEST(Language, Loops) {
    EXPECT_EQ(Logged(L"Dim i\nFor i = 3 To 1 Step -1\n Out.Log i\nNext\nOut.Log i"), (Lines{L"3", L"2", L"1", L"0"}));
    EXPECT_EQ(Logged(L"Dim i\nFor i = 1 To 10\n If i = 3 Then Exit For\nNext\nOut.Log i"), (Lines{L"3"}));
    EXPECT_EQ(Logged(L"Dim i\nFor i = 5 To 1\n Out.Log i\nNext\nOut.Log \"none\""), (Lines{L"none"}));
    EXPECT_EQ(Logged(L"Dim i\ni = 0\nDo While i < 3\n i = i + 1\nLoop\nOut.Log i"), (Lines{L"3"}));
    EXPECT_EQ(Logged(L"Dim i\ni = 0\nDo Until i = 2\n i = i + 1\nLoop\nOut.Log i"), (Lines{L"2"}));
    EXPECT_EQ(Logged(L"Dim i\ni = 10\nDo\n i = i + 1\nLoop While i < 5\nOut.Log i"), (Lines{L"11"}));
    EXPECT_EQ(Logged(L"Dim i\ni = 0\nDo\n i = i + 1\n If i = 4 Then Exit Do\nLoop\nOut.Log i"), (Lines{L"4"}));
    EXPECT_EQ(Logged(L"Dim i\ni = 0\nWhile i < 2\n i = i + 1\nWend\nOut.Log i"), (Lines{L"2"}));
    // Exit Do leaves only the Do around the For it sits in.
    EXPECT_EQ(Logged(L"Dim i, n\nn = 0\nDo\n For i = 1 To 3\n  n = n + 1\n  If i = 2 Then Exit Do\n Next\nLoop\nOut.Log n"),
              (Lines{L"2"}));
}

TEST(Language, ProceduresParametersAndReturnValues) {
    EXPECT_EQ(Logged(L"Function Fact(n)\n If n <= 1 Then\n  Fact = 1\n Else\n  Fact = n * Fact(n - 1)\n End If\nEnd Function\n"
                     L"Out.Log Fact(5)"),
              (Lines{L"120"}));
    EXPECT_EQ(Logged(L"Sub Greet(who, how)\n Out.Log how & \" \" & who\nEnd Sub\nGreet \"Ann\", \"Hi\"\nCall Greet(\"Bob\", \"Yo\")\n"
                     L"Greet(\"Cy\", \"Hey\")"),
              (Lines{L"Hi Ann", L"Yo Bob", L"Hey Cy"}));
    // Arguments naming a variable are passed by reference unless ByVal.
    EXPECT_EQ(Logged(L"Sub Bump(a, ByVal b)\n a = a + 1 : b = b + 1\nEnd Sub\nDim x, y\nx = 1 : y = 1\nBump x, y\nOut.Log x & y"),
              (Lines{L"21"}));
    // By reference means the same variable, also while the call runs.
    EXPECT_EQ(Logged(L"Dim g\ng = 1\nSub Alias(p)\n g = 7\n Out.Log p\n p = 9\nEnd Sub\nAlias g\nOut.Log g\nAlias (g)\nOut.Log g"),
              (Lines{L"7", L"9", L"9", L"7"}));
    // Locals hide globals and vanish with the call; Exit leaves early.
    EXPECT_EQ(Logged(L"Dim v\nv = \"global\"\nFunction F()\n Dim v\n v = \"local\"\n F = v\n Exit Function\n F = \"never\"\nEnd Function\n"
                     L"Out.Log F() & \" \" & v\nSub S\n Exit Sub\n Out.Log \"never\"\nEnd Sub\nS"),
              (Lines{L"local global"}));
    // A procedure parsed in a later block is known to code that runs later.
    Harness h;
    h.parseText(L"Dim shared\nshared = 1\n", 1);
    h.parseText(L"Sub Later\n Out.Log shared + 1\nEnd Sub\nLater\n", 2);
    h.start();
    EXPECT_EQ(h.lines(), (Lines{L"2"}));
}

TEST(Language, WrongArgumentCountsAndUnknownNames) {
    Harness h;
    h.run(L"Sub Two(a, b)\nEnd Sub\nTwo 1\n");
    EXPECT_EQ(h.lastError(), L"Wrong number of arguments or invalid property assignment: 'Two'");
    EXPECT_EQ(Eval(L"Len(\"a\", \"b\")"), L"error: Wrong number of arguments or invalid property assignment: 'Len'");
    EXPECT_EQ(Eval(L"Mid(\"abc\")"), L"error: Wrong number of arguments or invalid property assignment: 'Mid'");
    EXPECT_EQ(Eval(L"Whatever(1)"), L"error: Type mismatch: 'Whatever'");
}

TEST(Language, UndeclaredNamesAreVariablesUnlessOptionExplicit) {
    EXPECT_EQ(Logged(L"a = 1\nOut.Log a + b\nSub S\n  c = 2\n  Out.Log c\nEnd Sub\nS\nOut.Log IsEmpty(c)\n"),
              (Lines{L"1", L"2", L"True"}));
    Harness read;
    read.run(L"Option Explicit\nDim a : a = 1\nOut.Log b\n");
    ASSERT_EQ(read.site->errors.size(), 1u);
    EXPECT_EQ(read.site->errors[0].description, L"Variable is undefined: 'b'");
    EXPECT_EQ(read.site->errors[0].line, 2u);
    EXPECT_EQ(read.site->errors[0].source, L"StepScript runtime error");
    EXPECT_EQ(read.site->errors[0].scode, static_cast<HRESULT>(0x800A01F4));
    Harness write;
    write.run(L"Option Explicit\n  counter = 1\n");
    EXPECT_EQ(write.lastError(), L"Variable is undefined: 'counter'");
    EXPECT_EQ(write.site->errors[0].line, 1u);
    EXPECT_EQ(write.site->errors[0].column, 2);
    EXPECT_EQ(write.site->errors[0].lineText, L"  counter = 1");
    // A Dim anywhere in the scope declares the name for all of it.
    EXPECT_EQ(Logged(L"x = 5\nOut.Log x\nDim x"), (Lines{L"5"}));
}

TEST(Language, BuiltIns) {
    EXPECT_EQ(Eval(L"Len(\"hello\")"), L"5");
    EXPECT_EQ(Eval(L"CStr(12) & CStr(True)"), L"12True");
    EXPECT_EQ(Eval(L"CLng(\"42\") + 1"), L"43");
    EXPECT_EQ(Eval(L"CLng(2.5)"), L"2");
    EXPECT_EQ(Eval(L"CDbl(\"1.25\") * 2"), L"2.5");
    EXPECT_EQ(Eval(L"UCase(\"aBc\") & LCase(\"DeF\")"), L"ABCdef");
    EXPECT_EQ(Eval(L"Left(\"abcdef\", 2) & Right(\"abcdef\", 2) & Mid(\"abcdef\", 3, 2) & Mid(\"abcdef\", 5)"), L"abefcdef");
    EXPECT_EQ(Eval(L"Left(\"ab\", 10)"), L"ab");
    EXPECT_EQ(Eval(L"InStr(\"hello\", \"l\") & InStr(4, \"hello\", \"l\") & InStr(\"hello\", \"z\")"), L"340");
    EXPECT_EQ(Eval(L"Replace(\"a-b-c\", \"-\", \"+\")"), L"a+b+c");
    EXPECT_EQ(Eval(L"\"[\" & Trim(\"  x  \") & \"]\""), L"[x]");
    EXPECT_EQ(Eval(L"Chr(65) & Asc(\"a\")"), L"A97");
    EXPECT_EQ(Eval(L"IsObject(Out) & IsObject(1) & IsObject(Nothing)"), L"TrueFalseTrue");
    EXPECT_EQ(Eval(L"IsEmpty(Empty) & IsEmpty(\"\")"), L"TrueFalse");
    EXPECT_EQ(Eval(L"Left(\"abc\", -1)"), L"error: Invalid procedure call or argument: 'Left'");
    EXPECT_EQ(Eval(L"Asc(\"\")"), L"error: Invalid procedure call or argument: 'Asc'");
    EXPECT_EQ(Eval(L"CLng(\"x\")"), L"error: Type mismatch");
}

TEST(Language, ErrRaiseCarriesNumberSourceAndDescription) {
    Harness h;
    h.run(L"Out.Log 1\nErr.Raise 1000, \"MyTest\", \"custom failure\"\nOut.Log 2\n");
    EXPECT_EQ(h.lines(), (Lines{L"1"}));
    ASSERT_EQ(h.site->errors.size(), 1u);
    EXPECT_EQ(h.site->errors[0].source, L"MyTest");
    EXPECT_EQ(h.site->errors[0].description, L"custom failure");
    EXPECT_EQ(h.site->errors[0].scode, static_cast<HRESULT>(0x800A03E8));
    EXPECT_EQ(h.site->errors[0].line, 1u);
    // On Error Resume Next keeps going and leaves the error in Err.
    EXPECT_EQ(Logged(L"On Error Resume Next\nErr.Raise 5\nOut.Log Err.Number & \": \" & Err.Description\n"
                     L"Err.Clear\nOut.Log Err.Number\nOn Error GoTo 0"),
              (Lines{L"5: Invalid procedure call or argument", L"0"}));
    // An error in a procedure goes to the caller that resumes.
    EXPECT_EQ(Logged(L"Sub Bad\n Err.Raise 1001, \"src\", \"deep\"\n Out.Log \"never\"\nEnd Sub\nOn Error Resume Next\nBad\n"
                     L"Out.Log Err.Source & \"/\" & Err.Description"),
              (Lines{L"src/deep"}));
}

TEST(Language, ObjectsThroughIDispatch) {
    Harness h;
    h.run(L"Out.Value = \"v1\"\nOut.Log Out.Value\nSet Out.Value = Out\nDim o\nSet o = Out.Self\no.Log \"via o\"\n"
          L"Out.Log Out.Count(1, , 3)\nOut.Log Out.Count()\n");
    EXPECT_TRUE(h.site->errors.empty()) << std::string(h.lastError().begin(), h.lastError().end());
    // The left-out middle argument arrives as "missing": 2 given of 3.
    EXPECT_EQ(h.lines(), (Lines{L"v1", L"via o", L"203", L"0"}));
    EXPECT_EQ(h.out->putRefs, (std::vector<int>{0, 1}));
}

TEST(Language, FailingCallsCarryTheCalleesError) {
    Harness h;
    h.run(L"Out.Log 1\nOut.Fail\n");
    ASSERT_EQ(h.site->errors.size(), 1u);
    EXPECT_EQ(h.site->errors[0].source, L"Recorder");
    EXPECT_EQ(h.site->errors[0].description, L"failed on purpose");
    EXPECT_EQ(h.site->errors[0].scode, E_FAIL);
    Harness info;
    info.run(L"Out.FailWithErrorInfo\n");
    ASSERT_EQ(info.site->errors.size(), 1u);
    EXPECT_EQ(info.site->errors[0].source, L"Runtime Error");
    EXPECT_EQ(info.site->errors[0].description, L"window not found");
    EXPECT_EQ(Eval(L"Out.NoSuchThing"), L"error: Object doesn't support this property or method: 'NoSuchThing'");
    EXPECT_EQ(Eval(L"Out.Log(1, 2)"), L"error: Wrong number of arguments or invalid property assignment: 'Log'");
}

TEST(Language, ErrKeepsAComponentsFailureAndTheHelpTopic) {
    EXPECT_EQ(Logged(L"On Error Resume Next\n"
                     L"Out.Fail\n"
                     L"Out.Log Err.Number & \"|\" & Err.Source & \"|\" & Err.Description & \"|\" & Err.HelpFile & \"|\" & Err.HelpContext\n"
                     L"Err.Clear\n"
                     L"Out.Log Err.HelpFile & \"|\" & Err.HelpContext\n"
                     L"Out.FailWith &H800A0035\n"
                     L"Out.Log Err.Number & \"|\" & Err.Description\n"
                     L"Err.Clear\n"
                     L"Out.FailWith &H80004001\n"
                     L"Out.Log Err.Number & \"|\" & Err.Description\n"
                     L"Err.Clear\n"
                     L"Out.FailWith &H80070005\n"
                     L"Out.Log Err.Number & \"|\" & (Err.Description <> \"\")\n"
                     L"Err.Clear\n"
                     L"Err.Raise 1000, \"src\", \"text\", \"my.chm\", 77\n"
                     L"Out.Log Err.HelpFile & \"|\" & Err.HelpContext\n"
                     L"Err.Raise 1001\n"
                     L"Out.Log Err.Number & \"|\" & Err.HelpFile & \"|\" & Err.HelpContext\n"
                     L"Err.HelpFile = \"other.chm\" : Err.HelpContext = 5\n"
                     L"Out.Log Err.HelpFile & \"|\" & Err.HelpContext\n"
                     L"Err.Clear\n"
                     L"Out.Log Err.HelpFile & \"|\" & Err.HelpContext\n"),
              (Lines{L"-2147467259|Recorder|failed on purpose|recorder.chm|1207", L"|0", L"53|File not found",
                     L"445|Object doesn't support this action", L"-2147024891|True", L"my.chm|77", L"1001|my.chm|77", L"other.chm|5", L"|0"}));
}

TEST(Language, NumericConversionsCannotStandAsStatements) {
    EXPECT_EQ(Logged(L"On Error Resume Next\n"
                     L"Call CInt(5) : Out.Log Err.Number : Err.Clear\n"
                     L"CLng 5 : Out.Log Err.Number : Err.Clear\n"
                     L"Call CDbl(\"x\") : Out.Log Err.Number : Err.Clear\n"
                     L"Call CStr(5) : CBool 1 : Call Len(\"a\") : Out.Log Err.Number\n"
                     L"Sub CSng(x) : Out.Log \"own \" & x : End Sub\n"
                     L"Call CSng(2) : Out.Log Err.Number\n"),
              (Lines{L"458", L"458", L"13", L"0", L"own 2", L"0"}));
}

TEST(Language, CallsOnNothingAndOnPlainValues) {
    Harness h;
    h.run(L"Dim o\nSet o = Nothing\no.Log 1\n");
    EXPECT_EQ(h.lastError(), L"Object variable not set: 'Log'");
    EXPECT_EQ(h.site->errors[0].line, 2u);
    EXPECT_EQ(Eval(L"(1).Value"), L"error: Object required: 'Value'");
    Harness set;
    set.run(L"Dim o\nSet o = 5\n");
    EXPECT_EQ(set.lastError(), L"Object required: 'o'");
}

TEST(Language, CreateObject) {
    EXPECT_EQ(Logged(L"Dim d\nSet d = CreateObject(\"Scripting.Dictionary\")\nd.Add \"k\", \"v\"\nOut.Log d.Item(\"k\") & d.Count"),
              (Lines{L"v1"}));
    EXPECT_EQ(Eval(L"CreateObject(\"No.Such.Thing\")"), L"error: ActiveX component can't create object: 'No.Such.Thing'");
}

TEST(Language, DeepRecursionEndsWithAnErrorNotACrash) {
    Harness h;
    h.run(L"Sub Down(n)\n Down n + 1\nEnd Sub\nDown 1\n");
    EXPECT_EQ(h.lastError(), L"Out of stack space: 'Down'");
}

TEST(Language, ArraysOfEveryKind) {
    EXPECT_EQ(Logged(L"Dim a(2), m(1, 2), d()\n"
                     L"a(0) = \"x\" : a(2) = 5\n"
                     L"m(1, 2) = 7\n"
                     L"Out.Log a(0) & a(1) & a(2) & m(1, 2)\n"
                     L"ReDim d(1) : d(1) = 3\n"
                     L"ReDim Preserve d(3) : d(3) = 4\n"
                     L"Out.Log d(1) & d(3)\n"
                     L"Dim s : s = \"\"\n"
                     L"For Each x In d : s = s & \"[\" & x & \"]\" : Next\n"
                     L"Out.Log s\n"
                     L"Erase a\n"
                     L"Out.Log IsEmpty(a(2))\n"
                     L"Dim b : b = d : b(1) = 9\n"
                     L"Out.Log d(1) & b(1)\n"),
              (Lines{L"x57", L"34", L"[][3][][4]", L"True", L"39"}));
    Harness range;
    range.run(L"Dim a(2)\nOut.Log a(3)\n");
    EXPECT_EQ(range.lastError(), L"Subscript out of range");
    EXPECT_EQ(range.site->errors[0].scode, static_cast<HRESULT>(0x800A0009));
    Harness fixed;
    fixed.run(L"Dim a(2)\nReDim a(4)\n");
    EXPECT_EQ(fixed.site->errors[0].scode, static_cast<HRESULT>(0x800A000A));
    Harness preserve;
    preserve.run(L"Dim m()\nReDim m(1, 1)\nReDim Preserve m(2, 1)\n");
    EXPECT_EQ(preserve.lastError(), L"Subscript out of range");
    Harness huge;
    huge.run(L"Dim a()\nReDim a(2000000000)\n");
    EXPECT_EQ(huge.site->errors[0].scode, static_cast<HRESULT>(0x800A0007));
}

TEST(Language, SelectCaseWithAndConst) {
    EXPECT_EQ(Logged(L"Const Limit = 3, Name = \"n\"\n"
                     L"For i = 1 To 4\n"
                     L" Select Case i\n"
                     L"  Case 1, 2 : Out.Log \"low\"\n"
                     L"  Case Limit\n   Out.Log Name\n"
                     L"  Case Else\n   Out.Log \"else\"\n"
                     L" End Select\n"
                     L"Next\n"
                     L"Set d = CreateObject(\"Scripting.Dictionary\")\n"
                     L"With d\n .Add \"a\", 1\n With CreateObject(\"Scripting.Dictionary\")\n  .Add \"b\", 2\n  Out.Log .Count\n End With\n"
                     L" Out.Log .Item(\"a\") + .Count\nEnd With\n"),
              (Lines{L"low", L"low", L"n", L"else", L"1", L"2"}));
    Harness constant;
    constant.run(L"Const k = 1\nk = 2\n");
    EXPECT_EQ(constant.lastError(), L"Illegal assignment: 'k'");
}

TEST(Language, ClassesPropertiesAndLifetime) {
    EXPECT_EQ(Logged(L"Class Counter\n"
                     L" Private count_\n"
                     L" Public Name\n"
                     L" Private Sub Class_Initialize : count_ = 10 : Out.Log \"init\" : End Sub\n"
                     L" Private Sub Class_Terminate : Out.Log \"bye \" & Name : End Sub\n"
                     L" Public Default Property Get Value : Value = count_ : End Property\n"
                     L" Public Property Let Value(v) : count_ = v : End Property\n"
                     L" Public Function Bump(by) : count_ = count_ + by : Set Bump = Me : End Function\n"
                     L" Public Sub Twice(ByRef x) : x = x * 2 : End Sub\n"
                     L"End Class\n"
                     L"Set c = New Counter\n"
                     L"c.Name = \"c1\"\n"
                     L"c.Value = 5\n"
                     L"c.Bump(1).Bump 2\n"
                     L"Out.Log c.Value & \" \" & c & \" \" & TypeName(c)\n"
                     L"n = 4 : c.Twice n : c.Twice (n) : Out.Log n\n"
                     L"Set c = Nothing\n"
                     L"Out.Log \"after\"\n"),
              (Lines{L"init", L"8 8 Counter", L"8", L"bye c1", L"after"}));
    Harness privateMember;
    privateMember.run(L"Class C\n Private x\nEnd Class\nSet o = New C\no.x = 1\n");
    EXPECT_EQ(privateMember.lastError(), L"Object doesn't support this property or method: 'x'");
    Harness noClass;
    noClass.run(L"Set o = New Nowhere\n");
    EXPECT_EQ(noClass.site->errors[0].scode, static_cast<HRESULT>(0x800A01FA));
}

TEST(Language, ByRefByValAndCallForms) {
    EXPECT_EQ(Logged(L"Sub Inc(n) : n = n + 1 : End Sub\n"
                     L"Sub IncVal(ByVal n) : n = n + 1 : End Sub\n"
                     L"a = 1\nInc a\nCall Inc(a)\nInc (a)\nIncVal a\nOut.Log a\n"),
              (Lines{L"3"}));
}

TEST(Language, ExecuteEvalAndGetRef) {
    EXPECT_EQ(Logged(L"x = 2\n"
                     L"Out.Log Eval(\"x * 3\")\n"
                     L"Execute \"y = x + 1\"\n"
                     L"Out.Log y\n"
                     L"ExecuteGlobal \"Function Sq(v) : Sq = v * v : End Function\"\n"
                     L"Out.Log Sq(5)\n"
                     L"Sub Local\n Dim z : z = 7\n Execute \"z = z + 1\"\n Out.Log z\nEnd Sub\nLocal\n"
                     L"Set f = GetRef(\"Sq\")\n"
                     L"Out.Log f(4)\n"),
              (Lines{L"6", L"3", L"25", L"8", L"16"}));
    Harness bad;
    bad.run(L"Execute \"If\"\n");
    EXPECT_EQ(bad.site->errors.size(), 1u);
}

TEST(Language, ErrorsUnderOnErrorResumeNext) {
    EXPECT_EQ(Logged(L"On Error Resume Next\n"
                     L"Dim a(1) : a(5) = 1\n"
                     L"Out.Log Err.Number\n"
                     L"Err.Clear\n"
                     L"Set o = Nothing : o.Go\n"
                     L"Out.Log Err.Number\n"
                     L"On Error GoTo 0\n"
                     L"Out.Log Err.Number\n"),
              (Lines{L"9", L"91", L"0"}));
}

// For i = first To last Step stp, run with the values as given (strings stay strings):
// the rounds it ran, at most 100, and the counter's type and value after the loop.
std::wstring ForRounds(const std::wstring& first, const std::wstring& last, const std::wstring& stp) {
    Harness h;
    h.run(L"n = 0\nFor i = " + first + L" To " + last + L" Step " + stp + L"\n n = n + 1\n If n = 100 Then Exit For\nNext\n"
          L"Out.Log n & \" \" & TypeName(i) & \" \" & i\n");
    if (!h.site->errors.empty()) return L"error: " + h.lastError();
    return h.lines().empty() ? L"<nothing>" : h.lines().back();
}

TEST(Language, ForCountsWithBoundsAndStepsOfEveryKind) {
    EXPECT_EQ(ForRounds(L"1", L"3", L"1"), L"3 Integer 4");
    EXPECT_EQ(ForRounds(L"1", L"\"2\"", L"1"), L"2 Integer 3");
    EXPECT_EQ(ForRounds(L"\"1\"", L"3", L"1"), L"3 Double 4");
    EXPECT_EQ(ForRounds(L"1", L"3", L"\"1\""), L"3 Double 4");
    EXPECT_EQ(ForRounds(L"\"5\"", L"\"1\"", L"\"-2\""), L"3 Double -1");
    EXPECT_EQ(ForRounds(L"1", L"2", L"0.5"), L"3 Double 2.5");
    EXPECT_EQ(ForRounds(L"1", L"0", L"-0.25"), L"5 Double -0.25");
    EXPECT_EQ(ForRounds(L"1", L"5", L"-1"), L"0 Integer 1");
    EXPECT_EQ(ForRounds(L"5", L"1", L"1"), L"0 Integer 5");
    EXPECT_EQ(ForRounds(L"1", L"3", L"0"), L"100 Integer 1");
    EXPECT_EQ(ForRounds(L"3", L"1", L"0"), L"0 Integer 3");
    EXPECT_EQ(ForRounds(L"32766", L"32768", L"1"), L"3 Long 32769");
    EXPECT_EQ(ForRounds(L"1", L"\"x\"", L"1"), L"error: Type mismatch");
    EXPECT_EQ(ForRounds(L"1", L"Null", L"1"), L"error: Invalid use of Null");
    // The body moves the counter; the end and the step were taken before the first round.
    EXPECT_EQ(Logged(L"n = 0 : e = 10 : s = 1\nFor i = 1 To e Step s\n i = i + 2 : e = 0 : s = 5\n n = n + 1\nNext\n"
                     L"Out.Log n & \" \" & i\n"),
              (Lines{L"4 13"}));
}

TEST(Language, ResumedErrorsInBlockHeadsGoIntoTheBlock) {
    EXPECT_EQ(Logged(L"On Error Resume Next\n"
                     L"If 1 / 0 Then\n Out.Log \"then\"\nElse\n Out.Log \"else\"\nEnd If\n"
                     L"Out.Log Err.Number : Err.Clear\n"
                     L"If False Then\nElseIf CLng(\"x\") Then\n Out.Log \"elseif\"\nEnd If\n"
                     L"Select Case 1 / 0\n Case 7 : Out.Log \"first case\"\n Case Else : Out.Log \"else\"\nEnd Select\n"
                     L"n = 0\nDo While 1 / 0\n n = n + 1 : If n = 2 Then Exit Do\nLoop\nOut.Log n\n"
                     L"n = 0\nDo\n n = n + 1 : If n = 9 Then Exit Do\nLoop Until 1 / 0\nOut.Log n\n"
                     L"n = 0\nFor Each x In 1 / 0\n n = n + 1\nNext\nOut.Log n & \" \" & Err.Number\n"),
              (Lines{L"then", L"11", L"elseif", L"first case", L"2", L"1", L"1 11"}));
    // Without On Error Resume Next the error still ends the statement.
    Harness h;
    h.run(L"If 1 / 0 Then\n Out.Log \"then\"\nEnd If\n");
    EXPECT_EQ(h.lastError(), L"Division by zero");
    EXPECT_TRUE(h.lines().empty());
}

TEST(Language, OneLineBlocksAndProceduresDeclaredAnywhere) {
    EXPECT_EQ(Logged(L"Out.Log Later(2)\n"
                     L"If False Then\n Function Later(x) Later = x * 10 End Function\nEnd If\n"
                     L"Sub Say() Out.Log \"first\" End Sub\n"
                     L"Sub Say() Out.Log \"second\" End Sub\n"
                     L"Say\n"
                     L"If 1 > 2 Then Out.Log \"a\" Else Out.Log \"b\" End If\n"
                     L"Select Case 3\n Case 3  Out.Log \"three\"\nEnd Select\n"
                     L"Out.Log 1 >< 2\n"),
              (Lines{L"20", L"second", L"b", L"three", L"True"}));
}

TEST(Language, ErrDescriptionHoldsTheTextAndTheReportNamesTheCulprit) {
    EXPECT_EQ(Logged(L"On Error Resume Next\n"
                     L"Set o = Out : o.NoSuchMember\nOut.Log Err.Number & \" \" & Err.Description : Err.Clear\n"
                     L"Err.Raise 1000, \"First\", \"first text\"\nErr.Raise 1001\n"
                     L"Out.Log Err.Number & \" \" & Err.Source & \" \" & Err.Description : Err.Clear\n"
                     L"Err.Raise &H8007000E\nOut.Log Err.Number & \" \" & Err.Description\n"),
              (Lines{L"438 Object doesn't support this property or method", L"1001 First first text", L"7 Out of memory"}));
    Harness h;
    h.run(L"Option Explicit\nOut.Log missing\n");
    EXPECT_EQ(h.lastError(), L"Variable is undefined: 'missing'");
}

TEST(Language, UnsizedArraysHaveNoBounds) {
    EXPECT_EQ(Logged(L"Dim a()\nOn Error Resume Next\nn = UBound(a)\nOut.Log IsArray(a) & \" \" & Err.Number : Err.Clear\n"
                     L"b = a\nFor Each x In b : Out.Log \"never\" : Next\n"
                     L"ReDim Preserve a(1)\nOut.Log UBound(a)\n"
                     L"Erase a\nn = UBound(a)\nOut.Log IsArray(a) & \" \" & Err.Number : Err.Clear\n"
                     L"Out.Log IsEmpty(later)\nDim later(2)\nOut.Log UBound(later)\n"
                     L"ReDim later(5)\nOut.Log Err.Number\n"),
              (Lines{L"True 9", L"1", L"True 9", L"True", L"2", L"10"}));
}
