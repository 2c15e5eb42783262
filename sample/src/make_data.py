#!/usr/bin/env python3
"""Writes the sample game's data files into the folder given as argument.
Every byte comes from fixed formulas and a fixed generator, so each run gives
the same tree. The files are chosen to exercise the archive's three methods:
text and maps (dictionary coding), smooth audio and gradients (byte deltas),
already random data (stored), and an empty file."""
import math
import os
import sys


class Lcg:
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0xFFFFFFFF
        return self.state >> 16

    def byte(self):
        return self.next() & 0xFF


def smooth_pcm(seconds, rate, voices, seed):
    """8-bit unsigned mono PCM: a few slow sines and a little noise, so
    neighbouring samples differ by a few steps and nothing repeats exactly."""
    rng = Lcg(seed)
    out = bytearray()
    for n in range(int(seconds * rate)):
        t = n / rate
        v = 128.0
        for freq, amp, phase in voices:
            v += amp * math.sin(2 * math.pi * freq * t + phase)
        v += (rng.next() % 3) - 1
        out.append(max(0, min(255, int(round(v)))))
    return bytes(out)


def plasma(width, height, seed):
    """A smooth two-dimensional gradient, one byte per pixel."""
    rng = Lcg(seed)
    out = bytearray()
    for y in range(height):
        for x in range(width):
            v = (127 + 60 * math.sin(x / 23.0 + y / 41.0) + 50 * math.sin(y / 17.0)
                 + 14 * math.sin((x + y) / 9.0))
            v += (rng.next() % 3) - 1
            out.append(max(0, min(255, int(v))))
    return bytes(out)


def noise(length, seed):
    rng = Lcg(seed)
    return bytes(rng.byte() for _ in range(length))


TILES = "..,,~~^^##TT==::"


def level_map(number, width, height):
    rng = Lcg(1000 + number)
    lines = ["; Tremlok level %02d" % number, "[header]",
             "name=Level %d" % number, "width=%d" % width, "height=%d" % height,
             "music=Audio\\Music\\theme.pcm", "", "[tiles]"]
    row = ["."] * width
    for _ in range(height):
        for x in range(width):
            if rng.next() % 5 == 0:
                row[x] = TILES[rng.next() % len(TILES)]
        lines.append("".join(row))
    lines += ["", "[objects]"]
    for k in range(40):
        lines.append("object=%s,%d,%d" % (("rock", "tree", "chest", "door")[rng.next() % 4],
                                           rng.next() % width, rng.next() % height))
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


SETTINGS = """; Tremlok settings
[video]
width=640
height=480
depth=16
fullscreen=1
gamma=1.0

[audio]
music=1
effects=1
music_volume=80
effects_volume=100

[game]
difficulty=normal
language=english
show_tips=1
"""

KEYS = """; Tremlok key bindings
up=Up
down=Down
left=Left
right=Right
jump=Space
use=Enter
map=M
inventory=I
pause=Escape
quicksave=F5
quickload=F9
"""

CREDITS = """Tremlok
=======

A Tremlok Games production.

Design, code and art ........ the Tremlok team
Music ....................... the Tremlok team
Testing ..................... everyone who played the early versions

Thank you for playing.
"""

LICENSE = """Tremlok sample game licence

This sample is provided to show how the Tremlok setup program installs a
game. You may copy it and give it away freely. It comes with no warranty of
any kind: use it at your own risk.
"""


def files():
    yield "Config/settings.ini", SETTINGS.replace("\n", "\r\n").encode("ascii")
    yield "Config/keys.cfg", KEYS.replace("\n", "\r\n").encode("ascii")
    for n in (1, 2, 3):
        yield "Data/Levels/level%02d.map" % n, level_map(n, 96, 64)
    yield "Data/Textures/sky.raw", plasma(256, 192, 11)
    yield "Data/Textures/noise.pak", noise(24576, 12)
    yield "Data/Models/rock.mdl", noise(9000, 13)
    yield "Audio/Music/theme.pcm", smooth_pcm(9.0, 22050,
                                              [(110.0, 40, 0.0), (164.8, 22, 1.0),
                                               (0.7, 30, 0.5)], 21)
    yield "Audio/Sfx/wind.pcm", smooth_pcm(2.5, 22050, [(61.0, 35, 0.3), (97.3, 25, 2.0)], 22)
    yield "Audio/Sfx/rumble.pcm", smooth_pcm(1.5, 11025, [(40.0, 50, 0.0), (13.1, 30, 1.1)], 23)
    yield "Saves/100%.sav", b"TREMLOK SAVE 1\r\nlevel=3\r\nprogress=100%\r\n"
    yield "Saves/empty.sav", b""
    yield "Docs/credits.txt", CREDITS.replace("\n", "\r\n").encode("ascii")
    yield "Docs/license.txt", LICENSE.replace("\n", "\r\n").encode("ascii")
    yield ".version", b"0.63\r\n"


def main(root):
    for name, data in files():
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
