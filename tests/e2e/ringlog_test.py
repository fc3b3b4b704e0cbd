"""Runs the ringlog tool as separate processes against real log files: its commands, its errors,
several writers sharing one log, and a writer killed in the middle of a write.

With --wine the same cases run the Windows build under Wine, in a fresh prefix, where the locks
are Wine's LockFileEx and named mutexes. With --peer-binary, every other writer sharing a log is
that program (the other Windows build), so a 32-bit and a 64-bit process contend for one log.
"""

import argparse
import hashlib
import io
import os
import random
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_prefix import patience  # noqa: E402

RUNNER = None
MUTEX_HOLDER = None

HEADER = struct.Struct("<5i")
RECORD_BYTES = 2056
DUMP_LINE = re.compile(rb"^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\t(.*)$", re.S)


class Runner:
    """Starts the tool natively, or under Wine when given a prefix."""

    def __init__(self, binary, prefix=None, peer=None):
        self.binary = binary
        self.peer = peer
        self.prefix = prefix
        self.env = dict(prefix.env if prefix else os.environ, LC_ALL="C.UTF-8")

    def path(self, path):
        # Wine sees the host's file system as drive Z:.
        return "Z:" + path.replace("/", "\\") if self.prefix else path

    def command(self, args, binary=None):
        binary = binary or self.binary
        head = [self.prefix.wine64, binary] if self.prefix else [binary]
        return head + args

    def keep_lock_files_in(self, folder):
        """Named mutexes of the native build keep their lock files in TMPDIR. Under Wine it stays
        as it is: a Wine process that sees another TMPDIR finds no server there and starts one of
        its own, with the prefix's helper processes, a second or more per run."""
        if not self.prefix:
            self.env["TMPDIR"] = folder

    def writer(self, index):
        """The program of the `index`th writer of a shared log: with a peer, every other one."""
        return self.peer if self.peer and index % 2 else self.binary

    def run(self, args, stdin=b"", timeout=patience(60)):
        return subprocess.run(self.command(args), input=stdin, capture_output=True,
                              env=self.env, timeout=timeout)

    def start(self, args, binary=None):
        return subprocess.Popen(self.command(args, binary), stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=self.env)


def read_log(path):
    """The header, the slot table and each slot's (time, text) as the file holds them."""
    with open(path, "rb") as f:
        data = f.read()
    lap, next_slot, last_slot, slot_count, reserved = HEADER.unpack_from(data, 0)
    laps = list(struct.unpack_from(f"<{slot_count}i", data, 20))
    base = 20 + 4 * slot_count
    records = []
    for i in range(slot_count):
        offset = base + RECORD_BYTES * i
        if offset + RECORD_BYTES > len(data):
            break
        (stamp,) = struct.unpack_from("<d", data, offset)
        records.append((stamp, data[offset + 8:offset + RECORD_BYTES].split(b"\0", 1)[0]))
    return {"lap": lap, "next": next_slot, "last": last_slot, "slots": slot_count,
            "reserved": reserved, "laps": laps, "records": records}


class RingLogTool(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="hv-ringlog-")
        RUNNER.keep_lock_files_in(self.dir)

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def file(self, name):
        return os.path.join(self.dir, name)

    def tool(self, *args, stdin=b""):
        return RUNNER.run(list(args), stdin=stdin)

    def dump(self, path):
        result = self.tool("dump", RUNNER.path(path))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")
        self.assertTrue(result.stdout == b"" or result.stdout.endswith(b"\r\n"), result.stdout)
        texts = []
        for line in result.stdout.split(b"\r\n")[:-1]:
            match = DUMP_LINE.match(line)
            self.assertIsNotNone(match, line)
            texts.append(match.group(1))
        return texts

    def assert_failed(self, result, name, cause):
        """A failure: non-zero exit, nothing on stdout, one line on stderr naming file and cause."""
        self.assertNotEqual(result.returncode, 0)
        self.assertEqual(result.stdout, b"")
        lines = result.stderr.replace(b"\r\n", b"\n").split(b"\n")
        self.assertEqual(len(lines), 2, (result.returncode, result.stderr))
        self.assertEqual(lines[1], b"")
        self.assertIn(name.encode(), lines[0])
        self.assertRegex(lines[0].decode(errors="replace"), cause)

    def test_create_makes_an_empty_log(self):
        path = self.file("new.log")
        result = self.tool("create", RUNNER.path(path), "4")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, b"", b""))
        log = read_log(path)
        self.assertEqual((log["lap"], log["next"], log["last"], log["slots"]), (0, 0, 0, 4))
        self.assertEqual(log["laps"], [0, 0, 0, 0])
        self.assertEqual(os.path.getsize(path), 20 + 16)
        self.assertEqual(self.dump(path), [])

    def test_create_refuses_and_leaves_things_as_they_were(self):
        taken = self.file("taken.log")
        with open(taken, "wb") as f:
            f.write(b"precious")
        self.assert_failed(self.tool("create", RUNNER.path(taken), "4"), "taken.log", "create")
        with open(taken, "rb") as f:
            self.assertEqual(f.read(), b"precious")

        for slots in ["0", "-1", "abc", "1042468", "99999999999", ""]:
            with self.subTest(slots=slots):
                self.assert_failed(self.tool("create", RUNNER.path(self.file("bad.log")), slots),
                                   "bad.log", "SLOTS")
                self.assertFalse(os.path.exists(self.file("bad.log")))

    def test_writes_come_back_oldest_first(self):
        path = self.file("ring.log")
        self.assertEqual(self.tool("create", RUNNER.path(path), "3").returncode, 0)
        result = self.tool("write", RUNNER.path(path), "m1", "m2", "m3", "m4", "m5")
        self.assertEqual((result.returncode, result.stdout, result.stderr), (0, b"", b""))
        self.assertEqual(self.dump(path), [b"m3", b"m4", b"m5"])
        log = read_log(path)
        self.assertEqual((log["lap"], log["next"], log["last"]), (2, 2, 1))
        self.assertEqual(log["laps"], [2, 2, 1])

        # Without messages, each line of the input is one record, empty lines included.
        result = self.tool("write", "--buffered", RUNNER.path(path), stdin=b"a\r\n\nlast")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(self.dump(path), [b"a", b"", b"last"])

    def test_dump_keeps_each_record_on_one_line(self):
        path = self.file("lines.log")
        self.tool("create", RUNNER.path(path), "2")
        self.assertEqual(self.tool("write", RUNNER.path(path), "two\nlines").returncode, 0)
        self.assertEqual(self.dump(path), [b"two lines"])

    def test_failures_name_the_file_and_the_cause(self):
        missing = self.file("missing.log")
        for command in (["dump"], ["write"]):
            with self.subTest(command=command[0]):
                self.assert_failed(self.tool(*command, RUNNER.path(missing)), "missing.log", "open")

        # Files that are not ring logs are refused, and the writer leaves them as they were.
        zero = bytearray(40)
        cut = bytearray(40)
        struct.pack_into("<i", cut, 12, 100)
        for name, content, cause in [("short.log", b"tiny", "fewer than the 20"),
                                     ("zero.log", bytes(zero), "gives 0 slots"),
                                     ("cut.log", bytes(cut), "100 slots need")]:
            path = self.file(name)
            with open(path, "wb") as f:
                f.write(content)
            for command in (["dump"], ["write"]):
                with self.subTest(name=name, command=command[0]):
                    args = [*command, RUNNER.path(path)] + (["x"] if command == ["write"] else [])
                    self.assert_failed(self.tool(*args), name, cause)
                    with open(path, "rb") as f:
                        self.assertEqual(f.read(), content)

        result = self.tool("write", "--write-limit", "fast", RUNNER.path(missing), "x")
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"--write-limit", result.stderr)
        self.assertEqual(self.tool("frobnicate").returncode, 2)
        self.assertEqual(self.tool().returncode, 2)

    def test_processes_share_one_ring(self):
        processes, each = 4, 250
        total = processes * each
        for name, options in [("plain", []), ("buffered", ["--buffered"]),
                              ("mutex", ["--buffered", "--mutex", f"hv-ringlog-{os.getpid()}"])]:
            with self.subTest(name):
                path = self.file(f"{name}.log")
                self.assertEqual(self.tool("create", RUNNER.path(path), str(total + 24)).returncode, 0)
                # All writers are waiting on their input before any gets it, so they overlap.
                writers = [RUNNER.start(["write", *options, RUNNER.path(path)],
                                        binary=RUNNER.writer(p))
                           for p in range(processes)]
                for p, writer in enumerate(writers):
                    writer.stdin.write(b"".join(b"process %d message %d\n" % (p, i)
                                                for i in range(each)))
                for writer in writers:
                    writer.stdin.close()
                for writer in writers:
                    self.assertEqual(writer.wait(timeout=patience(120)), 0, writer.stderr.read())
                    writer.stdout.close()
                    writer.stderr.close()

                texts = self.dump(path)
                self.assertEqual(len(texts), total)
                self.assertEqual(len(set(texts)), total)
                for p in range(processes):
                    own = [t for t in texts if t.startswith(b"process %d " % p)]
                    self.assertEqual(own, [b"process %d message %d" % (p, i) for i in range(each)])
                log = read_log(path)
                self.assertEqual((log["lap"], log["next"], log["last"], log["slots"]),
                                 (1, total, total - 1, total + 24))
                self.assertEqual(log["laps"], [1] * total + [0] * 24)
                self.assertEqual(sorted(t for _, t in log["records"]), sorted(texts))

    def test_killed_writer_leaves_a_log_others_go_on_writing(self):
        path = self.file("killed.log")
        mutex = ["--mutex", f"hv-ringlog-kill-{os.getpid()}"]
        self.assertEqual(self.tool("create", RUNNER.path(path), "600").returncode, 0)
        pre = [f"pre {i}" for i in range(10)]
        self.assertEqual(self.tool("write", *mutex, RUNNER.path(path), *pre).returncode, 0)

        # A write cap far below one record a second: once its record is in the file, the victim
        # crawls through the header a byte at a time, holding both locks.
        size = os.path.getsize(path)
        victim = RUNNER.start(["write", *mutex, "--write-limit", "1000", RUNNER.path(path)])
        victim.stdin.write(b"victim\n")
        victim.stdin.flush()
        deadline = time.monotonic() + 30
        while os.path.getsize(path) == size and time.monotonic() < deadline:
            time.sleep(0.005)
        self.assertGreater(os.path.getsize(path), size, "the victim never wrote its record")

        others = [RUNNER.start(["write", *mutex, RUNNER.path(path)]) for _ in range(2)]
        for p, writer in enumerate(others):
            writer.stdin.write(b"".join(b"after %d %d\n" % (p, i) for i in range(100)))
            writer.stdin.close()
        victim.send_signal(signal.SIGKILL)
        victim.wait(timeout=patience(30))
        for handle in (victim.stdin, victim.stdout, victim.stderr):
            handle.close()
        for writer in others:
            self.assertEqual(writer.wait(timeout=patience(60)), 0, writer.stderr.read())
            writer.stdout.close()
            writer.stderr.close()

        texts = self.dump(path)
        self.assertLessEqual(texts.count(b"victim"), 1)
        survivors = [t for t in texts if t != b"victim"]
        expected = [p.encode() for p in pre] + [b"after %d %d" % (p, i) for p in range(2)
                                                for i in range(100)]
        self.assertEqual(sorted(survivors), sorted(expected))
        for p in range(2):
            own = [t for t in texts if t.startswith(b"after %d " % p)]
            self.assertEqual(own, [b"after %d %d" % (p, i) for i in range(100)])


def rebuilt_header(log):
    """(lap, next, last) as a finished write leaves them with this table: the newest lap in
    slots [0, b), the lap before it in the others."""
    laps, slots = log["laps"], log["slots"]
    values = set(laps) - {0}
    newest = max(values) if values else 0
    if 2147483646 in values and 0 in laps and log["lap"] == 0:
        newest = 0
    done = 0
    while done < slots and laps[done] == newest:
        done += 1
    return newest, done % slots, (done + slots - 1) % slots


class RingLogRefusesAndSurvives(unittest.TestCase):
    """Files that are no ring log, writers killed at any point, and what dump shows."""

    setUp = RingLogTool.setUp
    tearDown = RingLogTool.tearDown
    file = RingLogTool.file
    tool = RingLogTool.tool
    dump = RingLogTool.dump
    assert_failed = RingLogTool.assert_failed

    def write_file(self, name, content, size=None):
        path = self.file(name)
        with open(path, "wb") as f:
            f.write(content)
            if size is not None:
                f.truncate(size)
        return path

    def test_foreign_files_are_refused_and_left_byte_identical(self):
        # A message catalogue: magic, revision, count, then the two table offsets; the word at
        # offset 12 (the translations' table offset) reads as a plausible slot count.
        count = 12
        originals = [b"msgid %d" % i for i in range(count)]
        translations = [b"msgstr %d" % i for i in range(count)]
        strings_at = 28 + 16 * count
        mo = bytearray(struct.pack("<7I", 0x950412DE, 0, count, 28, 28 + 8 * count, 0, 0))
        blob, table = b"", []
        for text in originals + translations:
            table.append((len(text), strings_at + len(blob)))
            blob += text + b"\0"
        for length, offset in table:
            mo += struct.pack("<2I", length, offset)
        mo += blob
        self.assertTrue(1 <= struct.unpack_from("<i", mo, 12)[0] <= 1042467)

        archive = io.BytesIO()
        with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
            for i in range(20):
                z.writestr("member%d.txt" % i, os.urandom(3000))

        rng = random.Random(9)
        plausible = bytearray(HEADER.pack(1, 2, 1, 8, 0))
        plausible += bytes(rng.getrandbits(8) for _ in range(20 + 32 + 3 * RECORD_BYTES - 20))

        sparse_huge = HEADER.pack(0, 0, 0, 10_000_000, 0)
        sparse_plausible = HEADER.pack(0, 0, 0, 1_000_000, 0)
        cases = [("catalog.mo", bytes(mo), None, ""),
                 ("bundle.zip", archive.getvalue(), None, ""),
                 ("plausible.log", bytes(plausible), None, ""),
                 ("sparse-huge.log", sparse_huge, 40 << 20, "10000000 slots"),
                 ("sparse.log", sparse_plausible, 40 << 20, "more than the")]
        for name, content, size, cause in cases:
            path = self.write_file(name, content, size)
            with open(path, "rb") as f:
                before = hashlib.sha256(f.read()).digest()
            blocks = os.stat(path).st_blocks
            for command in (["dump"], ["write"], ["write", "--buffered"]):
                with self.subTest(name=name, command=command):
                    args = [*command, RUNNER.path(path)] + (["x"] if command[0] == "write" else [])
                    result = self.tool(*args)
                    self.assert_failed(result, name, "not a ring log: .*(" + cause + ")")
                    with open(path, "rb") as f:
                        self.assertEqual(hashlib.sha256(f.read()).digest(), before)
                    self.assertEqual(os.stat(path).st_blocks, blocks)

    def settled(self, name, slots, writes):
        path = self.file(name)
        self.assertEqual(self.tool("create", RUNNER.path(path), str(slots)).returncode, 0)
        lines = b"".join(b"pre %d\n" % i for i in range(writes))
        self.assertEqual(self.tool("write", RUNNER.path(path), stdin=lines).returncode, 0)
        return path

    def test_writers_killed_at_many_points_leave_a_log_the_next_write_continues(self):
        # A cap far below one record a second: after its record, a victim crawls through its
        # table entry and header a byte every half second, so kills spread over ten seconds hit
        # every part of the write. Each victim has its own log, so they all run at once.
        starts = [("lap", 3, 3), ("lap256", 3, 3 * 255), ("slot256", 300, 255), ("mid", 3, 4)]
        logs = []
        for k in range(9):
            label, slots, writes = starts[k % len(starts)]
            name = "%s-%d.log" % (label, k)
            logs.append((k, name, self.settled(name, slots, writes), slots, writes))
        victims = []
        for k, name, path, slots, writes in logs:
            options = ["--buffered"] if k % 4 == 3 else []
            process = RUNNER.start(["write", *options, "--write-limit", "1000", RUNNER.path(path)])
            process.stdin.write(b"victim\n")
            process.stdin.flush()
            victims.append((name, path, slots, writes, process, 0.3 + 1.3 * k))
        begun = time.monotonic()
        for name, path, slots, writes, process, at in victims:
            time.sleep(max(0, begun + at - time.monotonic()))
            process.send_signal(signal.SIGKILL)
            process.wait(timeout=patience(30))
            for handle in (process.stdin, process.stdout, process.stderr):
                handle.close()
        for name, path, slots, writes, process, at in victims:
            with self.subTest(log=name, killed_after=at):
                kept = [b"pre %d" % i for i in range(max(0, writes - slots), writes)]
                # The victim overwrites the oldest record once the ring is full: that one is
                # there, torn, or gone.
                full = writes >= slots
                shown = [t for t in self.dump(path) if t != b"victim"]
                torn = [t for t in shown if t not in kept]
                self.assertLessEqual(len(torn), 1 if full else 0, torn)
                self.assertIn([t for t in shown if t in kept], (kept, kept[1:]) if full else (kept,))
                result = self.tool("write", RUNNER.path(path), "after")
                self.assertEqual(result.returncode, 0, result.stderr)
                log = read_log(path)
                self.assertEqual(rebuilt_header(log), (log["lap"], log["next"], log["last"]))
                texts = self.dump(path)
                self.assertEqual(texts[-1], b"after")
                # The victim's record is there whole or not at all; the slot it was rewriting is
                # lost either way, and the one after it when the victim had finished.
                self.assertLessEqual(texts.count(b"victim"), 1)
                rest = [t for t in texts[:-1] if t != b"victim"]
                self.assertIn(rest, (kept[1:], kept[2:]) if full else (kept,))

    def test_dump_of_what_is_not_a_file_answers_at_once(self):
        fifo = self.file("pipe.log")
        os.mkfifo(fifo)
        for name, path in [("pipe.log", fifo), ("a directory", self.dir)]:
            with self.subTest(name):
                started = time.monotonic()
                result = RUNNER.run(["dump", RUNNER.path(path)], timeout=patience(20))
                # A hang would last until the time limit; a program start alone takes seconds
                # under Wine in an emulated machine.
                self.assertLess(time.monotonic() - started, patience(10))
                self.assertNotEqual(result.returncode, 0)
                self.assertEqual(result.stdout, b"")
                self.assertIn(os.path.basename(path).encode(), result.stderr)

    def test_dump_shows_control_characters_visibly(self):
        path = self.file("controls.log")
        self.tool("create", RUNNER.path(path), "2")
        message = "tab\there \x1b[31mred\x07 del\x7f end"
        self.assertEqual(self.tool("write", RUNNER.path(path), message).returncode, 0)
        self.assertEqual(self.dump(path), [rb"tab here \x1B[31mred\x07 del\x7F end"])

    def test_mutex_lock_file_serves_every_user(self):
        if RUNNER.prefix:
            self.skipTest("a named mutex under Wine is a kernel object, not a lock file")
        if os.geteuid() != 0:
            self.skipTest("needs root to run the second writer as another user")
        os.chmod(self.dir, 0o1777)
        path = self.file("shared.log")
        self.tool("create", RUNNER.path(path), "8")
        os.chmod(path, 0o666)
        mutex = ["--mutex", "hv-shared-%d" % os.getpid()]
        first = subprocess.run(RUNNER.command(["write", *mutex, path, "root"]), env=RUNNER.env,
                               capture_output=True, umask=0o077)
        self.assertEqual(first.returncode, 0, first.stderr)
        other = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        second = subprocess.run(other + RUNNER.command(["write", *mutex, path, "nobody"]),
                                env=RUNNER.env, capture_output=True)
        self.assertEqual(second.returncode, 0, second.stderr)
        self.assertEqual(self.dump(path), [b"root", b"nobody"])

        # A lock file the second user cannot open: the error names the log and the mutex.
        os.chmod(os.path.join(self.dir, "hv-mutex-%s.lock" % mutex[1]), 0o600)
        refused = subprocess.run(other + RUNNER.command(["write", *mutex, path, "x"]),
                                 env=RUNNER.env, capture_output=True)
        self.assert_failed(refused, "shared.log", "mutex " + mutex[1] + ": cannot open")


class NamedMutexAcrossProcesses(unittest.TestCase):
    """The mutex alone, without the file lock that every log writer also takes."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="hv-mutex-")
        RUNNER.keep_lock_files_in(self.dir)
        self.name = f"hv-holder-{os.getpid()}-{self._testMethodName}"
        self.holders = []

    def tearDown(self):
        for holder in self.holders:
            if holder.poll() is None:
                holder.kill()
            holder.wait(timeout=patience(30))
            for handle in (holder.stdin, holder.stdout, holder.stderr):
                handle.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def holder(self):
        process = RUNNER.start([self.name], binary=MUTEX_HOLDER)
        self.holders.append(process)
        return process

    def says_held_within(self, holder, seconds):
        ready, _, _ = select.select([holder.stdout], [], [], seconds)
        if not ready:
            return False
        self.assertEqual(holder.stdout.readline().rstrip(b"\r\n"), b"held")
        return True

    def test_a_second_process_waits_for_the_first(self):
        first = self.holder()
        self.assertTrue(self.says_held_within(first, patience(30)))
        second = self.holder()
        self.assertFalse(self.says_held_within(second, 1.5))
        first.stdin.close()
        self.assertEqual(first.wait(timeout=patience(30)), 0)
        self.assertTrue(self.says_held_within(second, patience(30)))
        second.stdin.close()
        self.assertEqual(second.wait(timeout=patience(30)), 0)

    def test_a_killed_holder_gives_the_mutex_up(self):
        first = self.holder()
        self.assertTrue(self.says_held_within(first, patience(30)))
        second = self.holder()
        self.assertFalse(self.says_held_within(second, 1.5))
        first.send_signal(signal.SIGKILL)
        first.wait(timeout=patience(30))
        self.assertTrue(self.says_held_within(second, patience(30)))
        second.stdin.close()
        self.assertEqual(second.wait(timeout=patience(30)), 0)


def main():
    global RUNNER, MUTEX_HOLDER
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--mutex-holder", required=True, help="the hv_mutex_holder test helper")
    parser.add_argument("--peer-binary", help="a ringlog of the other Windows build, for half "
                                              "of the writers that share a log")
    from wine_prefix import WinePrefix, add_wine_options, find_wine64
    add_wine_options(parser)
    args, rest = parser.parse_known_args()
    binary = os.path.abspath(args.binary)
    peer = os.path.abspath(args.peer_binary) if args.peer_binary else None
    prefix = None
    if args.wine:
        wine64 = find_wine64(args.wine)
        if wine64 is None:
            print("no wine64 here", file=sys.stderr)
            return 77
        prefix = WinePrefix(wine64, args.wine_dll_path, args.wine_template)
        try:
            prefix.boot()
            for program in filter(None, (binary, peer)):
                prefix.check_runs(program, 2, b"usage: ringlog")
        except Exception:
            prefix.close()
            raise
    RUNNER = Runner(binary, prefix, peer)
    MUTEX_HOLDER = os.path.abspath(args.mutex_holder)
    try:
        program = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    finally:
        if prefix:
            prefix.close()
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
