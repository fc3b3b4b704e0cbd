// Windows version, edition and bitness facts, gathered from the system's version record into one
// process-wide record that any code may read after gathering. Yes/no facts are 0 or 1.
#pragma once

#include <cstdint>

namespace hv {

class WideText;

struct VersionFactsRecord {
  int32_t IsClassic;  // major version below 6
  int32_t IsWin9x;
  int32_t IsWinNT;
  int32_t IsWin95;
  int32_t IsWin98;
  int32_t IsWinMe;
  int32_t IsNT4;
  int32_t IsWin2000;
  int32_t IsWinXP;
  int32_t IsWin2003;
  int32_t IsWinVista;
  int32_t IsWin2008;
  int32_t IsWin7;
  int32_t IsWin2008R2;
  int32_t IsWin8;
  int32_t IsWin8Client;
  int32_t IsWin8Server;
  // NT 6.2 and later by product type and build. A server year runs from its first build to the
  // next long-term release's, so the releases between count with the one before; the newest
  // has no end.
  int32_t IsWin81;
  int32_t IsWin2012;  // the same machines as IsWin8Server
  int32_t IsWin2012R2;
  int32_t IsWin10;             // 10.0 workstation, builds below 22000
  int32_t IsWin11;             // 10.0 workstation, builds from 22000
  int32_t IsWin2016;           // 10.0 server, builds 14393 to 17762
  int32_t IsWin2019;           // 17763 to 20347
  int32_t IsWin2022;           // 20348 to 26099
  int32_t IsWin2025;           // 26100 and later
  int32_t IsServer;            // NT, product type not 1
  int32_t IsClient;            // NT, product type 1
  int32_t IsDomainController;  // NT, product type 2
  int32_t IsWin2000Pro;
  int32_t IsWin2000Server;
  int32_t IsWinXPHome;
  int32_t IsWinXPPro;
  int32_t IsMediaCenter;
  int32_t IsTabletPC;
  int32_t IsWin2003Datacenter;
  int32_t IsWin2003Enterprise;
  int32_t IsWin2003Web;
  int32_t IsWin2003Standard;
  int32_t Is64Bit;  // the WOW64 flag as the system set it (any non-zero value means yes)
  int32_t Is32Bit;
  // The machine's native architecture, whatever this process runs as; all three 0 when the
  // probe fails or names another.
  int32_t IsX86;
  int32_t IsX64;
  int32_t IsARM64;
  const void* IsWow64ProcessAddress;   // as last resolved, or null
  const void* IsWow64Process2Address;  // as last resolved, or null
  WideText* VersionDescription;        // owned, or null
  WideText* ServicePackText;           // owned, or null
};

// Zero at program load, then filled by the unit's start-up action before the program's entry runs
// (its exit action frees the texts). Written only by GatherVersionFacts (and IsWow64).
extern VersionFactsRecord VersionFacts;

// 1 after a successful gathering; 0 when the system supplied no version record, in which case
// no version flag changes. The architecture flags are probed either way, and a 64-bit build
// sets Is64Bit either way, since its own existence proves the system 64-bit.
int32_t GatherVersionFacts();

// The WOW64 flag of this process, 0 when it cannot be determined.
int32_t IsWow64();

// Frees VersionDescription, then ServicePackText.
void ReleaseVersionTexts();

}  // namespace hv
