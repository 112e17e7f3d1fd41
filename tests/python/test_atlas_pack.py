"""The atlas pack from Python: names, descriptions and shapes of its 256 rows.

Every family with a rule is recomputed here from the rule alone, with the math
module, and compared sample by sample with the stored table. The noise rows are
recomputed with hashlib's SHA-256, independently of the generator's own.
"""

import hashlib
import math

import pytest

import pipmoves
from pack_layout import PACKS, catalogue_index

TOLERANCE = 1e-12
PEAK = 0.82

WAVES = [
    ("pinched", "Pinched sine"), ("shouldered", "Shouldered sine"), ("folded", "Folded sine"),
    ("double_fold", "Double-fold wave"), ("rounded_square", "Rounded square"),
    ("soft_rectifier", "Soft rectified swell"), ("skew_warp", "Phase-skew sweep"),
    ("scoop_warp", "Scooped return"), ("shelf_wave", "Shelf and scoop"), ("notched", "Notched crest"),
    ("bottle", "Bottle-neck swell"), ("reed", "Reed flutter"), ("unequal_peaks", "Unequal double crest"),
    ("ripple_return", "Rippled recovery"), ("soft_teeth", "Soft triple teeth"),
    ("warped_fold", "Warped wave fold"),
]

ENVELOPES = {
    "lift_hold_drop": ("Lift, hold, settle", [(0, 0), (64, -0.8), (192, -0.8), (256, 0.2), (320, 0), (512, 0)]),
    "inhale_exhale": ("Long inhale, short exhale", [(0, 0), (320, -0.8), (384, 0.1), (448, 0), (512, 0)]),
    "triple_swell": ("Three unequal swells",
                     [(0, 0), (64, -0.8), (128, 0), (192, -0.5), (256, 0), (384, -0.3), (512, 0)]),
    "rising_echo": ("Rising echo ladder",
                    [(0, 0), (64, -0.25), (128, 0), (192, -0.5), (256, 0), (320, -0.8), (384, 0), (512, 0)]),
    "falling_echo": ("Falling echo ladder",
                     [(0, 0), (64, -0.8), (128, 0), (192, -0.45), (256, 0), (320, -0.15), (512, 0)]),
    "anticipation": ("Backward anticipation",
                     [(0, 0), (64, 0.35), (128, 0), (192, -0.82), (256, -0.82), (384, 0.12), (512, 0)]),
    "plateau_scoop": ("Plateau then scoop",
                      [(0, 0), (64, -0.7), (256, -0.7), (320, -0.3), (384, 0.4), (512, 0)]),
    "hesitant": ("Hesitant reach",
                 [(0, 0), (64, -0.3), (128, -0.2), (192, -0.5), (256, -0.4), (320, -0.8), (512, 0)]),
    "double_hold": ("Two-height hold", [(0, 0), (64, -0.4), (192, -0.4), (256, -0.8), (384, -0.8), (512, 0)]),
    "swell_recoil": ("Deep swell and recoil",
                     [(0, 0), (192, -0.8), (256, 0.5), (320, -0.2), (384, 0.08), (512, 0)]),
    "late_release": ("Late release", [(0, 0), (256, -0.8), (384, -0.8), (448, 0.25), (512, 0)]),
    "split_attack": ("Split attack", [(0, 0), (32, -0.6), (64, -0.2), (128, -0.8), (320, -0.2), (512, 0)]),
    "suspended": ("Suspended answer",
                  [(0, 0), (64, -0.75), (128, 0), (256, 0), (384, -0.55), (448, -0.55), (512, 0)]),
    "valley_peaks": ("Valley between peaks",
                     [(0, 0), (64, -0.7), (192, -0.3), (256, -0.82), (384, 0.2), (512, 0)]),
    "four_breaths": ("Four breathing accents",
                     [(0, 0), (64, -0.7), (128, 0), (192, -0.5), (256, 0), (320, -0.8), (384, 0), (448, -0.3),
                      (512, 0)]),
    "return_stair": ("Stepped soft recovery",
                     [(0, 0), (128, -0.8), (192, -0.8), (256, -0.5), (320, -0.5), (384, -0.2), (448, -0.2),
                      (512, 0)]),
}

SEQ_SHAPES = ["up_down", "pendulum", "octave", "unequal", "question", "answer", "ratchet", "stairs"]
EVEN_SEQUENCES = {
    "pendulum": [0, 0.82, 0, -0.82, 0, 0.41, 0, -0.41, 0],
    "octave": [0, 0.82, 0.205, 0.66625, -0.205, -0.82, -0.41, -0.66625, 0],
    "ratchet": [0, 0.3075, 0, 0.615, 0, 0.82, 0, -0.3075, 0],
    "stairs": [-0.82, -0.41, 0, 0.41, 0.82, 0.82, 0, -0.82, -0.82],
}

NOISE = [("drift", [5, 7, 9, 11]), ("orbit", [6, 8, 10, 12]), ("ripple", [5, 7, 9, 11]), ("depth", [6, 8, 10, 12])]
RIPPLE_SIZES = [0.18, 0.22, 0.25, 0.28, 0.25, 0.2, 0.15, 0.13, 0.34, 0.31, 0.29, 0.26, 0.23, 0.2, 0.17, 0.14]
WEAVES = [(1, 3), (1, 4), (1, 5), (2, 5), (2, 7), (3, 4), (3, 5), (3, 7), (3, 8), (4, 5), (4, 7), (4, 9),
          (5, 6), (5, 7), (5, 8), (5, 9)]
ROSES = [3, 6, 7, 8, 9, 10, 11, 12]
SPIROS = [(3, 1, 0.45), (4, 1, 0.6), (5, 2, 0.75), (5, 1, 0.55), (7, 2, 0.65), (7, 3, 0.7), (8, 3, 0.6),
          (9, 4, 0.8)]
TORUS_KNOTS = [(2, 5), (2, 7), (3, 4), (3, 5), (3, 7), (4, 5), (4, 7), (5, 6)]
SPACE_WEAVES = [(1, 2, 3), (1, 3, 4), (2, 3, 4), (2, 3, 7), (2, 5, 7), (3, 4, 5), (3, 5, 7), (4, 5, 7)]
MECHANISMS = [
    ("piston_short", "Short-rod piston"), ("piston_long", "Long-rod piston"), ("offset_crank", "Offset crank"),
    ("scotch_yoke", "Yoke with rocking linkage"), ("whitworth", "Quick-return linkage study"),
    ("elliptic_cam", "Elliptic cam follower"), ("two_lobe_cam", "Two-lobe cam follower"),
    ("three_lobe_cam", "Three-lobe cam follower"), ("escapement", "Soft escapement study"),
    ("paddle", "Paddle-wheel tip"), ("wobble_plate", "Wobble-plate trace"), ("rocking_beam", "Rocking beam"),
    ("coupled_cranks", "Coupled cranks"), ("crank_rocker", "Crank and rocker study"),
    ("piston_balance", "Piston and balance mass"), ("cam_return", "Cam rise and return"),
]
EUCLIDS = [(2, 5), (3, 7), (3, 10), (4, 9), (4, 11), (5, 9), (5, 11), (5, 13), (5, 14), (6, 13), (7, 12),
           (7, 15), (7, 17), (8, 19), (9, 20), (11, 24)]
POLYS = [(2, 5), (2, 7), (2, 9), (3, 5), (3, 7), (3, 8), (3, 10), (4, 5), (4, 7), (4, 9), (5, 6), (5, 7),
         (5, 8), (5, 9), (6, 7), (7, 8)]
METERS = [(2, 3), (3, 2), (3, 2, 2), (2, 3, 2), (3, 4), (4, 3), (2, 2, 2, 3), (2, 3, 2, 2), (3, 2, 3, 2),
          (3, 3, 2, 3), (2, 2, 3, 2, 3), (3, 3, 3, 2), (4, 3, 3), (3, 4, 4), (2, 3, 3, 2, 3), (3, 3, 3, 4)]
SWING_RATIOS = [(3, 5), (2, 3), (5, 7), (3, 4)]
SWING_SCORES = ["push", "answer", "skip", "shuffle"]
STICKINGS = ["RLRRLRLL", "RRLRLLRL", "RLLRLRRL", "RRLLRLRL", "RLRLRRLL", "RRRLLLRL", "RLLLRRRL", "RRLRRLLL",
             "RLRRLLRL", "RRLLRLLR", "RLRLLRRL", "RRRLRLLL", "RRRRLRLL", "RRLLLRRL", "RLRRRLLL", "RRLRLLLR"]
GESTURES = [
    ("side_reach", "side reach"), ("cross_reach", "cross and reach"), ("low_scoop", "low scoop"),
    ("high_arc", "high arc"), ("corner_taps", "corner taps"), ("diagonal_touch", "diagonal touch"),
    ("box_return", "box and centre"), ("zigzag_lift", "zigzag lift"), ("duck_sway", "duck and sway"),
    ("push_pull", "push and pull"), ("reach_depth", "reach through depth"), ("bow_turn", "bow and turn"),
    ("heel_toe", "heel-toe abstract"), ("hop_answer", "hop and answer"), ("spiral_reach", "spiral reach"),
    ("diamond_depth", "depth diamond"),
]
GESTURES_IN_DEPTH = {"push_pull", "reach_depth", "bow_turn", "spiral_reach", "diamond_depth"}


def joined(*parts):
    return "_".join(str(p) for p in parts)


def expected_rows():
    """(name, description, period, dimensions) of every atlas row, in table order."""
    rows = []
    for name, label in WAVES:
        rows.append(("wave_" + name,
                     label + "; a continuous shaped control wave, mapped to horizontal displacement.", 512, 1))
    for name, (label, _) in ENVELOPES.items():
        rows.append(("env_" + name, label + " over an eight-beat phrase; smooth, resting joins.", 512, 2))
    for shape in SEQ_SHAPES:
        for timing in ("even", "lilt"):
            rows.append((f"seq_{shape}_{timing}", "A programmed position sequence with " + timing
                         + " segment durations and softened transitions.", 512, 2))
    for kind, numbers in NOISE:
        for n in numbers:
            rows.append((f"noise_{kind}_{n}", "Indexed SHA-256 control points in a closed " + kind
                         + " path. No mutable random state.", 1024, 3 if kind == "depth" else 2))
    for j in range(1, 17):
        rows.append((f"orbit_harmonic_{j:02d}",
                     "An ellipse combined with unequal horizontal and vertical harmonic ripples.", 512, 2))
    for a, b in WEAVES:
        rows.append((joined("weave", a, b),
                     f"{a} horizontal and {b} vertical cycles; a phase-offset, closed 16-beat traversal.", 1024, 2))
    for k in ROSES:
        rows.append((f"polar_rose_{k}",
                     "A complete signed-radius rose traversal; odd-petal roses use a half-turn parameter.", 1024, 2))
    for n in range(2, 10):
        rows.append((f"polar_scallop_{n}", "A positive-radius scalloped loop; no centre crossings, with an "
                     "asymmetrically bent lobe.", 1024, 2))
    for side in ("inside", "outside"):
        for big, small, _ in SPIROS:
            rows.append((joined("spiro_" + side, big, small), f"A closed {side}-rolling circle trace, with pen "
                         "radius smaller than the rolling radius.", 1024, 2))
    for p, q in TORUS_KNOTS:
        rows.append((joined("space_torus", p, q),
                     "A genuine XYZ closed torus-knot trajectory. The demo uses an oblique projection.", 1024, 3))
    for f in SPACE_WEAVES:
        rows.append((joined("space_weave", *f),
                     "Three coprime-frequency coordinate lanes with distinct phase offsets.", 1024, 3))
    for name, label in MECHANISMS:
        dims = 3 if name in ("wobble_plate", "crank_rocker", "piston_balance") else 2
        rows.append(("mech_" + name,
                     label + "; an original kinematic-style position study, not an engineering simulation.", 512, dims))
    for k, n in EUCLIDS:
        rows.append((joined("euclid", k, n),
                     "Evenly distributed accents with alternating sides; first onset is the phrase accent.", 32 * n, 2))
    for a, b in POLYS:
        rows.append((joined("poly", a, b), "Two independent pulse trains share an eight-beat boundary. Each "
                     "right-lane gesture includes depth.", 512, 3))
    for groups in METERS:
        rows.append((joined("meter", *groups), "Group starts lean alternately left and right; quieter subdivisions "
                     "mark the eighth-note grid.", 32 * sum(groups), 3))
    for a, b in SWING_RATIOS:
        for score in SWING_SCORES:
            rows.append((joined("swing", score, a, b), f"Eight-beat {score} score with offbeats at {a}/{b} of each "
                         "beat; peaks follow the score.", 512, 2 if score == "answer" else 3))
    for j in range(1, 17):
        rows.append((f"stick_study_{j:02d}", "Original R/L movement study with accented group leads, followed by "
                     "its hand-swapped answer. Not an official rudiment transcription.", 512, 2))
    for name, label in GESTURES:
        rows.append(("gesture_" + name, "An original single-point " + label + " gesture. Abstract motion, not a "
                     "full-body dance or biomechanical recording.", 512, 3 if name in GESTURES_IN_DEPTH else 2))
    return rows


EXPECTED = expected_rows()
BY_NAME = {row[0]: row for row in EXPECTED}


def stored(name):
    period = BY_NAME[name][2]
    return [pipmoves.sample(name, i).as_tuple() for i in range(period)]


def assert_same_table(name, want):
    have = stored(name)
    assert len(have) == len(want)
    for i, (h, w) in enumerate(zip(have, want)):
        for axis in range(3):
            # Stored values are the rule rounded to twelve places: within half
            # a unit of the twelfth place of the unrounded recomputation.
            assert abs(h[axis] - w[axis]) <= TOLERANCE, (
                f"{name} pip {i} axis {'xyz'[axis]}: want {w[axis]!r}, have {h[axis]!r}")
            assert h[axis] == round(h[axis], 12)


# ---- shaping, written afresh from the rules ---------------------------------

def theta(i, p):
    return 2 * math.pi * i / p


def curve(p, f):
    return [f(theta(i, p)) for i in range(p)]


def peak_normalised(table, peak=PEAK):
    largest = max(abs(v) for sample in table for v in sample)
    return [tuple(v * peak / largest for v in sample) for sample in table]


def smootherstep(u):
    return u ** 3 * (10 - 15 * u + 6 * u * u)


def keyframed(keys, i):
    for (s, a), (e, b) in zip(keys, keys[1:]):
        if s <= i <= e:
            return a + (b - a) * smootherstep((i - s) / (e - s))
    raise AssertionError(f"pip {i} outside the keyframes")


def pulse_table(p, pulses):
    """pulses: (t, half_width, (ax, ay, az)); distances taken round the loop."""
    table = []
    for i in range(p):
        sample = [0.0, 0.0, 0.0]
        for t, h, amplitude in pulses:
            d = (i - t + p / 2) % p - p / 2
            if abs(d) < h:
                w = (1 + math.cos(math.pi * d / h)) / 2
                for axis in range(3):
                    sample[axis] += amplitude[axis] * w
        table.append(tuple(sample))
    return table


def alternating(j):
    return 1 if j % 2 == 0 else -1


# ---- names, descriptions, periods, dimensions ---------------------------------

def atlas_catalogue():
    rows = pipmoves.catalogue()
    first = next(i for i, row in enumerate(rows) if row["name"] == "wave_pinched")
    return rows[first:first + len(EXPECTED)]


def test_atlas_follows_the_expansion_pack():
    rows = pipmoves.catalogue()
    first = next(i for i, row in enumerate(rows) if row["name"] == "wave_pinched")
    assert rows[first - 1]["name"] == "rhythm_three_four_five"
    assert first == catalogue_index(PACKS["atlas"]["first_row"])


def test_atlas_has_256_rows():
    assert len(EXPECTED) == 256
    assert [row["name"] for row in atlas_catalogue()] == [row[0] for row in EXPECTED]


@pytest.mark.parametrize("want", EXPECTED, ids=[row[0] for row in EXPECTED])
def test_catalogue_row(want):
    name, description, period, dimensions = want
    have = next(row for row in atlas_catalogue() if row["name"] == name)
    assert have == {"name": name, "description": description, "period_pips": period, "dimensions": dimensions}


def test_examples_of_templated_descriptions():
    assert BY_NAME["wave_pinched"][1] == (
        "Pinched sine; a continuous shaped control wave, mapped to horizontal displacement.")
    assert BY_NAME["weave_3_8"][1] == "3 horizontal and 8 vertical cycles; a phase-offset, closed 16-beat traversal."
    assert BY_NAME["gesture_box_return"][1] == (
        "An original single-point box and centre gesture. Abstract motion, not a full-body dance or biomechanical "
        "recording.")


# ---- recomputed families ------------------------------------------------------

WAVE_RULES = {
    "wave_folded": lambda t: math.sin(2.2 * math.sin(t)),
    "wave_double_fold": lambda t: math.sin(3.8 * math.sin(t)),
    "wave_rounded_square": lambda t: math.tanh(2 * math.sin(t)),
    "wave_skew_warp": lambda t: math.sin(t + 0.7 * math.sin(t)),
}


def test_wave_pinched_is_a_cubed_sine():
    assert_same_table("wave_pinched", curve(512, lambda t: (0.82 * math.sin(t) ** 3, 0, 0)))


@pytest.mark.parametrize("name", WAVE_RULES)
def test_normalised_waves(name):
    rule = WAVE_RULES[name]
    assert_same_table(name, peak_normalised(curve(512, lambda t: (rule(t), 0, 0))))


@pytest.mark.parametrize("name", ENVELOPES)
def test_envelope_keyframes(name):
    keys = ENVELOPES[name][1]
    assert_same_table("env_" + name, [(0, keyframed(keys, i), 0) for i in range(512)])


@pytest.mark.parametrize("shape", EVEN_SEQUENCES)
def test_even_sequences(shape):
    xs = [(64 * k, v) for k, v in enumerate(EVEN_SEQUENCES[shape])]
    ys = [(64 * k, 0.287 * math.sin(2 * math.pi * k / 8)) for k in range(9)]
    assert_same_table(f"seq_{shape}_even", [(keyframed(xs, i), keyframed(ys, i), 0) for i in range(512)])


@pytest.mark.parametrize("j", range(1, 17))
def test_harmonic_orbits(j):
    k = (j - 1) % 8 + 2
    r = RIPPLE_SIZES[j - 1]
    phi = 0 if j <= 8 else 0.5 + 0.3 * (j - 9)
    raw = curve(512, lambda t: (math.cos(t) + r * math.cos(k * t + phi),
                                0.72 * math.sin(t) - r * math.sin((k + 1) * t - phi), 0))
    assert_same_table(f"orbit_harmonic_{j:02d}", peak_normalised(raw))


@pytest.mark.parametrize(("a", "b"), WEAVES)
def test_weaves(a, b):
    raw = curve(1024, lambda t: (math.sin(a * t + 0.37), 0.8125 * math.sin(b * t), 0))
    assert_same_table(joined("weave", a, b), peak_normalised(raw))


@pytest.mark.parametrize("k", ROSES)
def test_roses(k):
    n, turn = (k, 0.5) if k % 2 else (k // 2, 1.0)

    def point(t):
        psi = turn * t
        r = 0.82 * math.cos(n * psi)
        return (r * math.cos(psi), r * math.sin(psi), 0)
    assert_same_table(f"polar_rose_{k}", curve(1024, point))


@pytest.mark.parametrize(("big", "small", "q"), SPIROS)
def test_spirographs_inside(big, small, q):
    d = q * small
    raw = curve(1024, lambda t: ((big - small) * math.cos(small * t) + d * math.cos((big - small) * t),
                                 (big - small) * math.sin(small * t) - d * math.sin((big - small) * t), 0))
    assert_same_table(joined("spiro_inside", big, small), peak_normalised(raw))


@pytest.mark.parametrize(("big", "small", "q"), SPIROS)
def test_spirographs_outside(big, small, q):
    d = q * small
    raw = curve(1024, lambda t: ((big + small) * math.cos(small * t) - d * math.cos((big + small) * t),
                                 (big + small) * math.sin(small * t) - d * math.sin((big + small) * t), 0))
    assert_same_table(joined("spiro_outside", big, small), peak_normalised(raw))


@pytest.mark.parametrize(("p", "q"), TORUS_KNOTS)
def test_torus_knots(p, q):
    def point(t):
        ring = 0.58 + 0.2 * math.cos(q * t)
        return (ring * math.cos(p * t), ring * math.sin(p * t), 0.42 * math.sin(q * t))
    table = peak_normalised(curve(1024, point))
    assert table[0][0] == pytest.approx(0.82, abs=1e-15)
    assert_same_table(joined("space_torus", p, q), table)


@pytest.mark.parametrize(("a", "b", "c"), SPACE_WEAVES)
def test_space_weaves(a, b, c):
    raw = curve(1024, lambda t: (math.sin(a * t), 0.8 * math.sin(b * t + 0.4), 0.7 * math.cos(c * t + 0.7)))
    assert_same_table(joined("space_weave", a, b, c), peak_normalised(raw))


# name: (raw rule, whether the table is peak-normalised to 0.82)
MECHANISM_RULES = {
    "mech_piston_short": (lambda t: (math.cos(t) + math.sqrt(4 - math.sin(t) ** 2) - 2, 0.3 * math.sin(t), 0), True),
    "mech_piston_long": (
        lambda t: (math.cos(t) + math.sqrt(16 - math.sin(t) ** 2) - 4, 0.25 * math.sin(2 * t), 0), True),
    "mech_paddle": (
        lambda t: (math.cos(t) + 0.23 * math.cos(4 * t), math.sin(t) + 0.23 * math.sin(4 * t), 0), True),
    "mech_two_lobe_cam": (lambda t: (6 * math.sin(t), 4 * math.cos(t) + 11 * math.cos(2 * t), 0), True),
    "mech_scotch_yoke": (
        lambda t: (0.82 * math.cos(t), 0.287 * math.sin(t) + 0.1476 * math.sin(3 * t), 0), False),
    "mech_wobble_plate": (
        lambda t: (0.82 * math.cos(t), 0.287 * math.sin(t), 0.41 * math.sin(2 * t + 0.3)), False),
}


@pytest.mark.parametrize("name", MECHANISM_RULES)
def test_mechanisms_with_closed_forms(name):
    rule, normalise = MECHANISM_RULES[name]
    table = curve(512, rule)
    assert_same_table(name, peak_normalised(table) if normalise else table)


@pytest.mark.parametrize(("k", "n"), EUCLIDS)
def test_euclidean_studies(k, n):
    pulses = []
    for j in range(k):
        w = 1 if j == 0 else 0.75
        pulses.append((32 * math.ceil(j * n / k), 24, (0.75 * w * alternating(j), -0.32 * w, 0)))
    assert_same_table(joined("euclid", k, n), pulse_table(32 * n, pulses))


@pytest.mark.parametrize(("a", "b"), POLYS)
def test_polymetric_studies(a, b):
    pulses = []
    for j in range(a):
        w = 1 if j == 0 else 0.65
        pulses.append((j * 512 / a, 22.4, (-0.62 * w, -0.26 * w, 0)))
    for j in range(b):
        w = 1 if j == 0 else 0.65
        pulses.append((j * 512 / b, 22.4, (0.62 * w, -0.26 * w, 0.22 * w)))
    assert_same_table(joined("poly", a, b), pulse_table(512, pulses))


@pytest.mark.parametrize("groups", METERS, ids=[joined(*g) for g in METERS])
def test_meter_studies(groups):
    pulses = []
    start = 0
    for g, length in enumerate(groups):
        pulses.append((32 * start, 19.2, (0.72 * alternating(g), -0.33, 0)))
        pulses.extend((32 * (start + s), 32 / 3, (0, -0.1134, 0.0504)) for s in range(1, length))
        start += length
    assert_same_table(joined("meter", *groups), pulse_table(32 * sum(groups), pulses))


@pytest.mark.parametrize("score", SWING_SCORES)
@pytest.mark.parametrize(("a", "b"), SWING_RATIOS)
def test_swing_scores(score, a, b):
    o = 64 * a / b
    pulses = []
    for k in range(8):
        if score == "skip" and k in (2, 6):
            continue
        x, y = (0.585, 0.216) if k in (0, 4) else (0.4225, 0.156)
        pulses.append((64 * k, 12.8, ((-1) ** k * x, -y, 0)))
    for k in range(8):
        if score in ("push", "skip"):
            pulses.append((64 * k + o, 8, (0.075, -0.15, 0.09)))
        if score == "shuffle" or (score == "answer" and k >= 4):
            pulses.append((64 * k + o, 12.8, ((-1) ** (k + 1) * 0.325, -0.12, 0)))
        if score == "shuffle" and k in (3, 7):
            pulses.append((64 * k + 32 * a / b, 6.4, (0.0525, -0.105, 0.063)))
    assert_same_table(joined("swing", score, a, b), pulse_table(512, pulses))


@pytest.mark.parametrize("number", range(1, 17))
def test_sticking_studies(number):
    sticking = STICKINGS[number - 1]
    swapped = sticking.translate(str.maketrans("RL", "LR"))
    pulses = []
    for j, hand in enumerate(sticking + swapped):
        w = 1 if j % 4 == 0 else 0.55
        side = 1 if hand == "R" else -1
        pulses.append((32 * j, 12, (0.74 * w * side, -0.34 * w, 0)))
    assert_same_table(f"stick_study_{number:02d}", pulse_table(512, pulses))


# ---- noise: control points from SHA-256 digests -------------------------------

def digest_units(name, index):
    digest = hashlib.sha256(f"{name}:{index}".encode()).digest()
    return [(int.from_bytes(digest[8 * lane:8 * lane + 8], "big") >> 11) / 2 ** 53 for lane in range(3)]


def control_point(kind, name, points, k):
    u, v, w = digest_units(name, k)
    even = 2 * math.pi * k / points
    if kind == "drift":
        return (2 * u - 1, 2 * v - 1, 0)
    if kind in ("orbit", "depth"):
        angle = even + (2 * u - 1) * 0.4 * math.pi / points
        radius = 0.55 + 0.45 * v
        return (radius * math.cos(angle), radius * math.sin(angle), 2 * w - 1 if kind == "depth" else 0)
    side = 1 if k % 2 == 0 else -1
    return (math.cos(even) * (0.75 + 0.25 * u), side * (0.35 + 0.65 * v), 0)


def catmull_rom(values, position):
    n = len(values)
    k = math.floor(position)
    u = position - k
    p0, p1, p2, p3 = (values[(k + d) % n] for d in (-1, 0, 1, 2))
    return 0.5 * (2 * p1 + (p2 - p0) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u
                  + (3 * p1 - p0 - 3 * p2 + p3) * u ** 3)


def spanned(values, low, high):
    lowest, highest = min(values), max(values)
    return [low + (v - lowest) * (high - low) / (highest - lowest) for v in values]


@pytest.mark.parametrize("name", [f"noise_{kind}_{n}" for kind, numbers in NOISE for n in numbers])
def test_noise_paths_pass_through_digest_control_points(name):
    _, kind, points = name.split("_")
    points = int(points)
    controls = [control_point(kind, name, points, k) for k in range(points)]
    lanes = [[catmull_rom([c[axis] for c in controls], i * points / 1024) for i in range(1024)] for axis in range(3)]
    lanes[0] = spanned(lanes[0], -0.82, 0.82)
    lanes[1] = spanned(lanes[1], -0.82, 0.82)
    if kind == "depth":
        lanes[2] = spanned(lanes[2], -0.5159, 0.4637)
    assert_same_table(name, list(zip(*lanes)))


# ---- shapes left open: what their descriptions promise --------------------------

@pytest.mark.parametrize("n", range(2, 10))
def test_scallops_never_near_the_centre(n):
    table = stored(f"polar_scallop_{n}")
    assert min(math.hypot(x, y) for x, y, _ in table) > 0.3
    assert max(max(abs(x), abs(y)) for x, y, _ in table) == 0.82


@pytest.mark.parametrize("n", range(2, 10))
def test_scallops_bend_exactly_one_lobe(n):
    """Each lobe's crest sits mid-lobe except the bent one's, which leans."""
    radii = [math.hypot(x, y) for x, y, _ in stored(f"polar_scallop_{n}")]
    width = 1024 / n
    leans = []
    for j in range(n):
        pips = range(math.ceil(width * j), math.ceil(width * (j + 1)))
        crest = max(pips, key=lambda i: radii[i])
        leans.append(abs(crest - width * (j + 0.5)) / width)
    assert sum(lean > 0.1 for lean in leans) == 1, leans
    assert sorted(leans)[-2] < 0.02, leans


def test_gestures_move_depth_only_where_named():
    for name, _ in GESTURES:
        depth = any(z != 0 for _, _, z in stored("gesture_" + name))
        assert depth == (name in GESTURES_IN_DEPTH), name


def test_reach_depth_holds_the_deepest_z():
    assert min(z for _, _, z in stored("gesture_reach_depth")) == -0.819999514101
