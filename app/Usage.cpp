#include "app/Usage.h"

#include "platform/Platform.h"

namespace hv {

void PrintUsage() {
  // Each item is printed on its own, as the runtime's printf would take it.
  static const char* const kUsage[] = {
      "*****************************************\r\n",
      "* Hostvetter Command Line Utility v1.2  *\r\n",
      "* (c) 2026 The Hostvetter developers    *\r\n",
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
