#pragma once
#include <windows.h>
#include <string>

namespace stepscript {

// A compile-time error with its place in the parsed block (offset and 0-based line
// and column inside the block text).
struct SyntaxError {
    HRESULT hr;
    std::wstring description;
    size_t offset;
    ULONG line;
    LONG column;
};

// Error numbers as scripts see them (Err.Number), in the facility scripts use.
constexpr HRESULT ScriptHr(int number) { return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number)); }

namespace errors {
constexpr int kSyntax = 1002;
constexpr int kExpectedEndOfStatement = 1025;
constexpr int kExpectedExpression = 1035;
constexpr int kExpectedIdentifier = 1010;
constexpr int kInvalidCharacter = 1032;
constexpr int kUnterminatedString = 1033;
constexpr int kExpected = 1012;
constexpr int kNameRedefined = 1041;
constexpr int kInvalidExit = 1039;
constexpr int kTooComplex = 1047;
constexpr int kExpectedIntegerConstant = 1026;
constexpr int kMustBeInClass = 1048;
constexpr int kExpectedLetSetGet = 1049;
constexpr int kMultipleDefaults = 1052;
constexpr int kInitializeArguments = 1053;
constexpr int kPropertyNeedsArgument = 1054;
constexpr int kDefaultOnLetSet = 1056;
constexpr int kDefaultNeedsPublic = 1057;

constexpr int kInvalidCall = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfStack = 28;
constexpr int kDivisionByZero = 11;
constexpr int kTypeMismatch = 13;
constexpr int kObjectVariableNotSet = 91;
constexpr int kObjectRequired = 424;
constexpr int kCannotCreateObject = 429;
constexpr int kNoSuchMember = 438;
constexpr int kWrongArgumentCount = 450;
constexpr int kIllegalAssignment = 501;
constexpr int kVariableUndefined = 500;
constexpr int kUnknownRuntime = 507;
constexpr int kOutOfMemory = 7;
constexpr int kSubscriptOutOfRange = 9;
constexpr int kArrayLocked = 10;
constexpr int kInvalidUseOfMe = 1037;
constexpr int kOutOfStringSpace = 14;
constexpr int kCannotPerform = 17;
constexpr int kSubNotDefined = 35;
constexpr int kInternal = 51;
constexpr int kFileNotFound = 53;
constexpr int kPermissionDenied = 70;
constexpr int kPathNotFound = 76;
constexpr int kForNotInitialized = 92;
constexpr int kInvalidUseOfNull = 94;
constexpr int kNoAutomation = 430;
constexpr int kAutomationName = 432;
constexpr int kNoSuchAction = 445;
constexpr int kNoNamedArguments = 446;
constexpr int kArgumentNotOptional = 449;
constexpr int kNotACollection = 451;
constexpr int kKeyExists = 457;
constexpr int kUnsupportedType = 458;
constexpr int kInvalidPicture = 481;
constexpr int kRemoteServer = 462;
constexpr int kClassNotDefined = 506;
constexpr int kIllegalAssignmentRef = 5008;
constexpr int kRegExpExpected = 5016;
constexpr int kRegExpSyntax = 5017;
constexpr int kElementNotFound = 32811;
} // namespace errors

} // namespace stepscript
