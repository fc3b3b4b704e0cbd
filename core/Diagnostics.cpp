#include "core/Diagnostics.h"

#include "core/WideText.h"

namespace hv {

DiagnosticLog* ActiveLog = nullptr;

void ComposeDiagnostic(const char* sourcePath, int32_t line, const char16_t* text, WideText& out) {
  WideText path;
  WideText fileName;
  path.AppendNarrow(sourcePath);
  WideText::FileNameOfPath(path.Data(), fileName);
  out.AppendNarrow("(");
  out.Append(fileName.Data());
  out.AppendNarrow(") at ");
  out.AppendInt(line);
  out.AppendNarrow(" - ");
  out.Append(text);
}

int32_t ReportDiagnostic(const char* sourcePath, int32_t line, const char16_t* text) {
  WideText message;
  ComposeDiagnostic(sourcePath, line, text, message);
  DiagnosticLog* log = ActiveLog;
  if (log == nullptr || !log->IsOpen()) return 0;
  return log->Write(message.Data());
}

}  // namespace hv
