"""The continuum pack as the catalogue and the samplers show it: names, order,
descriptions, periods, dimensions and each family's ranges."""

import functools
import math

import pytest

import pipmoves
from pack_rules import parse_ranges, shows_as

PAIRS = ["1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5"]


LADDERS = [
    "2_3_4_6", "3_5_4_2", "2_5_3_7", "4_3_6_5", "2_4_7_3", "3_6_2_5", "5_3_7_4", "6_4_3_2",
    "2_7_4_5", "7_3_5_2", "4_7_3_6", "5_2_6_3", "3_4_5_7", "6_5_4_3", "7_5_3_4", "4_6_7_5",
]
DIALOGUES = [
    "3_4_5", "5_3_4", "3_5_2", "2_5_4", "4_3_2", "3_2_4_5", "5_2_3_4", "2_3_5_3",
    "3_4_3_5", "5_4_2_3", "2_4_5_2", "4_5_3_2", "3_5_4_3", "5_3_2_5", "2_5_3_5", "4_3_5_4",
]
RHYTHMIC_PREFIXES = ("canon_", "echo_", "ladder_", "necklace_", "accent_walk_", "triplet_", "dialogue_", "burst_")


def numbered(prefix):
    return [f"{prefix}{n:02d}" for n in range(1, 17)]


# name list, period(s), dimensions (one per row), ranges as printed, description
FAMILIES = [
    dict(
        names=[f"ribbon_{pair}_{width}" for width in ("slim", "deep") for pair in PAIRS],
        periods=1024, dims=[3] * 16,
        ranges="x -0.82 to 0.82; y -0.7636 to 0.7636; z -0.2576 to 0.2576",
        description="A curved elliptical spine with variable radial width and linked depth deflection.",
    ),
    dict(
        names=numbered("contour_shaped_"), periods=1024, dims=[2] * 8 + [3] * 8,
        ranges="x -0.82 to 0.82; y -0.593 to 0.6027; z -0.148 to 0.094",
        description="Signed-power oval edges with local ripples and an asymmetric bow.",
    ),
    dict(
        names=numbered("silhouette_harmonic_"), periods=1024, dims=[3] * 16,
        ranges="x -0.82 to 0.82; y -0.6982 to 0.6868; z -0.079 to 0.0805",
        description="Three unequal harmonic components, with cross-axis phases and a small linked depth term.",
    ),
    dict(
        names=["spline_" + shape for shape in (
            "kite", "hourglass", "hook", "crown", "bow", "crooked_cross", "asymmetric_star", "scoop",
            "rising_kite", "twisted_bow", "cup", "bridge", "double_bay", "slanted_loop", "fork", "folded_crown")],
        periods=512, dims=[2] * 8 + [3] * 8,
        ranges="x, y -0.82 to 0.82; z -0.6337 to 0.728",
        description="Periodic cubic tangents connect asymmetrical controls with unequal segment times.",
    ),
    dict(
        names=["tour_" + suffix for suffix in (
            "5_2", "7_2", "7_3", "8_3", "9_2", "9_4", "10_3", "11_2",
            "11_3", "11_4", "12_5", "13_2", "13_3", "13_4", "13_5", "14_3")],
        periods=1024, dims=[2] * 8 + [3] * 8,
        ranges="x -0.6154 to 0.82; y -0.5031 to 0.5239; z -0.1912 to 0.1912",
        description="A noncircular vertex tour with eased corners and alternating dwell lengths.",
    ),
    dict(
        names=[f"scan_{style}_{count}" for count in (3, 4, 5, 6) for style in ("flat", "bowed", "tilted", "depth")],
        periods=1024, dims=[2, 2, 2, 3] * 4,
        ranges="x -0.82 to 0.8036; y -0.779 to 0.82; z -0.1213 to 0.3105",
        description="An eased serpentine scan and an explicit outer return to the starting point.",
    ),
    dict(
        names=[f"reach_{shape}_{count}" for count in (3, 4, 5, 7) for shape in ("scoop", "hook", "lift", "recoil")],
        periods=1024, dims=[2, 2, 3, 2] * 4,
        ranges="x -0.82 to 0.82; y -0.741 to 0.6828; z -0.3931 to 0.3931",
        description="Separate shaped reaches depart from and settle at a shared centre, without reset jumps.",
    ),
    dict(
        names=[f"surface_{pair}_{size}" for size in ("low", "wide") for pair in PAIRS],
        periods=1024, dims=[3] * 16,
        ranges="x -0.7207 to 0.82; y -0.7854 to 0.7854; z -0.7757 to 0.7757",
        description="A varying-radius surface path with coupled longitude and latitude; all three coordinates are retained.",
    ),
    dict(
        names=["braid_" + suffix for suffix in (
            "1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5",
            "1_6", "2_7", "3_7", "4_5", "4_7", "5_6", "5_7", "5_8")],
        periods=1024, dims=[3] * 16,
        ranges="x -0.82 to 0.82; y -0.8132 to 0.8132; z -0.4127 to 0.4221",
        description="An offset tube centreline and a rolling cross-section with a second depth ripple.",
    ),
    dict(
        names=numbered("arm_coupled_"), periods=1024, dims=[2] * 8 + [3] * 8,
        ranges="x -0.82 to 0.82; y -0.82 to 0.1722; z -0.1768 to 0.1761",
        description="Tip position of two kinematically driven links; not a dynamics simulation or anatomical model.",
    ),
    dict(
        names=numbered("dwell_phrase_"), periods=1024, dims=[3] * 16,
        ranges="x, y -0.7614 to 0.82; z -0.4613 to 0.5125",
        description="Two unequal lift-and-hold gestures, a transfer and a settling return; "
                    "holds have finite musical duration.",
    ),
    dict(
        names=[f"packet_{style}_{count}" for count in (2, 3, 4, 5)
               for style in ("alternating", "cascading", "crossing", "depth")],
        periods=512, dims=[2, 2, 2, 3] * 4,
        ranges="x -0.82 to 0.82; y -0.2756 to 0.2756; z -0.3472 to 0.3472",
        description="Compact, smooth-edged oscillation packets arranged around a closed phrase, with shaped side motion.",
    ),
    dict(
        names=[f"canon_{n:02d}_{delay}" for n in range(1, 9) for delay in ("close", "late")],
        periods=512, dims=[3] * 16,
        ranges="x -0.279 to 0.251; y -0.3109 to 0.03; z 0 to 0.258",
        description="A rational-beat motif passes between lateral and depth lanes, with an altered second-half response.",
    ),
    dict(
        names=[f"echo_{kind}_{count}" for count in (3, 4, 5, 6)
               for kind in ("regular", "shrinking", "expanding", "crossed")],
        periods=512, dims=[3] * 16,
        ranges="x -0.31 to 0.2407; y -0.2656 to 0.2601; z -0.072 to 0.2202",
        description="An original decaying call and a differently directed answer; echo spacing is preserved as fractions.",
    ),
    dict(
        names=["ladder_" + suffix for suffix in LADDERS],
        periods=512, dims=[3] * 16,
        ranges="x -0.31 to 0.29; y -0.32 to 0.05; z 0 to 0.32",
        description="Four two-beat regions change subdivision density while accents mark region starts.",
    ),
    dict(
        names=numbered("necklace_"), periods=512, dims=[3] * 16,
        ranges="x -0.248 to 0.1015; y -0.096 to 0.0222; z 0 to 0.1592",
        description="A hand-authored binary accent word; its complement moves the other side and rising accents add depth.",
    ),
    dict(
        names=["accent_walk_" + suffix for suffix in (
            "5_1", "5_2", "7_1", "7_2", "7_3", "8_1", "8_3", "9_1",
            "9_2", "9_4", "10_3", "11_2", "11_3", "12_5", "13_3", "13_5")],
        periods=1024, dims=[3] * 16,
        ranges="x -0.2561 to 0.3139; y -0.1185 to 0.0104; z 0 to 0.1536",
        description="A four-bar grid keeps its pulse spacing while a two-accent motif migrates between bars.",
    ),
    dict(
        names=[f"triplet_{n:02d}_{ending}" for n in range(1, 9) for ending in ("answer", "turnaround")],
        periods=512, dims=[3] * 16,
        ranges="x -0.2945 to 0.1872; y -0.192 to 0.0323; z 0 to 0.2072",
        description="Triplet-grid gestures with deliberate omissions; gaps either answer off-grid or rotate after four beats.",
    ),
    dict(
        names=["dialogue_" + suffix for suffix in DIALOGUES],
        periods=[384, 384, 320, 352, 288, 448, 448, 416, 480, 448, 416, 448, 480, 480, 480, 512], dims=[3] * 16,
        ranges="x -0.31 to 0.29; y -0.32 to 0.135; z -0.0405 to 0.32",
        description="Different eighth-note group lengths pass a phrase between directions, with late pickup responses.",
    ),
    dict(
        names=["burst_" + suffix for suffix in (
            "3_5_2", "4_3_6", "5_2_4", "2_7_3", "3_4_5", "5_3_7", "6_2_5", "4_7_2",
            "7_3_4", "2_5_6", "5_7_3", "3_6_4", "4_5_7", "6_3_5", "7_4_3", "5_6_2")],
        periods=512, dims=[3] * 16,
        ranges="x -0.279 to 0.2671; y -0.288 to 0.24; z -0.072 to 0.1891",
        description="Three unevenly subdivided directional bursts, deliberate gaps and a late settling accent.",
    ),
]
FAMILY_IDS = [family["names"][0].split("_")[0] for family in FAMILIES]
PACK_NAMES = [name for family in FAMILIES for name in family["names"]]


def periods_of(family):
    periods = family["periods"]
    return periods if isinstance(periods, list) else [periods] * len(family["names"])


@functools.cache
def catalogue():
    return {row["name"]: row for row in pipmoves.catalogue()}


@functools.cache
def table(name):
    period = catalogue()[name]["period_pips"]
    return tuple(pipmoves.sample(name, pip).as_tuple() for pip in range(period))


def test_rows_stand_together_in_family_order():
    names = [row["name"] for row in pipmoves.catalogue()]
    first = names.index(PACK_NAMES[0])
    assert names[first:first + len(PACK_NAMES)] == PACK_NAMES


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_every_row_carries_the_family_description(family):
    for name in family["names"]:
        assert catalogue()[name]["description"] == family["description"], name


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_periods_and_dimensions(family):
    have = [(catalogue()[n]["period_pips"], catalogue()[n]["dimensions"]) for n in family["names"]]
    assert have == list(zip(periods_of(family), family["dims"]))


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_dimensions_follow_the_samples(family):
    for name in family["names"]:
        samples = table(name)
        moving = 3 if any(z != 0 for _, _, z in samples) else 2 if any(y != 0 for _, y, _ in samples) else 1
        assert moving == catalogue()[name]["dimensions"], name


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_family_ranges_and_still_axes(family):
    ranges = parse_ranges(family["ranges"])
    for axis, label in enumerate("xyz"):
        values = [sample[axis] for name in family["names"] for sample in table(name)]
        if axis not in ranges:
            assert set(values) == {0.0}, label
            continue
        _, _, low, high, within = ranges[axis]
        assert not within
        assert shows_as(min(values), low), (label, "want", low, "have", min(values))
        assert shows_as(max(values), high), (label, "want", high, "have", max(values))


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_every_loop_closes_without_a_jump(family):
    for name in family["names"]:
        samples = table(name)
        for axis in range(3):
            steps = [abs(samples[i][axis] - samples[i - 1][axis]) for i in range(1, len(samples))]
            seam = abs(samples[0][axis] - samples[-1][axis])
            assert seam <= max(steps), (name, "xyz"[axis], "seam", seam, "largest step", max(steps))


@pytest.mark.parametrize("family", FAMILIES, ids=FAMILY_IDS)
def test_samples_are_stored_to_twelve_decimals(family):
    for name in family["names"]:
        for sample in table(name):
            for v in sample:
                assert round(v, 12) == v, (name, v)
                assert -1.0 <= v <= 1.0, (name, v)
                assert v != 0.0 or math.copysign(1.0, v) == 1.0, (name, "negative zero")


def test_the_pack_holds_320_rows_of_twenty_families_of_sixteen():
    assert len(FAMILIES) == 20
    assert all(len(family["names"]) == 16 for family in FAMILIES)
    assert len(set(PACK_NAMES)) == 320


def test_pack_aggregates():
    rows = [catalogue()[name] for name in PACK_NAMES]
    assert sum(row["period_pips"] for row in rows) == 252_544
    periods = {}
    for row in rows:
        periods[row["period_pips"]] = periods.get(row["period_pips"], 0) + 1
    assert periods == {288: 1, 320: 1, 352: 1, 384: 2, 416: 2, 448: 4, 480: 4, 512: 129, 1024: 176}
    dims = [sum(1 for row in rows if row["dimensions"] == d) for d in (1, 2, 3)]
    assert dims == [0, 68, 252]


@pytest.mark.parametrize("prefix", RHYTHMIC_PREFIXES)
def test_rhythmic_studies_stay_small(prefix):
    names = [name for name in PACK_NAMES if name.startswith(prefix)]
    assert len(names) == 16
    largest = max(abs(v) for name in names for sample in table(name) for v in sample)
    assert largest <= 0.33


def test_packets_swing_to_the_full_lateral_peak():
    for name in PACK_NAMES:
        if name.startswith("packet_"):
            xs = [x for x, _, _ in table(name)]
            assert (min(xs), max(xs)) == (-0.82, 0.82), name


def peaks(values):
    """Indices of strict local maxima, around the loop."""
    n = len(values)
    return [i for i in range(n) if values[i] > values[i - 1] and values[i] > values[(i + 1) % n]]


def ladder_events(counts):
    """(event time, region start?) for four two-beat regions of equally spaced events."""
    return [(128 * r + e * 128 / count, e == 0) for r, count in enumerate(counts) for e in range(count)]


@pytest.mark.parametrize("suffix", ["2_3_4_6", "2_5_3_7", "6_4_3_2", "4_6_7_5"])
def test_ladder_events_peak_on_their_subdivisions(suffix):
    counts = [int(c) for c in suffix.split("_")]
    events = ladder_events(counts)
    depth = [z for _, _, z in table("ladder_" + suffix)]
    assert peaks(depth) == [round(t) for t, _ in events]
    for r in range(4):
        region = [depth[round(t)] for t, _ in events if 128 * r <= t < 128 * (r + 1)]
        assert region[0] > max(region[1:], default=0.0), ("region start is not the accent", r)


def test_ladder_2_3_4_6_events_where_the_rule_puts_them():
    events = [t for t, _ in ladder_events([2, 3, 4, 6])]
    assert events[:9] == [0, 64, 128, 128 + 128 / 3, 128 + 256 / 3, 256, 288, 320, 352]
    assert events[9:] == [384 + k * 128 / 6 for k in range(6)]


def dialogue_starts(groups):
    starts = [0]
    for length in groups[:-1]:
        starts.append(starts[-1] + 32 * length)
    return starts


@pytest.mark.parametrize("suffix", ["3_4_5", "4_3_2", "3_5_4_3", "4_3_5_4", "5_2_3_4"])
def test_dialogue_events_sit_on_eighths_with_accented_group_starts(suffix):
    groups = [int(c) for c in suffix.split("_")]
    samples = table("dialogue_" + suffix)
    assert len(samples) == 32 * sum(groups)
    depth = [z for _, _, z in samples]
    assert peaks(depth) == list(range(0, len(samples), 32))
    starts = dialogue_starts(groups)
    others = [depth[i] for i in range(0, len(samples), 32) if i not in starts]
    assert min(depth[s] for s in starts) > max(others)


@pytest.mark.parametrize("suffix", ["3_4_5", "4_3_2", "3_5_4_3", "4_3_5_4", "5_2_3_4"])
def test_dialogue_pickups_dip_in_depth_shortly_before_each_later_group(suffix):
    groups = [int(c) for c in suffix.split("_")]
    depth = [z for _, _, z in table("dialogue_" + suffix)]
    dips = peaks([-z for z in depth])
    assert dips == [start - 16 for start in dialogue_starts(groups)[1:]]
    assert all(depth[i] < 0 for i in dips)


def test_dialogue_3_4_5_pickups_at_80_and_208():
    depth = [z for _, _, z in table("dialogue_3_4_5")]
    assert [i for i, z in enumerate(depth) if z < 0 and z <= min(depth[i - 1], depth[(i + 1) % len(depth)])] == [80, 208]
