#!/usr/bin/env python3
"""Benchmarks vontrale_decrunch against GNU tar and cp, side by side.

Only ratios measured in one run count: the machine is shared and noisy. Runs
alternate (tool, yardstick, tool, yardstick, ...) after a warm-up pair, each
into a fresh empty directory, and the report gives the median of the
pairwise ratios. Run it with

    cmake --build --preset release --target bench
"""

import argparse
import datetime
import io
import math
import os
import random
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tarfile
import time

SEED = 20261211
SMALL_COUNT = 20000
SMALL_MIN, SMALL_MAX = 256, 64 * 1024
LARGE_SIZE = 256 * 1024 * 1024
GNU_TIME = "/usr/bin/time"  # Debian's package time
INPUTS = ("many.sbk", "many.tar", "large.sbk", "large.wav")
# With --scratch, the runs happen in another folder, on copies of the
# inputs: a folder in /dev/shm takes the disk out of the measurement.


def pcm_format(rng):
    channels = rng.choice((1, 2))
    rate = rng.choice((8000, 22050, 44100))
    bits = rng.choice((8, 16))
    block = channels * bits // 8
    return struct.pack("<HHIIHH", 1, channels, rate, rate * block, block, bits)


def wav_bytes(fmt, data):
    return (b"RIFF" + struct.pack("<I", len(data) + 36) + b"WAVEfmt " +
            struct.pack("<I", 16) + fmt + b"data" +
            struct.pack("<I", len(data)) + data)


def write_bank(path, samples):
    """Writes a bank: header, offset table, then the records in order."""
    position = 8 + 4 * len(samples)
    offsets = []
    for fmt, data in samples:
        offsets.append(position)
        position += 22 + len(data)
    with open(path, "wb") as bank:
        bank.write(struct.pack("<II", 1, len(samples)))
        bank.write(struct.pack("<%dI" % len(offsets), *offsets))
        for fmt, data in samples:
            bank.write(fmt + b"\0\0" + struct.pack("<I", len(data)) + data)


def generate(work):
    """The two banks, the tar archive and the file for cp, once per seed."""
    stamp = os.path.join(work, "generated-%d" % SEED)
    if os.path.exists(stamp):
        return
    os.makedirs(work, exist_ok=True)
    rng = random.Random(SEED)
    pool = rng.randbytes(SMALL_MAX * 4)
    samples = []
    for _ in range(SMALL_COUNT):
        size = int(math.exp(rng.uniform(math.log(SMALL_MIN),
                                        math.log(SMALL_MAX))))
        start = rng.randrange(len(pool) - size)
        samples.append((pcm_format(rng), pool[start:start + size]))
    write_bank(os.path.join(work, "many.sbk"), samples)
    with tarfile.open(os.path.join(work, "many.tar"), "w",
                      format=tarfile.GNU_FORMAT) as archive:
        directory = tarfile.TarInfo("data_many")
        directory.type = tarfile.DIRTYPE
        directory.mode = 0o755
        archive.addfile(directory)
        for index, (fmt, data) in enumerate(samples):
            wav = wav_bytes(fmt, data)
            member = tarfile.TarInfo("data_many/sample%04d.wav" % index)
            member.size = len(wav)
            member.mode = 0o644
            archive.addfile(member, io.BytesIO(wav))

    big = (rng.randbytes(1024 * 1024)) * (LARGE_SIZE // (1024 * 1024))
    fmt = pcm_format(rng)
    write_bank(os.path.join(work, "large.sbk"), [(fmt, big)])
    with open(os.path.join(work, "large.wav"), "wb") as copy_source:
        copy_source.write(wav_bytes(fmt, big))
    open(stamp, "w").close()


class Run:
    def __init__(self, wall, cpu, peak_kib):
        self.wall, self.cpu, self.peak_kib = wall, cpu, peak_kib


def timed(command, cwd):
    """Wall time, user + system time and peak resident memory of a command.

    The command runs under GNU time, whose own small footprint is what a
    child starts from: a child forked from this script would inherit the
    script's peak. The times come from wait4 and include GNU time's own few
    hundred microseconds, on the tool and the yardstick alike.
    """
    peak_file = os.path.join(cwd, os.pardir, "peak-rss.txt")
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        child = subprocess.Popen(
            [GNU_TIME, "-f", "%M", "-o", peak_file] + command, cwd=cwd,
            stdout=null)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit("%s failed with status %d" % (command, code))
    with open(peak_file) as peak:
        peak_kib = int(peak.read().split()[-1])
    return Run(wall, usage.ru_utime + usage.ru_stime, peak_kib)


def fresh(work, name):
    path = os.path.join(work, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    os.sync()  # earlier runs' writes are not left for this one to pay for
    return path


def run_tool(tool, work, bank):
    where = fresh(work, "tool-run")
    os.link(os.path.join(work, bank), os.path.join(where, bank))
    return timed([tool, bank], where), where


def same_files(left, right):
    with open(left, "rb") as a, open(right, "rb") as b:
        while True:
            block_a, block_b = a.read(1 << 20), b.read(1 << 20)
            if block_a != block_b:
                return False
            if not block_a:
                return True


def same_trees(left, right):
    names = sorted(os.listdir(left))
    return names == sorted(os.listdir(right)) and all(
        same_files(os.path.join(left, name), os.path.join(right, name))
        for name in names)


RUN_DIRECTORIES = ("tool-run", "tar-run", "cp-run", "strace-run")


def clean(work):
    for name in RUN_DIRECTORIES:
        shutil.rmtree(os.path.join(work, name), ignore_errors=True)


def compare(tool, work, bank, yardstick, pairs, check):
    """Alternates the tool and the yardstick; returns the pairwise ratios.

    Every run starts alike: the output of the run before it has just been
    deleted, before its data was written back, and the disk synced. Only
    the warm-up pair and a last pair, neither of them counted, keep the
    tool's files until the yardstick has run, to compare the two.
    """
    wall, cpu, peak = [], [], 0
    for pair in range(pairs + 2):
        checked = pair == 0 or pair == pairs + 1
        ours, where = run_tool(tool, work, bank)
        if not checked:
            clean(work)
        theirs = yardstick()
        if checked:
            check(where)
        clean(work)
        if checked:
            continue
        wall.append(ours.wall / theirs.wall)
        cpu.append(ours.cpu / theirs.cpu)
        peak = max(peak, ours.peak_kib)
    return statistics.median(wall), statistics.median(cpu), peak, wall, cpu


def system_calls_per_sample(tool, work):
    if shutil.which("strace") is None:
        return None
    where = fresh(work, "strace-run")
    os.link(os.path.join(work, "many.sbk"), os.path.join(where, "many.sbk"))
    log = os.path.join(work, "strace.txt")
    with open(os.devnull, "wb") as null:
        subprocess.run(["strace", "-c", "-f", "-o", log, tool, "many.sbk"],
                       cwd=where, stdout=null, check=True)
    with open(log) as summary:
        total = re.search(r"^100\.00\s+\S+\s+\S+\s+(\d+)",
                          summary.read(), re.M)
    return int(total.group(1)) / SMALL_COUNT


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tool", required=True)
    parser.add_argument("--work", required=True, help="folder for the data")
    parser.add_argument("--results", help="markdown file for the table")
    parser.add_argument("--pairs", type=int, default=11)
    parser.add_argument(
        "--scratch", default="",
        help="where the runs happen, on copies of the inputs (default: "
        "the work folder itself)")
    parser.add_argument("--only", choices=("many", "large"),
                        help="one bank alone, to look into it")
    args = parser.parse_args()
    if not os.access(GNU_TIME, os.X_OK):
        sys.exit("the benchmark needs GNU time: apt-get install time")
    tool = os.path.abspath(args.tool)
    work = os.path.abspath(args.work)
    generate(work)
    if args.scratch:
        scratch = os.path.abspath(args.scratch)
        os.makedirs(scratch, exist_ok=True)
        for name in INPUTS:
            shutil.copyfile(os.path.join(work, name),
                            os.path.join(scratch, name))
        work = scratch

    def tar_many():
        return timed(["tar", "-xf", os.path.join(work, "many.tar")],
                     fresh(work, "tar-run"))

    def cp_large():
        where = fresh(work, "cp-run")
        return timed(["cp", os.path.join(work, "large.wav"), "copy.wav"],
                     where)

    def check_many(where):
        if not same_trees(os.path.join(where, "data_many"),
                          os.path.join(work, "tar-run", "data_many")):
            sys.exit("the tool's files differ from tar's")

    def check_large(where):
        if not same_trees(os.path.join(where, "data_large"),
                          os.path.join(work, "expected-large")):
            sys.exit("the tool's file differs from the expected one")

    expected = fresh(work, "expected-large")
    os.link(os.path.join(work, "large.wav"),
            os.path.join(expected, "sample0000.wav"))

    if args.only:
        bank, yardstick, check = {
            "many": ("many.sbk", tar_many, check_many),
            "large": ("large.sbk", cp_large, check_large)}[args.only]
        result = compare(tool, work, bank, yardstick, args.pairs, check)
        print("%s: wall %.3f, CPU %.3f, peak %d KiB" % ((args.only,) +
                                                       result[:3]))
        if args.scratch:
            shutil.rmtree(work, ignore_errors=True)
        return 0
    many = compare(tool, work, "many.sbk", tar_many, args.pairs, check_many)
    large = compare(tool, work, "large.sbk", cp_large, args.pairs, check_large)
    calls = system_calls_per_sample(tool, work)
    clean(work)
    if args.scratch:
        shutil.rmtree(work, ignore_errors=True)

    commit = subprocess.run(
        ["git", "rev-parse", "--short", "HEAD"], capture_output=True,
        text=True, cwd=os.path.dirname(os.path.abspath(__file__))).stdout
    def spread(ratios):
        return "%.2f to %.2f" % (min(ratios), max(ratios))

    lines = [
        "Benchmark of %s, commit %s, %d cores, %d pairs after a warm-up, "
        "run in %s." %
        (datetime.date.today().isoformat(), commit.strip() or "unknown",
         os.cpu_count(), args.pairs, work if args.scratch else "the work "
         "folder"),
        "Ratios are tool / yardstick, the median of the pairs; the range "
        "shows how noisy the machine was.",
        "",
        "| Bank | Yardstick | Wall ratio | CPU ratio | Wall range | "
        "Peak RSS | Target |",
        "|---|---|---|---|---|---|---|",
        "| 20,000 samples, 256 B to 64 KiB | `tar -xf` | %.2f | %.2f | %s | "
        "%.1f MiB | wall at most 0.85 |" %
        (many[0], many[1], spread(many[3]), many[2] / 1024),
        "| one sample of 256 MiB | `cp` | %.2f | %.2f | %s | %.1f MiB | "
        "CPU at most 1.10 |" %
        (large[0], large[1], spread(large[3]), large[2] / 1024),
        "",
        "System calls per sample on the 20,000-sample bank, all included: %s "
        "(target: at most 6)." %
        ("%.3f" % calls if calls is not None else "not measured, no strace"),
        "Peak RSS target: under 8 MiB for both banks.",
    ]
    table = "\n".join(lines) + "\n"
    print(table, end="")
    if args.results:
        with open(args.results, "w") as results:
            results.write("# Benchmark results\n\n" + table)
    met = (many[0] <= 0.85 and large[1] <= 1.10 and
           max(many[2], large[2]) < 8 * 1024 and
           (calls is None or calls <= 6))
    print("targets: %s" % ("met" if met else "MISSED"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
