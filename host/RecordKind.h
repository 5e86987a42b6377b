#pragma once

namespace host {

// Kinds of log record. Error and Fatal Error count as errors of the run.
enum RecordKind : int {
    RecordInfo = 0,
    RecordWarning = 1,
    RecordError = 2,
    RecordFatalError = 3,
};

// "Info", "Warning", "Error", "Fatal Error"; empty for any other value.
const wchar_t* RecordKindName(int kind);

inline bool CountsAsError(int kind) { return kind == RecordError || kind == RecordFatalError; }

} // namespace host
