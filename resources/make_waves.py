#!/usr/bin/env python3
"""Makes the module's wave resources in resources/waves/.

Mechanical sounds (switch click, parking-brake ratchet, radio-knob detent) are
synthesised here from decaying noise bursts and damped resonances; the radio
altimeter's callouts are spoken by espeak-ng and shaped with sox (silence
trimmed, sped up with a pitch-keeping tempo change when the word is too long
for its slot, resampled to 11025 Hz 8-bit). Every file is mono PCM with a
16-byte "fmt " chunk and a "data" chunk of exactly the size the panel
expects; some also carry a LIST/INFO chunk, as recordings from an editor do.

Needs python3, espeak-ng and sox. Output is deterministic for a given
espeak-ng and sox: run it again only to change a recording.
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "waves")

# Mechanical sounds, 22050 Hz: file name, bits, data bytes, kind of click, and
# for those that carry a LIST chunk where it stands ("before" or "after" the data).
CLICK_RATE = 22050
CLICKS = [
    ("click_switch.wav", 16, 3828, "switch", "after"),
    ("ratchet_brake.wav", 8, 10304, "ratchet"),
    ("click_knob.wav", 16, 6014, "knob", "before"),
]

# The radio altimeter's callouts, 11025 Hz 8-bit: file name, data bytes, words
# spoken, and the LIST chunk's place where there is one.
CALLOUT_RATE = 11025
CALLOUT_BITS = 8
CALLOUTS = [
    ("radalt_1000.wav", 9950, "one thousand"),
    ("radalt_500.wav", 10226, "five hundred"),
    ("radalt_400.wav", 10020, "four hundred"),
    ("radalt_300.wav", 9570, "three hundred"),
    ("radalt_200.wav", 9586, "two hundred"),
    ("radalt_100.wav", 9893, "one hundred"),
    ("radalt_50.wav", 5442, "fifty", "after"),
    ("radalt_40.wav", 4468, "forty"),
    ("radalt_30.wav", 4531, "thirty"),
    ("radalt_20.wav", 3273, "twenty"),
    ("radalt_10.wav", 5099, "ten"),
    ("radalt_minimums.wav", 6095, "minimums", "before"),
    ("radalt_2500.wav", 11322, "twenty five hundred", "after"),
]

# How much of its slot a callout may fill; the rest is quiet lead-in and tail.
SPEECH_SHARE = 0.88
LEAD_SECONDS = 0.02


def list_chunk(text):
    """A LIST/INFO chunk with one ISFT (software) string."""
    value = text.encode("ascii") + b"\0"
    if len(value) % 2:
        value += b"\0"
    info = b"INFO" + b"ISFT" + struct.pack("<I", len(value)) + value
    return b"LIST" + struct.pack("<I", len(info)) + info


def riff(rate, bits, data, list_place=None):
    block = bits // 8
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * block, block, bits)
    chunks = [b"fmt " + struct.pack("<I", len(fmt)) + fmt]
    extra = list_chunk("Corvane panel sounds") if list_place else b""
    if list_place == "before":
        chunks.append(extra)
    body = b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"
    chunks.append(body)
    if list_place == "after":
        chunks.append(extra)
    payload = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(payload)) + payload


def encode(samples, bits):
    """Floats in [-1, 1] to PCM bytes: 8-bit unsigned or 16-bit signed."""
    out = bytearray()
    for s in samples:
        s = max(-1.0, min(1.0, s))
        if bits == 8:
            out.append(max(0, min(255, int(round(128 + s * 127)))))
        else:
            out += struct.pack("<h", int(round(s * 32767)))
    return bytes(out)


def burst(samples, rate, at, amplitude, decay, ring_hz, ring_share, rng):
    """Adds a mechanical impact: a noise spike with a damped ring."""
    start = int(at * rate)
    for i in range(start, len(samples)):
        t = (i - start) / rate
        envelope = amplitude * math.exp(-t / decay)
        if envelope < 1e-4:
            break
        noise = rng.uniform(-1.0, 1.0)
        ring = math.sin(2 * math.pi * ring_hz * t)
        samples[i] += envelope * ((1 - ring_share) * noise + ring_share * ring)


def click(kind, rate, count):
    rng = random.Random(417)
    samples = [0.0] * count
    if kind == "switch":
        # Toggle lever: the snap over centre, then the contact closing.
        burst(samples, rate, 0.004, 0.9, 0.0022, 3100, 0.35, rng)
        burst(samples, rate, 0.011, 0.55, 0.0035, 1800, 0.55, rng)
        burst(samples, rate, 0.019, 0.2, 0.006, 950, 0.7, rng)
    elif kind == "ratchet":
        # Parking-brake handle pulled over its ratchet teeth, then the stop.
        at = 0.02
        step = 0.03
        for tooth in range(9):
            burst(samples, rate, at, 0.45 + 0.03 * tooth, 0.004, 2400 - 60 * tooth, 0.4, rng)
            at += step
            step *= 1.04
        burst(samples, rate, at + 0.01, 0.8, 0.018, 420, 0.75, rng)
    elif kind == "knob":
        # Radio knob detent: a soft spring click with a short metallic ring.
        burst(samples, rate, 0.003, 0.7, 0.0018, 4200, 0.3, rng)
        burst(samples, rate, 0.006, 0.35, 0.012, 2650, 0.8, rng)
        burst(samples, rate, 0.045, 0.12, 0.01, 1300, 0.6, rng)
    return samples


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def sox_length(path):
    out = subprocess.run(["soxi", "-D", path], check=True, capture_output=True, text=True)
    return float(out.stdout.strip())


def say(words, rate, bits, size, work):
    spoken = os.path.join(work, "spoken.wav")
    trimmed = os.path.join(work, "trimmed.wav")
    shaped = os.path.join(work, "shaped.raw")
    run("espeak-ng", "-v", "en-us", "-s", "175", "-p", "40", "-w", spoken, words)
    run("sox", "-R", spoken, trimmed, "silence", "1", "0.01", "1%", "reverse",
        "silence", "1", "0.01", "1%", "reverse")
    slot = size / rate
    length = sox_length(trimmed)
    effects = []
    if length > SPEECH_SHARE * slot:
        effects += ["tempo", "-s", "%.4f" % (length / (SPEECH_SHARE * slot))]
    effects += ["rate", "-v", str(rate), "gain", "-n", "-1",
                "pad", "%.4f" % LEAD_SECONDS, "%.4f" % slot, "trim", "0", "%ds" % size]
    encoding = ["-e", "unsigned-integer"] if bits == 8 else ["-e", "signed-integer"]
    run("sox", "-R", trimmed, "-t", "raw", "-b", str(bits), *encoding, "-c", "1", shaped, *effects)
    with open(shaped, "rb") as f:
        data = f.read()
    quiet = b"\x80" if bits == 8 else b"\0"
    return (data + quiet * size)[:size]


def store(name, rate, bits, size, data, *list_place):
    """Writes one recording, its data exactly the size the panel expects."""
    assert len(data) == size, name
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(riff(rate, bits, data, *list_place))
    print("%-22s %5d Hz %2d-bit %6d bytes" % (name, rate, bits, size))


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, bits, size, kind, *list_place in CLICKS:
        data = encode(click(kind, CLICK_RATE, size // (bits // 8)), bits)
        store(name, CLICK_RATE, bits, size, data, *list_place)
    with tempfile.TemporaryDirectory() as work:
        for name, size, words, *list_place in CALLOUTS:
            data = say(words, CALLOUT_RATE, CALLOUT_BITS, size, work)
            store(name, CALLOUT_RATE, CALLOUT_BITS, size, data, *list_place)
    return 0


if __name__ == "__main__":
    sys.exit(main())
