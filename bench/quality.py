#!/usr/bin/env python3
"""PSNR of scaled pictures against a Lanczos reduction of the full decode.

Usage: quality.py SOURCE_DIR OUTPUT_DIR [EACH_FILE]
Each output (any name whose stem, up to its first dot or '_thumb', is a source's stem) is
compared with the source decoded whole by Pillow and reduced with its Lanczos filter to
the output's size. Prints the median and the worst PSNR in dB, over RGB; with EACH_FILE,
also writes each output's stem and PSNR there, a line each, for comparing tools file by file.
With --compare A B, prints how many files of A (such a file) are at least as good as in B.
"""
import math
import os
import statistics
import sys

from PIL import Image, ImageChops

Image.MAX_IMAGE_PIXELS = None


def psnr(a, b):
    diff = ImageChops.difference(a.convert("RGB"), b.convert("RGB"))
    total = count = 0
    for channel in diff.split():
        hist = channel.histogram()
        total += sum(i * i * n for i, n in enumerate(hist))
        count += sum(hist)
    mse = total / count
    return float("inf") if mse == 0 else 10 * math.log10(255 * 255 / mse)


def read_each(path):
    with open(path) as lines:
        return {stem: float(value) for stem, value in (line.split() for line in lines)}


def compare(ours, theirs):
    a, b = read_each(ours), read_each(theirs)
    common = sorted(set(a) & set(b))
    better = [stem for stem in common if a[stem] >= b[stem]]
    worst = min((a[stem] - b[stem] for stem in common), default=0.0)
    print(f"{len(better)} of {len(common)} files at least as good; least margin {worst:+.1f} dB")


def main():
    if sys.argv[1] == "--compare":
        compare(sys.argv[2], sys.argv[3])
        return
    sources, outputs = sys.argv[1], sys.argv[2]
    stems = {os.path.splitext(name)[0]: os.path.join(sources, name) for name in os.listdir(sources)}
    values = []
    each = []
    for name in sorted(os.listdir(outputs)):
        stem = name.split(".")[0].removesuffix("_thumb")
        if stem not in stems:
            continue
        out = Image.open(os.path.join(outputs, name))
        ref = Image.open(stems[stem]).convert("RGB").resize(out.size, Image.LANCZOS)
        values.append(psnr(out, ref))
        each.append(f"{stem} {values[-1]:.2f}\n")
    if len(sys.argv) > 3:
        with open(sys.argv[3], "w") as lines:
            lines.writelines(each)
    if not values:
        print("- -")
        return
    print(f"{statistics.median(values):.1f} {min(values):.1f}")


if __name__ == "__main__":
    main()
