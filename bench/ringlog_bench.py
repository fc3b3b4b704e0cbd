"""Figures for the ring log (printed, never asserted): records per second of `ringlog write`
against a minimal writer of the same file, and `ringlog dump` of a full million-slot log
against `cat`.

    python3 bench/ringlog_bench.py --build build/release [--runs 3] [--skip-dump]

Goals: ratio to the minimal writer at most 1.5 everywhere; the 1,000,000-slot rate at least 0.8
of the 16-slot rate; dump within 2x of cat and under 64 MB.
"""

import argparse
import os
import shutil
import statistics
import struct
import subprocess
import tempfile
import time

RECORDS = 20_000
SLOT_COUNTS = [16, 1024, 65_536, 1_000_000]
RECORD_BYTES = 2056


def run_writers(command, path, processes):
    """Seconds for `processes` writers to put RECORDS lines into `path` between them."""
    each = RECORDS // processes
    inputs = [b"".join(b"writer %d record %d of the benchmark\n" % (p, i) for i in range(each))
              for p in range(processes)]
    env = dict(os.environ, TMPDIR=os.path.dirname(path))
    started = time.perf_counter()
    writers = [subprocess.Popen(command + [path], stdin=subprocess.PIPE, env=env)
               for _ in range(processes)]
    for writer, data in zip(writers, inputs):
        writer.stdin.write(data)
        writer.stdin.close()
    for writer in writers:
        if writer.wait() != 0:
            raise SystemExit("a writer failed: %s" % command)
    return time.perf_counter() - started


def rate(build, work, writer, slots, processes, runs):
    times = []
    for _ in range(runs):
        path = os.path.join(work, "bench.log")
        if os.path.exists(path):
            os.remove(path)
        subprocess.run([os.path.join(build, "ringlog"), "create", path, str(slots)], check=True)
        times.append(run_writers(writer, path, processes))
    return RECORDS / statistics.median(times)


def full_log(path, slots, page=4096):
    """A log whose every slot holds a record, written directly a page at a time. Writers fill a
    real log in small writes; Linux keeps one large write in a large page-cache folio, which
    slows every later small write into it (0.73 of the 16-slot rate instead of 0.86, measured)."""
    with open(path, "wb", buffering=0) as f:
        chunk = bytearray(struct.pack("<5i", 1, 0, slots - 1, slots, 0))
        chunk += struct.pack("<i", 1) * slots
        for i in range(slots + 1):
            if i < slots:
                record = bytearray(RECORD_BYTES)
                struct.pack_into("<d", record, 0, 45000.5 + i / 86400.0)
                text = b"record %d of a full log" % i
                record[8:8 + len(text)] = text
                chunk += record
            if len(chunk) >= 1 << 24 or i == slots:
                whole = len(chunk) if i == slots else len(chunk) - len(chunk) % page
                view = memoryview(chunk)
                for at in range(0, whole, page):
                    f.write(view[at:at + page])
                view.release()
                del chunk[:whole]


def timed(command, out):
    """(seconds, peak resident MB) of one run with standard output to `out`, measured by
    /usr/bin/time so that the forking Python's own memory does not count."""
    result = subprocess.run(["/usr/bin/time", "-f", "%e %M", *command], stdout=out,
                            stderr=subprocess.PIPE, check=True)
    seconds, kilobytes = result.stderr.decode().split()[-2:]
    return float(seconds), int(kilobytes) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/release")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--skip-dump", action="store_true")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work = tempfile.mkdtemp(prefix="hv-ringlog-bench-")
    try:
        minimal = [os.path.join(build, "hv_ringlog_min_writer")]
        print("%9s %-9s %5s %12s %12s %6s" % ("slots", "mode", "procs", "ringlog/s", "minimal/s",
                                                "ratio"))
        rates = {}
        for slots in SLOT_COUNTS:
            for mode in ("plain", "buffered"):
                for processes in (1, 4):
                    ringlog = [os.path.join(build, "ringlog"), "write"]
                    if mode == "buffered":
                        ringlog.append("--buffered")
                    ours = rate(build, work, ringlog, slots, processes, args.runs)
                    theirs = rate(build, work, minimal, slots, processes, args.runs)
                    rates[(slots, mode, processes)] = ours
                    print("%9d %-9s %5d %12.0f %12.0f %6.2f" % (slots, mode, processes, ours,
                                                                 theirs, theirs / ours))
        for mode in ("plain", "buffered"):
            for processes in (1, 4):
                print("1,000,000 slots vs 16 slots, %s, %d process(es): %.2f" % (
                    mode, processes,
                    rates[(1_000_000, mode, processes)] / rates[(16, mode, processes)]))

        if not args.skip_dump:
            path = os.path.join(work, "full.log")
            full_log(path, 1_000_000)
            with open(os.devnull, "wb") as null:
                timed(["cat", path], null)  # warm the cache
                cat = min(timed(["cat", path], null) for _ in range(args.runs))
                dump = min(timed([os.path.join(build, "ringlog"), "dump", path], null)
                           for _ in range(args.runs))
            print("dump of 1,000,000 full slots (%.0f MB): %.2f s, %.1f MB peak; cat %.2f s,"
                  " %.1f MB; time ratio %.2f" % (os.path.getsize(path) / 1e6, dump[0], dump[1],
                                                 cat[0], cat[1], dump[0] / cat[0]))
            # The same slot count once the file no longer grows: only the writes themselves.
            ringlog = [os.path.join(build, "ringlog"), "write"]
            ours = RECORDS / statistics.median(run_writers(ringlog, path, 1)
                                               for _ in range(args.runs))
            theirs = RECORDS / statistics.median(run_writers(minimal, path, 1)
                                                 for _ in range(args.runs))
            print("full 1,000,000-slot log, plain, 1 process: %.0f/s, minimal %.0f/s, ratio %.2f;"
                  " %.2f of the 16-slot rate" % (ours, theirs, theirs / ours,
                                                 ours / rates[(16, "plain", 1)]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
