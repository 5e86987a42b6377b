#pragma once
#include "stepscript/language/Ast.h"
#include "stepscript/runtime/Value.h"

namespace stepscript {

// The language's operators on plain values (objects already replaced by their default
// values): arithmetic with the variant type rules, concatenation, comparison, logic.
// Is is the caller's: it compares objects, not values.
Value UnaryOp(Op op, const Value& operand);
Value BinaryOp(Op op, const Value& left, const Value& right);
// The comparison of = and <: -1, 0 or 1, 2 when either is Null. textCompare compares
// two strings without case (Select Case and Filter use the script's choice).
int CompareValues(const Value& left, const Value& right, bool textCompare = false);
// Overflow, division by zero or type mismatch, from a failed OLE Automation call.
[[noreturn]] void RaiseArithmetic(HRESULT hr);

} // namespace stepscript
