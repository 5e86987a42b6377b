#pragma once
#include "stepscript/runtime/Value.h"
#include <vector>

namespace stepscript {

// Arrays as scripts hold them: SAFEARRAYs of VARIANT, lower bounds 0, leftmost index
// first. Arrays that COM calls return may hold other element types; they read alike.

bool IsArray(const Value& v);
// A new array of Empty elements; an upper bound of -1 gives a dimension without elements.
// Raises Out of memory when it cannot be made.
Value MakeArray(const std::vector<LONG>& upperBounds);
// Dim a() before its first ReDim, and a dynamic array after Erase: an array without
// dimensions (a null SAFEARRAY), whose bounds and elements are Subscript out of range.
Value UnsizedArray();
// The element at indices; Subscript out of range for a wrong index or count.
Value ArrayElement(const Value& array, const std::vector<Value>& indices);
void SetArrayElement(Value& array, const std::vector<Value>& indices, const Value& element);
// Where an element of an array of VARIANTs is stored (null for other element types), for
// passing it by reference; Subscript out of range for a wrong index.
VARIANT* ArrayElementPointer(Value& array, const std::vector<Value>& indices);
// An array that something points into (an element passed by reference) is locked: ReDim
// and Erase then fail with "This array is fixed or temporarily locked".
bool IsLocked(const Value& array);
// ReDim: a new array, or with preserve the old one resized in its last dimension
// (elements kept where both sizes have them).
void ReDimArray(Value& variable, const std::vector<LONG>& upperBounds, bool preserve);
// Erase: a fixed array keeps its size with every element reset; any other loses them all.
void EraseArray(Value& variable, bool fixed);
// Every element in storage order (For Each).
std::vector<Value> ArrayElements(const Value& array);

} // namespace stepscript
