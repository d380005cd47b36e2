#!/usr/bin/env python3
"""Writes the shipped typing sounds (key, enter, backspace) as 16-bit mono 44100 Hz wave files."""
import math
import os
import struct
import sys
import wave

RATE = 44100


class Noise:
    """A fixed linear congruential generator, so every run writes the same bytes."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x3FFFFFFF - 1.0


def click(n):
    # A keyswitch: a sharp noise burst over a short 3.2 kHz resonance, gone in ~20 ms.
    noise = Noise(1)
    out = []
    for i in range(n):
        t = i / RATE
        body = 0.55 * math.sin(2 * math.pi * 3200 * t) * math.exp(-t / 0.004)
        burst = 0.45 * noise.next() * math.exp(-t / 0.0015)
        out.append(body + burst)
    return out


def bell(n):
    # A small bell: a 1.8 kHz fundamental with two inharmonic partials, decaying over ~150 ms.
    out = []
    for i in range(n):
        t = i / RATE
        attack = min(1.0, t / 0.002)
        v = (0.55 * math.sin(2 * math.pi * 1800 * t) * math.exp(-t / 0.05)
             + 0.25 * math.sin(2 * math.pi * 4320 * t) * math.exp(-t / 0.03)
             + 0.12 * math.sin(2 * math.pi * 6030 * t) * math.exp(-t / 0.015))
        out.append(attack * v)
    return out


def thud(n):
    # A soft thud: a falling 180->90 Hz sine with a little low-passed noise, ~40 ms.
    noise = Noise(7)
    out = []
    phase = 0.0
    low = 0.0
    for i in range(n):
        t = i / RATE
        freq = 90 + 90 * math.exp(-t / 0.01)
        phase += 2 * math.pi * freq / RATE
        low += 0.08 * (noise.next() - low)
        attack = min(1.0, t / 0.001)
        out.append(attack * (0.7 * math.sin(phase) + 0.5 * low) * math.exp(-t / 0.012))
    return out


def fade_out(samples, frames):
    # The last few milliseconds go to silence so a clip never ends with a step.
    n = len(samples)
    for i in range(max(0, n - frames), n):
        samples[i] *= (n - 1 - i) / frames
    return samples


def write(path, samples):
    peak = max(abs(s) for s in samples)
    scale = 0.8 * 32767 / peak
    data = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    ms = lambda x: int(RATE * x / 1000)
    write(os.path.join(out_dir, "key.wav"), fade_out(click(ms(22)), ms(3)))
    write(os.path.join(out_dir, "enter.wav"), fade_out(bell(ms(150)), ms(10)))
    write(os.path.join(out_dir, "backspace.wav"), fade_out(thud(ms(40)), ms(5)))


if __name__ == "__main__":
    main()
