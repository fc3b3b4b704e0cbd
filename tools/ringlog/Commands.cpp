#include "tools/ringlog/Commands.h"

#include <string>

#include "log/Clock.h"
#include "log/FileStream.h"
#include "log/LogFormat.h"
#include "log/RingLog.h"
#include "log/RingLogFile.h"
#include "platform/Platform.h"
#include "tools/ringlog/Console.h"

namespace hv::ringlog {
namespace {

// A whole number from 0 to INT32_MAX in plain decimal digits.
bool ParseCount(const char16_t* text, int32_t* value) {
  int64_t n = 0;
  const char16_t* p = text;
  if (*p == 0) return false;
  for (; *p != 0; ++p) {
    if (*p < u'0' || *p > u'9') return false;
    n = n * 10 + (*p - u'0');
    if (n > INT32_MAX) return false;
  }
  *value = static_cast<int32_t>(n);
  return true;
}

int Failed(const std::u16string& message) {
  PrintError(message);
  return kFailed;
}

// One record as one line: its time, a tab, its text. The text reaches a terminal visibly and
// harmlessly: line breaks and tabs become spaces, every other control byte is spelled \xHH.
void AppendDumpLine(const LogEntry& entry, std::string* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  platform::LocalTime t;
  if (DecodeDateTime(entry.time, &t)) {
    // Spelled out by hand: a dump prints a million of these in a fraction of a second.
    const unsigned fields[] = {t.year / 100u, t.year % 100u, t.month, t.day,
                               t.hour,        t.minute,      t.second};
    static constexpr char kBefore[] = {0, 0, '-', '-', ' ', ':', ':'};
    for (size_t i = 0; i < 7; ++i) {
      if (kBefore[i] != 0) out->push_back(kBefore[i]);
      out->push_back(static_cast<char>('0' + fields[i] / 10 % 10));
      out->push_back(static_cast<char>('0' + fields[i] % 10));
    }
  } else {
    out->append("(no valid time)");
  }
  out->push_back('\t');
  const char* text = entry.text.data();
  const char* const end = text + entry.text.size();
  while (text < end) {
    const char* plain = text;
    while (plain < end && static_cast<unsigned char>(*plain) >= 0x20 && *plain != 0x7F) ++plain;
    out->append(text, plain);
    if (plain == end) break;
    const auto byte = static_cast<unsigned char>(*plain);
    if (byte == '\n' || byte == '\r' || byte == '\t') {
      out->push_back(' ');
    } else {
      out->append({'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]});
    }
    text = plain + 1;
  }
  out->push_back('\n');
}

}  // namespace

int Misused(const char16_t* why) {
  PrintError(std::u16string(why) +
             u"; usage: ringlog create FILE SLOTS | ringlog write [--buffered] "
             u"[--write-limit BYTES_PER_S] [--mutex NAME] FILE [MESSAGE...] | ringlog dump FILE");
  return kMisused;
}

int CreateCommand(const Arguments& args) {
  if (args.size() != 2) return Misused(u"create takes FILE and SLOTS");
  int32_t slots = 0;
  if (!ParseCount(args[1], &slots) || slots < 1 || slots > kMaxNewLogSlots) {
    return Failed(std::u16string(args[0]) + u": SLOTS must be a whole number from 1 to " +
                  platform::Decimal(kMaxNewLogSlots) + u", not '" + args[1] + u"'");
  }
  CreateRingLog(args[0], slots);
  return kDone;
}

int WriteCommand(const Arguments& args) {
  RingLogOptions options;
  size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::u16string option = args[i];
    if (option == u"--") {
      ++i;
      break;
    }
    if (option.rfind(u"--", 0) != 0) break;
    if (option == u"--buffered") {
      options.buffered = true;
    } else if (option == u"--write-limit" && i + 1 < args.size()) {
      if (!ParseCount(args[++i], &options.writeLimit)) {
        return Misused(
            (u"--write-limit takes bytes per second, not '" + std::u16string(args[i]) + u"'")
                .c_str());
      }
    } else if (option == u"--mutex" && i + 1 < args.size()) {
      options.mutexName = args[++i];
    } else {
      return Misused((u"unknown or incomplete option " + option).c_str());
    }
  }
  if (i >= args.size()) return Misused(u"write takes a FILE");
  const char16_t* file = args[i++];

  RingLog log;
  log.Open(file, options);
  std::u16string cause;
  if (i < args.size()) {
    for (; i < args.size(); ++i) {
      if (log.Write(args[i], &cause) == 0) return Failed(cause);
    }
    return kDone;
  }
  std::string line;
  while (ReadInputLine(&line)) {
    if (log.Write(platform::Widen(line).c_str(), &cause) == 0) return Failed(cause);
  }
  return kDone;
}

int DumpCommand(const Arguments& args) {
  if (args.size() != 1) return Misused(u"dump takes a FILE");
  FileStream stream(args[0], FileStream::Mode::kReadOnly);
  // Printed in pieces of some 64 KB: few calls, little memory, whatever the log's size.
  constexpr size_t kPiece = 65536;
  std::string out;
  out.reserve(kPiece + 8192);
  ForEachRecord(stream, [&out](const LogEntry& entry) {
    AppendDumpLine(entry, &out);
    if (out.size() >= kPiece) {
      platform::PrintStdout(out.c_str());
      out.clear();
    }
  });
  platform::PrintStdout(out.c_str());
  return kDone;
}

}  // namespace hv::ringlog
