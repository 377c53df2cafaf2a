#!/usr/bin/env python3
"""Writes the sample CD's ambient piece, MUSICA/AMBIENTE.WAV (about 33 MB).

    make-music.py OUTPUT

Three minutes of slow chords over a drone: 16-bit stereo PCM at 44100 Hz (CD quality),
the same bytes on every run. Its size is the point: a file this large takes
long enough to copy that the install window's progress bar is seen moving.
"""
import struct
import sys

import numpy as np

RATE = 44100
SECONDS = 190
# A minor-key progression, one chord every eight seconds (MIDI note numbers).
CHORDS = [(57, 60, 64), (53, 57, 60), (48, 52, 55), (55, 59, 62),
          (57, 60, 64), (50, 53, 57), (52, 56, 59), (57, 60, 64)]
CHORD_SECONDS = 8.0


def hz(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    t = np.arange(RATE * SECONDS) / RATE
    left = np.zeros_like(t)
    right = np.zeros_like(t)
    # The drone: a low A, breathing slowly.
    drone = np.sin(2 * np.pi * hz(33) * t) * (0.5 + 0.2 * np.sin(2 * np.pi * t / 23.0))
    left += drone
    right += drone
    # The chords, each fading in and out and drifting between the speakers.
    span = int(CHORD_SECONDS * RATE)
    fade = np.sin(np.linspace(0.0, np.pi, 2 * span)) ** 2
    for k in range(int(SECONDS / CHORD_SECONDS) + 1):
        start = max(0, k * span - span // 2)
        end = min(len(t), start + len(fade))
        if end <= start:
            break
        part = t[start:end]
        env = fade[:end - start]
        pan = 0.5 + 0.4 * np.sin(k * 1.3)
        for i, note in enumerate(CHORDS[k % len(CHORDS)]):
            voice = np.sin(2 * np.pi * hz(note) * part + i) + 0.3 * np.sin(4 * np.pi * hz(note) * part)
            left[start:end] += 0.25 * env * voice * pan
            right[start:end] += 0.25 * env * voice * (1.0 - pan)
    # Fade the whole piece in and out over four seconds.
    edge = np.minimum(1.0, np.minimum(t, SECONDS - t) / 4.0)
    peak = max(np.abs(left).max(), np.abs(right).max())
    samples = np.empty(2 * len(t), dtype="<i2")
    samples[0::2] = np.round(left * edge / peak * 20000).astype("<i2")
    samples[1::2] = np.round(right * edge / peak * 20000).astype("<i2")
    data = samples.tobytes()
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(data), b"WAVE", b"fmt ", 16, 1, 2, RATE,
                         RATE * 4, 4, 16, b"data", len(data))
    with open(sys.argv[1], "wb") as out:
        out.write(header + data)


if __name__ == "__main__":
    main()
