"""Runs the native build as a child process and compares its exact output and exit code."""

import argparse
import os
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases  # noqa: E402

BINARY = None


def can_set_host_name():
    probe = subprocess.run(["unshare", "-u", "sh", "-c",
                            "printf hv-probe > /proc/sys/kernel/hostname"],
                           capture_output=True)
    return probe.returncode == 0


def run(case):
    env = dict(os.environ, LC_ALL="C.UTF-8")
    env.update(case.env)
    args = [a if isinstance(a, bytes) else a.encode("utf-8") for a in case.args]
    command = [BINARY.encode()] + args
    if case.host is not None:
        # A private UTS namespace gives the child its own host name.
        command = [b"unshare", b"-u", b"sh", b"-c",
                   b'printf %s "$0" > /proc/sys/kernel/hostname && exec "$@"',
                   case.host.encode()] + command
    return subprocess.run(command, capture_output=True, env=env, timeout=30)


class NativeCommandLine(unittest.TestCase):
    def test_cases(self):
        host_names = can_set_host_name()
        # The stand-in has no version record: gathering fails and leaves every flag 0, so neither
        # bitness criterion holds.
        for case in cases.command_line_cases(long_units=100_000, is64=False, is32=False):
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
