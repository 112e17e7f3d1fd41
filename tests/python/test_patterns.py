import math

import pytest

import pipmoves
from integer_likes import Index, Integral

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
PERIODS = {
    "bounce": 64, "sway": 128, "circle": 64, "figure_eight": 128, "step_touch": 128,
    "box_step": 256, "helix": 256, "clay_background": 256, "single_stroke_roll": 64,
    "double_stroke_roll": 64, "multiple_bounce_roll": 64, "single_paradiddle": 128,
    "flam": 64, "drag": 64, "five_stroke_roll": 128,
}


def bits(values):
    """Tuples that compare bit for bit: 0.0 and -0.0 differ."""
    return tuple((v, math.copysign(1.0, v)) for v in values)


@pytest.mark.parametrize(("name", "pip", "want"), [
    ("bounce", 0, (-1.0, 0.0, 0.0)),
    ("bounce", 32, (1.0, 0.0, 0.0)),
    ("bounce", -1, (-0.9375, 0.0, 0.0)),
    ("sway", 96, (-1.0, 0.0, 0.0)),
    ("circle", 16, (1.0, 0.0, 0.0)),
    ("step_touch", 0, (-1.0, -0.0, 0.0)),
    ("step_touch", 48, (0.5, -0.35, 0.0)),
    ("box_step", -1, (-1.0, -0.9985504150390625, 0.0)),
    ("clay_background", 100, (-1.0, 0.8999999999999999, 0.0)),
    ("clay_background", 23, (2 / 14, -0.1, 0.0)),
    ("single_paradiddle", 4, (1.0, -0.72, 0.0)),
    ("double_stroke_roll", 20, (-0.88, -0.6335999999999999, 0.0)),
    ("five_stroke_roll", 107, (-1.0, -0.72, 0.0)),
])
def test_exact_samples(name, pip, want):
    have = getattr(pipmoves, name)(pip).as_tuple()
    assert bits(have) == bits(want)


def test_step_touch_glides_back_to_its_first_station():
    assert pipmoves.step_touch(127).x == -0.99713134765625


@pytest.mark.parametrize("name", PERIODS)
@pytest.mark.parametrize("pip", [INT32_MIN, INT32_MIN + 1, -1, 1000, INT32_MAX - 1, INT32_MAX])
def test_pip_reduces_to_its_period(name, pip):
    pattern = getattr(pipmoves, name)
    assert bits(pattern(pip).as_tuple()) == bits(pattern(pip & (PERIODS[name] - 1)).as_tuple())


@pytest.mark.parametrize("pip", [True, Index(1), Integral(1)])
def test_integer_like_pips_are_accepted(pip):
    assert pipmoves.bounce(pip).as_tuple() == pipmoves.bounce(1).as_tuple()


@pytest.mark.parametrize("pip", [INT32_MIN, INT32_MAX, Index(INT32_MIN)])
def test_range_ends_are_accepted(pip):
    assert len(pipmoves.bounce(pip).as_tuple()) == 3


class FloatSubclass(float):
    pass


@pytest.mark.parametrize("pip", [
    32.0, FloatSubclass(32.0), 2**31, INT32_MIN - 1, Index(2**31), Integral(INT32_MIN - 1), "32", None,
])
def test_other_pips_are_refused(pip):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.bounce(pip)


@pytest.mark.parametrize("call", [
    lambda: pipmoves.bounce(pip=32),
    lambda: pipmoves.bounce(arg0=32),
    lambda: pipmoves.bounce(),
    lambda: pipmoves.bounce(1, 2),
])
def test_pip_is_one_positional_argument(call):
    with pytest.raises(TypeError):
        call()
