"""Unpacks a release package as a user would and runs its programs from the unpacked folder.

The package must hold exactly the given files under one top folder named like the package; the
program must answer the usage, verdict and rejection cases with exact bytes and exit codes, and
the packaged ringlog must make, write and dump a log. Windows packages run with the command
given after --run-with (Wine, with its prefix).
"""

import argparse
import os
import subprocess
import sys
import tarfile
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cases  # noqa: E402

OPTIONS = None


def package_stem(path):
    name = os.path.basename(path)
    for suffix in (".zip", ".tar.gz"):
        if name.endswith(suffix):
            return name[: -len(suffix)]
    raise ValueError(f"not a package: {name}")


def unpack(path, into):
    """Unpacks the package and returns the names of the files in it."""
    if path.endswith(".zip"):
        with zipfile.ZipFile(path) as archive:
            archive.extractall(into)
            names = [i.filename for i in archive.infolist() if not i.is_dir()]
    else:
        with tarfile.open(path) as archive:
            # Pythons that know extraction filters warn without one.
            archive.extractall(into, **({"filter": "tar"} if hasattr(tarfile, "data_filter")
                                        else {}))
            names = [m.name for m in archive.getmembers() if m.isfile()]
    return sorted(names)


class PackagedProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory(prefix="hv-package-")
        cls.names = unpack(OPTIONS.package, cls.scratch.name)
        cls.root = os.path.join(cls.scratch.name, package_stem(OPTIONS.package))

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def run_packaged(self, program, args):
        command = OPTIONS.run_with + [os.path.join(self.root, program)] + args
        # Output goes to files, not pipes: a wineserver that the run starts inherits them and
        # outlives it, and a pipe would not end before the server does.
        with tempfile.TemporaryFile() as stdout, tempfile.TemporaryFile() as stderr:
            code = subprocess.run(command, stdout=stdout, stderr=stderr, cwd=self.scratch.name,
                                  timeout=120, env=dict(os.environ, LC_ALL="C.UTF-8")).returncode
            stdout.seek(0)
            stderr.seek(0)
            return subprocess.CompletedProcess(command, code, stdout.read(), stderr.read())

    def test_holds_exactly_the_release_files(self):
        stem = package_stem(OPTIONS.package)
        self.assertEqual(self.names, sorted(f"{stem}/{name}" for name in OPTIONS.files))
        with open(os.path.join(self.root, [f for f in OPTIONS.files
                                           if f.endswith("LICENSE")][0])) as licence:
            self.assertIn("MIT License", licence.read())

    def test_verdicts(self):
        table = [
            ("usage", [], cases.USAGE, cases.USAGE_EXIT),
            ("quiet alone matches silently", ["/quiet"], b"", 1),
            ("any name matches", ["/name:*"], cases.MATCH, 1),
            ("a name no computer has", ["/name:?NO-SUCH-HOST?"], cases.NO_MATCH, 0),
            ("unknown OS value", ["/os:bogus"], cases.line("Unknown OS Option: BOGUS"), 0),
            ("unknown platform value", ["/platform:16"], cases.line("Unknown platform: 16"), 0),
        ]
        for name, args, stdout, code in table:
            with self.subTest(name):
                result = self.run_packaged(OPTIONS.program, args)
                self.assertEqual(result.stdout, stdout)
                self.assertEqual(result.returncode, code)

    def test_ringlog_makes_writes_and_dumps(self):
        log = "packaged.log"
        for args in (["create", log, "4"], ["write", log, "from the package"]):
            result = self.run_packaged(OPTIONS.ringlog, args)
            self.assertEqual(result.returncode, 0, result.stderr)
        result = self.run_packaged(OPTIONS.ringlog, ["dump", log])
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertRegex(result.stdout, rb"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\tfrom the package\r\n$")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--package", required=True)
    parser.add_argument("--program", required=True, help="the tool's path inside the package")
    parser.add_argument("--ringlog", required=True, help="ringlog's path inside the package")
    parser.add_argument("--files", nargs="+", required=True, help="every file the package holds")
    parser.add_argument("--run-with", nargs=argparse.REMAINDER, default=[],
                        help="the command that runs a packaged program (Wine)")
    OPTIONS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
