#pragma once

namespace host {

// Kinds of log record. Error and Fatal Error count as errors of the run.
enum class RecordKind {
    Info,
    Warning,
    Error,
    FatalError,
};

// "Info", "Warning", "Error", "Fatal Error".
const wchar_t* RecordKindName(RecordKind kind);

inline bool CountsAsError(RecordKind kind) { return kind == RecordKind::Error || kind == RecordKind::FatalError; }

} // namespace host
