#!/usr/bin/env python3
"""Reads every picture of the benchmark with mivo-see and with plain tesseract
in three page modes, and prints per picture and on average:

  cer    character error rate: edit distance over the true text's length, both
         texts with every run of white space (line breaks too) made one space;
  whole  share of the true lines that come out as a line of their own, whole;
  order  share of those whole lines that come in the true order (the longest
         run of them in order, over all of them);
  junk   lines that resemble no part of the true text (more than a third of
         their characters would have to change);
  wall, cpu  seconds, for the whole run of the program.

usage: measure.py MIVO_SEE PICTURES [--keep FOLDER] [--engines a,b] [NAME ...]"""

import argparse
import bisect
import json
import os
import resource
import subprocess
import sys
import time

ENGINES = {
    "mivo-see": None,
    "tess": ["tesseract"],
    "psm6": ["tesseract", "--psm", "6"],
    "psm11": ["tesseract", "--psm", "11"],
}


def collapsed(text):
    return " ".join(text.split())


def _bit_parallel_distance(pattern, text, anywhere):
    """Levenshtein distance of `pattern` to `text`, bit-parallel over the
    pattern's characters; with `anywhere`, to the best substring of `text`."""
    if not pattern:
        return 0 if anywhere else len(text)
    masks = {}
    for i, c in enumerate(pattern):
        masks[c] = masks.get(c, 0) | (1 << i)
    full = (1 << len(pattern)) - 1
    top = 1 << (len(pattern) - 1)
    vp, vn, score = full, 0, len(pattern)
    best = score
    for c in text:
        eq = masks.get(c, 0)
        xv = eq | vn
        xh = (((eq & vp) + vp) ^ vp) | eq
        hp = vn | (~(xh | vp) & full)
        hn = vp & xh
        if hp & top:
            score += 1
        elif hn & top:
            score -= 1
        best = min(best, score)
        # A substring may start anywhere: the top row stays 0.
        hp = ((hp << 1) | (0 if anywhere else 1)) & full
        hn = (hn << 1) & full
        vp = hn | (~(xv | hp) & full)
        vn = hp & xv
    return best if anywhere else score


def edit_distance(a, b):
    return _bit_parallel_distance(a, b, anywhere=False)


def best_match_errors(pattern, text):
    """The fewest edits that make `pattern` a substring of `text`."""
    return _bit_parallel_distance(pattern, text, anywhere=True)


def in_order_share(positions):
    """The longest increasing run of `positions` over their number."""
    if not positions:
        return 1.0
    tails = []
    for p in positions:
        i = bisect.bisect_left(tails, p)
        tails[i:i + 1] = [p]
    return len(tails) / len(positions)


def scores(output, truth):
    truth_lines = [collapsed(l) for l in truth.splitlines() if l.strip()]
    out_lines = [collapsed(l) for l in output.splitlines() if l.strip()]
    whole_text = collapsed(truth)
    cer = edit_distance(collapsed(output), whole_text) / max(1, len(whole_text))
    unused = {}
    for i, line in enumerate(out_lines):
        unused.setdefault(line, []).append(i)
    positions = []
    for line in truth_lines:
        if unused.get(line):
            positions.append(unused[line].pop(0))
    whole = len(positions) / max(1, len(truth_lines))
    junk = sum(1 for l in out_lines if 3 * best_match_errors(l, whole_text) > len(l))
    return cer, whole, in_order_share(positions), junk


def run(command, stdin=None):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    done = subprocess.run(command, input=stdin, capture_output=True, check=False)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return done, wall, cpu


def read(engine, mivo_see, picture):
    if engine == "mivo-see":
        request = json.dumps({"file": picture, "source": "Mac", "taken": "2025-03-01 09:00",
                              "today": "2025-03-01", "sort": False})
        done, wall, cpu = run([mivo_see], request.encode())
        if done.returncode != 0:
            raise RuntimeError(f"mivo-see failed on {picture}: {done.stderr.decode()}")
        answer = json.loads(done.stdout)
        return answer["text"], answer["model"] == "no_text", wall, cpu
    done, wall, cpu = run(ENGINES[engine] + [picture, "stdout", "-l", "eng"])
    if done.returncode != 0:
        raise RuntimeError(f"tesseract failed on {picture}: {done.stderr.decode()}")
    text = done.stdout.decode()
    return text, not text.strip(), wall, cpu


def table(title, names, engines, cell, mean_cell):
    width = max(len(n) for n in names + ["mean"])
    print(f"\n{title}")
    print(" " * width + "".join(f"{e:>10}" for e in engines))
    for name in names:
        print(f"{name:<{width}}" + "".join(f"{cell(name, e):>10}" for e in engines))
    print(f"{'mean':<{width}}" + "".join(f"{mean_cell(e):>10}" for e in engines))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mivo_see")
    parser.add_argument("pictures")
    parser.add_argument("--keep", help="folder for each engine's text of each picture")
    parser.add_argument("--engines", default=",".join(ENGINES))
    parser.add_argument("names", nargs="*")
    args = parser.parse_intermixed_args()
    engines = args.engines.split(",")
    names = sorted(f[:-4] for f in os.listdir(args.pictures) if f.endswith(".png"))
    if args.names:
        names = [n for n in names if n in args.names]
    results = {}
    for name in names:
        picture = os.path.join(args.pictures, name + ".png")
        with open(os.path.join(args.pictures, name + ".txt"), encoding="utf-8") as f:
            truth = f.read()
        for engine in engines:
            text, empty, wall, cpu = read(engine, args.mivo_see, picture)
            results[name, engine] = scores(text, truth) + (empty, wall, cpu)
            if args.keep:
                os.makedirs(args.keep, exist_ok=True)
                with open(os.path.join(args.keep, f"{name}.{engine}.txt"), "w", encoding="utf-8") as f:
                    f.write(text)
        print(f"read {name}", file=sys.stderr)

    def mean(engine, index):
        return sum(results[n, engine][index] for n in names) / len(names)

    def cer_cell(name, engine):
        cer, empty = results[name, engine][0], results[name, engine][4]
        return "no_text" if empty else f"{cer:.3f}"

    table("character error rate", names, engines, cer_cell, lambda e: f"{mean(e, 0):.3f}")
    table("true lines found whole", names, engines,
          lambda n, e: f"{results[n, e][1]:.0%}", lambda e: f"{mean(e, 1):.0%}")
    table("whole lines in reading order", names, engines,
          lambda n, e: f"{results[n, e][2]:.0%}", lambda e: f"{mean(e, 2):.0%}")
    table("lines that resemble no true text", names, engines,
          lambda n, e: str(results[n, e][3]), lambda e: f"{mean(e, 3):.1f}")
    table("wall seconds", names, engines,
          lambda n, e: f"{results[n, e][5]:.2f}", lambda e: f"{mean(e, 5):.2f}")
    table("cpu seconds", names, engines,
          lambda n, e: f"{results[n, e][6]:.2f}", lambda e: f"{mean(e, 6):.2f}")


if __name__ == "__main__":
    main()
