"""Runs the native build as a child process and compares its exact output and exit code."""

import argparse
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases  # noqa: E402
from host_name import can_set_host_name, under_host_name  # noqa: E402

BINARY = None


def binary_is_64_bit():
    """From the ELF header's class byte: 2 is a 64-bit program."""
    with open(BINARY, "rb") as f:
        header = f.read(5)
    return header[:4] == b"\x7fELF" and header[4] == 2


def kernel_architecture():
    """The /platform: name of the kernel's machine, as the stand-in reads it from uname."""
    machine = os.uname().machine
    if machine in ("x86_64", "amd64"):
        return "X64"
    if machine in ("aarch64", "arm64"):
        return "ARM64"
    if machine in ("i386", "i486", "i586", "i686"):
        return "X86"
    return None


def run(case):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    env.update(case.env)
    args = [a if isinstance(a, bytes) else a.encode("utf-8") for a in case.args]
    command = [BINARY.encode()] + args
    if case.host is not None:
        command = under_host_name(case.host, command)
    return subprocess.run(command, capture_output=True, env=env, timeout=30)


class NativeCommandLine(unittest.TestCase):
    def test_cases(self):
        host_names = can_set_host_name()
        # The stand-in has no version record: gathering fails and leaves every version flag 0.
        # A 64-bit build still knows the system is 64-bit; a 32-bit build holds neither bitness.
        # The machine comes from uname either way.
        table = cases.command_line_cases(long_units=100_000, is64=binary_is_64_bit(), is32=False,
                                         architecture=kernel_architecture())
        for case in table:
            with self.subTest(case.name):
                if case.host is not None and not host_names:
                    self.skipTest("cannot set a host name here (needs root and unshare -u)")
                result = run(case)
                self.assertEqual(result.stdout, case.stdout)
                self.assertEqual(result.returncode, case.code)
                self.assertEqual(result.stderr, b"")

    def test_failed_host_name_leaves_name_empty(self):
        # An empty computer name matches only patterns made of stars.
        if not can_set_host_name():
            self.skipTest("cannot set a host name here (needs root and unshare -u)")
        for pattern, expected in (("/name:*", 1), ("/name:?", 0)):
            with self.subTest(pattern):
                result = run(cases.Case("", [pattern], b"", 0, host=".local"))
                self.assertEqual(result.returncode, expected)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    options, rest = parser.parse_known_args()
    BINARY = os.path.abspath(options.binary)
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
