#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed corpus of the wave loader fuzzer (tests/fuzz/corpus).

The seeds are committed; run this only to change them. Valid files in each
sample format and chunk layout, and broken ones of each kind the loader
must refuse, so the fuzzer starts next to every branch.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")


def chunk(cid, body, pad=True):
    data = cid + struct.pack("<I", len(body)) + body
    if pad and len(body) % 2:
        data += b"\0"
    return data


def fmt(channels=1, rate=22050, bits=16, tag=1, extra=b""):
    align = channels * bits // 8
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits) + extra


def riff(chunks):
    return b"RIFF" + struct.pack("<I", len(chunks) + 4) + b"WAVE" + chunks


def pcm16(values):
    return b"".join(struct.pack("<h", v) for v in values)


def tone(n=64, amp=20000):
    return [int(amp * math.sin(2 * math.pi * i / 16)) for i in range(n)]


seeds = {
    "mono16": riff(chunk(b"fmt ", fmt()) + chunk(b"data", pcm16(tone()))),
    "stereo16": riff(chunk(b"fmt ", fmt(2, 44100)) + chunk(b"data", pcm16(tone(64)))),
    "mono8": riff(chunk(b"fmt ", fmt(1, 8000, 8)) + chunk(b"data", bytes(range(0, 256, 4)))),
    "float32": riff(chunk(b"fmt ", fmt(1, 48000, 32, 3)) + chunk(b"data", b"".join(struct.pack("<f", v / 20000.0) for v in tone(32)))),
    "six_channels": riff(chunk(b"fmt ", fmt(6, 22050)) + chunk(b"data", pcm16(tone(60)))),
    "list_before_data": riff(chunk(b"fmt ", fmt()) + chunk(b"LIST", b"INFO" + chunk(b"INAM", b"Seed\0")) + chunk(b"data", pcm16(tone()))),
    "fmt18": riff(chunk(b"fmt ", fmt(extra=b"\0\0")) + chunk(b"data", pcm16(tone()))),
    "odd_chunk": riff(chunk(b"fmt ", fmt()) + chunk(b"junk", b"abc") + chunk(b"data", pcm16(tone()))),
    "truncated": riff(chunk(b"fmt ", fmt()) + chunk(b"data", pcm16(tone())))[:60],
    "huge_data": riff(chunk(b"fmt ", fmt())) + b"data" + struct.pack("<I", 0x7FFFFFF0) + pcm16(tone(8)),
    "negative_data": riff(chunk(b"fmt ", fmt())) + b"data" + struct.pack("<I", 0xFFFFFFF0) + pcm16(tone(8)),
    "bits24": riff(chunk(b"fmt ", fmt(1, 22050, 24)) + chunk(b"data", bytes(48))),
    "zero_channels": riff(chunk(b"fmt ", fmt(0)) + chunk(b"data", pcm16(tone(8)))),
    "tiny": riff(chunk(b"fmt ", fmt()) + chunk(b"data", pcm16([1, 2]))),
}

os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name + ".wav"), "wb") as f:
        f.write(data)
