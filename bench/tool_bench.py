#!/usr/bin/env python3
"""Times the packager's tool against the yardsticks a packager would use on
the same bytes, on a generated game tree. Figures only: nothing here passes
or fails, except that the tool's outputs must be right.

    bench/tool_bench.py SETUP MAKE_GAME_TREE [megabytes, default 100] [--against OTHER_SETUP]

Each round runs every command once, in turn (paired runs); each figure is
the median of the rounds. setup -m is paired with compress -c and gzip -1 -c
over the tar of the tree, setup -e with uncompress -c, gzip -dc and cp -r of
the plain tree. A ratio is the tool's throughput over the yardstick's (above
1: the tool is faster). --against runs a second setup in the same rounds
(say, the one on main) and checks that it writes the same data.bin and data.cpp.
"""
import filecmp
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROUNDS = 3


def run(command, cwd, stdin=None, stdout=None):
    """Runs command; returns wall seconds and its peak resident KB (GNU time,
    so that this interpreter's own size is not counted)."""
    with tempfile.NamedTemporaryFile("r") as report:
        fin = open(stdin, "rb") if stdin else subprocess.DEVNULL
        fout = open(stdout, "wb") if stdout else subprocess.DEVNULL
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command,
                                cwd=cwd, stdin=fin, stdout=fout, stderr=subprocess.PIPE)
        seconds = time.perf_counter() - start
        for f in (fin, fout):
            if f is not subprocess.DEVNULL:
                f.close()
        if result.returncode != 0:
            sys.exit("%s failed: %s" % (" ".join(command), result.stderr.decode()))
        return seconds, int(report.read().split()[-1])


def digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def same_tree(a, b):
    """True when folders a and b hold the same files with the same bytes."""
    compared = filecmp.dircmp(a, b)
    if compared.left_only or compared.right_only or compared.funny_files:
        return False
    _, mismatch, errors = filecmp.cmpfiles(a, b, compared.common_files, shallow=False)
    return not mismatch and not errors and all(
        same_tree(os.path.join(a, d), os.path.join(b, d)) for d in compared.common_dirs)


def tree_files(root):
    return [os.path.join(d, f) for d, _, fs in os.walk(root) for f in fs]


def main():
    args = sys.argv[1:]
    against = None
    if "--against" in args:
        at = args.index("--against")
        against = os.path.abspath(args[at + 1])
        del args[at:at + 2]
    if len(args) < 2:
        sys.exit(__doc__)
    tool = os.path.abspath(args[0])
    maker = os.path.abspath(args[1])
    megabytes = int(args[2]) if len(args) > 2 else 100
    # On the disk, beside the build, not in a memory file system.
    base = os.path.join(os.path.dirname(tool), "bench-work")
    os.makedirs(base, exist_ok=True)
    work = tempfile.mkdtemp(prefix="tool-", dir=base)
    try:
        tree = os.path.join(work, "game")
        subprocess.run([maker, tree, str(megabytes)], check=True)
        files = tree_files(tree)
        total = sum(os.path.getsize(f) for f in files)
        tar = os.path.join(work, "game.tar")
        subprocess.run(["tar", "--sort=name", "-cf", tar, "-C", work, "game"], check=True)
        tar_bytes = os.path.getsize(tar)
        tools = [("setup", tool)] + ([("against", against)] if against else [])
        for name, _ in tools:
            os.makedirs(os.path.join(work, name))
        times = {}

        def timed(key, *a, **k):
            # The tool flushes what it wrote, and a flush may have to write
            # what the runs before left in the cache: each run starts clean.
            os.sync()
            seconds, kb = run(*a, **k)
            times.setdefault(key, []).append((seconds, kb))

        digests = {}
        for _ in range(ROUNDS):
            for name, program in tools:
                place = os.path.join(work, name)
                timed(name + " -m", [program, "-m", tree], place)
                key = (digest(os.path.join(place, "data.bin")),
                       digest(os.path.join(place, "data.cpp")))
                digests.setdefault(name, set()).add(key)
            timed("compress -c", ["compress", "-c"], work, tar, tar + ".Z")
            timed("gzip -1 -c", ["gzip", "-1", "-c"], work, tar, tar + ".gz")
            for name, program in tools:
                place = os.path.join(work, name)
                shutil.rmtree(os.path.join(place, "out"), ignore_errors=True)
                timed(name + " -e", [program, "-e", "out"], place)
            timed("uncompress -c", ["uncompress", "-c"], work, tar + ".Z", tar + ".out")
            timed("gzip -dc", ["gzip", "-dc"], work, tar + ".gz", tar + ".out")
            shutil.rmtree(os.path.join(work, "copy"), ignore_errors=True)
            timed("cp -r", ["cp", "-r", tree, os.path.join(work, "copy")], work)

        problems = []
        for name, _ in tools:
            if len(digests[name]) != 1:
                problems.append("%s -m wrote different outputs in different runs" % name)
            if not same_tree(tree, os.path.join(work, name, "out")):
                problems.append("%s -e did not give back the tree" % name)
        if against and digests["setup"] != digests["against"]:
            problems.append("setup and the --against setup wrote different outputs")

        archive = os.path.getsize(os.path.join(work, "setup", "data.bin"))
        source = os.path.getsize(os.path.join(work, "setup", "data.cpp"))
        largest = max(os.path.getsize(f) for f in files)
        print("tree       %8.1f MB in %d files, largest %.1f MB; tar %.1f MB"
              % (total / 1e6, len(files), largest / 1e6, tar_bytes / 1e6))
        print("data.bin   %8.1f MB (%.3f of the tree); data.cpp %.1f MB; compress %.3f, gzip -1 %.3f"
              % (archive / 1e6, archive / total, source / 1e6,
                 os.path.getsize(tar + ".Z") / tar_bytes, os.path.getsize(tar + ".gz") / tar_bytes))
        print("%-14s %8s %9s %9s %10s   (median of %d paired rounds; MB/s of uncoded bytes)"
              % ("", "seconds", "MB/s", "peak MB", "peak/largest", ROUNDS))
        rates = {}
        for key, runs in times.items():
            seconds = statistics.median(s for s, _ in runs)
            kb = statistics.median(k for _, k in runs)
            size = total if key.startswith(("setup", "against", "cp")) else tar_bytes
            rates[key] = size / seconds / 1e6
            print("%-14s %8.2f %9.1f %9.1f %10.2f"
                  % (key, seconds, rates[key], kb / 1024, kb * 1024 / largest))
        print("ratios (tool MB/s / yardstick MB/s; targets: -m 2x compress, -e 3x uncompress)")
        for name, _ in tools:
            for mode, yardsticks in (("-m", ("compress -c", "gzip -1 -c")),
                                     ("-e", ("uncompress -c", "gzip -dc", "cp -r"))):
                print("  %-10s %s" % (name + " " + mode, "   ".join(
                    "%s %.2fx" % (y, rates[name + " " + mode] / rates[y]) for y in yardsticks)))
        for problem in problems:
            print("FAULT: " + problem)
        if problems:
            sys.exit(1)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
