#include "core/WideText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

#include "core/Exception.h"
#include "platform/Platform.h"

namespace hv {
namespace {

// Largest byte capacity a 32-bit signed field can hold while staying a whole number of units.
constexpr int64_t kMaxCapacityBytes = 0x7FFFFFFE;

bool IsWhitespace(char16_t c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// The growth step reports its failure with the code in the message.
[[noreturn]] void ThrowGrowthFailure() {
  char message[64];
  std::snprintf(message, sizeof message, "%s (%d)", "EOutOfMemory", 0);
  char16_t wide[64] = {};
  for (size_t i = 0; message[i] != 0; ++i) wide[i] = static_cast<unsigned char>(message[i]);
  throw EOutOfMemory(wide);
}

}  // namespace

WideText::WideText() { Reserve(kDefaultUnits); }

WideText::WideText(WideText&& other) noexcept
    : narrow_(std::exchange(other.narrow_, nullptr)),
      wide_(std::exchange(other.wide_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      length_(std::exchange(other.length_, 0)) {}

WideText& WideText::operator=(WideText&& other) noexcept {
  if (this != &other) {
    Release();
    narrow_ = std::exchange(other.narrow_, nullptr);
    wide_ = std::exchange(other.wide_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
    length_ = std::exchange(other.length_, 0);
  }
  return *this;
}

char16_t* WideText::Reserve(int32_t units) {
  std::free(wide_);
  wide_ = nullptr;
  capacity_ = 0;
  length_ = 0;
  // Always room for the terminator, even when asked for none.
  const int64_t bytes = 2 * static_cast<int64_t>(units < 1 ? 1 : units);
  if (bytes > kMaxCapacityBytes) throw EOutOfMemory();
  auto* buffer = static_cast<char16_t*>(std::malloc(static_cast<size_t>(bytes)));
  if (buffer == nullptr) throw EOutOfMemory();
  wide_ = buffer;
  capacity_ = static_cast<int32_t>(bytes);
  wide_[0] = 0;
  return wide_;
}

void WideText::Append(const char16_t* text) {
  if (text == nullptr) return;
  const int32_t added = platform::WideLength(text);
  // Sizes are worked out in 64 bits so a huge text is refused instead of wrapping around.
  const int64_t needed = (static_cast<int64_t>(length_) + added) * 2 + 2;
  if (wide_ == nullptr || needed > capacity_) {
    if (needed > kMaxCapacityBytes) ThrowGrowthFailure();
    int64_t grown = capacity_ >= 2 ? capacity_ : needed;
    while (grown < needed) grown *= 2;
    if (grown > kMaxCapacityBytes) grown = kMaxCapacityBytes;
    auto* buffer = static_cast<char16_t*>(std::malloc(static_cast<size_t>(grown)));
    if (buffer == nullptr) ThrowGrowthFailure();
    buffer[0] = 0;
    if (wide_ != nullptr) {
      // `text` may point into the buffer about to be freed.
      const bool aliased = !std::less<const char16_t*>()(text, wide_) &&
                           std::less<const char16_t*>()(text, wide_ + capacity_ / 2);
      std::memcpy(buffer, wide_, (static_cast<size_t>(platform::WideLength(wide_)) + 1) * 2);
      if (aliased) text = buffer + (text - wide_);
      std::free(wide_);
    }
    wide_ = buffer;
    capacity_ = static_cast<int32_t>(grown);
  }
  // The append point is the terminator, not length_: a caller may empty the text by writing a
  // NUL at the front.
  const int32_t bound = capacity_ / 2;
  int32_t end = 0;
  while (end < bound && wide_[end] != 0) ++end;
  if (end < bound) {
    int32_t i = 0;
    for (; i < added && end + i < bound - 1; ++i) wide_[end + i] = text[i];
    wide_[end + i] = 0;
  }
  RecountLength();
}

void WideText::AppendNarrow(const char* text) {
  if (text == nullptr) return;
  const size_t bytes = std::strlen(text);
  if (bytes > static_cast<size_t>(kMaxCapacityBytes / 4)) ThrowGrowthFailure();
  const auto n = static_cast<int32_t>(bytes);
  WideText converted;
  converted.Reserve(2 * n + 2);
  // n bytes never make more than n units, in any code page.
  const int32_t units = platform::AnsiToWide(text, n, converted.wide_, n);
  converted.wide_[units] = 0;
  converted.length_ = units;
  Append(converted.wide_);
}

WideText& WideText::AppendInt(int32_t value) {
  Append(platform::Decimal(value).c_str());
  return *this;
}

WideText& WideText::TrimLeft() {
  if (wide_ == nullptr) return *this;
  int32_t lead = 0;
  while (lead < length_ && IsWhitespace(wide_[lead])) ++lead;
  if (lead > 0 && lead < length_) {
    std::memmove(wide_, wide_ + lead, static_cast<size_t>(length_ - lead) * 2);
    wide_[length_ - lead] = 0;
  }
  RecountLength();
  return *this;
}

WideText& WideText::TrimRight() {
  if (wide_ == nullptr) return *this;
  for (int32_t i = length_ - 1; i >= 0 && IsWhitespace(wide_[i]); --i) wide_[i] = 0;
  RecountLength();
  return *this;
}

const char* WideText::ToNarrow() {
  std::free(narrow_);
  narrow_ = nullptr;
  // Sized from the conversion itself so a character that needs several bytes arrives whole.
  const std::string converted = platform::Narrow({wide_, static_cast<size_t>(length_)});
  auto* narrow = static_cast<char*>(std::malloc(converted.size() + 1));
  if (narrow == nullptr) throw EOutOfMemory();
  std::memcpy(narrow, converted.c_str(), converted.size() + 1);
  narrow_ = narrow;
  return narrow_;
}

int32_t WideText::CompareNarrow(const WideText& text, const char* narrow) {
  WideText converted;
  converted.Reserve(0);
  converted.AppendNarrow(narrow);
  return platform::WideCompare(text.Data(), converted.Data());
}

void WideText::FileNameOfPath(const char16_t* path, WideText& out) {
  WideText copy;
  copy.Append(path);
  int32_t start = copy.length_;
  while (start > 0 && copy.wide_[start - 1] != u'\\') --start;
  if (out.wide_ == nullptr) out.Reserve(kDefaultUnits);
  out.wide_[0] = 0;
  out.AppendNarrow("");
  out.Append(copy.wide_ + start);
}

void WideText::Release() {
  std::free(wide_);
  wide_ = nullptr;
  std::free(narrow_);
  narrow_ = nullptr;
  capacity_ = 0;
  length_ = 0;
}

void WideText::RecountLength() { length_ = platform::WideLength(wide_); }

}  // namespace hv
