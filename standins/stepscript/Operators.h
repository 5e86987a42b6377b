#pragma once
#include "standins/stepscript/Ast.h"
#include "standins/stepscript/Value.h"

namespace stepscript {

// The language's operators on plain values (objects already replaced by their default
// values): arithmetic with the variant type rules, concatenation, comparison, logic.
// Is is the caller's: it compares objects, not values.
Value UnaryOp(Op op, const Value& operand);
Value BinaryOp(Op op, const Value& left, const Value& right);
// Overflow, division by zero or type mismatch, from a failed OLE Automation call.
[[noreturn]] void RaiseArithmetic(HRESULT hr);

} // namespace stepscript
