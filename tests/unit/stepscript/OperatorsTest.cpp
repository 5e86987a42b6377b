#include "stepscript/library/ErrObject.h"
#include "stepscript/runtime/Operators.h"
#include "stepscript/runtime/ScriptError.h"
#include <gtest/gtest.h>

namespace stepscript {
namespace {

Value S(const wchar_t* s) { return Value::String(s); }
Value I(SHORT n) { return Value::Int(n); }
Value L(LONG n) { return Value::Long(n); }
Value D(double d) { return Value::Double(d); }
Value B(bool b) { return Value::Bool(b); }

class Operators : public ::testing::Test {
protected:
    void SetUp() override { SetScriptLocale(0x0409); }
    void TearDown() override { SetScriptLocale(0); }

    // "Type:Text" of a result, or "error N".
    static std::wstring op(Op o, const Value& l, const Value& r) {
        try {
            Value v = BinaryOp(o, l, r);
            return TypeNameOf(v) + L":" + (v.isNull() ? L"Null" : ToText(v));
        } catch (const ScriptError& e) {
            return L"error " + std::to_wstring(ErrObject::NumberOf(e.hr));
        }
    }
    static std::wstring un(Op o, const Value& v) {
        try {
            Value r = UnaryOp(o, v);
            return TypeNameOf(r) + L":" + (r.isNull() ? L"Null" : ToText(r));
        } catch (const ScriptError& e) {
            return L"error " + std::to_wstring(ErrObject::NumberOf(e.hr));
        }
    }
};

TEST_F(Operators, IntegerArithmeticWidensOnOverflow) {
    EXPECT_EQ(op(Op::Add, I(1), I(2)), L"Integer:3");
    EXPECT_EQ(op(Op::Add, I(32767), I(1)), L"Long:32768");
    EXPECT_EQ(op(Op::Mul, I(300), I(300)), L"Long:90000");
    EXPECT_EQ(op(Op::Add, L(2147483647), I(1)), L"Double:2147483648");
    EXPECT_EQ(op(Op::Sub, L(-2147483647 - 1), L(1)), L"Double:-2147483649");
    EXPECT_EQ(op(Op::Add, Value::Byte(200), Value::Byte(100)), L"Integer:300");
    EXPECT_EQ(op(Op::Add, Value::Byte(2), Value::Byte(3)), L"Byte:5");
    EXPECT_EQ(op(Op::Add, B(true), B(true)), L"Integer:-2");
    EXPECT_EQ(op(Op::Add, Value(), Value()), L"Integer:0");
    EXPECT_EQ(op(Op::Mul, Value::Single(1.5f), I(2)), L"Single:3");
    EXPECT_EQ(op(Op::Mul, Value::Single(1.5f), L(2)), L"Double:3");
    EXPECT_EQ(un(Op::Neg, I(-32768)), L"Long:32768");
    EXPECT_EQ(un(Op::Neg, B(true)), L"Integer:1");
    EXPECT_EQ(un(Op::Neg, Value()), L"Integer:0");
    EXPECT_EQ(un(Op::Neg, S(L"2")), L"Double:-2");
    EXPECT_EQ(op(Op::Add, D(1e308), D(1e308)), L"error 6");
}

TEST_F(Operators, PlusJoinsStringsAndAmpersandConverts) {
    EXPECT_EQ(op(Op::Add, S(L"1"), S(L"2")), L"String:12");
    EXPECT_EQ(op(Op::Add, S(L"1"), I(2)), L"Double:3");
    EXPECT_EQ(op(Op::Add, S(L"a"), Value()), L"String:a");
    EXPECT_EQ(op(Op::Add, S(L"a"), I(1)), L"error 13");
    EXPECT_EQ(op(Op::Cat, I(1), B(true)), L"String:1True");
    EXPECT_EQ(op(Op::Cat, Value::Null(), S(L"x")), L"String:x");
    EXPECT_EQ(op(Op::Cat, Value::Null(), Value::Null()), L"Null:Null");
    EXPECT_EQ(op(Op::Cat, D(0.5), Value()), L"String:0.5");
    EXPECT_EQ(op(Op::Sub, S(L"10"), S(L"4")), L"Double:6");
}

TEST_F(Operators, DivisionPowerAndIntegerDivision) {
    EXPECT_EQ(op(Op::Div, I(1), I(2)), L"Double:0.5");
    EXPECT_EQ(op(Op::Div, I(1), I(0)), L"error 11");
    EXPECT_EQ(op(Op::Div, I(0), I(0)), L"error 6");
    EXPECT_EQ(op(Op::Pow, I(2), I(3)), L"Double:8");
    EXPECT_EQ(op(Op::Pow, I(-8), D(1.0 / 3)), L"error 5");
    EXPECT_EQ(op(Op::IntDiv, D(7.5), I(2)), L"Long:4");  // 7.5 rounds to 8 first
    EXPECT_EQ(op(Op::IntDiv, I(7), I(2)), L"Integer:3");
    EXPECT_EQ(op(Op::IntDiv, I(-7), I(2)), L"Integer:-3");
    EXPECT_EQ(op(Op::Mod, D(5.5), I(3)), L"Long:0");     // 6 Mod 3
    EXPECT_EQ(op(Op::Mod, I(-7), I(3)), L"Integer:-1");
    EXPECT_EQ(op(Op::Mod, I(7), I(0)), L"error 11");
    EXPECT_EQ(op(Op::IntDiv, D(1e10), I(2)), L"error 6");
    EXPECT_EQ(op(Op::Mod, Value::Null(), I(2)), L"Null:Null");
}

TEST_F(Operators, NullPropagatesExceptWhereTheOtherSideDecides) {
    EXPECT_EQ(op(Op::Add, Value::Null(), I(1)), L"Null:Null");
    EXPECT_EQ(op(Op::Eq, Value::Null(), Value::Null()), L"Null:Null");
    EXPECT_EQ(op(Op::And, Value::Null(), B(false)), L"Boolean:False");
    EXPECT_EQ(op(Op::And, Value::Null(), B(true)), L"Null:Null");
    EXPECT_EQ(op(Op::Or, Value::Null(), B(true)), L"Boolean:True");
    EXPECT_EQ(op(Op::Or, B(false), Value::Null()), L"Null:Null");
    EXPECT_EQ(op(Op::Xor, Value::Null(), B(true)), L"Null:Null");
    EXPECT_EQ(op(Op::Imp, B(false), Value::Null()), L"Boolean:True");
    EXPECT_EQ(op(Op::Imp, Value::Null(), B(true)), L"Boolean:True");
    EXPECT_EQ(op(Op::Imp, B(true), Value::Null()), L"Null:Null");
    EXPECT_EQ(un(Op::Not, Value::Null()), L"Null:Null");
}

TEST_F(Operators, LogicOnBooleansAndBitsOnNumbers) {
    EXPECT_EQ(op(Op::And, B(true), B(false)), L"Boolean:False");
    EXPECT_EQ(op(Op::Eqv, B(false), B(false)), L"Boolean:True");
    EXPECT_EQ(op(Op::And, I(12), I(10)), L"Integer:8");
    EXPECT_EQ(op(Op::Or, L(12), I(3)), L"Long:15");
    EXPECT_EQ(op(Op::Xor, B(true), I(1)), L"Integer:-2");
    EXPECT_EQ(un(Op::Not, B(true)), L"Boolean:False");
    EXPECT_EQ(un(Op::Not, I(0)), L"Integer:-1");
    EXPECT_EQ(un(Op::Not, Value()), L"Integer:-1");
    EXPECT_EQ(op(Op::And, S(L"abc"), B(true)), L"error 13");
}

TEST_F(Operators, ComparisonsFollowTheVariantRules) {
    EXPECT_EQ(op(Op::Lt, I(10), S(L"9")), L"Boolean:True");   // a number is less than any string
    EXPECT_EQ(op(Op::Eq, I(1), S(L"1")), L"Boolean:False");
    EXPECT_EQ(op(Op::Lt, S(L"10"), S(L"9")), L"Boolean:True");  // strings compare as text
    EXPECT_EQ(op(Op::Lt, S(L"B"), S(L"a")), L"Boolean:True");   // binary: upper case first
    EXPECT_EQ(op(Op::Eq, Value(), I(0)), L"Boolean:True");
    EXPECT_EQ(op(Op::Eq, Value(), S(L"")), L"Boolean:True");
    EXPECT_EQ(op(Op::Eq, Value(), Value()), L"Boolean:True");
    EXPECT_EQ(op(Op::Eq, B(true), I(-1)), L"Boolean:True");
    EXPECT_EQ(op(Op::Lt, D(1.5), L(2)), L"Boolean:True");
    EXPECT_EQ(op(Op::Gt, Value::Date(2), I(1)), L"Boolean:True");
    EXPECT_EQ(op(Op::Ne, Value::Null(), I(1)), L"Null:Null");
    EXPECT_EQ(op(Op::Eq, Value::String(std::wstring(L"a\0b", 3)), S(L"a")), L"Boolean:False");
    EXPECT_EQ(CompareValues(S(L"abc"), S(L"ABC"), true), 0);
    EXPECT_EQ(CompareValues(S(L"abc"), S(L"ABC"), false), 1);
}

TEST_F(Operators, DatesAddAsDaysAndSubtractToDays) {
    Value d = Value::Date(45356.75);  // 5 March 2024 18:00
    EXPECT_EQ(op(Op::Add, d, I(1)), L"Date:3/6/2024 6:00:00 PM");
    EXPECT_EQ(op(Op::Sub, d, D(0.75)), L"Date:3/5/2024");
    EXPECT_EQ(op(Op::Sub, d, Value::Date(45355.75)), L"Double:1");
    EXPECT_EQ(op(Op::Add, d, D(1e9)), L"error 6");
}

TEST_F(Operators, CurrencyKeepsFourDecimals) {
    CY c;
    c.int64 = 15000;  // 1.5
    EXPECT_EQ(op(Op::Add, Value::Currency(c), I(1)), L"Currency:2.5");
    EXPECT_EQ(op(Op::Mul, Value::Currency(c), D(0.00001)), L"Currency:0");
    EXPECT_EQ(op(Op::Lt, Value::Currency(c), D(1.6)), L"Boolean:True");
}

TEST_F(Operators, ValuesConvertAsTheLanguageDoes) {
    EXPECT_EQ(ToLong(S(L"  42 ")), 42);
    EXPECT_EQ(ToLong(D(2.5)), 2);
    EXPECT_EQ(ToLong(D(3.5)), 4);
    EXPECT_THROW(ToLong(D(3e9)), ScriptError);
    EXPECT_THROW(ToText(Value::Null()), ScriptError);
    EXPECT_EQ(ToText(B(false)), L"False");
    EXPECT_TRUE(ToBool(S(L"True")));
    EXPECT_FALSE(ToBool(Value::Null()));
    EXPECT_THROW(ToBool(S(L"maybe")), ScriptError);
    EXPECT_EQ(un(Op::Not, Value::Byte(1)), L"Byte:254");
    EXPECT_EQ(op(Op::IntDiv, I(5), D(2.0)), L"Long:2");
    EXPECT_TRUE(ToBool(S(L"-1")));
    EXPECT_EQ(ToDouble(S(L"&H10")), 16.0);
    EXPECT_EQ(ToDouble(S(L"&HFFFF")), -1.0);
    EXPECT_EQ(ToDouble(S(L"&H10000")), 65536.0);
    try {
        ToText(Value::Null());
    } catch (const ScriptError& e) {
        EXPECT_EQ(ErrObject::NumberOf(e.hr), 94);
    }
}

TEST_F(Operators, ASingleComparesAtItsOwnPrecision) {
    const Value tiny = Value::Single(static_cast<float>(0.001 * 0.001));
    EXPECT_EQ(op(Op::Eq, tiny, D(0.000001)), L"Boolean:True");
    EXPECT_EQ(op(Op::Eq, D(0.000001), tiny), L"Boolean:True");
    EXPECT_EQ(op(Op::Lt, Value::Single(0.1f), D(0.1)), L"Boolean:False");
    EXPECT_EQ(op(Op::Ne, Value::Single(0.1f), D(0.1)), L"Boolean:False");
    EXPECT_EQ(op(Op::Eq, Value::Single(16777216.0f), L(16777217)), L"Boolean:True");
    EXPECT_EQ(op(Op::Lt, Value::Single(1.0f), D(1e300)), L"Boolean:True");
    EXPECT_EQ(op(Op::Gt, Value::Single(0.5f), D(0.25)), L"Boolean:True");
    // Two Doubles still compare exactly, and arithmetic with a Double stays a Double.
    EXPECT_EQ(op(Op::Eq, D(static_cast<float>(0.1)), D(0.1)), L"Boolean:False");
    EXPECT_EQ(op(Op::Add, Value::Single(0.1f), D(0.2)), L"Double:0.300000001490116");
}

} // namespace
} // namespace stepscript
