#!/usr/bin/env python3
"""Decodes an image with Pillow, as an independent decoder, into a binary PPM (RGB)."""
import sys

from PIL import Image

with Image.open(sys.argv[1]) as image:
    image.convert("RGB").save(sys.argv[2], format="PPM")
