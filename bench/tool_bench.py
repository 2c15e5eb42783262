#!/usr/bin/env python3
"""Times the packager's tool against the yardsticks a packager or player
would use on the same game folder. Figures only: nothing here passes or
fails, except that the tool's outputs must be right.

    bench/tool_bench.py SETUP --game DIR [--against OTHER_SETUP]
    bench/tool_bench.py SETUP --make MAKE_GAME_TREE MEGABYTES SHAPE [--against OTHER_SETUP]

--game takes any game folder as it is; --make first writes a generated tree
of that shape (few, mid or many: bench/make_game_tree.cpp). Each round runs
every command once, in turn (paired runs), each after a flush of what the
runs before wrote; each figure is the median of the rounds.
setup -m is paired with tar cf - | compress -c; setup -e, which flushes
what it writes, with tar xf followed by sync (the floor: the same files
written, nothing decoded) and tar xzf followed by sync. A ratio is the
yardstick's time over the tool's (above 1: the tool is faster). --against
runs a second setup in the same rounds (say, the one built from main), first
in every other round, and checks that it writes the same data.bin and
data.cpp.
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


def run(command, cwd, accept=(0,)):
    """Runs command; returns wall seconds and the peak resident KB of its
    largest process (GNU time, so that this interpreter is not counted)."""
    with tempfile.NamedTemporaryFile("r") as report:
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command,
                                cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        seconds = time.perf_counter() - start
        if result.returncode not in accept:
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


def bench(tools, game, work):
    files = tree_files(game)
    total = sum(os.path.getsize(f) for f in files)
    parent, name = os.path.split(os.path.abspath(game))
    tar, targz = os.path.join(work, "game.tar"), os.path.join(work, "game.tar.gz")
    subprocess.run(["tar", "cf", tar, "-C", parent, name], check=True)
    subprocess.run(["tar", "czf", targz, "-C", parent, name], check=True)
    times, digests = {}, {}

    def timed(key, command, cwd, accept=(0,)):
        os.sync()
        times.setdefault(key, []).append(run(command, cwd, accept))

    def fresh(folder):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        return folder

    for number in range(ROUNDS):
        # The tool that runs first in a round comes out slower on a shared
        # machine, so the two take turns.
        order = tools if number % 2 == 0 else tools[::-1]
        for key, program in order:
            place = os.path.join(work, key)
            timed(key + " -m", [program, "-q", "-m", os.path.abspath(game)], place)
            digests.setdefault(key, set()).add(
                (digest(os.path.join(place, "data.bin")), digest(os.path.join(place, "data.cpp"))))
        # compress exits 2 when its output is no smaller than its input.
        timed("tar | compress", ["sh", "-c", 'tar cf - -C "$0" "$1" | compress -c >game.Z',
                                 parent, name], work, (0, 2))
        for key, program in order:
            place = os.path.join(work, key)
            shutil.rmtree(os.path.join(place, "out"), ignore_errors=True)
            timed(key + " -e", [program, "-q", "-e", "out"], place)
        for key, archive in (("tar x + sync", tar), ("tar xz + sync", targz)):
            flag = "xzf" if archive == targz else "xf"
            timed(key, ["sh", "-c", 'tar %s "$0" -C "$1" && sync' % flag, archive,
                        fresh(os.path.join(work, "untar"))], work)

    problems = []
    for key, _ in tools:
        if len(digests[key]) != 1:
            problems.append("%s -m wrote different outputs in different runs" % key)
        if not same_tree(game, os.path.join(work, key, "out")):
            problems.append("%s -e did not give back the tree" % key)
    if len(tools) > 1 and digests[tools[0][0]] != digests[tools[1][0]]:
        problems.append("setup and the --against setup wrote different outputs")

    place = os.path.join(work, tools[0][0])
    archive = os.path.getsize(os.path.join(place, "data.bin"))
    largest = max(os.path.getsize(f) for f in files)
    print("game       %8.1f MB in %d files, largest %.1f MB; data.bin %.1f MB (%.3f), data.cpp %.1f MB"
          % (total / 1e6, len(files), largest / 1e6, archive / 1e6, archive / total,
             os.path.getsize(os.path.join(place, "data.cpp")) / 1e6))
    print("%-16s %8s %8s %9s   (median of %d paired rounds; MB/s of the game's bytes)"
          % ("", "seconds", "MB/s", "peak MB", ROUNDS))
    seconds = {}
    for key, runs in times.items():
        seconds[key] = statistics.median(s for s, _ in runs)
        print("%-16s %8.2f %8.1f %9.1f" % (key, seconds[key], total / seconds[key] / 1e6,
                                            statistics.median(k for _, k in runs) / 1024))
    print("ratios (yardstick seconds / tool seconds; goals: -m 1.5x compress, -e 1.0x tar x + sync "
          "and 2x tar xz + sync)")
    for key, _ in tools:
        print("  %-10s tar | compress %.2fx" % (key + " -m", seconds["tar | compress"] / seconds[key + " -m"]))
        print("  %-10s tar x + sync %.2fx   tar xz + sync %.2fx"
              % (key + " -e", seconds["tar x + sync"] / seconds[key + " -e"],
                 seconds["tar xz + sync"] / seconds[key + " -e"]))
    if len(tools) > 1:
        a, b = tools[0][0], tools[1][0]
        print("  %s against %s: -m %.2fx, -e %.2fx" % (a, b, seconds[b + " -m"] / seconds[a + " -m"],
                                                   seconds[b + " -e"] / seconds[a + " -e"]))
    return problems


def main():
    args = sys.argv[1:]
    against = None
    if "--against" in args:
        at = args.index("--against")
        against = os.path.abspath(args[at + 1])
        del args[at:at + 2]
    if len(args) == 3 and args[1] == "--game":
        game, maker = os.path.abspath(args[2]), None
    elif len(args) == 5 and args[1] == "--make":
        game, maker = None, [os.path.abspath(args[2]), args[3], args[4]]
    else:
        sys.exit(__doc__)
    tool = os.path.abspath(args[0])
    # On the disk, beside the build, not in a memory file system.
    base = os.path.join(os.path.dirname(tool), "bench-work")
    os.makedirs(base, exist_ok=True)
    work = tempfile.mkdtemp(prefix="tool-", dir=base)
    try:
        if maker:
            game = os.path.join(work, "game")
            subprocess.run([maker[0], game, maker[1], maker[2]], check=True)
        tools = [("setup", tool)] + ([("against", against)] if against else [])
        for key, _ in tools:
            os.makedirs(os.path.join(work, key))
        problems = bench(tools, game, work)
        for problem in problems:
            print("FAULT: " + problem)
        if problems:
            sys.exit(1)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
