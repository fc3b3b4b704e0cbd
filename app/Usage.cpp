#include "app/Usage.h"

#include <cstddef>
#include <string_view>

#include "app/Version.h"
#include "platform/Platform.h"

namespace hv {
namespace {

// A line of the banner's box: "*", a space, the text left-aligned in a 38-character field, "*".
constexpr std::size_t kBannerField = 38;
struct BannerLine {
  char text[2 + kBannerField + 3 + 1];
};

constexpr BannerLine Framed(std::string_view content) {
  // Evaluated while compiling: a text too wide for the box stops the build.
  if (content.size() > kBannerField) throw "a banner text is wider than its box";
  BannerLine line{};
  std::size_t at = 0;
  line.text[at++] = '*';
  line.text[at++] = ' ';
  for (char c : content) line.text[at++] = c;
  while (at < 2 + kBannerField) line.text[at++] = ' ';
  line.text[at++] = '*';
  line.text[at++] = '\r';
  line.text[at++] = '\n';
  return line;
}

constexpr BannerLine kTitle = Framed("Hostvetter Command Line Utility v" HV_VERSION_TEXT);
constexpr BannerLine kMaker = Framed("(c) " HV_COPYRIGHT_YEAR " " HV_MAKER);

}  // namespace

void PrintUsage() {
  // Each item is printed on its own, as the runtime's printf would take it.
  static const char* const kUsage[] = {
      "*****************************************\r\n",
      kTitle.text,
      kMaker.text,
      "* https://hostvetter.example            *\r\n",
      "*****************************************\r\n",
      "\r\nUsage:\r\n\r\n",
      "Hostvetter.exe /os:[value] /name:[value] /quiet\r\n\r\n",
      "/quiet - supress all output\r\n\r\n",
      "/platform: [64/32] - Check for 32 bit or 64 bit OS\r\n\r\n",
      "/os:[value] - Check if a computer is the specified version of windows\r\n\r\n",
      "Possible Values:\r\n",
      " Windows2000\r\n",
      " WindowsXP\r\n",
      " Windows2003\r\n",
      " WindowsVista\r\n",
      " Windows7\r\n",
      " Windows2008\r\n",
      " Windows8Client\r\n",
      " Windows8Server\r\n",
      " WIndows8\r\n",
      " Classic - Includes Windows 2000, Windows XP, and Windows 2003\r\n",
      " Modern - Includes Windows Vista, Windows 7, Windows 8, and Windows 2008\r\n\r\n",
      "/name:[value] - Check the name of a computer, with dos style wildcards\r\n\r\n",
      "Possible Values:\r\n",
      " MOBILE* - Match computer names starting with mobile\r\n",
      " *SERVER* - Match computer names containing the word 'server'\r\n",
      " COMPUTER1?? - Match computesr name COMPUTER1 with two characters after it\r\n\r\n",
      "Note:\r\n\r\n",
      "Hostvetter.exe will return 0 if the current computer does not match\r\n",
      "Hostvetter.exe will return 1 if the current computer matches\r\n",
  };
  for (const char* item : kUsage) platform::PrintStdout(item);
}

}  // namespace hv
