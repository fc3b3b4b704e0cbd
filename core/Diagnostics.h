// Diagnostic reports: a failed platform call inside a library unit is not fatal. The unit composes
// one line naming its source file and line and hands it to the process-wide log, if one is
// attached, then carries on with a neutral result.
#pragma once

#include <cstdint>

namespace hv {

class WideText;

// What a log offers to the reports. RingLog is one.
class DiagnosticLog {
 public:
  virtual ~DiagnosticLog() = default;
  virtual bool IsOpen() const = 0;
  // 1 when the message was written, 0 otherwise.
  virtual int32_t Write(const char16_t* message) = 0;
};

// The attached log, or null. Read without a lock: attach before any report can be made.
extern DiagnosticLog* ActiveLog;

// Composes "(" file name ") at " line " - " text. `sourcePath` is ANSI with backslashes; only its
// last component is used.
void ComposeDiagnostic(const char* sourcePath, int32_t line, const char16_t* text, WideText& out);

// Composes the report and writes it to ActiveLog. 1 when a log took it, 0 when it was discarded.
int32_t ReportDiagnostic(const char* sourcePath, int32_t line, const char16_t* text);

}  // namespace hv
