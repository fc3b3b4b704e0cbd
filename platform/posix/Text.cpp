// POSIX stand-in for the Windows text services: the locale chosen by the console entry plays the
// part of the ANSI code page. glibc's wchar_t holds whole code points, so UTF-16 surrogate pairs
// are joined and split here.
//
// A byte the locale cannot decode becomes the lone surrogate U+DC80 + (byte - 0x80) and turns back
// into the same byte: two different undecodable names must never compare or match as equal, and
// a value echoed in a message must come out as it went in.
#include <climits>
#include <cwchar>
#include <cwctype>
#include <string>

#include "platform/Platform.h"

namespace hv::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char kDefaultChar = '?';
constexpr char32_t kEscapeBase = 0xDC00;

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
bool IsEscapedByte(char32_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

// Emits into destination when there is room; counts either way. Returns false on overflow.
class UnitSink {
 public:
  UnitSink(char16_t* destination, int32_t room) : destination_(destination), room_(room) {}
  bool Put(char16_t unit) {
    if (room_ > 0) {
      if (count_ >= room_) return false;
      destination_[count_] = unit;
    }
    ++count_;
    return true;
  }
  int32_t count() const { return count_; }

 private:
  char16_t* destination_;
  int32_t room_;
  int32_t count_ = 0;
};

// Decodes the UTF-16 text into code points; a lone surrogate is passed on as itself.
template <typename Visit>
void ForEachCodePoint(const char16_t* source, int32_t units, Visit visit) {
  for (int32_t i = 0; i < units; ++i) {
    char32_t u = source[i];
    if (IsHighSurrogate(u) && i + 1 < units && IsLowSurrogate(source[i + 1])) {
      u = 0x10000 + ((u - 0xD800) << 10) + (source[i + 1] - 0xDC00);
      ++i;
    }
    if (!visit(u)) return;
  }
}

// Lone surrogates stay themselves, so texts that differ only in undecodable bytes stay different.
std::wstring ToWideString(const char16_t* text) {
  std::wstring out;
  if (text == nullptr) return out;
  ForEachCodePoint(text, WideLength(text), [&](char32_t c) {
    out.push_back(static_cast<wchar_t>(c));
    return true;
  });
  return out;
}

}  // namespace

int32_t WideLength(const char16_t* text) {
  if (text == nullptr) return 0;
  int32_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

int32_t WideCompare(const char16_t* a, const char16_t* b) {
  const std::wstring wa = ToWideString(a);
  const std::wstring wb = ToWideString(b);
  const int r = std::wcscoll(wa.c_str(), wb.c_str());
  if (r != 0) return r < 0 ? -1 : 1;
  // A collation may rank distinct texts alike; a switch value must still only equal itself.
  const int ordinal = wa.compare(wb);
  return ordinal < 0 ? -1 : (ordinal > 0 ? 1 : 0);
}

void WideUpperInPlace(char16_t* text) {
  if (text == nullptr) return;
  for (; *text != 0; ++text) {
    if (IsHighSurrogate(*text) || IsLowSurrogate(*text)) continue;
    const wint_t upper = std::towupper(*text);
    if (upper <= 0xFFFF && !IsHighSurrogate(upper) && !IsLowSurrogate(upper)) {
      *text = static_cast<char16_t>(upper);
    }
  }
}

int32_t AnsiToWide(const char* source, int32_t sourceBytes, char16_t* destination,
                   int32_t destinationUnits) {
  if (source == nullptr || sourceBytes <= 0 || destinationUnits < 0) return 0;
  UnitSink sink(destination, destinationUnits);
  std::mbstate_t state{};
  int32_t i = 0;
  while (i < sourceBytes) {
    wchar_t c = 0;
    const size_t used = std::mbrtowc(&c, source + i, static_cast<size_t>(sourceBytes - i), &state);
    char32_t code;
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
      // Invalid or cut-off sequence: escape its first byte, then resynchronise.
      const auto byte = static_cast<unsigned char>(source[i]);
      code = byte >= 0x80 ? kEscapeBase + byte : kReplacement;
      state = std::mbstate_t{};
      i += 1;
    } else {
      code = static_cast<char32_t>(c);
      i += used == 0 ? 1 : static_cast<int32_t>(used);
    }
    bool ok;
    if (code > 0xFFFF && code <= 0x10FFFF) {
      code -= 0x10000;
      ok = sink.Put(static_cast<char16_t>(0xD800 + (code >> 10))) &&
           sink.Put(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      ok = sink.Put(code > 0xFFFF ? kReplacement : static_cast<char16_t>(code));
    }
    if (!ok) return 0;
  }
  return sink.count();
}

int32_t WideToAnsi(const char16_t* source, int32_t sourceUnits, char* destination,
                   int32_t destinationBytes) {
  if (source == nullptr || sourceUnits <= 0 || destinationBytes < 0) return 0;
  int32_t count = 0;
  bool overflow = false;
  ForEachCodePoint(source, sourceUnits, [&](char32_t c) {
    char bytes[MB_LEN_MAX];
    std::mbstate_t state{};
    size_t n = static_cast<size_t>(-1);
    if (IsEscapedByte(c)) {
      bytes[0] = static_cast<char>(c - kEscapeBase);
      n = 1;
    } else if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
      n = std::wcrtomb(bytes, static_cast<wchar_t>(c), &state);
    }
    if (n == static_cast<size_t>(-1)) {
      bytes[0] = kDefaultChar;
      n = 1;
    }
    if (destinationBytes > 0) {
      if (count + static_cast<int32_t>(n) > destinationBytes) {
        overflow = true;
        return false;
      }
      for (size_t k = 0; k < n; ++k) destination[count + static_cast<int32_t>(k)] = bytes[k];
    }
    count += static_cast<int32_t>(n);
    return true;
  });
  return overflow ? 0 : count;
}

}  // namespace hv::platform
