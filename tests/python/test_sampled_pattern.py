import math

import pytest

import pipmoves
from integer_likes import Index, Integral

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
BAD_NAME = "Invalid pattern name"
BAD_COUNT = "A pattern requires 1..65535 samples (one per pip)"
BAD_SAMPLE = "Pattern samples must be finite and within [-1, 1]"
RAMP = [(i / 8, -i / 8, i / 16) for i in range(5)]


def refused(message, name="p", description="", samples=RAMP):
    with pytest.raises(ValueError) as caught:
        pipmoves.SampledPattern(name, description, samples)
    assert type(caught.value) is ValueError
    assert str(caught.value) == message


def test_one_sample_at_every_pip():
    pattern = pipmoves.SampledPattern("p", "", [(0.0, 1.0, 0.0)])
    assert pattern.period_pips == 1
    for pip in (0, 5, -1, INT32_MIN, INT32_MAX):
        assert pattern.sample(pip).as_tuple() == (0.0, 1.0, 0.0)


def test_properties():
    pattern = pipmoves.SampledPattern("pulse_2", "Two-pip pulse", RAMP)
    assert (pattern.name, pattern.description, pattern.period_pips) == ("pulse_2", "Two-pip pulse", 5)
    assert type(pattern.period_pips) is int


@pytest.mark.parametrize(("pip", "index"), [
    (0, 0), (4, 4), (5, 0), (-1, 4), (-5, 0), (INT32_MIN, INT32_MIN % 5), (INT32_MAX, INT32_MAX % 5),
])
def test_sample_wraps_the_pip(pip, index):
    pattern = pipmoves.SampledPattern("p", "", RAMP)
    assert pattern.sample(pip).as_tuple() == RAMP[index]


def test_sample_returns_new_offsets():
    pattern = pipmoves.SampledPattern("p", "", RAMP)
    first, second = pattern.sample(1), pattern.sample(1)
    assert type(first) is pipmoves.Offset3
    assert first is not second
    assert first.as_tuple() == second.as_tuple()


def test_samples_keep_their_bits():
    samples = [(-0.0, 5e-324, 1.0), (0.1, -0.0, -1.0)]
    pattern = pipmoves.SampledPattern("p", "", samples)
    for pip, want in enumerate(samples):
        have = pattern.sample(pip).as_tuple()
        assert have == want
        assert [math.copysign(1.0, v) for v in have] == [math.copysign(1.0, v) for v in want]


@pytest.mark.parametrize("samples", [
    [(0.0, 1.0, 0.0)],
    [[0.0, 1.0, 0.0]],
    ((0, 1, 0),),
    [pipmoves.SampledPattern("q", "", [(0.0, 1.0, 0.0)]).sample(0).as_tuple()],
    (triple for triple in [(0.0, 1.0, 0.0)]),
    {(0.0, 1.0, 0.0): None}.keys(),
    [(Index(0), True, 0.0)],
])
def test_triple_forms(samples):
    assert pipmoves.SampledPattern("p", "", samples).sample(0).as_tuple() == (0.0, 1.0, 0.0)


def test_offsets_given_through_as_tuple():
    offsets = [pipmoves.bounce(pip) for pip in range(0, 64, 8)]
    pattern = pipmoves.SampledPattern("p", "", [o.as_tuple() for o in offsets])
    assert [pattern.sample(i).as_tuple() for i in range(8)] == [o.as_tuple() for o in offsets]


@pytest.mark.parametrize("samples", [
    [(0.0, 1.0)],
    [(0.0, 1.0, 0.0, 0.0)],
    [()],
    [pipmoves.bounce(0)],
    [pipmoves.bounce(0), pipmoves.bounce(1)],
    ["abc"],
    [b"abc"],
    [(0.0, "1", 0.0)],
    [(0.0, None, 0.0)],
    "abc",
    None,
    pipmoves.bounce(0),
])
def test_samples_that_do_not_convert(samples):
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        pipmoves.SampledPattern("p", "", samples)


def test_conversion_comes_before_every_check():
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        pipmoves.SampledPattern("P", "", [(0.0, 1.0)])


@pytest.mark.parametrize(("name", "description"), [
    ("\udcff", ""), ("p", "\udcff"), (None, ""), ("p", None), (1, ""),
])
def test_strings_that_do_not_convert(name, description):
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        pipmoves.SampledPattern(name, description, RAMP)


@pytest.mark.parametrize("name", ["p", "pulse_2", "a0123456789_", "q" * 128, b"pulse", bytearray(b"pulse")])
def test_valid_names(name):
    have = pipmoves.SampledPattern(name, "", RAMP).name
    assert type(have) is str
    assert have.encode() == (name if isinstance(name, (bytes, bytearray)) else name.encode())


@pytest.mark.parametrize("name", [
    "", "q" * 129, "P", "Pulse", "1pulse", "_pulse", "pulse-2", "pulse 2", "pulse.2", "caf\u00e9", b"a\xff",
    "a\x00b",
])
def test_invalid_names(name):
    refused(BAD_NAME, name=name)


@pytest.mark.parametrize("count", [1, 65535])
def test_count_accepted(count):
    assert pipmoves.SampledPattern("p", "", [(0.0, 0.0, 0.0)] * count).period_pips == count


@pytest.mark.parametrize("count", [0, 65536])
def test_count_refused(count):
    refused(BAD_COUNT, samples=[(0.0, 0.0, 0.0)] * count)


@pytest.mark.parametrize("axis", [0, 1, 2])
@pytest.mark.parametrize("value", [1.0, -1.0, 5e-324, -0.0])
def test_component_accepted(axis, value):
    triple = [0.0, 0.0, 0.0]
    triple[axis] = value
    assert pipmoves.SampledPattern("p", "", [tuple(triple)]).sample(0).as_tuple()[axis] == value


@pytest.mark.parametrize("axis", [0, 1, 2])
@pytest.mark.parametrize("value", [math.nextafter(1.0, 2.0), math.nextafter(-1.0, -2.0), math.nan, math.inf,
                                   -math.inf, 2])
def test_component_refused(axis, value):
    triple = [0.0, 0.0, 0.0]
    triple[axis] = value
    refused(BAD_SAMPLE, samples=[(0.0, 0.0, 0.0), tuple(triple)])


@pytest.mark.parametrize(("name", "samples", "want"), [
    ("Bad", [], BAD_NAME),
    ("Bad", [(math.nan, 0.0, 0.0)], BAD_NAME),
    ("p", [(math.nan, 0.0, 0.0)] * 65536, BAD_COUNT),
])
def test_order_of_checks(name, samples, want):
    refused(want, name=name, samples=samples)


def test_every_parameter_by_keyword():
    pattern = pipmoves.SampledPattern(samples=RAMP, description="d", name="p")
    assert pattern.sample(pip_count=6).as_tuple() == RAMP[1]


@pytest.mark.parametrize("pip", [1, True, Index(1)])
def test_sample_pip_forms(pip):
    assert pipmoves.SampledPattern("p", "", RAMP).sample(pip).as_tuple() == RAMP[1]


@pytest.mark.parametrize("pip", [1.0, Integral(1), 2**31, INT32_MIN - 1, "1", None])
def test_sample_pip_without_implicit_conversion(pip):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.SampledPattern("p", "", RAMP).sample(pip)


@pytest.mark.parametrize("description", ["", "Pulse \u00e9", b"plain", bytearray(b"plain"), "\x00 inside"])
def test_description_is_free_text(description):
    have = pipmoves.SampledPattern("p", description, RAMP).description
    assert have.encode() == (description if isinstance(description, (bytes, bytearray)) else description.encode())


@pytest.mark.parametrize("description", [b"\xff", bytearray(b"ok \xc3")])
def test_description_that_is_not_utf8_fails_when_read(description):
    pattern = pipmoves.SampledPattern("p", description, RAMP)
    assert pattern.period_pips == 5
    with pytest.raises(UnicodeDecodeError):
        pattern.description
    assert pattern.sample(0).as_tuple() == RAMP[0]


class TestSurface:
    def test_members_in_registration_order(self):
        own = [name for name in vars(pipmoves.SampledPattern) if not name.startswith("_")]
        assert own == ["name", "description", "period_pips", "sample"]
        for name in ("__repr__", "__eq__", "__hash__", "__len__", "__iter__", "__getstate__", "__reduce__"):
            assert name not in vars(pipmoves.SampledPattern)

    @pytest.mark.parametrize("name", ["name", "description", "period_pips"])
    def test_properties_are_read_only(self, name):
        pattern = pipmoves.SampledPattern("p", "", RAMP)
        with pytest.raises(AttributeError):
            setattr(pattern, name, getattr(pattern, name))
        assert not getattr(pipmoves.SampledPattern, name).__doc__

    def test_has_no_instance_dict_and_no_docstring(self):
        with pytest.raises(AttributeError):
            pipmoves.SampledPattern("p", "", RAMP).colour = "red"
        assert pipmoves.SampledPattern.__doc__ is None

    def test_may_be_subclassed(self):
        class Tagged(pipmoves.SampledPattern):
            pass

        assert Tagged("p", "", RAMP).sample(-1).as_tuple() == RAMP[4]


def test_generated_signatures():
    cls = pipmoves.SampledPattern
    assert cls.__init__.__doc__.splitlines()[0] == (
        "__init__(self: pipmoves.SampledPattern, name: str, description: str, samples: collections.abc.Sequence["
        'typing.Annotated[collections.abc.Sequence[typing.SupportsFloat | typing.SupportsIndex], "FixedSize(3)"]]'
        ") -> None")
    assert cls.sample.__doc__.splitlines()[0] == "sample(self: pipmoves.SampledPattern, pip_count: int) -> pipmoves.Offset3"
    for name, result in {"name": "str", "description": "str", "period_pips": "int"}.items():
        assert getattr(cls, name).fget.__doc__.splitlines()[0] == f"(self: pipmoves.SampledPattern) -> {result}"
