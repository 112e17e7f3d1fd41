import math

import pytest

import pipmoves
from integer_likes import Index, Integral

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
BAD_IDENTIFIER = "Invalid identifier"
BAD_TIMING = "A finite positive BPM and beat origin are required"
BAD_SIZE = "Empty recording or recording resource limit exceeded"
OUTSIDE = "Pip outside non-looping recording"


def take(**changes):
    args = {"name": "take", "dimensions": ["x", "y"], "samples": [[0.5, -0.5], [1.0, 0.0]], "bpm": 120.0}
    return pipmoves.SampledRecording(**{**args, **changes})


def refused(message, **changes):
    with pytest.raises(ValueError) as caught:
        take(**changes)
    assert type(caught.value) is ValueError
    assert str(caught.value) == message


def test_builds_with_defaults():
    recording = pipmoves.SampledRecording("take", ["x", "y"], [[0.5, -0.5], [1.0, 0.0]], 120.0)
    assert recording.name == "take"
    assert recording.sample_count == 2
    assert recording.bpm == 120.0
    assert type(recording.beat_zero_seconds) is float and recording.beat_zero_seconds == 0.0
    assert type(recording.start_pip) is int and recording.start_pip == 0
    assert recording.sample(0) == [0.5, -0.5]
    assert recording.sample(1) == [1.0, 0.0]


def test_every_parameter_by_keyword():
    recording = pipmoves.SampledRecording(
        start_pip=-1000, beat_zero_seconds=-5.0, bpm=90, samples=[[0.25]], dimensions=["pan"], name="t")
    assert (recording.name, recording.dimensions, recording.bpm, recording.beat_zero_seconds,
            recording.start_pip) == ("t", ["pan"], 90.0, -5.0, -1000)
    assert recording.sample(pip=-1000) == [0.25]


def test_sample_outside_span_is_index_error():
    recording = take()
    for pip in (2, -1, INT32_MIN, INT32_MAX):
        with pytest.raises(IndexError) as caught:
            recording.sample(pip)
        assert type(caught.value) is IndexError
        assert str(caught.value) == OUTSIDE


def test_span_from_start_pip():
    recording = take(samples=[[0.1, 0.2], [0.3, 0.4], [0.5, 0.6]], start_pip=10)
    assert recording.sample_count == 3
    assert recording.sample(10) == [0.1, 0.2]
    assert recording.sample(12) == [0.5, 0.6]
    for pip in (9, 13):
        with pytest.raises(IndexError, match=f"^{OUTSIDE}$"):
            recording.sample(pip)


def test_results_are_new_objects():
    recording = take()
    first, second = recording.dimensions, recording.dimensions
    assert first == ["x", "y"] and type(first) is list
    assert first is not second
    first.append("z")
    assert recording.dimensions == ["x", "y"]
    row = recording.sample(0)
    assert row is not recording.sample(0)
    row[0] = 0.0
    assert recording.sample(0) == [0.5, -0.5]
    assert all(type(v) is float for v in recording.sample(0))


def test_values_keep_their_bits():
    values = [-0.0, 5e-324, 1.0, -1.0, 0.1]
    recording = take(dimensions=list("abcde"), samples=[values])
    assert [math.copysign(1.0, v) for v in recording.sample(0)] == [math.copysign(1.0, v) for v in values]
    assert recording.sample(0) == values


@pytest.mark.parametrize("name", ["take", b"take", bytearray(b"take")])
def test_name_forms(name):
    assert take(name=name, dimensions=[b"x", bytearray(b"y")]).name == "take"
    assert take(name=name, dimensions=[b"x", bytearray(b"y")]).dimensions == ["x", "y"]


@pytest.mark.parametrize("samples", [
    ((0.5, -0.5), (1.0, 0.0)),
    [[0.5, -0.5], (1, 0)],
    (row for row in [[0.5, -0.5], [1.0, 0.0]]),
    [[0.5, -0.5], {1.0: "a", 0.0: "b"}.keys()],
])
def test_sample_table_forms(samples):
    assert take(samples=samples).sample(1) == [1.0, 0.0]


@pytest.mark.parametrize("changes", [
    {"dimensions": "xy"},
    {"dimensions": b"xy"},
    {"dimensions": ["x", 1]},
    {"dimensions": ["x", "\udcff"]},
    {"name": "\udcff"},
    {"name": None},
    {"samples": "ab"},
    {"samples": ["ab", "cd"]},
    {"samples": [[0.5, "0.5"], [1.0, 0.0]]},
    {"samples": [[0.5, None], [1.0, 0.0]]},
    {"samples": 3},
    {"bpm": "120"},
    {"bpm": None},
    {"beat_zero_seconds": "0"},
    {"start_pip": 3.0},
    {"start_pip": 2**31},
    {"start_pip": INT32_MIN - 1},
    {"start_pip": "3"},
])
def test_arguments_that_do_not_convert(changes):
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        take(**changes)


def test_conversion_comes_before_every_check():
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        take(name="Bad", bpm=0.0, samples=[[0.5, "x"]])


@pytest.mark.parametrize(("changes", "want"), [
    ({"bpm": 120}, 120.0),
    ({"bpm": Index(90)}, 90.0),
    ({"bpm": True}, 1.0),
    ({"bpm": 1e-300}, 1e-300),
])
def test_bpm_forms(changes, want):
    recording = take(**changes)
    assert type(recording.bpm) is float
    assert recording.bpm == want


@pytest.mark.parametrize("start_pip", [3, True, Index(3), Integral(3)])
def test_start_pip_converts_implicitly(start_pip):
    assert take(start_pip=start_pip).start_pip == int(start_pip)


@pytest.mark.parametrize("pip", [0, False, Index(0)])
def test_sample_pip_forms(pip):
    assert take().sample(pip) == [0.5, -0.5]


@pytest.mark.parametrize("pip", [0.0, Integral(0), 2**31, INT32_MIN - 1, "0", None])
def test_sample_pip_without_implicit_conversion(pip):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        take().sample(pip)


@pytest.mark.parametrize("name", ["t", "take_2", "t" * 128])
def test_valid_names(name):
    assert take(name=name).name == name


@pytest.mark.parametrize("name", ["", "t" * 129, "Take", "2take", "_take", "take-2", "take 2", "t\u00e9", b"t\xff"])
def test_invalid_names(name):
    refused(BAD_IDENTIFIER, name=name)


@pytest.mark.parametrize("changes", [
    {"bpm": 0.0}, {"bpm": -0.0}, {"bpm": -120.0}, {"bpm": math.nan}, {"bpm": math.inf}, {"bpm": -math.inf},
    {"bpm": 1e-307}, {"bpm": 5e-324},
    {"beat_zero_seconds": math.nan}, {"beat_zero_seconds": math.inf}, {"beat_zero_seconds": -math.inf},
])
def test_timing_refused(changes):
    refused(BAD_TIMING, **changes)


@pytest.mark.parametrize("beat_zero_seconds", [-5.0, 0.0, -0.0, 1e300])
def test_beat_origin_accepted(beat_zero_seconds):
    assert take(beat_zero_seconds=beat_zero_seconds).beat_zero_seconds == beat_zero_seconds


@pytest.mark.parametrize("changes", [
    {"dimensions": [], "samples": [[]]},
    {"samples": []},
    {"start_pip": INT32_MAX - 1},
    {"start_pip": INT32_MAX},
])
def test_size_refused(changes):
    refused(BAD_SIZE, **changes)


def test_span_may_end_on_the_last_pip():
    recording = take(start_pip=INT32_MAX - 2)
    assert recording.sample(INT32_MAX - 1) == [1.0, 0.0]
    with pytest.raises(IndexError):
        recording.sample(INT32_MAX)


def test_value_limit_with_three_axes():
    rows = 8388608 // 3
    assert take(dimensions=["x", "y", "z"], samples=[[0.0, 0.0, 0.0]] * rows).sample_count == rows
    # The size check counts rows before it looks at them.
    refused(BAD_SIZE, dimensions=["x", "y", "z"], samples=[[]] * (rows + 1))


@pytest.mark.parametrize(("dimensions", "want"), [
    (["x", "y", "x"], "Duplicate axis"),
    (["x", "Y"], BAD_IDENTIFIER),
    (["1x"], BAD_IDENTIFIER),
    (["x-y"], BAD_IDENTIFIER),
    (["x", "Bad", "x"], BAD_IDENTIFIER),
    (["x", "x", "Bad"], "Duplicate axis"),
])
def test_axis_names_refused(dimensions, want):
    refused(want, dimensions=dimensions, samples=[[0.0] * len(dimensions)])


@pytest.mark.parametrize(("samples", "want"), [
    ([[0.5, 2.0], [0.1]], "Invalid sample"),
    ([[0.5], [0.1, 0.2]], "Ragged recording"),
    ([[0.5, 0.5, 0.5]], "Ragged recording"),
    ([[0.0, math.nan]], "Invalid sample"),
    ([[math.inf, 0.0]], "Invalid sample"),
    ([[0.0, -math.inf]], "Invalid sample"),
    ([[math.nextafter(1.0, 2.0), 0.0]], "Invalid sample"),
    ([[0.0, math.nextafter(-1.0, -2.0)]], "Invalid sample"),
])
def test_rows_refused(samples, want):
    refused(want, samples=samples)


@pytest.mark.parametrize(("changes", "want"), [
    ({"name": "Bad", "bpm": math.nan}, BAD_IDENTIFIER),
    ({"bpm": 0.0, "samples": []}, BAD_TIMING),
    ({"dimensions": ["Bad"], "samples": []}, BAD_SIZE),
    ({"dimensions": ["x", "x"], "samples": [[math.nan]]}, "Duplicate axis"),
])
def test_order_of_checks(changes, want):
    refused(want, **changes)


class TestSurface:
    def test_members_in_registration_order(self):
        own = [name for name in vars(pipmoves.SampledRecording) if not name.startswith("_")]
        assert own == ["name", "dimensions", "sample_count", "bpm", "beat_zero_seconds", "start_pip", "sample"]
        for name in ("__repr__", "__eq__", "__hash__", "__len__", "__iter__", "__getstate__", "__reduce__"):
            assert name not in vars(pipmoves.SampledRecording)

    @pytest.mark.parametrize("name", ["name", "dimensions", "sample_count", "bpm", "beat_zero_seconds", "start_pip"])
    def test_properties_are_read_only(self, name):
        recording = take()
        with pytest.raises(AttributeError):
            setattr(recording, name, getattr(recording, name))
        assert not getattr(pipmoves.SampledRecording, name).__doc__

    def test_has_no_instance_dict_and_no_docstring(self):
        with pytest.raises(AttributeError):
            take().colour = "red"
        assert pipmoves.SampledRecording.__doc__ is None

    def test_may_be_subclassed(self):
        class Tagged(pipmoves.SampledRecording):
            pass

        assert Tagged("t", ["x"], [[0.5]], 60.0).sample(0) == [0.5]


def test_generated_signatures():
    cls = pipmoves.SampledRecording
    assert cls.__init__.__doc__.splitlines()[0] == (
        "__init__(self: pipmoves.SampledRecording, name: str, dimensions: collections.abc.Sequence[str], "
        "samples: collections.abc.Sequence[collections.abc.Sequence[typing.SupportsFloat | typing.SupportsIndex]], "
        "bpm: typing.SupportsFloat | typing.SupportsIndex, "
        "beat_zero_seconds: typing.SupportsFloat | typing.SupportsIndex = 0.0, "
        "start_pip: typing.SupportsInt | typing.SupportsIndex = 0) -> None")
    assert cls.sample.__doc__.splitlines()[0] == "sample(self: pipmoves.SampledRecording, pip: int) -> list[float]"
    getters = {"name": "str", "dimensions": "list[str]", "sample_count": "int", "bpm": "float",
               "beat_zero_seconds": "float", "start_pip": "int"}
    for name, result in getters.items():
        assert getattr(cls, name).fget.__doc__.splitlines()[0] == f"(self: pipmoves.SampledRecording) -> {result}"
