#!/usr/bin/env python3
"""Worked MFCC values for tests/match/FiguresTest.cpp, computed independently of the program with
numpy's FFT: frames of 2048 samples at hop 512 (no padding), periodic Hann window, power
spectrum, 128 triangular mel bands on the Slaney mel scale (linear below 1000 Hz, logarithmic
above) from 0 to 22050 Hz with area normalisation, 10 log10(max(E, 1e-10)), orthonormal DCT-II,
13 coefficients. Run: python3 tests/match/mfcc_worked_values.py (python3-numpy)."""
import numpy as np

SR, N, HOP, BANDS, COEFFS = 44100, 2048, 512, 128, 13


def hz_to_mel(f):
    f = np.asarray(f, dtype=float)
    return np.where(f < 1000, f * 3 / 200, 15 + np.log(np.maximum(f, 1e-9) / 1000) / (np.log(6.4) / 27))


def mel_to_hz(m):
    m = np.asarray(m, dtype=float)
    return np.where(m < 15, m * 200 / 3, 1000 * np.exp((np.log(6.4) / 27) * (m - 15)))


def mfcc(x):
    window = 0.5 - 0.5 * np.cos(2 * np.pi * np.arange(N) / N)
    edges = mel_to_hz(np.linspace(0, hz_to_mel(SR / 2), BANDS + 2))
    freqs = np.arange(N // 2 + 1) * SR / N
    bank = np.zeros((BANDS, N // 2 + 1))
    for m in range(BANDS):
        lo, mid, hi = edges[m], edges[m + 1], edges[m + 2]
        bank[m] = np.maximum(0, np.minimum((freqs - lo) / (mid - lo), (hi - freqs) / (hi - mid)))
        bank[m] *= 2 / (hi - lo)
    k = np.arange(BANDS)
    dct = np.array([np.cos(np.pi * c * (2 * k + 1) / (2 * BANDS)) for c in range(COEFFS)])
    dct[0] *= np.sqrt(1 / BANDS)
    dct[1:] *= np.sqrt(2 / BANDS)
    frames = []
    for start in range(0, len(x) - N + 1, HOP):
        power = np.abs(np.fft.rfft(x[start:start + N] * window)) ** 2
        db = 10 * np.log10(np.maximum(bank @ power, 1e-10))
        frames.append(dct @ db)
    return np.array(frames)


def quiet_noise():
    """0.001 of full scale from the C library's example generator, uniform in -1..1, so that no
    band falls to the floor (where float and double FFTs would disagree)."""
    x, out = 1, []
    for _ in range(44100):
        x = (1103515245 * x + 12345) % 2**31
        out.append(x / 2**30 - 1)
    return 0.001 * np.array(out)


n = np.arange(44100)
# 1033.59375 Hz (12 periods per hop) at half scale, over quiet noise, as 32-bit floats in 16-bit
# units as the test holds them.
sine = 0.5 * np.sin(2 * np.pi * (12 * SR / HOP) * n / SR) + quiet_noise()
sine = (32768 * sine).astype(np.float32).astype(float) / 32768
for name, x in (("silence", np.zeros(44100)), ("sine", sine)):
    m = mfcc(x)
    print(name, "frames", len(m), "spread", float(np.max(np.ptp(m, axis=0))))
    print(", ".join(f"{v:.4f}" for v in m.mean(axis=0)))
print("mean abs difference", float(np.mean(np.abs(mfcc(sine) - mfcc(np.zeros(44100))))))
