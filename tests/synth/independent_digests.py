#!/usr/bin/env python3
# Independent Python implementation of Tarmel's documented sound computation, written from the
# prose description alone; it produces the expected digests used by the C++ synth tests.
# Usage: python3 independent_digests.py [--check]   (--check: verify the documented sample values first)
import math, struct, sys

PI = 3.14159265358979
TWO_PI = 6.28318530717958  # exactly 2 * PI as doubles
ENV_DIV = 88200
SR = 44100
N = 44101
M64 = (1 << 64) - 1
# modulator k: (function, phase kind, gate); oscillator 1 = 0..4, oscillator 2 = 5..9, oscillator 3 = 10..14
TABLE = [("sin", "PM", "GS"), ("sin", "PH", None), ("tan", "PD", None), ("sin", "PM", "GS"), ("tan", "PM", None),
         ("sin", "PM", "GS"), ("sin", "PH", None), ("rand", "PD", None), ("sin", "PM", "GC"), ("sin", "PH", None),
         ("sin", "PH", None), ("sin", "PH", None), ("sin", "PH", None), ("sin", "PM", None), ("sin", "PH", None)]
GATE = math.floor
ROUND = round  # Python's round() on floats: nearest, ties to even


def rnd(x):
    v = ROUND(x)
    assert -32768 <= v <= 32767, x
    return v


class Rng:
    def __init__(self):
        self.state, self.last = 0x853c49e6748fea9b, 0.0

    def advance(self):
        old = self.state
        self.state = (old * 6364136223846793005 + 1442695040888963407) & M64
        xs = (((old >> 18) ^ old) >> 27) & 0xffffffff
        rot = old >> 59
        out = ((xs >> rot) | (xs << (32 - rot))) & 0xffffffff
        self.last = (out >> 8) * 2.0 ** -24  # 24 bits: exact as float32 and as double
        return self.last

    def __call__(self, r):
        if r > 0:
            return self.advance()
        if r == 0:
            return self.last
        z = (struct.unpack("<Q", struct.pack("<d", r))[0] + 0x9e3779b97f4a7c15) & M64
        z = ((z ^ (z >> 30)) * 0xbf58476d1ce4e5b9) & M64
        z = ((z ^ (z >> 27)) * 0x94d049bb133111eb) & M64
        self.state = z ^ (z >> 31)
        return self.advance()


class State:
    def __init__(self):
        self.mod, self.rng = [1.0] * 15, Rng()


def envelope(n, a):
    x = (PI * n) / ENV_DIV
    return rnd(math.sin(x) * a + math.cos(x) * (1500 - a))


def generate(st, pitches, a, mods):
    """mods: {k: (F, H)} for the modulators that are on. Returns [wave1, wave2, wave3]."""
    p1, sin, mod = pitches[0], math.sin, st.mod
    active = [(k, p1 * F, H, H * SR) + TABLE[k] for k, (F, H) in sorted(mods.items())]
    waves = ([], [], [])
    for n in range(N):
        env = envelope(n, a)
        g = ((TWO_PI * p1) * n) / SR
        for k, q, H, L, fn, ph, gate in active:
            if ph == "PM":
                x = (((TWO_PI * q) * n) / SR) * H
            elif ph == "PD":
                x = ((TWO_PI * q) * n) / L
            else:
                x = ((PI * q) * n) / L
            v = sin(x)
            if fn == "tan":
                v = math.tan(v)
            elif fn == "rand":
                v = st.rng(v)
            if gate:
                v = GATE(sin(g) if gate == "GS" else math.cos(g)) * v
            mod[k] = v
        for j in range(3):
            s = env * sin(((TWO_PI * pitches[j]) * n) / SR)
            m = mod[5 * j:5 * j + 5]
            waves[j].append(rnd(((((s * m[0]) * m[1]) * m[2]) * m[3]) * m[4]))
    return waves


def digest(waves):
    h = 0xcbf29ce484222325
    for w in waves:
        for b in struct.pack("<%dh" % len(w), *w):
            h = ((h ^ b) * 0x100000001b3) & M64
    return h


BASE = (311, 353, 277)
P98 = (98, 98, 98)
VARIED = ((98, 110, 87), 500, {k: (2 + k % 9, 2 + k) for k in range(15)})
# each case: list of (name or None if not digested, pitches, attack, {k: (F, H)}), run in order on one fresh state
CASES = [[("start", P98, 0, {})]] + \
    [[("B%d" % k, BASE, 600, {k: (7, 10)})] for k in range(15)] + [
    [("all-max", (1000, 1170, -169), 1500, {k: (10, 16) for k in range(15)})],
    [("all-varied-1",) + VARIED, ("all-varied-2",) + VARIED],
    [("random-1", P98, 0, {7: (2, 2)}), ("random-2", P98, 0, {7: (2, 2)})],
    [(None, P98, 0, {7: (3, 2)}), ("random-hold", P98, 0, {7: (0, 2)})],
    [(None, (200, 210, 220), 300, {k: (3, 4) for k in (0, 6, 13)}), ("off-keeps-output", (200, 210, 220), 300, {})],
    [("zero-negative", (1, 0, -169), 750, {5: (2, 2), 10: (2, 2)})],
    # generation 1 leaves modulator 7 holding exactly 19/32; with pitch2 = 11025 the carrier is exactly +-1 at odd n,
    # so generation 2 has 675 samples landing exactly on .5 (catches rounding that is not ties-to-even)
    [(None, (4657, 11025, 3675), 0, {7: (1, 10)}), ("round-ties", (4657, 11025, 3675), 0, {7: (0, 10)})],
    # pitch1 * F = 32767, the largest product that fits 16 bits; H = 0 on a multiplied phase (modulator 14) is allowed
    [("edge-ratio-zero", (4681, 98, 98), 0, {1: (7, 2), 13: (2, 0)})],
    # gated oscillators sharing phases: modulators 1 and 9 (one phase; oscillator 1 gated by the sine, 2 by the
    # cosine), 2, 7 and 11 (one phase, oscillator 3 ungated) and 10 (oscillator 2 only)
    [("shared-gated", (98, 110, 87), 500, {0: (3, 4), 1: (5, 6), 6: (5, 6), 8: (3, 4), 9: (2, 3), 10: (5, 6)})]]
def all_digests():
    out = []
    for case in CASES:
        st = State()
        for name, pitches, a, mods in case:
            d = digest(generate(st, pitches, a, mods))
            if name:
                out.append((name, d))
    return out


def check():
    env = [(0, 0, 1500), (0, 1, 1500), (0, 22050, 1061), (0, 44099, 0), (0, 44100, 0), (1500, 0, 0),
           (1500, 22050, 1061), (1500, 44100, 1500), (750, 0, 750), (750, 44100, 750), (750, 22050, 1061)]
    waves = [({}, {1: 21, 50: 964, 100: 1477, 112: 1500, 225: 0, 1000: 1476}),
             ({1: (2, 2)}, {100: 950, 5000: -324}), ({2: (2, 2)}, {100: 2226, 5000: 711}),
             ({4: (2, 2)}, {100: -1106, 5000: 338}), ({0: (2, 2)}, {100: 0}),
             ({0: (2, 2), 2: (2, 2)}, {300: 1323})]
    bad = ["env a=%d n=%d: %d != %d" % (a, n, envelope(n, a), e) for a, n, e in env if envelope(n, a) != e]
    for mods, want in waves:
        w1 = generate(State(), P98, 0, mods)[0]
        bad += ["mods %s wave1[%d]: %d != %d" % (sorted(mods), n, w1[n], e) for n, e in want.items() if w1[n] != e]
    print("\n".join(bad) if bad else "sanity checks: all %d values match" % (len(env) + sum(len(w) for _, w in waves)))
    return not bad


if __name__ == "__main__":
    if "--check" in sys.argv[1:] and not check():
        sys.exit(1)
    for name, d in all_digests():
        print('{"%s", 0x%016x},' % (name, d))
