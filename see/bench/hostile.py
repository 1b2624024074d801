#!/usr/bin/python3
"""Reads pictures made to cost much with mivo-see (most hold no text, one is
full of it), each on one core, and prints for each its CPU seconds, wall
seconds and peak memory against its limit: any picture up to 4096 x 4096 pixels in 10 s at
most; any picture up to 2^28 pixels in 60 s and 1.5 GB at most; a picture
without ink in under a second per 16 million pixels. The pictures are made
here (numpy, PIL) in a temporary folder.

usage: hostile.py MIVO_SEE [NAME ...]"""

import os
import subprocess
import sys
import tempfile

import numpy
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from measure import mivo_see_request, run  # noqa: E402

MB = 1e6


def grey_noise(side, rng):
    return rng.integers(0, 256, (side, side), dtype=numpy.uint8)


def black_and_white_noise(side, rng):
    return (rng.integers(0, 2, (side, side), dtype=numpy.uint8) * 255)


def rings(side, _):
    y, x = numpy.ogrid[:side, :side]
    r = numpy.hypot(x - side / 2, y - side / 2)
    return numpy.where((r.astype(numpy.int64) % 3) == 0, 0, 255).astype(numpy.uint8)


def diagonals(side, _):
    y, x = numpy.ogrid[:side, :side]
    return numpy.where(((x + y) % 3) == 0, 0, 255).astype(numpy.uint8)


def blank(side, _):
    return numpy.full((side, side), 255, dtype=numpy.uint8)


def photograph(side, rng):
    """Soft colour fields with grain, as a photograph is, in colour."""
    small = rng.integers(0, 256, (side // 256 + 1, side // 256 + 1, 3), dtype=numpy.uint8)
    picture = numpy.asarray(Image.fromarray(small).resize((side, side), Image.BICUBIC)).copy()
    for rows in range(0, side, 1024):
        block = picture[rows:rows + 1024]
        grain = rng.integers(-12, 13, block.shape, dtype=numpy.int16)
        picture[rows:rows + 1024] = numpy.clip(block.astype(numpy.int16) + grain, 0, 255)
    return picture


def dense_text(side, rng):
    """Lines of words in a small monospaced font from edge to edge: some
    100,000 characters, which the recogniser itself takes minutes to read."""
    from PIL import ImageDraw, ImageFont
    words = "the quick brown fox jumps over lazy dog table row column value total size file name".split()
    picture = Image.new("L", (side, side), 255)
    draw = ImageDraw.Draw(picture)
    try:
        font = ImageFont.truetype("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", 14)
    except OSError:
        font = ImageFont.load_default()
    for y in range(4, side - 16, 18):
        draw.text((4, y), " ".join(rng.choice(words, 80)), font=font, fill=0)
    return numpy.asarray(picture)


# name, maker, side, seconds allowed, bytes allowed (None: no limit of its own)
PICTURES = [
    ("grey-noise-4096", grey_noise, 4096, 10, 1500 * MB),
    ("bw-noise-4096", black_and_white_noise, 4096, 10, 1500 * MB),
    ("rings-every-3px-4096", rings, 4096, 10, 1500 * MB),
    ("diagonals-every-3px-2048", diagonals, 2048, 10, 1500 * MB),
    ("diagonals-every-3px-4096", diagonals, 4096, 10, 1500 * MB),
    ("photograph-4096", photograph, 4096, 10, 1500 * MB),
    ("dense-text-4096", dense_text, 4096, 10, 1500 * MB),
    ("blank-4096", blank, 4096, 1, 1500 * MB),
    ("blank-8192", blank, 8192, 4, 1500 * MB),
    ("blank-16384", blank, 16384, 16, 1500 * MB),
    ("grey-noise-16384", grey_noise, 16384, 60, 1500 * MB),
    ("photograph-16384", photograph, 16384, 60, 1500 * MB),
    ("white-ascii-pbm-16384", blank, 16384, 16, 1500 * MB),
]


def make(name, path):
    """Writes the picture `name` to `path`; run in a process of its own, so
    that the memory it takes is not counted in mivo-see's, whose process
    starts as a copy of this one."""
    _, maker, side, _, _ = next(p for p in PICTURES if p[0] == name)
    if path.endswith(".pbm"):
        # Netpbm's ASCII bitmap, a digit for each pixel, as PIL writes none.
        with open(path, "wb") as out:
            out.write(b"P1\n%d %d\n" % (side, side))
            row = b"0 " * side + b"\n"
            for _ in range(side):
                out.write(row)
        return
    Image.fromarray(maker(side, numpy.random.default_rng(30))).save(path, **({"compress_level": 1} if path.endswith(".png") else {}))


def main():
    if sys.argv[1] == "--make":
        make(sys.argv[2], sys.argv[3])
        return
    mivo_see = sys.argv[1]
    wanted = set(sys.argv[2:])
    all_met = True
    print(f"{'picture':<28}{'cpu s':>8}{'wall s':>8}{'MB':>8}  limit")
    with tempfile.TemporaryDirectory() as folder:
        for name, _, side, seconds, memory in PICTURES:
            if wanted and name not in wanted:
                continue
            # Grey noise as large as can be read is written as PGM, fast.
            suffix = ".pgm" if name == "grey-noise-16384" else ".pbm" if "ascii-pbm" in name else ".png"
            path = os.path.join(folder, name + suffix)
            subprocess.run([sys.executable, __file__, "--make", name, path], check=True)
            done = run([mivo_see], mivo_see_request(path))
            os.remove(path)
            met = done.status == 0 and done.cpu <= seconds and done.memory <= memory
            all_met = all_met and met
            answer = done.out.decode(errors="replace")[:60] if done.status == 0 else done.error.strip()[:60]
            print(f"{name:<28}{done.cpu:>8.1f}{done.wall:>8.1f}{done.memory / MB:>8.0f}  "
                  f"{seconds} s, {memory / MB:.0f} MB: {'met' if met else 'NOT MET'}  {answer!r}", flush=True)
    print(f"bounded cost: {'met' if all_met else 'NOT MET'}")


if __name__ == "__main__":
    main()
