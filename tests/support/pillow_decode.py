#!/usr/bin/env python3
"""Decodes an image with Pillow, as an independent decoder, into a binary PPM (RGB);
with a third argument, also writes its alpha (255 where it has none) as a binary PGM."""
import sys

from PIL import Image

with Image.open(sys.argv[1]) as image:
    if image.mode.startswith("I"):
        # 16-bit grey: scale to 8 bits instead of clipping.
        image = image.point(lambda v: v / 257).convert("L")
    image.convert("RGB").save(sys.argv[2], format="PPM")
    if len(sys.argv) > 3:
        image.convert("RGBA").getchannel("A").save(sys.argv[3], format="PPM")
