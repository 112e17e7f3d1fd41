import math
from collections import Counter

import pytest

import pipmoves
from groove_tables import CLUB_GROOVES, CLUB_MOVES, club_rows, parse_ranges, shows_as
from pack_layout import PACKS, catalogue_index

CLUB_ROWS = club_rows()


def catalogue_names():
    return [row["name"] for row in pipmoves.catalogue()]


def club_catalogue():
    rows = pipmoves.catalogue()
    first = catalogue_names().index("beat_four_floor_bounce")
    return rows[first:first + len(CLUB_ROWS)]


def table(name, period):
    return [pipmoves.sample(name, pip).as_tuple() for pip in range(period)]


def test_rows_are_the_grid_of_grooves_and_moves_in_order():
    have = [(r["name"], r["description"], r["period_pips"], r["dimensions"]) for r in club_catalogue()]
    want = [row[:4] for row in CLUB_ROWS]
    assert len(want) == 144 == 36 * 4
    for w, h in zip(want, have):
        assert h == w


def test_row_first_plus_4g_plus_m_is_groove_g_with_move_m():
    names = catalogue_names()
    first = catalogue_index(PACKS["club"]["first_row"])
    for g, (groove, *_rest) in enumerate(CLUB_GROOVES):
        for m, (move, _, _) in enumerate(CLUB_MOVES):
            assert names[first + 4 * g + m] == f"beat_{groove}_{move}"


def test_club_rows_stand_together_and_only_the_dancefloor_follows():
    names = catalogue_names()
    first = names.index("beat_four_floor_bounce")
    assert names[first + 143] == "beat_amapiano_glide"
    after = names[first + 144:]
    assert after == [] or after[0] == "beat_four_floor_surge"


def test_descriptions_of_grooves_without_a_note_end_in_full_stop_and_space():
    have = {r["name"]: r["description"] for r in club_catalogue()}
    bare = [g for g, _, _, _, note in CLUB_GROOVES if note is None]
    assert len(bare) == 18
    for groove in bare:
        for move, _, _ in CLUB_MOVES:
            assert have[f"beat_{groove}_{move}"].endswith(". ")
            assert not have[f"beat_{groove}_{move}"].endswith("  ")


@pytest.mark.parametrize("name, description", [
    ("beat_house_classic_step", "House / kick-clap-offbeat hat \u2014 Snare side-step. "),
    ("beat_four_floor_bounce", "Four to the floor / bare pulse \u2014 Kick-led bounce. Equal quarter-note kicks only. "
                               "This shared foundation is not itself a complete genre."),
])
def test_quoted_descriptions(name, description):
    have = {r["name"]: r["description"] for r in club_catalogue()}
    assert have[name] == description


def test_pack_aggregates():
    rows = club_catalogue()
    assert len(rows) == 144
    assert sum(r["period_pips"] for r in rows) == 79_872
    assert Counter(r["period_pips"] for r in rows) == {256: 4, 512: 124, 768: 4, 1024: 12}
    dims = Counter(r["dimensions"] for r in rows)
    assert (dims[1], dims[2], dims[3]) == (0, 45, 99)
    assert len({r["description"] for r in rows}) == 144
    assert sum(r["description"].endswith(" ") for r in rows) == 72


@pytest.mark.parametrize("move, label, ranges", CLUB_MOVES)
def test_each_move_spans_its_stated_range_over_the_pack(move, label, ranges):
    lows = [math.inf] * 3
    highs = [-math.inf] * 3
    for groove, period, *_ in CLUB_GROOVES:
        for sample in table(f"beat_{groove}_{move}", period):
            for axis in range(3):
                lows[axis] = min(lows[axis], sample[axis])
                highs[axis] = max(highs[axis], sample[axis])
    for axis, (low, high) in parse_ranges(ranges).items():
        assert shows_as(lows[axis], low), f"{move} axis {axis}: want {low}, have {lows[axis]!r}"
        assert shows_as(highs[axis], high), f"{move} axis {axis}: want {high}, have {highs[axis]!r}"


def test_only_four_floor_bounce_keeps_x_at_zero():
    still = [name for name, _, period, _, _ in CLUB_ROWS if all(x == 0.0 for x, _, _ in table(name, period))]
    assert still == ["beat_four_floor_bounce"]


# The kick rule, recomputed: an asymmetric raised cosine with the kick's
# attack and release half-widths in beats of 64 pips.
KICK_ATTACK = 0.1 * 64
KICK_RELEASE = 0.46 * 64
FOUR_FLOOR_KICKS = [0, 64, 128, 192]


def loop_distance(i, t, period):
    d = math.fmod(i - t, period)
    if d < -period / 2:
        d += period
    if d >= period / 2:
        d -= period
    return d


def kick_shape(d):
    if -KICK_ATTACK < d <= 0:
        return (1 + math.cos(math.pi * d / KICK_ATTACK)) / 2
    if 0 <= d < KICK_RELEASE:
        return (1 + math.cos(math.pi * d / KICK_RELEASE)) / 2
    return 0.0


def four_floor(i, amplitude):
    """Sum of the four kicks, amplitude(j) giving kick j's (x, y, z)."""
    total = [0.0, 0.0, 0.0]
    for j, t in enumerate(FOUR_FLOOR_KICKS):
        w = kick_shape(loop_distance(i, t, 256))
        for axis, a in enumerate(amplitude(j)):
            total[axis] += a * w
    return total


def assert_table_matches(name, rule):
    for pip in range(256):
        have = pipmoves.sample(name, pip).as_tuple()
        want = [round(v, 12) + 0.0 for v in rule(pip)]
        for axis in range(3):
            assert abs(have[axis] - want[axis]) <= 1e-12, f"{name} pip {pip} axis {axis}: {want} vs {have}"


def test_four_floor_bounce_is_the_kick_rule_at_every_pip():
    assert_table_matches("beat_four_floor_bounce", lambda i: four_floor(i, lambda j: (0.0, 0.55, 0.0)))


def test_four_floor_step_is_the_kick_rule_with_alternating_sides():
    assert_table_matches("beat_four_floor_step",
                         lambda i: four_floor(i, lambda j: (0.42 if j % 2 == 0 else -0.42, -0.22, 0.0)))


def test_four_floor_orbit_turns_once_a_bar_at_the_kick_radius():
    def orbit(i):
        swell = sum(kick_shape(loop_distance(i, t, 256)) for t in FOUR_FLOOR_KICKS)
        r = 0.58 * (0.6 + 0.4 * swell)
        theta = 2 * math.pi * i / 256
        return (r * math.cos(theta), r * math.sin(theta), 0.0)
    assert_table_matches("beat_four_floor_orbit", orbit)
    for pip, want in [(0, (0.58, 0.0)), (64, (0.0, 0.58)), (128, (-0.58, 0.0)), (192, (0.0, -0.58))]:
        s = pipmoves.sample("beat_four_floor_orbit", pip)
        assert (s.x, s.y, s.z) == (*want, 0.0)


def test_four_floor_bounce_edge_values():
    y = [pipmoves.sample("beat_four_floor_bounce", pip).y for pip in range(256)]
    assert y[0] == 0.55 and y[64] == 0.55
    assert all(v == 0.0 for v in y[30:58])
    assert y[58] == pytest.approx(0.005284, abs=5e-7)
    assert y[29] > 0.0


def test_four_floor_step_at_pip_60():
    s = pipmoves.sample("beat_four_floor_step", 60)
    assert s.x == pytest.approx(-0.129636, abs=5e-7)
    assert s.y == pytest.approx(-0.067905, abs=5e-7)
    assert s.z == 0.0
    assert pipmoves.sample("beat_four_floor_step", 0).x == 0.42
    assert pipmoves.sample("beat_four_floor_step", 64).x == -0.42
    assert pipmoves.sample("beat_four_floor_step", 128).x == 0.42
    assert pipmoves.sample("beat_four_floor_step", 192).x == -0.42


def test_techno_polymeter_loops_after_three_bars():
    name = "beat_techno_polymeter_orbit"
    zero = pipmoves.sample(name, 0).as_tuple()
    assert pipmoves.sample(name, 768).as_tuple() == zero
    assert pipmoves.sample(name, -768).as_tuple() == zero
    assert pipmoves.sample(name, 256).as_tuple() != zero
