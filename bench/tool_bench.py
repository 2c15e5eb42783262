#!/usr/bin/env python3
"""Times the packager's tool on a generated game tree and reports throughput,
compression and peak memory. Figures only: nothing here passes or fails.

    bench/tool_bench.py <path to native setup> [megabytes, default 48]
"""
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time


def make_tree(root, megabytes):
    """A deterministic tree of the kinds of file a game carries: text and
    maps (LZW), smooth 8-bit audio and gradients (delta), and packed data
    that no coder shrinks (stored)."""
    rng = random.Random(1998)
    words = [b"tremlok", b"level", b"sprite", b"water", b"ocean", b"enemy", b"door", b"key"]
    per_kind = megabytes * 1024 * 1024 // 3
    largest = 0
    for i in range(4):
        folder = os.path.join(root, "Data", "Level%d" % i)
        os.makedirs(folder, exist_ok=True)
        text = b" ".join(rng.choice(words) for _ in range(per_kind // 4 // 6))[: per_kind // 4]
        audio = bytearray(per_kind // 4)
        value = 128
        for k in range(len(audio)):
            value = (value + rng.randint(-6, 6)) & 0xFF
            audio[k] = value
        packed = rng.randbytes(per_kind // 4)
        for name, data in (("map.txt", text), ("sound.wav", audio), ("pack.dat", packed)):
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            largest = max(largest, len(data))
    return largest


def tree_bytes(root):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(root) for f in fs)


def run(command, cwd):
    """Runs command; returns wall seconds and its own peak resident KB. GNU
    time measures the peak: a child forked from this Python process would
    count the interpreter's own peak as its."""
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, cwd=cwd,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("%s failed: %s" % (" ".join(command), result.stderr))
    return seconds, int(result.stderr.split()[-1])


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "--make-tree":
        make_tree(sys.argv[2], int(sys.argv[3]))
        return
    tool = os.path.abspath(sys.argv[1])
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 48
    work = tempfile.mkdtemp(prefix="tremlok-bench-")
    try:
        tree = os.path.join(work, "game")
        # Made in a child of its own, so that this process stays small.
        subprocess.run([sys.executable, __file__, "--make-tree", tree, str(megabytes)], check=True)
        largest = max(os.path.getsize(os.path.join(d, f))
                      for d, _, fs in os.walk(tree) for f in fs)
        total = tree_bytes(tree)
        make_s, make_kb = run([tool, "-m", tree], work)
        archive = os.path.getsize(os.path.join(work, "data.bin"))
        source = os.path.getsize(os.path.join(work, "data.cpp"))
        extract_s, extract_kb = run([tool, "-e", os.path.join(work, "out")], work)
        mb = total / 1e6
        print("tree            %10.1f MB in %d files (largest %.1f MB)"
              % (mb, sum(len(f) for _, _, f in os.walk(tree)), largest / 1e6))
        print("archive         %10.1f MB  ratio %.3f of the tree" % (archive / 1e6, archive / total))
        print("data.cpp        %10.1f MB  %.2f characters per archive byte"
              % (source / 1e6, source / archive))
        # /m holds one file and both codings of it, then the whole archive
        # while it writes data.cpp.
        print("/m              %10.2f s   %7.1f MB/s   peak %6.1f MB  (%.1f x archive)"
              % (make_s, mb / make_s, make_kb / 1024, make_kb * 1024 / archive))
        print("/e              %10.2f s   %7.1f MB/s   peak %6.1f MB  (%.1f x archive)"
              % (extract_s, mb / extract_s, extract_kb / 1024, extract_kb * 1024 / archive))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
