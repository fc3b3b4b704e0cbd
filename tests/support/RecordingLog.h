// A diagnostic log that keeps what it is given, attached for the lifetime of the object.
#pragma once

#include <string>
#include <vector>

#include "core/Diagnostics.h"

namespace hv::testing {

class RecordingLog : public DiagnosticLog {
 public:
  RecordingLog() : previous_(ActiveLog) { ActiveLog = this; }
  ~RecordingLog() override { ActiveLog = previous_; }

  bool IsOpen() const override { return open; }
  int32_t Write(const char16_t* message) override {
    messages.emplace_back(message);
    return 1;
  }

  bool open = true;
  std::vector<std::u16string> messages;

 private:
  DiagnosticLog* previous_;
};

}  // namespace hv::testing
