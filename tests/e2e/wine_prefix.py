"""A throw-away Wine prefix in which the Windows build runs with the version record and the
computer name that a test chooses.

Version record: Wine builds it from the registry when a process starts, as long as
HKCU\\Software\\Wine has no "Version" value (which would name a version outright): the major and
minor version come from the text "CurrentVersion" ("6.1") under
HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion, the build from "CurrentBuildNumber", and the
product type from "ProductType" under HKLM\\System\\CurrentControlSet\\Control\\ProductOptions
(WinNT = 1 workstation, LanmanNT = 2 domain controller, ServerNT = 3 server). The platform id is
always 2 (NT). A registry change holds from the next process on.

Computer name: the first Wine process that a new wineserver serves takes it from the host name
(upper case, up to the first dot, at most 15 characters, as Windows keeps a NetBIOS name), and
the server keeps it for every later process. To change it, the server is replaced and the next
process starts inside a private UTS namespace whose host name is set first. The server is
told to outlive its last client by a minute, so that it cannot exit (and forget the name) between
two runs, yet goes away by itself if the suite is killed.

32-bit programs: wine64 runs them in its new-WoW64 mode when WINEDLLPATH names the folder that
holds Wine's own 32-bit DLLs (i386-windows/, see scripts/install-wine32-dlls.sh). Without them
Wine starts such a program, prints nothing and reports success, so a suite checks that its program
really ran before it trusts any result. A 32-bit program reads the 32-bit view of the registry
(Wow6432Node), so the version record is written in both views; ProductOptions is shared.
"""

import ctypes
import os
import shutil
import struct
import subprocess
import sys
import tempfile

from host_name import under_host_name

PRODUCT_OPTIONS = {1: "WinNT", 2: "LanmanNT", 3: "ServerNT"}

VERSION_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion"
VERSION_KEY_32 = r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion"
PRODUCT_KEY = r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\ProductOptions"
WINE_KEY = r"HKEY_CURRENT_USER\Software\Wine"


def patience(seconds):
    """A time limit for Wine's work, stretched by HV_TIMEOUT_SCALE where everything runs slower
    (tests/vm/run.sh sets it for its emulated machine)."""
    return seconds * float(os.environ.get("HV_TIMEOUT_SCALE", "1"))


def keep_addresses_fixed():
    """Turns address randomisation off for this process and the Wine processes it starts.

    Debian's Wine comes without the preloader that reserves the low addresses a Windows process
    needs before anything else is mapped, and its loader sits at 0x7d000000 with its heap a random
    distance after it. Now and then that heap reaches 0x7ffe0000 and the start fails: exit code 1,
    "failed to map the shared user data: c0000018" (shown only when WINEDEBUG allows err), seen
    about once in three runs of both Wine suites side by side. Without randomisation the heap
    starts right after the loader, far below."""
    addr_no_randomize = 0x0040000
    libc = ctypes.CDLL(None, use_errno=True)
    current = libc.personality(0xFFFFFFFF)
    if current != -1:
        libc.personality(current | addr_no_randomize)


def find_wine64(hint=None):
    """The 64-bit loader: `hint` if given, else wine64 on PATH or where Debian keeps it."""
    for candidate in (hint, shutil.which("wine64"), "/usr/lib/wine/wine64",
                      "/usr/lib64/wine/wine64"):
        if candidate and os.access(candidate, os.X_OK):
            return candidate
    return None


def image_bits(path):
    """32 or 64: the machine a Windows executable is built for, from its PE header."""
    with open(path, "rb") as f:
        image = f.read(4096)
    (pe_offset,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise ValueError(f"{path} is no Windows executable")
    (machine,) = struct.unpack_from("<H", image, pe_offset + 4)
    return {0x14C: 32, 0x8664: 64}[machine]


def add_wine_options(parser):
    """The command-line options that say how to run the Windows build under Wine."""
    parser.add_argument("--wine", help="the 64-bit Wine loader (default: wine64)")
    parser.add_argument("--wine-dll-path",
                        help="the folder that holds Wine's 32-bit DLLs (i386-windows/), which a "
                             "32-bit program needs; see scripts/install-wine32-dlls.sh")
    parser.add_argument("--wine-template",
                        help="a prefix that wineboot made and no program has run in since, "
                             "copied instead of making a new one")


def version_registry_text(major, minor, build, product_type):
    """A .reg file that gives every later process this version record."""
    lines = [
        "Windows Registry Editor Version 5.00",
        "",
        f"[{WINE_KEY}]",
        '"Version"=-',
    ]
    for key in (VERSION_KEY, VERSION_KEY_32):
        lines += [
            "",
            f"[{key}]",
            f'"CurrentVersion"="{major}.{minor}"',
            f'"CurrentBuild"="{build}"',
            f'"CurrentBuildNumber"="{build}"',
            '"CSDVersion"=-',
        ]
        # Windows 10 and later also keep the version as numbers; Wine 8 reads the text either way.
        if major >= 10:
            lines += [f'"CurrentMajorVersionNumber"=dword:{major:08x}',
                      f'"CurrentMinorVersionNumber"=dword:{minor:08x}']
        else:
            lines += ['"CurrentMajorVersionNumber"=-', '"CurrentMinorVersionNumber"=-']
    lines += ["", f"[{PRODUCT_KEY}]", f'"ProductType"="{PRODUCT_OPTIONS[product_type]}"', ""]
    return "\r\n".join(lines)


class WinePrefix:
    def __init__(self, wine64, dll_path=None, template=None):
        self.wine64 = wine64
        self.dll_path = dll_path
        self.template = template
        keep_addresses_fixed()
        beside = os.path.join(os.path.dirname(wine64), "wineserver")
        self.wineserver = beside if os.access(beside, os.X_OK) else shutil.which("wineserver")
        self.path = tempfile.mkdtemp(prefix="hv-wine-")
        self.env = dict(os.environ, WINEPREFIX=self.path, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        # No window may open: the suite runs headless.
        for name in ("DISPLAY", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        if dll_path:
            self.env["WINEDLLPATH"] = dll_path
        self.host = None  # the computer name the running server holds, when the suite set it

    def boot(self):
        # The server reads the registry when it starts: the copy must be complete by then.
        if self.template:
            shutil.copytree(self.template, self.path, symlinks=True, dirs_exist_ok=True)
        self._start_server()
        self._first_process([self.wine64, "cmd", "/c", "exit"] if self.template else
                            [self.wine64, "wineboot", "-i"])

    def check_runs(self, binary, code, usage):
        """Fails unless Wine really runs `binary`: without arguments it must exit with `code`
        and print `usage` (bytes) on either stream."""
        if image_bits(binary) == 32:
            dlls = os.path.join(self.dll_path or "", "i386-windows", "ntdll.dll")
            if not self.dll_path or not os.path.isfile(dlls):
                raise RuntimeError(
                    f"{binary} is a 32-bit program, and Wine's 32-bit DLLs are missing "
                    f"({dlls} not found; pass --wine-dll-path): run scripts/install-wine32-dlls.sh")
        result = self.run(binary, [])
        output = result.stdout + result.stderr
        if result.returncode != code or usage not in output:
            raise RuntimeError(
                f"Wine did not run {binary}: exit code {result.returncode}, output "
                f"{output[:400]!r}, where its usage and exit code {code} were due. A 32-bit "
                f"program needs Wine's 32-bit DLLs (scripts/install-wine32-dlls.sh) and a kernel "
                f"that runs 32-bit code")

    def close(self):
        self._stop_server()
        shutil.rmtree(self.path, ignore_errors=True)

    def set_version(self, major, minor, build, product_type):
        reg = os.path.join(self.path, "version.reg")
        with open(reg, "w", encoding="utf-8", newline="") as f:
            f.write(version_registry_text(major, minor, build, product_type))
        self._wine(["regedit", "/S", "Z:" + reg.replace("/", "\\")], timeout=patience(60))

    def run(self, binary, args, host=None):
        """Runs the program once; with `host`, under that computer name."""
        if host is not None and host != self.host:
            self._restart_as(host)
        command = [self.wine64.encode(), binary.encode()] + [a.encode() for a in args]
        return subprocess.run(command, capture_output=True, env=self.env, timeout=patience(60))

    def _restart_as(self, host):
        # Under load, the first process of a fresh server now and then fails to start; the cases
        # themselves show whether the name took, so a failed start is simply tried again.
        for attempt in range(3):
            self._stop_server()
            self._start_server()
            try:
                self._first_process(under_host_name(host, [self.wine64, "cmd", "/c", "exit"]))
                break
            except RuntimeError as failure:
                if attempt == 2:
                    raise
                print(f"retrying the start under host {host}: {failure}", file=sys.stderr)
        self.host = host

    def _wine(self, args, timeout):
        result = subprocess.run([self.wine64] + args, capture_output=True, env=self.env,
                                timeout=timeout)
        if result.returncode != 0:
            message = result.stderr.decode(errors="replace")
            raise RuntimeError(f"wine {' '.join(args)} failed: {message}")

    def _first_process(self, command):
        # The first process of a server starts Wine's helper processes, which inherit its output
        # and outlive it: it gets no pipe that anyone would wait on, only a file to read if it
        # fails.
        log_path = os.path.join(self.path, "first-process.log")
        with open(log_path, "wb") as log:
            result = subprocess.run(command, env=self.env, stdout=log, stderr=log,
                                    timeout=patience(120))
        if result.returncode != 0:
            with open(log_path, "rb") as log:
                output = log.read().decode(errors="replace").strip()
            raise RuntimeError(f"{' '.join(command)} exited with {result.returncode}: {output}")

    def _start_server(self):
        # The server puts itself in the background once it is ready.
        # It must not hold on to our pipes, or waiting for its output would never end.
        subprocess.run([self.wineserver, "-p60"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=patience(60), check=True)

    def _stop_server(self):
        for flag in ("-k", "-w"):
            subprocess.run([self.wineserver, flag], env=self.env, capture_output=True,
                           timeout=patience(60))
