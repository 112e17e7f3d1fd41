import math
import re
import struct

import pytest

import pipmoves
import pipmoves_play as play
from integer_likes import Index


def bits(rows):
    return [struct.pack("<3d", *row) for row in rows]


def rows_of(buffer):
    return [tuple(row) for row in memoryview(buffer).tolist()]


def doubles(rows, columns=3):
    """A writable memoryview of float64 rows, without numpy."""
    return memoryview(bytearray(8 * columns * rows)).cast("d", (rows, columns))


@pytest.mark.parametrize("how", [{}, {"phase_step": 24}, {"from_centre": True},
                                 {"phase_step": -5, "from_centre": True, "alternate": "reverse"}])
def test_stage_positions_evenly_spaced_in_order_play_as_the_order_does(how):
    for n in (2, 7, 8):
        x = [-3.5 + 1.5 * i for i in range(n)]
        assert bits(rows_of(play.spread("lfo_breathe", 1000, n, stage_x=x, **how))) == bits(
            rows_of(play.spread("lfo_breathe", 1000, n, **how)))


def test_stage_positions_phase_by_place_from_a_patch():
    rig = {"fixtures": [
        {"name": f"h{i}", "universe": 1, "address": 1 + 4 * i, "position": [x, 0.0, 3.0],
         "layout": {"channels": ["pan", "pan_fine", "tilt", "tilt_fine"], "pan_range": 540, "tilt_range": 270}}
        for i, x in enumerate([6.0, 0.0, 5.0, 1.0])]}
    patch = play.Patch(rig)
    assert patch.stage_x == (6.0, 0.0, 5.0, 1.0)
    # Places 3, 0, 2.5, 0.5 of 0..3: a fan over circle's 64 pips lags 48, 0, 40, 8.
    want = [pipmoves.sample("circle", 100 - lag).as_tuple() for lag in (48, 0, 40, 8)]
    assert bits(rows_of(play.spread("circle", 100, len(patch), stage_x=patch.stage_x))) == bits(want)


@pytest.mark.parametrize(("stage_x", "message"), [
    ([1.0, 2.0], "Stage positions must be one per fixture"),
    ([1.0, math.nan, 2.0], "Stage positions must be finite"),
])
def test_stage_positions_are_one_per_fixture_and_finite(stage_x, message):
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        play.spread("bounce", 0, 3, stage_x=stage_x)


def test_a_spread_fills_a_callers_buffer_and_returns_it():
    out = doubles(6)
    fade = play.CrossFade("circle", "figure_eight", 0, 64)
    for pattern in ("figure_eight", play.Pattern("helix"), fade):
        for pip in (-7, 0, 33, 2**31 - 1):
            got = play.spread(pattern, pip, 6, from_centre=True, alternate="mirror_x", out=out)
            assert got is out
            assert bits(out.tolist()) == bits(rows_of(play.spread(pattern, pip, 6, from_centre=True,
                                                                  alternate="mirror_x")))


def test_numpy_arrays_are_filled_in_place():
    np = pytest.importorskip("numpy")
    out = np.zeros((64, 3))
    assert play.spread("lfo_breathe", 5, 64, out=out) is out
    assert (out == np.asarray(play.spread("lfo_breathe", 5, 64))).all()


@pytest.mark.parametrize(("out", "error", "message"), [
    (doubles(5), ValueError, "out must be shaped (fixtures, 3)"),
    (doubles(6, 2), ValueError, "out must be shaped (fixtures, 3)"),
    (memoryview(bytearray(8 * 18)).cast("d"), ValueError, "out must be shaped (fixtures, 3)"),
    (memoryview(bytes(8 * 18)).cast("d", (6, 3)), TypeError, "out must be a writable C-contiguous buffer of float64 rows of three"),
    (memoryview(bytearray(4 * 18)).cast("f", (6, 3)), TypeError, "out must be a writable C-contiguous buffer of float64 rows of three"),
    (doubles(12)[::2], TypeError, "out must be a writable C-contiguous buffer of float64 rows of three"),
    ([[0.0] * 3] * 6, TypeError, "out must be a writable C-contiguous buffer of float64 rows of three"),
])
def test_a_buffer_that_cannot_take_the_rows_is_refused_untouched(out, error, message):
    with pytest.raises(error, match=f"^{re.escape(message)}$"):
        play.spread("bounce", 0, 6, out=out)


def test_a_misaligned_buffer_is_refused():
    raw = memoryview(bytearray(8 * 18 + 1))[1:].cast("d", (6, 3))
    with pytest.raises(TypeError, match="^out must be a writable C-contiguous buffer of float64 rows of three$"):
        play.spread("bounce", 0, 6, out=raw)


@pytest.mark.parametrize("call", [
    lambda: play.spread(pattern="circle", pip=5, fixtures=4, phase_step=3),
    lambda: play.spread("circle", Index(5), Index(4), phase_step=Index(3)),
    lambda: play.spread("circle", 5, 4, phase_step=3, stage_x=[0, 1, 2, 3]),
    lambda: play.spread(b"circle", 5, 4, phase_step=3, alternate="none", from_centre=False, out=None),
])
def test_every_way_of_passing_the_arguments_gives_the_same_spread(call):
    assert bits(rows_of(call())) == bits(rows_of(play.spread("circle", 5, 4, phase_step=3)))


@pytest.mark.parametrize("call", [
    lambda: play.spread("circle", 5, 4, colour="red"),
    lambda: play.spread("circle", 5, 4, 3),
    lambda: play.spread("circle", 5, fixtures=4, pip=5),
    lambda: play.spread("circle", 5, 4, from_centre="yes"),
    lambda: play.spread(3, 5, 4),
])
def test_arguments_spread_does_not_take_are_type_errors(call):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        call()


def test_a_refusal_reads_as_it_always_did():
    with pytest.raises(ValueError, match="^Unknown alternation: Reverse$"):
        play.spread("bounce", 0, 4, alternate="Reverse", out=doubles(4))
    with pytest.raises(ValueError, match="^Count must not be negative$"):
        play.spread("bounce", 0, -1)
    with pytest.raises(ValueError, match="^Unknown pipmove: nope$"):
        play.spread("nope", 0, 4, out=doubles(4))
