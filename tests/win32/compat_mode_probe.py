"""Can this machine run the 32-bit Windows build under wine64? Exits 0 when it can, 77 when the
kernel cannot run 32-bit code (the tests of that build are then skipped), and 1 when Wine's 32-bit
DLLs are missing from --dll-path (which is ours to mend, so it fails).

Wine's new-WoW64 mode runs a 32-bit Windows program in the 64-bit Wine process by switching the
CPU to the 32-bit user code segment, so it needs no 32-bit Linux libraries, but it does need a
kernel (and hypervisor) that honours that segment. Some do not; there every 32-bit program fails
to start under Wine. A child process jumps through the segment and back and exits with 42; on a
kernel that refuses, the jump faults.
"""

import argparse
import os
import platform
import subprocess
import sys

CHILD = r'''
import ctypes, mmap, struct
MAP_32BIT = 0x40  # the page, and so both jump targets, must lie below 2 GiB
page = mmap.mmap(-1, 4096, flags=mmap.MAP_PRIVATE | mmap.MAP_ANONYMOUS | MAP_32BIT,
                 prot=mmap.PROT_READ | mmap.PROT_WRITE | mmap.PROT_EXEC)
base = ctypes.addressof(ctypes.c_char.from_buffer(page))
USER32_CS, USER_CS = 0x23, 0x33
code32 = b"\xea" + struct.pack("<IH", base + 16, USER_CS)        # jmp far USER_CS:base+16
code64 = b"\xb8\x3c\x00\x00\x00\xbf\x2a\x00\x00\x00\x0f\x05"     # exit(42)
enter = b"\x6a" + bytes([USER32_CS]) + b"\x68" + struct.pack("<I", base) + b"\x48\xcb"
page[0:len(code32)] = code32                                      # push cs; push ip; retfq
page[16:16 + len(code64)] = code64
page[32:32 + len(enter)] = enter
ctypes.CFUNCTYPE(None)(base + 32)()
'''


def kernel_runs_32bit_code():
    if platform.machine() not in ("x86_64", "AMD64"):
        return False
    child = subprocess.run([sys.executable, "-c", CHILD], capture_output=True, timeout=30)
    return child.returncode == 42


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--dll-path", required=True, help="the folder that holds i386-windows/")
    dlls = os.path.join(parser.parse_args().dll_path, "i386-windows", "ntdll.dll")
    if not os.path.isfile(dlls):
        print(f"Wine's 32-bit DLLs are missing ({dlls} not found): "
              "run scripts/install-wine32-dlls.sh")
        sys.exit(1)
    if kernel_runs_32bit_code():
        sys.exit(0)
    print("this kernel does not let a process run 32-bit code (the jump into the 32-bit user code "
          "segment faults), so Wine cannot start any 32-bit program here")
    sys.exit(77)
