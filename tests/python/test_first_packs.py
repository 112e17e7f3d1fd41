import math

import pytest

import pipmoves
from pack_layout import PACKS, catalogue_index
from pack_rules import keyframe_curve, phase, pulse_train, parse_ranges, shows_as, smoothstep, table

# Rows of the initial and expansion packs: name, period, dimensions, ranges as printed, description.
FIRST_PACK_ROWS = [
    ('lfo_breathe', 256, 1, 'x -0.8 to 0.8',
     'A four-beat, single-axis sine. The quiet reference for judging busier shapes.'),
    ('lfo_surge', 256, 1, 'x -0.8 to 0.8',
     'A long rounded sweep and short recovery; an independently authored smooth-reset shape.'),
    ('lfo_soft_gate', 256, 1, 'x -0.8 to 0.8',
     'Short smooth transitions separated by long stationary dwells. No square-wave teleport.'),
    ('lfo_double_pump', 256, 2, 'y -0.85 to 0',
     'Two unequal pumps and a breathing space within four beats.'),
    ('lfo_ratchet', 256, 2, 'x 0 to 0.8; y -0.5 to 0',
     'A four-hit decaying burst, then a rest. Every event is peak-aligned.'),
    ('lfo_glide_stair', 256, 1, 'x -0.8 to 0.8',
     'Five rounded steps traverse the field, then a smooth return.'),
    ('lfo_morph', 512, 2, 'x -0.8 to 0.798418; y -0.2 to 0.2',
     'An eight-beat blend between a sine and skewed triangle; movement changes within the phrase.'),
    ('lfo_flower', 512, 2, 'x -0.84 to 0.419993; y -0.727449 to 0.727449',
     'Related rotations form an original three-lobed XY loop over eight beats.'),
    ('rhythm_euclid_3_8', 256, 2, 'x -0.8 to 0.8; y -0.3 to 0',
     '3 evenly distributed onsets on a 8-step grid. Alternating lateral gestures.'),
    ('rhythm_euclid_5_12', 256, 2, 'x -0.8 to 0.8; y -0.3 to 0',
     '5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures.'),
    ('rhythm_three_two', 256, 2, 'x 0 to 0.78; y 0 to 0.78',
     'Three horizontal gestures interlock with two vertical gestures in one four-beat cycle.'),
    ('rhythm_half_time', 256, 2, 'x -0.4 to 0.85; y -0.25 to 0.85',
     'A strong downbeat, snare-like accent on beat three, and smaller offbeat shuffles.'),
    ('rudiment_double_paradiddle', 256, 2, 'x -0.82 to 0.82; y -0.42 to 0',
     'Visual sticking study RLRLRR LRLRLL; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation.'),
    ('rudiment_paradiddle_diddle', 256, 2, 'x -0.82 to 0.82; y -0.42 to 0',
     'Visual sticking study RLRRLL LRLLRR; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation.'),
    ('rudiment_six_stroke', 256, 2, 'x -0.82 to 0.82; y -0.42 to 0',
     'Visual sticking study RLLRRL LRRLLR; equal triplet spacing over four beats. This is a movement interpretation, not a complete drum-performance notation.'),
    ('rudiment_flam_accent', 256, 2, 'x -0.82 to 0.82; y -0.426092 to 0',
     'Opposite-hand grace gestures lead accented groups of three; deliberately expanded for visible motion.'),
    ('ease_rebound', 256, 1, 'x -0.65 to 0.65',
     'An attributed D3 easing curve, assembled into a closed outward-and-return loop.'),
    ('ease_anticipate', 256, 1, 'x -0.779997 to 0.65',
     'An attributed D3 easing curve, assembled into a closed outward-and-return loop.'),
    ('ease_overshoot', 256, 1, 'x -0.65 to 0.779997',
     'An attributed D3 easing curve, assembled into a closed outward-and-return loop.'),
    ('ease_elastic', 256, 1, 'x -0.612492 to 0.8',
     'Original windowed, decaying oscillation; not a copied D3 curve. Peak scaled to .8.'),
    ('akwf_round_saw', 256, 1, 'x -0.85 to 0.588115',
     'AKWF_R_asym_saw_05_256.h: an actual CC0 waveform slowed to a four-beat position loop.'),
    ('akwf_quick_return', 256, 1, 'x -0.808009 to 0.85',
     'AKWF_R_asym_saw_15_256.h: an actual CC0 waveform slowed to a four-beat position loop.'),
    ('akwf_multi_lobe', 256, 1, 'x -0.661587 to 0.85',
     'AKWF_0001_256.h: an actual CC0 waveform slowed to a four-beat position loop.'),
    ('akwf_plateau', 256, 1, 'x -0.846846 to 0.85',
     'AKWF_0010_256.h: an actual CC0 waveform slowed to a four-beat position loop.'),
    ('groove_a_played', 512, 2, 'x -0.220435 to 0.674498; y -0.305881 to 0.485902',
     'Two-bar funk excerpt A (4–12 source beats), performed microtiming.'),
    ('groove_a_grid', 512, 2, 'x -0.220472 to 0.648819; y -0.306614 to 0.468031',
     'Two-bar funk excerpt A (4–12 source beats), same hits quantised to sixteenths.'),
    ('groove_b_played', 512, 2, 'x -0.306504 to 1; y -0.428659 to 0.419079',
     'Two-bar funk excerpt B (36–44 source beats), performed microtiming.'),
    ('groove_b_grid', 512, 2, 'x -0.283083 to 1; y -0.412142 to 0.37708',
     'Two-bar funk excerpt B (36–44 source beats), same hits quantised to sixteenths.'),
    ('lfo_twin_swell', 512, 2, 'x -0.32 to 0.2; y -0.85 to 0',
     'Two broad swells of unequal depth, with a gentle lateral answer. Eight beats.'),
    ('lfo_pulse_hold', 256, 1, 'x -0.35 to 0.8',
     'A smooth outward pulse, sustained plateau, smaller opposite recoil, and rest.'),
    ('lfo_sweep_ratchet', 512, 2, 'x -0.75 to 0.75; y -0.65 to 0',
     'A slow lateral sweep followed by three decaying vertical ratchets; no reset jump.'),
    ('lfo_triplet_wobble', 512, 2, 'x -0.80421 to 0.80421; y -0.22 to 0.22',
     'Three rounded oscillations per two beats, breathing in depth over an eight-beat phrase.'),
    ('lfo_breathing_orbit', 512, 2, 'x -0.78 to 0.78; y -0.343963 to 0.343963',
     'A closed ellipse expands and contracts twice during its eight-beat revolution.'),
    ('lfo_seeded_drift', 1024, 2, 'x -0.710649 to 0.787097; y -0.609781 to 0.396659',
     'Two independently seeded smooth random lanes; irregular-looking but exactly periodic and seekable.'),
    ('lfo_pendulum_dwell', 512, 2, 'x -0.78 to 0.78; y -0.22 to 0.22',
     'Rounded saturation slows the pendulum near either side; a shallow arc connects the turns.'),
    ('lfo_reverse_swell', 512, 2, 'x -0.24 to 0.24; y -0.82 to 0',
     'A long anticipatory rise, quick softened return, and two diminishing aftershocks.'),
    ('path_lissajous_2_3', 512, 2, 'x -0.78 to 0.78; y -0.68 to 0.68',
     'Two horizontal cycles cross three vertical cycles in a closed eight-beat Lissajous path.'),
    ('path_rose_4', 512, 2, 'x -0.82 to 0.82; y -0.82 to 0.82',
     'A signed radial oscillation draws four petals, passing through the centre between them.'),
    ('path_rose_5', 512, 2, 'x -0.670012 to 0.82; y -0.781432 to 0.781432',
     'Five petals in one complete eight-beat traversal; the odd-petal parameter runs through pi, not two pi.'),
    ('path_bowed_diamond', 512, 2, 'x -0.8 to 0.8; y -0.8 to 0.8',
     'An astroid-shaped loop with inward-curved edges and naturally slow corners.'),
    ('path_orbit_dwell', 512, 2, 'x -0.8 to 0.8; y -0.599994 to 0.599994',
     'An ellipse whose phase slows to zero speed at the loop boundary and accelerates through the opposite side.'),
    ('path_torus_knot', 1024, 3, 'x -0.611817 to 0.76; y -0.719942 to 0.719942; z -0.36 to 0.36',
     'Two turns around the axis and three through the tube. XYZ is retained; the demo projects depth.'),
    ('path_woven_3d', 1024, 3, 'x -0.72 to 0.72; y -0.64 to 0.64; z -0.48 to 0.48',
     'Independent two-, three-, and five-cycle XYZ oscillations close after sixteen beats.'),
    ('path_crank_slider', 256, 2, 'x -0.78 to 0.78; y -0.3 to 0.3',
     'Horizontal slider-crank travel with rod length three and crank radius one; vertical motion follows the crank tip.'),
    ('rhythm_five_four', 512, 2, 'x -0.72 to 0.72; y -0.68 to 0.68',
     '5 lateral hits against four vertical hits per four beats; two bars preserve alternating directions.'),
    ('rhythm_seven_four', 512, 2, 'x -0.72 to 0.72; y -0.68 to 0.68',
     '7 lateral hits against four vertical hits per four beats; two bars preserve alternating directions.'),
    ('rhythm_euclid_7_16', 512, 2, 'x -0.76 to 0.76; y -0.3 to 0',
     '7 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight beats.'),
    ('rhythm_euclid_5_16', 512, 2, 'x -0.76 to 0.76; y -0.3 to 0',
     '5 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight beats.'),
    ('rhythm_swung_answer', 256, 2, 'x -0.78 to 0.78; y -0.3 to 0',
     'A two-to-one swung call on the right, answered on the left; four beats and eight peak-aligned gestures.'),
    ('rhythm_group_332', 512, 2, 'x -0.76 to 0.76; y -0.38 to 0',
     'Groups of three, three, and two eighth notes. Six alternating accents make an eight-beat loop.'),
    ('rhythm_group_223', 448, 2, 'x -0.74 to 0.74; y -0.4 to 0',
     'Two 7/8 bars grouped as 2+2+3 eighth notes: a seven-quarter-note loop, not forced into four beats.'),
    ('rhythm_three_four_five', 512, 3, 'x 0 to 0.7; y -0.7 to 0; z 0 to 0.55',
     'Three X, four Y, and five Z gestures share an eight-beat phrase, with exact rational peak times.'),
]

ROW_BY_NAME = {row[0]: row for row in FIRST_PACK_ROWS}


def stored(name):
    period = ROW_BY_NAME[name][1]
    return [pipmoves.sample(name, i).as_tuple() for i in range(period)]


def test_rows_stand_in_order_after_the_procedural_patterns():
    first = catalogue_index(PACKS["initial"]["first_row"])
    rows = pipmoves.catalogue()[first:first + len(FIRST_PACK_ROWS)]
    assert [(r["name"], r["period_pips"], r["dimensions"], r["description"]) for r in rows] == [
        (name, period, dimensions, description) for name, period, dimensions, _, description in FIRST_PACK_ROWS]


@pytest.mark.parametrize(("name", "period", "dimensions", "ranges", "description"), FIRST_PACK_ROWS)
def test_rows_meet_their_stated_ranges(name, period, dimensions, ranges, description):
    samples = stored(name)
    stated = parse_ranges(ranges)
    for axis in range(3):
        values = [s[axis] for s in samples]
        if axis not in stated:
            assert set(values) == {0.0}, f"{name} moves axis {axis}"
            continue
        _, _, low_text, high_text, _ = stated[axis]
        assert shows_as(min(values), low_text), (name, axis, min(values), low_text)
        assert shows_as(max(values), high_text), (name, axis, max(values), high_text)


def euclid_pulses(k, n, span, amplitude_x, amplitude_y, half_width):
    onsets = [math.ceil(j * n / k) * span / n for j in range(k)]
    return [(t, half_width, (amplitude_x * (1 if j % 2 == 0 else -1), amplitude_y, 0.0)) for j, t in enumerate(onsets)]


def sticking(hands, accents, period=256):
    return [(j * period / 12, 28 / 3, (0.82 * w * (1 if hand == "R" else -1), -0.42 * w, 0.0))
            for j, hand in enumerate(hands.replace(" ", ""))
            for w in [1.0 if j in accents else 0.6]]


def bounce_out(t):
    b0 = 121 / 16
    if t < 4 / 11:
        return b0 * t * t
    if t < 8 / 11:
        return b0 * (t - 6 / 11) ** 2 + 3 / 4
    if t < 10 / 11:
        return b0 * (t - 9 / 11) ** 2 + 15 / 16
    return b0 * (t - 21 / 22) ** 2 + 63 / 64


def group_pulses(starts, weights, x, y):
    return [(t, 16, (x * w * (1 if j % 2 == 0 else -1), y * w, 0.0)) for j, (t, w) in enumerate(zip(starts, weights))]


RULES = {
    "lfo_breathe": lambda i: (0.8 * math.sin(phase(i, 256)), 0, 0),
    "lfo_flower": lambda i: (0.56 * math.cos(phase(i, 512)) - 0.28 * math.cos(2 * phase(i, 512)),
                             0.56 * math.sin(phase(i, 512)) + 0.28 * math.sin(2 * phase(i, 512)), 0),
    "path_torus_knot": lambda i: ((0.54 + 0.22 * math.cos(3 * phase(i, 1024))) * math.cos(2 * phase(i, 1024)),
                                  (0.54 + 0.22 * math.cos(3 * phase(i, 1024))) * math.sin(2 * phase(i, 1024)),
                                  0.36 * math.sin(3 * phase(i, 1024))),
    "path_crank_slider": lambda i: (0.78 * (math.cos(phase(i, 256)) + math.sqrt(9 - math.sin(phase(i, 256)) ** 2) - 3),
                                    0.3 * math.sin(phase(i, 256)), 0),
    "lfo_soft_gate": lambda i: (keyframe_curve([(0, -0.8), (32, 0.8), (128, 0.8), (160, -0.8), (256, -0.8)], i), 0, 0),
    "lfo_double_pump": lambda i: (0, keyframe_curve([(0, 0), (32, -0.85), (64, 0), (96, -0.55), (128, 0), (256, 0)], i), 0),
    "ease_rebound": lambda i: (-0.65 + 1.3 * bounce_out(i / 128) if i < 128 else 0.65 - 1.3 * smoothstep((i - 128) / 128), 0, 0),
    "rhythm_euclid_5_12": lambda i: pulse_train(euclid_pulses(5, 12, 256, 0.8, -0.3, 12), i, 256),
    "rudiment_six_stroke": lambda i: pulse_train(sticking("RLLRRL LRRLLR", {0, 5, 6, 11}), i, 256),
    "rhythm_group_223": lambda i: pulse_train(
        group_pulses([0, 64, 128, 224, 288, 352], [1, 0.7, 0.85, 1, 0.7, 0.85], 0.74, -0.4), i, 448),
    "rhythm_swung_answer": lambda i: pulse_train(
        [p for b in range(4) for s in [1 if b < 2 else -1]
         for p in [(64 * b, 8, (0.78 * s, -0.3, 0)), (64 * b + 128 / 3, 8, (0.6 * 0.78 * s, 0.6 * -0.3, 0))]], i, 256),
}


@pytest.mark.parametrize("name", RULES)
def test_rule_rows_match_an_independent_recomputation(name):
    want = table(RULES[name], ROW_BY_NAME[name][1])
    have = stored(name)
    for i, (w, h) in enumerate(zip(want, have)):
        assert all(abs(a - b) <= 1e-12 for a, b in zip(w, h)), (name, i, w, h)


@pytest.mark.parametrize(("name", "pip", "want"), [
    ("lfo_breathe", 0, (0.0, 0.0, 0.0)),
    ("lfo_breathe", 64, (0.8, 0.0, 0.0)),
    ("lfo_breathe", 128, (0.0, 0.0, 0.0)),
    ("lfo_breathe", 192, (-0.8, 0.0, 0.0)),
    ("ease_rebound", 0, (-0.65, 0.0, 0.0)),
    ("ease_rebound", 128, (0.65, 0.0, 0.0)),
    ("ease_rebound", 192, (0.0, 0.0, 0.0)),
])
def test_exact_samples(name, pip, want):
    assert pipmoves.sample(name, pip).as_tuple() == want


def test_euclid_onset_falls_between_pips():
    assert pipmoves.sample("rhythm_euclid_5_12", 107).x == pytest.approx(0.798478, abs=5e-7)
    assert pipmoves.sample("rhythm_euclid_5_12", 107).x != 0.8


def test_seven_eight_groups_loop_every_seven_beats():
    first = pipmoves.sample("rhythm_group_223", 0).as_tuple()
    assert pipmoves.sample("rhythm_group_223", 448).as_tuple() == first
    assert pipmoves.sample("rhythm_group_223", -448).as_tuple() == first


@pytest.mark.parametrize("name", ["groove_b_played", "groove_b_grid"])
def test_groove_b_reaches_the_largest_stored_x(name):
    assert max(s[0] for s in stored(name)) == 1.0


def test_grid_grooves_peak_on_sixteenths():
    for name in ("groove_a_grid", "groove_b_grid"):
        samples = stored(name)
        peak = max(range(512), key=lambda i: samples[i][0])
        assert peak % 16 == 0, (name, peak)


@pytest.mark.parametrize("name", ["lfo_morph", "lfo_flower"])
def test_range_ends_of_the_pip_grid(name):
    assert pipmoves.sample(name, -2**31).as_tuple() == pipmoves.sample(name, 0).as_tuple()
    assert pipmoves.sample(name, 2**31 - 1).as_tuple() == pipmoves.sample(name, 511).as_tuple()


def test_waveform_rows_keep_the_shape_of_their_cycle():
    import pathlib
    data = pathlib.Path(__file__).resolve().parents[2] / "src" / "packs" / "data" / "akwf"
    for name, file in [("akwf_round_saw", "AKWF_R_asym_saw_05_256.csv"), ("akwf_plateau", "AKWF_0010_256.csv")]:
        cycle = [int(line) for line in (data / file).read_text().split()]
        xs = [s[0] for s in stored(name)]
        # An affine map keeps the order of the samples and their proportions.
        gain = (max(xs) - min(xs)) / (max(cycle) - min(cycle))
        for value, x in zip(cycle, xs):
            assert abs(min(xs) + (value - min(cycle)) * gain - x) < 1e-11
        assert max(abs(min(xs)), abs(max(xs))) == 0.85
