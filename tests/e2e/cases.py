"""Command-line cases that the native and the Windows build must answer with identical bytes.

Both suites run them on a system for which no named Windows family of the usage text holds and
which is not classic: the native stand-in has no version record (so no version flag is set at
all), and the Windows suite gives the program version 10.0. They differ only in bitness and
machine architecture, which the caller passes in. Standard
output is compared byte for byte: each printed line end is carriage return + line feed, and text
mode writes the line feed as carriage return + line feed, so it arrives as CR CR LF.
"""

from dataclasses import dataclass, field

EOL = b"\r\r\n"
MATCH = b"The computer matches the specified options" + EOL
NO_MATCH = b"The computer does not match the specified options" + EOL

USAGE_ITEMS = [
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
    " Windows2000\r\n", " WindowsXP\r\n", " Windows2003\r\n", " WindowsVista\r\n",
    " Windows7\r\n", " Windows2008\r\n", " Windows8Client\r\n", " Windows8Server\r\n",
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
]
USAGE = "".join(USAGE_ITEMS).replace("\n", "\r\n").encode("ascii")
# -1 as a process exit status; a POSIX parent sees its low eight bits.
USAGE_EXIT = 255


def line(text):
    """One printed line as it reaches standard output."""
    return text.encode("ascii") + EOL


@dataclass
class Case:
    name: str
    args: list  # str, or bytes for raw bytes on the native build
    stdout: bytes
    code: int
    host: str | None = None  # the host name the program runs under, when it matters
    native_only: bool = False  # needs the POSIX locale machinery (non-ASCII, invalid bytes)
    env: dict = field(default_factory=dict)


def verdict(holds):
    return (MATCH, 1) if holds else (NO_MATCH, 0)


ARCHITECTURES = ("X64", "ARM64", "X86")


def command_line_cases(long_units, is64, is32, architecture):
    """The shared cases. `long_units` is the length of the oversized-argument cases: a Windows
    command line holds at most 32,767 characters, a POSIX one far more. `is64` and `is32` are the
    bitness facts of the system under test, `architecture` its machine (one of ARCHITECTURES, or
    None for another)."""
    stars = "/name:" + "*A" * 30 + "*B"
    return [
        Case("no argument prints usage", [], USAGE, USAGE_EXIT),
        Case("quiet alone matches silently", ["/quiet"], b"", 1),
        Case("quietly also sets quiet", ["/QuietLy"], b"", 1),
        Case("empty name pattern holds", ["/name:"], MATCH, 1),
        Case("switches are case-insensitive", ["/Name:mobile*"], MATCH, 1, host="Mobile-07"),
        Case("star pattern inside", ["/name:*SERVER*"], MATCH, 1, host="WEBSERVER2"),
        Case("star pattern inside, no match", ["/name:*SERVER*"], NO_MATCH, 0, host="WEB01"),
        Case("question marks", ["/name:computer1??"], MATCH, 1, host="COMPUTER1AB"),
        Case("question marks, one short", ["/name:computer1??"], NO_MATCH, 0, host="COMPUTER1A"),
        Case("quiet hides a failed verdict", ["/name:X*", "/quiet"], b"", 0, host="WEB01"),
        Case("repeated switch appends", ["/name:AB", "/name:CD"], MATCH, 1, host="ABCD"),
        Case("repeated switch appends, no match", ["/name:AB", "/name:CD"], NO_MATCH, 0,
             host="AB-CD"),
        Case("argument is trimmed before recognition", [" /name:x "], MATCH, 1, host="X"),
        Case("argument is trimmed, no match", [" /name:x "], NO_MATCH, 0, host="Y"),
        Case("blank argument is ignored", ["   "], MATCH, 1),
        Case("empty argument is ignored", [""], MATCH, 1),
        Case("unknown switch is ignored", ["/osx:7"], MATCH, 1),
        Case("unknown OS value", ["/os:win7"], line("Unknown OS Option: WIN7"), 0),
        Case("unknown OS value, quiet", ["/os:win7", "/quiet"], line("Unknown OS Option: WIN7"), 0),
        Case("unknown platform", ["/platform:amd64"], line("Unknown platform: AMD64"), 0),
        Case("unknown platform, quiet", ["/quiet", "/platform:amd64"],
             line("Unknown platform: AMD64"), 0),
        Case("both rejected: only the OS message", ["/platform:amd64", "/os:win7"],
             line("Unknown OS Option: WIN7"), 0),
        Case("blank in architecture value is kept", ["/platform: x64"],
             line("Unknown platform:  X64"), 0),
        Case("blank in platform value is kept", ["/platform: 64"], line("Unknown platform:  64"), 0),
        Case("blank in OS value is dropped", ["/os: modern"], MATCH, 1),
        Case("OS value with only blanks holds", ["/os:   "], MATCH, 1),
        Case("repeated platform switch appends", ["/platform:6", "/platform:4"], *verdict(is64)),
        Case("64-bit criterion", ["/platform:64"], *verdict(is64)),
        Case("32-bit criterion", ["/platform:32"], *verdict(is32)),
        *[Case(f"{name} machine criterion", ["/platform:" + name.lower()],
               *verdict(name == architecture)) for name in ARCHITECTURES],
        Case("machine criterion with the rest", ["/platform:x64", "/os:modern", "/name:lab-*"],
             *verdict(architecture == "X64"), host="LAB-12"),
        Case("modern holds", ["/os:modern"], MATCH, 1),
        Case("classic fails", ["/os:Classic"], NO_MATCH, 0),
        Case("named version fails", ["/os:windows7"], NO_MATCH, 0),
        Case("failing OS still checks the platform", ["/os:windowsxp", "/platform:bad"],
             line("Unknown platform: BAD"), 0),
        Case("every criterion together", ["/os:modern", "/name:lab-*"], MATCH, 1, host="LAB-12"),
        Case("every criterion together, with bitness", ["/os:modern", "/platform:64",
             "/name:lab-*"], *verdict(is64), host="LAB-12"),
        Case("many stars answer at once", [stars], NO_MATCH, 0, host="A" * 60),
        Case("oversized name pattern", ["/name:" + "a" * (long_units - 6)], NO_MATCH, 0,
             host="LAB"),
        Case("oversized OS value", ["/os:" + "x" * (long_units - 4)],
             line("Unknown OS Option: " + "X" * (long_units - 4)), 0),
        # The locale machinery of the POSIX stand-in.
        Case("non-ASCII value arrives whole", ["/os:windows7\u00e9"],
             "Unknown OS Option: WINDOWS7\u00c9".encode() + EOL, 0, native_only=True),
        Case("invalid bytes are echoed as they came", [b"/platform:\xff6"],
             b"Unknown platform: \xff6" + EOL, 0, native_only=True),
        Case("C locale echoes undecodable bytes", [b"/os:\xe97"],
             b"Unknown OS Option: \xe97" + EOL, 0, native_only=True, env={"LC_ALL": "C"}),
        # The C locale decodes neither UTF-8 name; each byte must still count as itself.
        Case("C locale keeps undecodable names apart", ["/name:\u00e0LAN"], NO_MATCH, 0,
             host="\u00e9lan", native_only=True, env={"LC_ALL": "C"}),
        Case("C locale matches an undecodable name with itself", ["/name:\u00e9LAN"], MATCH, 1,
             host="\u00e9lan", native_only=True, env={"LC_ALL": "C"}),
        Case("non-ASCII name is upper-cased on both sides", ["/name:m\u00fcller-*"], MATCH, 1,
             host="M\u00fcller-PC", native_only=True),
        Case("host name stops at its first dot", ["/name:lab-??"], MATCH, 1,
             host="lab-12.example.org", native_only=True),
    ]
