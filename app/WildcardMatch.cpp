#include "app/WildcardMatch.h"

#include "platform/Platform.h"

namespace hv {

int32_t WildcardMatch(const char16_t* text, int32_t textPos, const char16_t* pattern,
                      int32_t patPos) {
  const int32_t patternLength = platform::WideLength(pattern);
  if (patternLength == 0) return 1;
  const int32_t textLength = platform::WideLength(text);
  int32_t t = textPos < 0 ? 0 : textPos;
  int32_t p = patPos < 0 ? 0 : patPos;

  // Only the most recent star ever needs retrying: whatever an earlier star could absorb, the
  // later one can absorb too. So on a mismatch we let that star take one more unit and resume,
  // instead of trying every split at every star.
  int32_t starPattern = -1;  // position after the last star seen
  int32_t starText = 0;      // text position that star's current attempt starts from
  while (t < textLength) {
    if (p < patternLength && pattern[p] == u'*') {
      starPattern = ++p;
      starText = t;
    } else if (p < patternLength && (pattern[p] == u'?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (starPattern >= 0) {
      p = starPattern;
      t = ++starText;
    } else {
      return 0;
    }
  }
  // The text is used up: what is left of the pattern must be stars only.
  while (p < patternLength && pattern[p] == u'*') ++p;
  return p >= patternLength ? 1 : 0;
}

}  // namespace hv
