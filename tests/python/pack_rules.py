"""Shaping primitives written again from their definitions, so the tests can
recompute stored tables independently of the C++ authoring code."""

import math


def phase(i, period):
    return 2 * math.pi * i / period


def round12(value):
    rounded = float(f"{value:.12f}")
    return 0.0 if rounded == 0 else rounded


def smoothstep(u):
    return u * u * (3 - 2 * u)


def smootherstep(u):
    return u * u * u * (10 - 15 * u + 6 * u * u)


def loop_distance(i, t, period):
    d = math.fmod(i - t, period)
    if d < -period / 2:
        d += period
    if d >= period / 2:
        d -= period
    return d


def pulse(i, t, half_width, period):
    d = loop_distance(i, t, period)
    return (1 + math.cos(math.pi * d / half_width)) / 2 if abs(d) < half_width else 0.0


def pulse_train(pulses, i, period):
    """pulses: (t, half_width, (ax, ay, az)) tuples; overlapping pulses add."""
    total = [0.0, 0.0, 0.0]
    for t, h, amplitude in pulses:
        w = pulse(i, t, h, period)
        for axis in range(3):
            total[axis] += amplitude[axis] * w
    return tuple(total)


def keyframe_curve(keys, i):
    for (s, a), (e, b) in zip(keys, keys[1:]):
        if i <= e:
            return a + (b - a) * smootherstep((i - s) / (e - s))
    return keys[-1][1]


def table(rule, period):
    return [tuple(round12(v) for v in rule(i)) for i in range(period)]


def parse_ranges(text):
    """'x -0.8 to 0.8; y -0.3 to 0' -> {axis: (low, high, low_text, high_text, within)}."""
    ranges = {}
    for clause in text.split("; "):
        words = clause.replace(",", "").split()
        within = "within" in words
        numbers = [w for w in words if w not in ("x", "y", "z", "within", "to")]
        for axis in (w for w in words if w in ("x", "y", "z")):
            ranges["xyz".index(axis)] = (float(numbers[0]), float(numbers[1]), numbers[0], numbers[1], within)
    return ranges


def shows_as(observed, printed_text):
    """Whether an extreme reads as the printed value, to its printed decimals;
    a whole number must be met exactly."""
    decimals = len(printed_text.split(".")[1]) if "." in printed_text else 0
    if decimals == 0:
        return abs(observed - float(printed_text)) <= 5e-13
    return abs(observed - float(printed_text)) <= 0.5 * 10**-decimals + 5e-13
