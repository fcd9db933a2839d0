#!/usr/bin/env python3
"""Writes the notification and buzzer sounds of the resource library.

Each sound is a short PCM wave file, 8 kHz mono 8-bit, made of plain tones so that each
one is told apart by ear: notification sounds 16000 to 16010 (one per kind of printer
condition) and the buzzer 17000, a square wave like a printer's own beeper. The output is
the same on every run; the files beside this script are its output:

    python3 resources/sounds/make_sounds.py [OUTPUT_FOLDER]
"""
import math
import os
import struct
import sys

RATE = 8000
FADE = 40  # samples of fade in and out, against clicks

# id: list of (frequency in Hz or 0 for silence, milliseconds), and the wave form.
SOUNDS = {
    16000: ("sine", [(660, 120), (880, 160)]),                  # rising two-tone
    16001: ("sine", [(523, 220)]),                              # single mid tone
    16002: ("sine", [(784, 110), (0, 60), (784, 110)]),         # double high tone
    16003: ("sine", [(880, 130), (587, 200)]),                  # falling two-tone
    16004: ("sine", [(1047, 60), (0, 50)] * 2 + [(1047, 60)]),  # three short pips
    16005: ("sine", [(440, 320)]),                              # long low tone
    16006: ("sine", [(698, 60), (932, 60)] * 3),                # warble
    16007: ("sine", [(330, 260)]),                              # deep tone
    16008: ("sine", [(523, 90), (659, 90), (784, 140)]),        # rising triad
    16009: ("sine", [(1200, 90), (900, 90)] * 2 + [(1200, 90)]),  # alarm: no communication
    16010: ("sine", [(587, 90), (0, 70), (587, 260)]),          # short then long
    17000: ("square", [(2000, 80), (0, 40)] * 2 + [(2000, 80)]),  # buzzer
}


def tone(frequency, milliseconds, shape):
    count = RATE * milliseconds // 1000
    samples = []
    for i in range(count):
        if frequency == 0:
            value = 0.0
        elif shape == "square":
            value = 1.0 if (i * frequency * 2 // RATE) % 2 == 0 else -1.0
        else:
            value = math.sin(2 * math.pi * frequency * i / RATE)
        gain = min(1.0, i / FADE, (count - 1 - i) / FADE) if count > 2 * FADE else 1.0
        samples.append(value * gain * 0.6)
    return samples


def wave_bytes(samples):
    data = bytes(max(0, min(255, int(round(128 + 127 * s)))) for s in samples)
    if len(data) % 2:
        data += b"\x80"  # chunks are padded to an even size
    header = b"RIFF" + struct.pack("<I", 4 + 8 + 16 + 8 + len(data)) + b"WAVE"
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE, 1, 8)
    return header + fmt + b"data" + struct.pack("<I", len(data)) + data


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for sound_id, (shape, parts) in sorted(SOUNDS.items()):
        samples = []
        for frequency, milliseconds in parts:
            samples += tone(frequency, milliseconds, shape)
        with open(os.path.join(folder, "sound%d.wav" % sound_id), "wb") as out:
            out.write(wave_bytes(samples))


if __name__ == "__main__":
    main()
