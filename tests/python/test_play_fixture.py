import math

import pytest

import pipmoves
import pipmoves_play as play

PAN, TILT = 540.0, 270.0


def float64_rows(*values):
    """A plain memoryview of float64 rows of three, without numpy."""
    flat = memoryview(bytearray(8 * len(values))).cast("d")
    for i, value in enumerate(values):
        flat[i] = value
    return flat.cast("B").cast("d", (len(values) // 3, 3))


def offset(x, y):
    """A pipmoves.Offset3 with these x and y, from a one-sample pattern."""
    return pipmoves.SampledPattern("p", "", [(x, y, 0.5)]).sample(0)


@pytest.mark.parametrize(("x", "y", "angles", "dmx"), [
    (-1.0, -1.0, (0.0, 0.0), (0, 0, 0, 0)),
    (1.0, 1.0, (PAN, TILT), (255, 255, 255, 255)),
    (0.0, 0.0, (270.0, 135.0), (128, 0, 128, 0)),
    (0.5, -0.5, (405.0, 67.5), (0xBF, 0xFF, 0x40, 0x00)),
])
def test_one_position_at_both_ends_and_the_centre(x, y, angles, dmx):
    fixture = play.Fixture(PAN, TILT)
    assert fixture.angles(offset(x, y)) == angles
    assert fixture.dmx(offset(x, y)) == dmx


def test_profile_options_reach_the_core():
    fixture = play.Fixture(360, 180, home_pan_degrees=300, home_tilt_degrees=0, size=0.5, invert_tilt=True)
    assert fixture.angles(offset(-1.0, -1.0)) == (210.0, 45.0)
    assert fixture.dmx(offset(1.0, 1.0)) == (255, 255, 0, 0)  # clamped at both ends, never wrapped
    assert play.Fixture(PAN, TILT, invert_pan=True).dmx(offset(-1.0, 0.0)) == (255, 255, 128, 0)


def test_rows_map_like_single_positions():
    fixture = play.Fixture(PAN, TILT, size=0.8)
    frames = play.spread("circle", 5, 8)
    angles, dmx = memoryview(fixture.angles(frames)), memoryview(fixture.dmx(frames))
    assert (angles.format, angles.shape, dmx.format, dmx.shape) == ("d", (8, 2), "B", (8, 4))
    assert angles.c_contiguous and dmx.c_contiguous and angles.readonly and dmx.readonly
    positions = memoryview(frames).tolist()
    assert [tuple(row) for row in angles.tolist()] == [fixture.angles(offset(x, y)) for x, y, _ in positions]
    assert [tuple(row) for row in dmx.tolist()] == [fixture.dmx(offset(x, y)) for x, y, _ in positions]
    assert len(fixture.dmx(play.render("bounce", 0, 0))) == 0
    assert memoryview(play.Fixture(PAN, TILT).dmx(float64_rows(1.0, -1.0, 0.0))).tolist() == [[255, 255, 0, 0]]


def test_any_float64_buffer_of_three_columns_maps_strided_or_not():
    np = pytest.importorskip("numpy")
    fixture = play.Fixture(PAN, TILT)
    table = np.array([[x / 4, -x / 8, 9.0] for x in range(-4, 5)])
    want = np.asarray(fixture.dmx(play.render(pipmoves.SampledPattern("t", "", table.clip(-1, 1).tolist()), 0, 9)))
    assert (np.asarray(fixture.dmx(table)) == want).all()
    wide = np.zeros((9, 6))
    wide[:, ::2] = table
    assert (np.asarray(fixture.dmx(wide[:, ::2])) == want).all()
    assert (np.asarray(fixture.dmx(table[::-1])) == want[::-1]).all()


def test_a_broadcast_view_is_refused_by_its_rows_before_any_copy():
    np = pytest.importorskip("numpy")
    huge = np.broadcast_to(np.zeros(3), (2**40, 3))  # a few bytes posing as 2^40 rows
    with pytest.raises(ValueError, match="^Too many rows: at most 16777216$"):
        play.Fixture(PAN, TILT).dmx(huge)
    assert len(play.Fixture(PAN, TILT).angles(np.broadcast_to(np.array([1.0, -1.0, 0.0]), (5, 3)))) == 5


@pytest.mark.parametrize("positions", [
    "frames", [[0.0, 0.0, 0.0]], (0.0, 0.0, 0.0), b"\0" * 24,
])
def test_what_is_not_a_buffer_of_positions_is_a_type_error(positions):
    with pytest.raises(TypeError):
        play.Fixture(PAN, TILT).dmx(positions)


@pytest.mark.parametrize("shape_or_type", [("float32", (2, 3)), ("float64", (2, 2)), ("float64", (6,)), ("int64", (2, 3))])
def test_buffers_of_another_type_or_shape_are_refused_by_message(shape_or_type):
    np = pytest.importorskip("numpy")
    dtype, shape = shape_or_type
    with pytest.raises(TypeError, match="^Positions must be a buffer of float64 rows of three$"):
        play.Fixture(PAN, TILT).angles(np.zeros(shape, dtype=dtype))


@pytest.mark.parametrize(("call", "message"), [
    (lambda: play.Fixture(0, TILT), "Pan and tilt ranges must be finite and positive"),
    (lambda: play.Fixture(PAN, math.inf), "Pan and tilt ranges must be finite and positive"),
    (lambda: play.Fixture(PAN, TILT, home_pan_degrees=541), "Home must be finite and within the fixture's range"),
    (lambda: play.Fixture(PAN, TILT, home_tilt_degrees=-1), "Home must be finite and within the fixture's range"),
    (lambda: play.Fixture(PAN, TILT, size=1.5), "Size must be finite and within [0, 1]"),
    (lambda: play.Fixture(PAN, TILT, size=math.nan), "Size must be finite and within [0, 1]"),
    (lambda: play.Fixture(PAN, TILT).dmx(float64_rows(0.0, 0.0, 0.0, 0.0, math.nan, 0.0)), "Positions must be finite"),
    (lambda: play.Fixture(PAN, TILT).angles(float64_rows(math.inf, 0.0, 0.0)), "Positions must be finite"),
])
def test_refusals_are_value_errors_with_the_message(call, message):
    with pytest.raises(ValueError) as caught:
        call()
    assert type(caught.value) is ValueError
    assert str(caught.value) == message

