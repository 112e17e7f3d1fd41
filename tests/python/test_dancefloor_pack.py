import math
from collections import Counter

import pytest

import pipmoves
from groove_tables import (CLUB_GROOVES, DANCEFLOOR_CLUB_MOVES, DANCEFLOOR_GROOVES, NEW_MOVES, club_rows,
                           dancefloor_rows, parse_ranges, shows_as)
from pack_layout import PACKS, ROWS, catalogue_index, family

DANCEFLOOR_ROWS = dancefloor_rows()
PERIODS = {groove: period for groove, period, *_ in CLUB_GROOVES} | {groove: 512 for groove, _ in DANCEFLOOR_GROOVES}


def catalogue_names():
    return [row["name"] for row in pipmoves.catalogue()]


def dancefloor_catalogue():
    rows = pipmoves.catalogue()
    first = catalogue_names().index("beat_four_floor_surge")
    return rows[first:first + len(DANCEFLOOR_ROWS)]


def full_catalogue():
    rows = pipmoves.catalogue()
    assert len(rows) == catalogue_index(len(ROWS))
    return rows


def test_rows_are_the_two_grids_in_order():
    have = [(r["name"], r["description"], r["period_pips"], r["dimensions"]) for r in dancefloor_catalogue()]
    want = [row[:4] for row in DANCEFLOOR_ROWS]
    assert len(want) == 944 == 36 * 12 + 32 * 16
    for w, h in zip(want, have):
        assert h == w


def test_dancefloor_is_the_last_pack():
    names = catalogue_names()
    assert names[-1] == "beat_dembow_push_ricochet"
    assert names.index("beat_four_floor_surge") == len(names) - 944


def test_row_numbers():
    names = [row["name"] for row in full_catalogue()]
    first = catalogue_index(PACKS["dancefloor"]["first_row"])
    for g, (groove, *_rest) in enumerate(CLUB_GROOVES):
        for m, (move, *_more) in enumerate(NEW_MOVES):
            assert names[first + 12 * g + m] == f"beat_{groove}_{move}"
    moves = [m for m, *_ in DANCEFLOOR_CLUB_MOVES + NEW_MOVES]
    own = catalogue_index(family(f"dancefloor groove {DANCEFLOOR_GROOVES[0][0]}")["first_row"])
    assert own == first + 12 * len(CLUB_GROOVES)
    for g, (groove, _) in enumerate(DANCEFLOOR_GROOVES):
        for m, move in enumerate(moves):
            assert names[own + 16 * g + m] == f"beat_{groove}_{move}"


@pytest.mark.parametrize("name, description", [
    ("beat_four_floor_surge", "Four to the floor / bare pulse \u2014 Forward surge. Kick thrust through depth with "
                              "contrasting snare lift and hat detail."),
    ("beat_jersey_five_glide", "Jersey / five-kick foundation \u2014 Bass / phrase glide. Original Club 05 continuous "
                               "phrase path with bass excursions."),
])
def test_quoted_descriptions(name, description):
    have = {r["name"]: r["description"] for r in dancefloor_catalogue()}
    assert have[name] == description


def test_no_description_ends_in_a_space():
    assert not any(r["description"].endswith(" ") for r in dancefloor_catalogue())


def test_pack_aggregates():
    rows = dancefloor_catalogue()
    assert len(rows) == 944
    assert sum(r["period_pips"] for r in rows) == 501_760
    assert Counter(r["period_pips"] for r in rows) == {256: 12, 512: 884, 768: 12, 1024: 36}
    dims = Counter(r["dimensions"] for r in rows)
    assert (dims[1], dims[2], dims[3]) == (0, 4, 940)
    assert len({r["description"] for r in rows}) == 944


def test_club_rows_and_dancefloor_rows_share_grooves_but_not_moves():
    names = set(catalogue_names())
    club = {name for name, *_ in club_rows()}
    dancefloor = {name for name, *_ in DANCEFLOOR_ROWS}
    assert not club & dancefloor
    assert "beat_four_floor_bounce" in club and "beat_four_floor_surge" in dancefloor
    assert "beat_jersey_five_bounce" in dancefloor
    assert club | dancefloor <= names


def extremes(names):
    lows = [math.inf] * 3
    highs = [-math.inf] * 3
    where_low = [None] * 3
    where_high = [None] * 3
    for name in names:
        period = PERIODS[name.removeprefix("beat_").rsplit("_", 1)[0]]
        for pip in range(period):
            sample = pipmoves.sample(name, pip).as_tuple()
            for axis in range(3):
                if sample[axis] < lows[axis]:
                    lows[axis], where_low[axis] = sample[axis], name
                if sample[axis] > highs[axis]:
                    highs[axis], where_high[axis] = sample[axis], name
    return lows, highs, where_low, where_high


def assert_spans(move, ranges, lows, highs):
    for axis, (low, high) in parse_ranges(ranges).items():
        assert shows_as(lows[axis], low), f"{move} axis {axis}: want {low}, have {lows[axis]!r}"
        assert shows_as(highs[axis], high), f"{move} axis {axis}: want {high}, have {highs[axis]!r}"


@pytest.mark.parametrize("move, label, sentence, ranges", NEW_MOVES)
def test_each_new_move_spans_its_stated_range_over_the_pack(move, label, sentence, ranges):
    grooves = [g for g, *_ in CLUB_GROOVES] + [g for g, _ in DANCEFLOOR_GROOVES]
    lows, highs, _, _ = extremes([f"beat_{g}_{move}" for g in grooves])
    assert_spans(move, ranges, lows, highs)


@pytest.mark.parametrize("move, label, sentence, ranges", DANCEFLOOR_CLUB_MOVES)
def test_each_club_move_spans_its_stated_range_over_the_new_grooves(move, label, sentence, ranges):
    lows, highs, _, _ = extremes([f"beat_{g}_{move}" for g, _ in DANCEFLOOR_GROOVES])
    assert_spans(move, ranges, lows, highs)


def test_table_extremes_that_lie_here_are_exact():
    grooves = [g for g, *_ in CLUB_GROOVES] + [g for g, _ in DANCEFLOOR_GROOVES]
    lows, _, where_low, _ = extremes([f"beat_{g}_ricochet" for g in grooves])
    assert lows[0] == -0.85586587211
    assert lows[1] == -0.92
    _, highs, _, where_high = extremes([f"beat_{g}_dive" for g in grooves])
    assert highs[2] == 0.92


def test_no_other_row_of_these_packs_goes_beyond_those_extremes():
    names = [name for name, *_ in club_rows() + DANCEFLOOR_ROWS]
    lows, highs, _, _ = extremes(names)
    assert lows[0] == -0.85586587211
    assert lows[1] == -0.92
    assert highs[2] == 0.92
    assert highs[0] <= 1.0 and highs[1] <= 0.85 and lows[2] >= -0.819999514101


def test_every_new_move_row_moves_all_three_axes():
    for name, _, period, _, move in DANCEFLOOR_ROWS:
        if move in ("bounce", "step", "orbit", "glide"):
            continue
        samples = [pipmoves.sample(name, pip).as_tuple() for pip in range(0, period, 4)]
        for axis in range(3):
            assert len({s[axis] for s in samples}) > 1, f"{name} holds axis {axis} still"


def test_techno_polymeter_rows_reduce_by_remainder():
    rows = [r for r in dancefloor_catalogue() if r["name"].startswith("beat_techno_polymeter_")]
    assert len(rows) == 12
    for row in rows:
        assert row["period_pips"] == 768
        name = row["name"]
        assert pipmoves.sample(name, -1).as_tuple() == pipmoves.sample(name, 767).as_tuple()
        assert pipmoves.sample(name, -2**31).as_tuple() == pipmoves.sample(name, (-2**31) % 768).as_tuple()
        assert pipmoves.sample(name, 2**31 - 1).as_tuple() == pipmoves.sample(name, (2**31 - 1) % 768).as_tuple()


def test_longest_name_of_the_table():
    names = catalogue_names()
    longest = max(len(n) for n in names)
    assert longest == 32
    assert [n for n in names if len(n) == 32] == ["beat_jungle_switchback_corkscrew"]


# ---- the whole catalogue ---------------------------------------------------

def test_catalogue_descriptions_end_in_a_space_only_in_the_72_club_rows():
    rows = pipmoves.catalogue()
    assert sum(r["description"].endswith(" ") for r in rows) == 72


def test_em_dashes_only_in_club_and_dancefloor_rows():
    grooves = {name for name, *_ in club_rows() + DANCEFLOOR_ROWS}
    for row in pipmoves.catalogue():
        assert ("\u2014" in row["description"]) == (row["name"] in grooves), row["name"]


def test_full_catalogue_rows_and_last_row():
    rows = full_catalogue()
    assert len(rows) == 1731
    assert rows[-1]["name"] == "beat_dembow_push_ricochet"
    assert rows[catalogue_index(0)]["name"] == "lfo_breathe"


def test_full_catalogue_holds_1271_distinct_descriptions():
    rows = full_catalogue()
    assert len({r["description"] for r in rows[catalogue_index(0):]}) == 1271
