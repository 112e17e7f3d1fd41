"""The continuum pack as the catalogue and the samplers show it: names, order,
descriptions, periods, dimensions and each family's ranges."""

import functools
import math

import pytest

import pipmoves

PAIRS = ["1_2", "1_3", "1_4", "1_5", "2_3", "2_5", "3_4", "3_5"]


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
]
FAMILY_IDS = [family["names"][0].split("_")[0] for family in FAMILIES]
PACK_NAMES = [name for family in FAMILIES for name in family["names"]]


def periods_of(family):
    periods = family["periods"]
    return periods if isinstance(periods, list) else [periods] * len(family["names"])


def parse_ranges(text):
    """{axis: (low text, high text)} from e.g. "x, y -0.82 to 0.82; z 0 to 0.3"."""
    ranges = {}
    for clause in text.split("; "):
        words = clause.replace(",", "").split()
        low, to, high = words[-3:]
        assert to == "to"
        for axis in words[:-3]:
            ranges[axis] = (low, high)
    return ranges


def shows_as(value, printed):
    decimals = len(printed.split(".")[1]) if "." in printed else 0
    slack = 0.5 * 10.0 ** -decimals if decimals else 0.0
    return abs(value - float(printed)) <= slack + 5e-13


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
        if label not in ranges:
            assert set(values) == {0.0}, label
            continue
        low, high = ranges[label]
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
