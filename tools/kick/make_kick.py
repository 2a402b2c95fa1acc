#!/usr/bin/env python3
"""Synthesises the kick recording (a knock on a spring tank) and writes it into
the engine as engine/KickImpulse.cpp.

Usage: python3 tools/kick/make_kick.py [--wav FILE] [--dry-run]

The table is 5763 samples at 16 kHz. A real tank answers a knock with more than
noise, so the sound is built from the parts a spring tank actually has:
  - the knock and the rattles that follow it: short broadband taps, heard
    directly by the pickup;
  - two springs of different length, each carrying every tap back and forth:
    a spring is dispersive (below its transition frequency the group delay
    grows with frequency), so each arrival is a rising chirp that gets longer
    and duller with every round trip - the "boing";
  - the metal frame ringing at a handful of inharmonic partials;
  - a bed of band-limited rattle noise while the springs slap about.
A smooth gain envelope then gives the recording its level over time (swell over
the first 0.1 s, loud until about 0.27 s, decay), and a few smooth, local gain
bumps put each 500-sample block's loudest tap at its level. The samples whose
values are fixed (the first six, the last four, the largest and the smallest)
are set exactly.

The script is deterministic (own PRNG, fixed seed). It checks the result -
fixed values, extremes, per-block peak and RMS within 10 %, 180 to 265 zero
crossings per 500 samples, spectral centroid between 2.5 and 3.5 kHz - prints
the figures, and writes nothing if any check fails.
"""
import argparse
import math
import os
import struct
import sys
import wave

RATE = 16000
LENGTH = 5763
BLOCK = 500

# Fixed sample values of the recording (index: value).
ANCHORS = {
    0: 0.00310642598, 1: 0.00484437309, 2: 0.00572136603, 3: 0.001311047,
    4: 0.005912486, 5: -0.00296158902,
    5759: -0.000231836995, 5760: -4.56740017e-05, 5761: -3.73529983e-05,
    5762: -7.10379973e-05,
}
LARGEST_INDEX, LARGEST = 2856, 0.866482615
SMALLEST_INDEX, SMALLEST = 3590, -0.895339906

# Per 500-sample block: (peak magnitude, RMS). The last block has 263 samples.
BLOCK_TARGETS = [
    (0.2366, 0.0427), (0.3180, 0.0680), (0.3635, 0.1162), (0.8485, 0.2325),
    (0.7454, 0.2029), (0.8665, 0.2030), (0.6667, 0.1729), (0.8953, 0.2191),
    (0.6508, 0.1428), (0.2770, 0.0861), (0.1926, 0.0462), (0.0572, 0.0130),
]
TOLERANCE = 0.10
CROSSINGS_PER_BLOCK = (180, 265)
CENTROID_RANGE_HZ = (2500.0, 3500.0)

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
OUTPUT = os.path.join(ROOT, "engine", "KickImpulse.cpp")


def f32(v):
    return struct.unpack("<f", struct.pack("<f", v))[0]


class Rng:
    """splitmix64: tiny, and the same numbers on every Python."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFFFFFFFFFF

    def next64(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def uniform(self):
        return ((self.next64() >> 11) + 0.5) / float(1 << 53)

    def gauss(self):
        u1, u2 = self.uniform(), self.uniform()
        return math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)

    def sign(self):
        return 1.0 if self.next64() >> 63 else -1.0


def hann(halfWidth):
    return [0.5 + 0.5 * math.cos(math.pi * k / (halfWidth + 1)) for k in range(halfWidth + 1)]


def biquad(x, b0, b1, b2, a1, a2):
    y = [0.0] * len(x)
    x1 = x2 = y1 = y2 = 0.0
    for n, v in enumerate(x):
        out = b0 * v + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, v, y1, out
        y[n] = out
    return y


def butterworth(x, cutoffHz, highPass):
    w = 2.0 * math.pi * cutoffHz / RATE
    alpha = math.sin(w) / math.sqrt(2.0)
    c = math.cos(w)
    a0 = 1.0 + alpha
    if highPass:
        b = ((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0)
    else:
        b = ((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0)
    return biquad(x, b[0] / a0, b[1] / a0, b[2] / a0, -2.0 * c / a0, (1.0 - alpha) / a0)


def rms(x):
    return math.sqrt(sum(v * v for v in x) / len(x)) if x else 0.0


def normalised(x):
    r = rms(x)
    return [v / r for v in x]


# ---------------------------------------------------------------------------
# The taps: the knock itself, then the springs and frame rattling.

def tap_times(rng):
    """(index, amplitude, polarity) of every tap, in time order."""
    taps = [(150, 1.0, 1.0), (163, 0.5, -1.0)]          # the knock and its bounce
    # Rattle rate per sample over time: a few early taps, a dense stretch while
    # the springs swing widest, then fewer as they settle.
    def rate(n):
        if n < 1200:
            return 0.003 + 0.006 * n / 1200.0
        if n < 4300:
            return 0.011
        return max(0.0015, 0.011 * math.exp(-(n - 4300) / 500.0))
    n = 200
    while n < LENGTH - 300:
        if rng.uniform() < rate(n):
            amplitude = 0.25 + 0.6 * -math.log(rng.uniform())
            taps.append((n, min(amplitude, 1.6), rng.sign()))
            n += 12                                           # a tap takes a moment
        n += 1
    # The two hardest slaps of the springs.
    taps = [t for t in taps if abs(t[0] - LARGEST_INDEX) > 40 and abs(t[0] - SMALLEST_INDEX) > 40]
    taps += [(LARGEST_INDEX, 2.2, 1.0), (SMALLEST_INDEX, 2.2, -1.0)]
    return sorted(taps)


# Broadband tap as heard directly: main lobe on the tap's own sample.
TAP_KERNEL = (0.2, 1.0, 0.1, -0.55, -0.5, -0.25)


def direct_taps(taps):
    x = [0.0] * LENGTH
    for index, amplitude, polarity in taps:
        for k, c in enumerate(TAP_KERNEL):
            n = index + k - 1
            if 0 <= n < LENGTH:
                x[n] += amplitude * polarity * c
    return x


def spring_response(roundTripSamples, dispersionSamples, reflection, hfLoss, rng):
    """Pickup signal of one spring after a unit tap at sample 0: a train of
    rising chirps, one per arrival, each spread further by the extra length it
    travelled and duller from the losses on the way."""
    lowHz, highHz = 400.0, 7600.0
    h = [0.0] * LENGTH
    k = 0
    while True:
        arrival = roundTripSamples * (k + 0.5)
        spread = dispersionSamples * (2 * k + 1)
        if arrival >= LENGTH or reflection ** k < 0.01:
            break
        start = int(arrival)
        phase = rng.uniform() * 2.0 * math.pi
        sign = -1.0 if k % 2 else 1.0                    # the far end inverts
        norm = (reflection ** k) * sign / math.sqrt(spread)
        n = 0
        while n < spread and start + n < LENGTH:
            s = (n + 0.5) / spread
            freq = lowHz + (highHz - lowHz) * math.sqrt(s)
            sweep = 1.0 / (s ** 0.25)                    # energy per Hz stays even
            colour = math.exp(-0.5 * (math.log(freq / 2300.0) / 0.6) ** 2)
            loss = math.exp(-k * hfLoss * (freq / 4000.0) ** 2)
            taper = min(1.0, n / 12.0, (spread - n) / (0.15 * spread))
            phase += 2.0 * math.pi * freq / RATE
            h[start + n] += norm * sweep * colour * loss * taper * math.sin(phase)
            n += 1
        k += 1
    return h


def springs(taps, rng):
    responses = [
        spring_response(571, 58, 0.72, 0.08, rng),     # 35.7 ms round trip
        spring_response(683, 71, 0.68, 0.10, rng),     # 42.7 ms round trip
    ]
    out = [0.0] * LENGTH
    for index, amplitude, polarity in taps:
        for which, h in enumerate(responses):
            g = amplitude * polarity * (1.0 if which == 0 else 0.85)
            for n in range(index, LENGTH):
                out[n] += g * h[n - index]
    return out


# Frame partials: inharmonic, as a bent steel chassis rings.
PARTIALS = [  # (Hz, decay time s)
    (1493.0, 0.035), (1811.0, 0.040), (2187.0, 0.045), (2466.0, 0.050),
    (2793.0, 0.060), (3087.0, 0.070), (3352.0, 0.065), (3719.0, 0.080),
    (4042.0, 0.060), (4411.0, 0.070), (4873.0, 0.050), (5318.0, 0.045),
]


def frame(taps, rng):
    excitation = [0.0] * LENGTH
    for index, amplitude, polarity in taps:
        excitation[index] += amplitude * polarity
    out = [0.0] * LENGTH
    for hz, decay in PARTIALS:
        r = math.exp(-1.0 / (decay * RATE))
        c = 2.0 * r * math.cos(2.0 * math.pi * hz / RATE)
        gain = (0.5 + rng.uniform()) * (1.0 - r) * math.sqrt(2000.0 / hz)
        y1 = y2 = 0.0
        for n in range(LENGTH):
            y = gain * excitation[n] + c * y1 - r * r * y2
            y2, y1 = y1, y
            out[n] += y
    return out


def rattle(taps, rng):
    density = [0.0] * LENGTH
    for index, amplitude, _ in taps:
        density[index] += amplitude
    smooth, level = 0.0, [0.0] * LENGTH
    a = math.exp(-1.0 / (0.02 * RATE))
    for n in range(LENGTH):
        smooth = a * smooth + (1.0 - a) * density[n]
        level[n] = smooth
    noise = butterworth(butterworth([rng.gauss() for _ in range(LENGTH)], 600.0, True), 7200.0, False)
    return [noise[n] * (0.4 + math.sqrt(level[n])) for n in range(LENGTH)]


def raw_recording(rng):
    taps = tap_times(rng)
    mix = [0.0] * LENGTH
    for part, weight in ((springs(taps, rng), 0.8), (frame(taps, rng), 0.35), (rattle(taps, rng), 0.5)):
        part = normalised(part)
        for n in range(LENGTH):
            mix[n] += weight * part[n]
    # Pickup and preamp band: no rumble, nothing near the 8 kHz edge.
    mix = butterworth(butterworth(mix, 950.0, True), 6300.0, False)
    mix = normalised(mix)
    # The two hardest slaps stand well out of what rings around them.
    heard = []
    for index, amplitude, polarity in taps:
        if index in (LARGEST_INDEX, SMALLEST_INDEX):
            amplitude = 4.0 * rms(mix[index - 200:index + 200])
        heard.append((index, amplitude, polarity))
    direct = direct_taps(heard)
    return normalised([mix[n] + 0.9 * direct[n] for n in range(LENGTH)])


# ---------------------------------------------------------------------------
# Level shaping.

def blocks():
    return [(s, min(s + BLOCK, LENGTH)) for s in range(0, LENGTH, BLOCK)]


def envelope(points):
    """Gain per sample through (index, gain) points: a monotone cubic in log
    gain, so the level never overshoots between two points."""
    xs = [p[0] for p in points]
    ys = [math.log(p[1]) for p in points]
    m = len(xs)
    d = [(ys[i + 1] - ys[i]) / (xs[i + 1] - xs[i]) for i in range(m - 1)]
    t = ([d[0]] + [0.0 if d[i - 1] * d[i] <= 0 else 2.0 / (1.0 / d[i - 1] + 1.0 / d[i])
                   for i in range(1, m - 1)] + [d[-1]])
    out = []
    i = 0
    for n in range(LENGTH):
        while i < m - 2 and n > xs[i + 1]:
            i += 1
        h = xs[i + 1] - xs[i]
        u = (n - xs[i]) / h
        out.append(math.exp((2 * u ** 3 - 3 * u ** 2 + 1) * ys[i] + (u ** 3 - 2 * u ** 2 + u) * h * t[i]
                            + (-2 * u ** 3 + 3 * u ** 2) * ys[i + 1] + (u ** 3 - u ** 2) * h * t[i + 1]))
    return out


def scale_around(x, centre, gain, halfWidth):
    """Smooth local gain: `gain` on `centre`, fading to 1 over halfWidth."""
    w = hann(halfWidth)
    for k in range(-halfWidth, halfWidth + 1):
        n = centre + k
        if 0 <= n < LENGTH:
            x[n] *= 1.0 + (gain - 1.0) * w[abs(k)]


def place_peaks(x):
    """Gives every block its loudest tap: samples above 90 % of the block's
    peak are eased down, then one tap away from the block edges is raised to
    the peak. The fixed extremes get their own taps."""
    bump = 20
    for b, (s, e) in enumerate(blocks()):
        peak = BLOCK_TARGETS[b][0]
        for _ in range(20):
            over = [n for n in range(s, e) if abs(x[n]) > 0.9 * peak]
            if not over:
                break
            for n in over:
                if abs(x[n]) > 0.9 * peak:
                    scale_around(x, n, 0.88 * peak / abs(x[n]), 5)
        if s <= LARGEST_INDEX < e:
            p = LARGEST_INDEX
        elif s <= SMALLEST_INDEX < e:
            p = SMALLEST_INDEX
        else:
            p = max(range(s + bump, e - bump), key=lambda n: abs(x[n]))
        # The ring right after a slap must stay below the slap itself once it
        # is raised; ease it without touching the slap's own sample.
        for n in range(max(0, p - bump), min(LENGTH, p + bump + 1)):
            limit = 0.85 * abs(x[p])
            if n != p and abs(x[n]) > limit:
                scale_around(x, n, limit / abs(x[n]), min(5, abs(n - p) - 1))
        scale_around(x, p, peak / abs(x[p]), bump)


def set_fixed(x):
    for n, v in ANCHORS.items():
        x[n] = v
    x[LARGEST_INDEX] = LARGEST
    x[SMALLEST_INDEX] = SMALLEST


def shape(raw):
    centres = [(s + e - 1) // 2 for s, e in blocks()]
    gains = [t[1] for t in BLOCK_TARGETS]
    # Level at the very ends matches the fixed quiet samples there.
    startLevel = rms(list(ANCHORS[n] for n in range(6))) / rms(raw[0:40])
    endLevel = rms([ANCHORS[n] for n in range(5759, 5763)]) / rms(raw[LENGTH - 40:])
    for _ in range(30):
        points = [(0, startLevel)] + list(zip(centres, gains)) + [(LENGTH - 1, endLevel)]
        env = envelope(points)
        x = [raw[n] * env[n] for n in range(LENGTH)]
        place_peaks(x)
        set_fixed(x)
        x = [f32(v) for v in x]
        worst = 0.0
        for b, (s, e) in enumerate(blocks()):
            ratio = BLOCK_TARGETS[b][1] / rms(x[s:e])
            gains[b] *= ratio
            worst = max(worst, abs(ratio - 1.0))
        if worst < 0.002:
            break
    return x


# ---------------------------------------------------------------------------
# Checks.

def crossings(x):
    return sum(1 for n in range(1, len(x)) if (x[n - 1] < 0.0) != (x[n] < 0.0))


def centroid_hz(x, bins=400):
    """Power-weighted mean frequency, by Goertzel over `bins` bands to Nyquist."""
    num = den = 0.0
    for k in range(1, bins):
        hz = k * (RATE / 2.0) / bins
        c = 2.0 * math.cos(2.0 * math.pi * hz / RATE)
        s1 = s2 = 0.0
        for v in x:
            s1, s2 = v + c * s1 - s2, s1
        power = s1 * s1 + s2 * s2 - c * s1 * s2
        num += hz * power
        den += power
    return num / den


def check(x):
    failures = []
    print("fixed values:")
    fixed = dict(ANCHORS)
    fixed[LARGEST_INDEX] = LARGEST
    fixed[SMALLEST_INDEX] = SMALLEST
    for n in sorted(fixed):
        ok = x[n] == f32(fixed[n])
        print("  [%4d] %.9g %s" % (n, x[n], "ok" if ok else "WRONG, want %.9g" % fixed[n]))
        if not ok:
            failures.append("value at %d" % n)
    top = max(range(LENGTH), key=lambda n: x[n])
    bottom = min(range(LENGTH), key=lambda n: x[n])
    runnerUp = max(x[n] for n in range(LENGTH) if n != LARGEST_INDEX)
    runnerDown = min(x[n] for n in range(LENGTH) if n != SMALLEST_INDEX)
    print("largest at %d, next largest %.6f; smallest at %d, next smallest %.6f"
          % (top, runnerUp, bottom, runnerDown))
    if not (runnerUp < x[LARGEST_INDEX] and runnerDown > x[SMALLEST_INDEX]):
        failures.append("extremes")
    lo, hi = CROSSINGS_PER_BLOCK
    print("block  peak  (target, err)    rms   (target, err)  crossings")
    for b, (s, e) in enumerate(blocks()):
        seg = x[s:e]
        peak, level = max(abs(v) for v in seg), rms(seg)
        wantPeak, wantRms = BLOCK_TARGETS[b]
        zc = crossings(seg)
        scale = (e - s) / BLOCK
        zcOk = lo * scale <= zc <= hi * scale
        errPeak, errRms = peak / wantPeak - 1.0, level / wantRms - 1.0
        print("%5d %.4f (%.4f, %+5.1f%%) %.4f (%.4f, %+5.1f%%) %4d%s"
              % (s, peak, wantPeak, 100 * errPeak, level, wantRms, 100 * errRms, zc,
                 "" if zcOk else "  OUT OF RANGE"))
        if abs(errPeak) > TOLERANCE or abs(errRms) > TOLERANCE or not zcOk:
            failures.append("block %d" % s)
    centroid = centroid_hz(x)
    print("spectral centroid %.0f Hz" % centroid)
    if not CENTROID_RANGE_HZ[0] <= centroid <= CENTROID_RANGE_HZ[1]:
        failures.append("centroid")
    return failures


# ---------------------------------------------------------------------------
# Output.

def literal(v):
    text = "%.9g" % v
    if "." not in text and "e" not in text:
        text += ".0"
    return text + "f"


def write_source(x, path):
    lines = [
        "// Generated by tools/kick/make_kick.py - do not edit; change the script and rerun it.",
        "// A knock on a spring tank at 16 kHz: taps, dispersive spring echoes, frame ring and rattle.",
        '#include "engine/KickImpulse.h"',
        "",
        "const float KickImpulse[kKickImpulseLength] = {",
    ]
    per = 6
    for i in range(0, LENGTH, per):
        lines.append("    " + ", ".join(literal(v) for v in x[i:i + per]) + ",")
    lines.append("};")
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def write_wav(x, path):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", max(-32767, min(32767, round(v * 32767)))) for v in x))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--wav", help="also write the recording as a 16-bit WAV file")
    parser.add_argument("--dry-run", action="store_true", help="check only, write no source")
    args = parser.parse_args()
    x = shape(raw_recording(Rng(0x5155_4F52_4C4B_4943)))
    failures = check(x)
    if failures:
        print("not written, failed: " + ", ".join(failures), file=sys.stderr)
        return 1
    if args.wav:
        write_wav(x, args.wav)
        print("wrote " + args.wav)
    if not args.dry_run:
        write_source(x, OUTPUT)
        print("wrote " + os.path.relpath(OUTPUT, ROOT))
    return 0


if __name__ == "__main__":
    sys.exit(main())
