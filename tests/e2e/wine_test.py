"""Runs a Windows build (32-bit or 64-bit) under wine64, in a fresh prefix, with the version
records and computer names that each test sets, and compares its exact output and exit code.

The expected verdicts of the version matrix come from the version record the program is given
(major, minor, product type), through os_criterion_holds below, never from Wine's names for
versions.
"""

import argparse
import os
import shutil
import subprocess
import sys
import unittest
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases  # noqa: E402
from host_name import can_set_host_name  # noqa: E402
from wine_prefix import WinePrefix, add_wine_options, find_wine64  # noqa: E402

BINARY = None
WINE64 = None
WINE_DLL_PATH = None
WINE_TEMPLATE = None

# Wine starts a process in well under a second once its server runs; a few at a time keep both
# cores busy.
PARALLEL_RUNS = 4


@dataclass(frozen=True)
class Record:
    major: int
    minor: int
    product_type: int  # 1 workstation, 2 domain controller, 3 server
    build: int
    platform_id: int = 2  # a record set through the Windows NT key is always NT

    def __str__(self):
        return f"{self.major}.{self.minor} type {self.product_type} build {self.build}"


RECORDS = [
    Record(4, 0, 1, 1381),
    Record(5, 0, 1, 2195),
    Record(5, 0, 2, 2195),
    Record(5, 1, 1, 2600),
    Record(5, 2, 3, 3790),
    Record(6, 0, 1, 6002),
    Record(6, 0, 3, 6002),
    Record(6, 1, 1, 7601),
    Record(6, 1, 3, 7601),
    Record(6, 1, 2, 7601),
    Record(6, 2, 1, 9200),
    Record(6, 2, 3, 9200),
    Record(6, 3, 1, 9600),
    Record(6, 3, 3, 9600),
    Record(10, 0, 1, 10240),
    Record(10, 0, 1, 19045),
    Record(10, 0, 1, 22000),
    Record(10, 0, 1, 26100),
    Record(10, 0, 3, 10586),  # a pre-release server: no year holds
    Record(10, 0, 3, 14393),
    Record(10, 0, 3, 16299),  # semi-annual, between two long-term releases
    Record(10, 0, 3, 17763),
    Record(10, 0, 3, 20348),
    Record(10, 0, 3, 26100),
    Record(10, 0, 2, 17763),
]
WINDOWS_10 = Record(10, 0, 1, 19045)
WINDOWS_7 = Record(6, 1, 1, 7601)

OS_OPTIONS = ["WINDOWS2000", "WINDOWSXP", "WINDOWS2003", "WINDOWSVISTA", "WINDOWS7", "WINDOWS8",
              "WINDOWS8CLIENT", "WINDOWS8SERVER", "WINDOWS2008", "CLASSIC", "MODERN",
              # the later names
              "WINDOWS81", "WINDOWS8.1", "WINDOWS10", "WINDOWS11", "WINDOWS2008R2", "WINDOWS2012",
              "WINDOWS2012R2", "WINDOWS2016", "WINDOWS2019", "WINDOWS2022", "WINDOWS2025",
              "SERVER", "CLIENT", "DOMAINCONTROLLER"]


def os_criterion_holds(option, r):
    """Whether /os:`option` holds for a program given the version record `r`."""
    nt = r.platform_id == 2
    workstation = r.product_type == 1
    classic = r.major < 6

    def version(major, minor):
        return nt and (r.major, r.minor) == (major, minor)

    def server_10(first_build, next_release_build=None):
        """A long-term server release runs up to the next one's first build."""
        return (version(10, 0) and not workstation and r.build >= first_build
                and (next_release_build is None or r.build < next_release_build))

    return {
        "WINDOWS2000": version(5, 0),
        "WINDOWSXP": version(5, 1),
        "WINDOWS2003": version(5, 2),
        "WINDOWSVISTA": version(6, 0) and workstation,
        "WINDOWS7": version(6, 1) and workstation,
        "WINDOWS8": version(6, 2),
        "WINDOWS8CLIENT": version(6, 2) and workstation,
        "WINDOWS8SERVER": version(6, 2) and not workstation,
        "WINDOWS2008": (version(6, 0) or version(6, 1)) and not workstation,
        "CLASSIC": classic,
        "MODERN": not classic,
        "WINDOWS81": version(6, 3) and workstation,
        "WINDOWS8.1": version(6, 3) and workstation,
        "WINDOWS10": version(10, 0) and workstation and r.build < 22000,
        "WINDOWS11": version(10, 0) and workstation and r.build >= 22000,
        "WINDOWS2008R2": version(6, 1) and not workstation,
        "WINDOWS2012": (version(6, 2) or version(6, 3)) and not workstation,
        "WINDOWS2012R2": version(6, 3) and not workstation,
        "WINDOWS2016": server_10(14393, 17763),
        "WINDOWS2019": server_10(17763, 20348),
        "WINDOWS2022": server_10(20348, 26100),
        "WINDOWS2025": server_10(26100),
        "SERVER": nt and not workstation,
        "CLIENT": nt and workstation,
        "DOMAINCONTROLLER": nt and r.product_type == 2,
    }[option]


PREFIX = None  # one fresh prefix for the whole run


def setUpModule():
    global PREFIX
    PREFIX = WinePrefix(WINE64, WINE_DLL_PATH, WINE_TEMPLATE)
    try:
        PREFIX.boot()
        PREFIX.check_runs(BINARY, cases.USAGE_EXIT, cases.USAGE)
    except Exception:
        PREFIX.close()
        raise


def tearDownModule():
    PREFIX.close()


class WineSuite(unittest.TestCase):
    def given(self, record):
        PREFIX.set_version(record.major, record.minor, record.build, record.product_type)

    def run_all(self, arg_lists, binary=None):
        """Runs the program once per argument list, several at a time, under the current host."""
        with ThreadPoolExecutor(PARALLEL_RUNS) as pool:
            return list(pool.map(lambda args: PREFIX.run(binary or BINARY, args), arg_lists))

    def assertOutcome(self, result, stdout, code):
        # All three at once: a run that went wrong shows everything it left.
        self.assertEqual((result.stdout, result.returncode, result.stderr), (stdout, code, b""))


class VersionMatrix(WineSuite):
    def test_os_criterion_follows_the_version_record(self):
        for record in RECORDS:
            self.given(record)
            results = self.run_all([["/os:" + option.lower()] for option in OS_OPTIONS])
            for option, result in zip(OS_OPTIONS, results):
                with self.subTest(record=str(record), option=option):
                    self.assertOutcome(result, *cases.verdict(os_criterion_holds(option, record)))

    def test_sees_a_64_bit_system_whatever_the_record(self):
        # The 32-bit build learns it from its WOW64 probes; the 64-bit one from being 64-bit.
        for record in (RECORDS[0], WINDOWS_7, WINDOWS_10):
            self.given(record)
            results = self.run_all([["/platform:64"], ["/platform:32"]])
            with self.subTest(record=str(record)):
                self.assertOutcome(results[0], cases.MATCH, 1)
                self.assertOutcome(results[1], cases.NO_MATCH, 0)


class Manifest(WineSuite):
    def test_declares_the_invokers_rights_and_windows_10(self):
        with open(BINARY, "rb") as f:
            image = f.read()
        self.assertIn(b'<requestedExecutionLevel level="asInvoker" uiAccess="false"/>', image)
        self.assertIn(b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", image)

    def test_supported_versions_make_windows_report_its_true_version(self):
        # A copy whose supportedOS ids name no known version is told 6.2 on 8.1 and later, as a
        # program without the declaration would be; it then takes Windows 10 for Windows 8.
        with open(BINARY, "rb") as f:
            image = f.read()
        blank = b"{00000000-0000-0000-0000-000000000000}"
        undeclared = image
        for guid in (b"{e2011457-1546-43c5-a5fe-008deee3d3f0}",
                     b"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                     b"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                     b"{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                     b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"):
            self.assertEqual(undeclared.count(guid), 1)
            undeclared = undeclared.replace(guid, blank)
        copy = os.path.join(PREFIX.path, "Undeclared.exe")
        with open(copy, "wb") as f:
            f.write(undeclared)

        for record in (Record(6, 3, 1, 9600), WINDOWS_10):
            self.given(record)
            declared = PREFIX.run(BINARY, ["/os:windows8"])
            stripped = PREFIX.run(copy, ["/os:windows8"])
            with self.subTest(record=str(record)):
                self.assertOutcome(declared, cases.NO_MATCH, 0)
                self.assertOutcome(stripped, cases.MATCH, 1)

    def test_needs_no_dll_beside_it(self):
        objdump = shutil.which("x86_64-w64-mingw32-objdump")
        if objdump is None:
            self.skipTest("x86_64-w64-mingw32-objdump is not installed")
        headers = subprocess.run([objdump, "-p", BINARY], capture_output=True, text=True,
                                 check=True).stdout
        dlls = {line.split(":", 1)[1].strip().lower()
                for line in headers.splitlines() if "DLL Name:" in line}
        self.assertIn("kernel32.dll", dlls)
        self.assertLessEqual(dlls, {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll",
                                    "ntdll.dll"})


class CommandLine(WineSuite):
    def test_prints_what_the_native_build_prints(self):
        self.given(WINDOWS_10)
        shared = [c for c in cases.command_line_cases(long_units=30000, is64=True, is32=False,
                                                            architecture="X64")
                  if not c.native_only]
        self.check_by_host(shared)

    def test_text_follows_the_windows_code_page_and_locale(self):
        # Wine gives the C locale the code page of an English Windows, 1252.
        self.given(WINDOWS_7)
        table = [
            cases.Case("non-ASCII value is printed in the code page", ["/os:windows7\u00e9"],
                       b"Unknown OS Option: WINDOWS7\xc9" + cases.EOL, 0),
            cases.Case("a character outside it becomes the default character", ["/os:x\u4e00"],
                       cases.line("Unknown OS Option: X?"), 0),
            # No conversion flags: Windows prints the nearest letter the code page has.
            cases.Case("best-fit letter", ["/platform:\u0101"],
                       cases.line("Unknown platform: A"), 0),
            # The locale comparison passes over a soft hyphen, so this value names Windows 7.
            cases.Case("soft hyphen is ignored by the comparison", ["/os:windows\u00ad7"],
                       cases.MATCH, 1),
        ]
        self.check_by_host(table)

    def test_computer_name_is_the_netbios_name(self):
        self.given(WINDOWS_10)
        long_host = "ABCDEFGHIJKLMNOPQRS"
        table = [
            cases.Case("upper case", ["/name:MOBILE-07"], cases.MATCH, 1, host="mobile-07"),
            cases.Case("up to the first dot", ["/name:LAB-12"], cases.MATCH, 1,
                       host="lab-12.example.org"),
            cases.Case("first 15 characters", ["/name:" + long_host[:15]], cases.MATCH, 1,
                       host=long_host),
            cases.Case("nothing after the 15th", ["/name:*S"], cases.NO_MATCH, 0,
                       host=long_host),
        ]
        self.check_by_host(table)

    def check_by_host(self, table):
        """Runs the cases grouped by host name, so that each name starts the server once."""
        host_names = can_set_host_name()
        for host in dict.fromkeys(c.host for c in table):
            group = [c for c in table if c.host == host]
            if host is not None and not host_names:
                for c in group:
                    with self.subTest(c.name):
                        self.skipTest("cannot set a host name here (needs root and unshare -u)")
                continue
            # The first run of a new host starts the server under that name.
            first = PREFIX.run(BINARY, group[0].args, host=host)
            results = [first] + self.run_all([c.args for c in group[1:]])
            for c, result in zip(group, results):
                with self.subTest(c.name):
                    self.assertOutcome(result, c.stdout, c.code)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    add_wine_options(parser)
    options, rest = parser.parse_known_args()
    BINARY = os.path.abspath(options.binary)
    WINE_DLL_PATH = options.wine_dll_path
    WINE_TEMPLATE = options.wine_template
    WINE64 = find_wine64(options.wine)
    if WINE64 is None:
        sys.exit("wine64 not found")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
