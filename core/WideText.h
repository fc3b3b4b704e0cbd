// WideText: the program's one text type, a growable NUL-terminated UTF-16 buffer that can also
// keep an ANSI copy of itself for printing.
//
// Invariants after every operation: the text ends at its first NUL unit, Length() is that
// position, and (Length() + 1) * 2 <= CapacityBytes(). Buffers that cannot be allocated raise
// EOutOfMemory.
#pragma once

#include <cstdint>

namespace hv {

class WideText {
 public:
  static constexpr int32_t kDefaultUnits = 510;

  // Reserves room for kDefaultUnits units.
  WideText();
  ~WideText() { Release(); }
  WideText(WideText&& other) noexcept;
  WideText& operator=(WideText&& other) noexcept;
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;

  // Drops the content and allocates room for `units` units. If the allocation fails the old
  // buffer is already gone and the object holds none.
  char16_t* Reserve(int32_t units);

  // Appends `text`. If growing fails, the object is left exactly as it was.
  void Append(const char16_t* text);
  // Appends ANSI text converted from the active code page.
  void AppendNarrow(const char* text);
  // Appends `value` in decimal.
  WideText& AppendInt(int32_t value);

  // Whitespace is tab, line feed, carriage return and space. A text made only of whitespace is
  // left to TrimRight, which empties it.
  WideText& TrimLeft();
  WideText& TrimRight();

  // The text in the active code page, owned by this object until the next call or Release.
  const char* ToNarrow();

  // Locale comparison of `text` with the ANSI `narrow`; 0 when equal.
  static int32_t CompareNarrow(const WideText& text, const char* narrow);

  // `out` becomes the part of `path` after its last backslash (all of it when there is none).
  static void FileNameOfPath(const char16_t* path, WideText& out);

  // Frees both buffers; the object then holds none. Safe to call again.
  void Release();

  // The buffer, for in-place work such as upper-casing; null only after Release or a failed
  // Reserve.
  char16_t* Buffer() { return wide_; }
  const char16_t* Data() const { return wide_ != nullptr ? wide_ : u""; }
  int32_t Length() const { return length_; }
  int32_t CapacityBytes() const { return capacity_; }
  bool Empty() const { return length_ == 0; }

 private:
  void RecountLength();

  char* narrow_ = nullptr;
  char16_t* wide_ = nullptr;
  int32_t capacity_ = 0;  // bytes
  int32_t length_ = 0;    // units before the terminator
};

}  // namespace hv
