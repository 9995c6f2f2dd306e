#!/usr/bin/env python3
"""Largest pole magnitude of the four-pole recursion over the reachable settings.

Writes four_pole_poles.tsv beside this script: for every sample rate, wah
frequency knob and damping knob (dense at the low end), and the distortion's
frequency knob, the design that FourPoleFilter::setParameters makes (the float
coefficients and the design kept in double, reproduced here operation by
operation) and the largest |z| of the poles of each, found as the roots of the
recursion's characteristic polynomial in 60-digit arithmetic (mpmath). The
gain does not move the poles, so the designs are made at 0 dB. The unit test
FourPoleStabilityTest checks that the C++ design gives exactly these
coefficients and that its stability decision agrees with these roots.

Run: python3 four_pole_poles.py   (needs python3-mpmath)
"""

import os
import struct

import mpmath

mpmath.mp.dps = 60

RATES = [22050, 44100, 48000, 88200, 96000, 192000]
# The wah pedal from below its floor (100 Hz) to the top, in steps of 0.05.
WAH_KNOBS = [-0.05] + [i / 20 for i in range(21)]
DAMPINGS = [0.0, 0.001, 0.002, 0.005, 0.01, 0.02, 0.03, 0.05, 0.075, 0.1, 0.15, 0.2, 0.3, 0.4, 0.5, 0.6, 0.75, 0.9, 1.0]
DISTORTION_KNOBS = [i / 20 for i in range(21)]
TWO_PI = 6.283185307179586


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def f32_bits(x):
    return struct.unpack('<I', struct.pack('<f', x))[0]


def mapped(value, scale, offset):
    return f32(scale * f32(value) + offset)


def float_design(rate, frequency, damping):
    w = f32(TWO_PI * frequency)
    f = f32(1.0 / w)
    f1 = f; f2 = f1 * f1; f3 = f2 * f1; f4 = f3 * f1
    s1 = float(f32(float(rate))); s2 = s1 * s1; s3 = s2 * s1; s4 = s3 * s1
    d = damping
    c1 = f32((4.0 * d * f1) * s1)
    c2 = f32(((4.0 * d * d + 2.0) * f2) * s2)
    c3 = f32((4.0 * d * f3) * s3)
    c4 = f32(f4 * s4)
    norm = f32(1.0 / (1.0 + c1 + c2 + c3 + c4))
    return c1, c2, c3, c4, norm


def double_design(rate, frequency, damping):
    w = TWO_PI * frequency
    f1 = 1.0 / w; f2 = f1 * f1; f3 = f2 * f1; f4 = f3 * f1
    s1 = float(rate); s2 = s1 * s1; s3 = s2 * s1; s4 = s3 * s1
    d = damping
    c1 = (4.0 * d * f1) * s1
    c2 = ((4.0 * d * d + 2.0) * f2) * s2
    c3 = (4.0 * d * f3) * s3
    c4 = f4 * s4
    norm = 1.0 / (1.0 + c1 + c2 + c3 + c4)
    return c1, c2, c3, c4, norm


def largest_pole(c1, c2, c3, c4, norm):
    # y[n] = norm * (... - c1 d1 - c2 d2 - c3 d3 - c4 d4) with
    # d1 = -y1, d2 = y2 - 2 y1, d3 = 3 y2 - 3 y1 - y3, d4 = y4 - 4 y3 + 6 y2 - 4 y1:
    # y[n] = a1 y[n-1] + a2 y[n-2] + a3 y[n-3] + a4 y[n-4].
    c = [mpmath.mpf(v) for v in (c1, c2, c3, c4)]
    n = mpmath.mpf(norm)
    weights = [[-1, 0, 0, 0], [-2, 1, 0, 0], [-3, 3, -1, 0], [-4, 6, -4, 1]]
    a = [sum(-n * c[i] * weights[i][k] for i in range(4)) for k in range(4)]
    roots = mpmath.polyroots([1, -a[0], -a[1], -a[2], -a[3]], maxsteps=500, extraprec=300)
    return max(abs(r) for r in roots)


def rows():
    for rate in RATES:
        for knob in WAH_KNOBS:
            frequency = mapped(knob, 1000.0, 150.0)
            if frequency < 100.0:
                frequency = 100.0
            for damping in DAMPINGS:
                yield 'wah', rate, f32(frequency), f32(damping)
        for knob in DISTORTION_KNOBS:
            yield 'distortion', rate, mapped(knob, 1500.0, 300.0), f32(0.75)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'four_pole_poles.tsv')
    with open(out, 'w') as table:
        table.write('# slot rate frequency damping, float c1 c2 c3 c4 norm (float bits, hex), '
                    'double c1 c2 c3 c4 norm (hex), largest |z| of the float design and of the double design\n')
        for slot, rate, frequency, damping in rows():
            fd = float_design(rate, frequency, damping)
            dd = double_design(rate, frequency, damping)
            table.write('%s %d %08x %08x %s %s %s %s\n' % (
                slot, rate, f32_bits(frequency), f32_bits(damping),
                ' '.join('%08x' % f32_bits(v) for v in fd), ' '.join(v.hex() for v in dd),
                mpmath.nstr(largest_pole(*fd), 20), mpmath.nstr(largest_pole(*dd), 20)))


if __name__ == '__main__':
    main()
