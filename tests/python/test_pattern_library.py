import math

import pytest

import pipmoves
from integer_likes import Index, Integral

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
RAMP = [(i / 8, -i / 8, 0.0) for i in range(1, 6)]
ROW_KEYS = ["name", "description", "period_pips", "dimensions"]


def bits(values):
    """Tuples that compare bit for bit: 0.0 and -0.0 differ."""
    return tuple((v, math.copysign(1.0, v)) for v in values)


def default_row(name):
    return next(row for row in pipmoves.catalogue() if row["name"] == name)


def default_copy(name, description=None, nudge=None):
    """A pattern holding the default's own samples; nudge(pip, triple) may alter one."""
    row = default_row(name)
    samples = [pipmoves.sample(name, pip).as_tuple() for pip in range(row["period_pips"])]
    if nudge is not None:
        samples = [nudge(pip, triple) for pip, triple in enumerate(samples)]
    return pipmoves.SampledPattern(name, row["description"] if description is None else description, samples)


def fillers(total):
    """Patterns of at most 65535 samples that hold exactly total samples together."""
    counts = [65535] * (total // 65535) + ([total % 65535] if total % 65535 else [])
    return [pipmoves.SampledPattern(f"fill_{i}", "", [(0.0, 0.0, 0.0)] * n) for i, n in enumerate(counts)]


def refused(message, patterns):
    with pytest.raises(ValueError) as caught:
        pipmoves.PatternLibrary(patterns)
    assert type(caught.value) is ValueError
    assert str(caught.value) == message


def test_empty_library_is_the_default_dispatch():
    library = pipmoves.PatternLibrary()
    assert library.sample("bounce", 32).as_tuple() == (1.0, 0.0, 0.0)
    assert library.catalogue() == pipmoves.catalogue()
    for row in pipmoves.catalogue():
        for pip in (0, row["period_pips"] - 1, -1, INT32_MIN, INT32_MAX):
            want = pipmoves.sample(row["name"], pip).as_tuple()
            assert bits(library.sample(row["name"], pip).as_tuple()) == bits(want), (row["name"], pip)


@pytest.mark.parametrize("patterns", [[], (), (p for p in [])])
def test_empty_sequences(patterns):
    assert len(pipmoves.PatternLibrary(patterns).catalogue()) == len(pipmoves.catalogue())


def test_one_pattern_listed_last():
    pattern = pipmoves.SampledPattern("mine", "My own", [(0.0, 0.5, 0.0), (0.0, 0.0, 0.0)])
    rows = pipmoves.PatternLibrary([pattern]).catalogue()
    assert len(rows) == len(pipmoves.catalogue()) + 1
    assert rows[:-1] == pipmoves.catalogue()
    assert rows[-1] == {"name": "mine", "description": "My own", "period_pips": 2, "dimensions": 2}
    assert list(rows[-1]) == ROW_KEYS


def test_stored_patterns_in_input_order():
    patterns = [pipmoves.SampledPattern("zeta", "z", [(0.0, 0.0, 0.5)]), pipmoves.SampledPattern("alpha", "a", RAMP)]
    rows = pipmoves.PatternLibrary(patterns).catalogue()[-2:]
    assert rows == [{"name": "zeta", "description": "z", "period_pips": 1, "dimensions": 3},
                    {"name": "alpha", "description": "a", "period_pips": 5, "dimensions": 2}]


def test_catalogue_returns_new_objects():
    library = pipmoves.PatternLibrary([pipmoves.SampledPattern("mine", "", RAMP)])
    first, second = library.catalogue(), library.catalogue()
    assert type(first) is list and first == second and first is not second
    assert first[-1] is not second[-1]
    first[-1]["name"] = "changed"
    first.clear()
    assert library.catalogue()[-1]["name"] == "mine"


@pytest.mark.parametrize(("pip", "index"), [(0, 0), (4, 4), (5, 0), (-1, 4), (INT32_MIN, INT32_MIN % 5)])
def test_stored_pattern_wraps_its_pip(pip, index):
    library = pipmoves.PatternLibrary([pipmoves.SampledPattern("mine", "", RAMP)])
    assert library.sample("mine", pip).as_tuple() == RAMP[index]


def test_patterns_stay_usable_and_independent():
    pattern = pipmoves.SampledPattern("mine", "desc", RAMP)
    library = pipmoves.PatternLibrary([pattern])
    assert pattern.sample(1).as_tuple() == RAMP[1]
    assert (pattern.name, pattern.description, pattern.period_pips) == ("mine", "desc", 5)
    second = pipmoves.PatternLibrary([pattern])
    del pattern
    assert library.sample("mine", 2).as_tuple() == RAMP[2]
    assert second.sample("mine", 3).as_tuple() == RAMP[3]


@pytest.mark.parametrize("form", [list, tuple, lambda items: (p for p in items), lambda items: dict.fromkeys(items).keys()])
def test_sequence_forms(form):
    patterns = [pipmoves.SampledPattern("a", "", RAMP), pipmoves.SampledPattern("b", "", RAMP[:2])]
    assert [row["name"] for row in pipmoves.PatternLibrary(form(patterns)).catalogue()[-2:]] == ["a", "b"]


def test_subclass_instances_accepted():
    class Tagged(pipmoves.SampledPattern):
        pass

    library = pipmoves.PatternLibrary([Tagged("tagged", "", RAMP)])
    assert library.sample("tagged", 0).as_tuple() == RAMP[0]


@pytest.mark.parametrize("patterns", [
    [None],
    [pipmoves.bounce(0)],
    ["mine"],
    [RAMP],
    "mine",
    pipmoves.SampledPattern("mine", "", RAMP),
    None,
    5,
])
def test_arguments_that_do_not_convert(patterns):
    with pytest.raises(TypeError, match="incompatible constructor arguments"):
        pipmoves.PatternLibrary(patterns)


def test_1024_patterns_accepted():
    patterns = [pipmoves.SampledPattern(f"p{i}", "", [(0.0, 0.0, 0.0)]) for i in range(1024)]
    assert len(pipmoves.PatternLibrary(patterns).catalogue()) == len(pipmoves.catalogue()) + 1024


def test_1025_patterns_refused_before_any_other_check():
    # The same object 1025 times would otherwise be a duplicate name.
    refused("Too many patterns", [pipmoves.SampledPattern("same", "", RAMP)] * 1025)


def test_duplicate_name_refused_with_the_name():
    pattern = pipmoves.SampledPattern("twice", "", RAMP)
    refused("Duplicate pattern name: twice", [pattern, pattern])
    refused("Duplicate pattern name: bounce", [default_copy("bounce"), default_copy("bounce")])


def test_total_of_1048576_samples_accepted():
    patterns = fillers(1048576)
    assert len(pipmoves.PatternLibrary(patterns).catalogue()) == len(pipmoves.catalogue()) + len(patterns)


def test_one_sample_more_refused():
    refused("Pattern pack is too large", fillers(1048577))


def test_default_copies_count_towards_the_total():
    bounce = default_copy("bounce")
    room = 1048576 - bounce.period_pips
    stored = fillers(room)
    assert len(pipmoves.PatternLibrary([bounce, *stored]).catalogue()) == len(pipmoves.catalogue()) + len(stored)
    one_more = pipmoves.SampledPattern("one_more", "", [(0.0, 0.0, 0.0)])
    refused("Pattern pack is too large", [bounce, *stored, one_more])


@pytest.mark.parametrize("name", ["bounce", "helix", "step_touch", "clay_background", "five_stroke_roll"])
def test_exact_default_copy_accepted_and_dropped(name):
    library = pipmoves.PatternLibrary([default_copy(name)])
    assert library.catalogue() == pipmoves.catalogue()
    assert bits(library.sample(name, 7).as_tuple()) == bits(pipmoves.sample(name, 7).as_tuple())


def one_ulp_off(at_pip, axis):
    def nudge(pip, triple):
        if pip != at_pip:
            return triple
        changed = list(triple)
        v = changed[axis]
        changed[axis] = 5e-324 if v == 0.0 else math.nextafter(v, 0.0)
        return tuple(changed)
    return nudge


@pytest.mark.parametrize("name", ["bounce", "helix"])
@pytest.mark.parametrize("pip", [0, 31, 63])
@pytest.mark.parametrize("axis", [0, 1, 2])
def test_default_one_ulp_off_refused(name, pip, axis):
    refused(f"Cannot override default pattern: {name}", [default_copy(name, nudge=one_ulp_off(pip, axis))])


def test_default_with_other_description_refused():
    refused("Cannot override default pattern: sway", [default_copy("sway", description="Sway")])


def test_default_with_other_period_refused():
    samples = [pipmoves.sample("circle", pip).as_tuple() for pip in range(128)]
    description = default_row("circle")["description"]
    refused("Cannot override default pattern: circle", [pipmoves.SampledPattern("circle", description, samples)])
    refused("Cannot override default pattern: circle",
            [pipmoves.SampledPattern("circle", description, samples[:63])])


def test_sample_by_keyword_and_name_forms():
    library = pipmoves.PatternLibrary(patterns=[pipmoves.SampledPattern("mine", "", RAMP)])
    for name in ("mine", b"mine", bytearray(b"mine")):
        assert library.sample(name=name, pip_count=1).as_tuple() == RAMP[1]
    assert library.sample(b"bounce", 32).as_tuple() == (1.0, 0.0, 0.0)


@pytest.mark.parametrize("name", ["nope", "Bounce", "mine ", "min", ""])
def test_unknown_name_refused(name):
    library = pipmoves.PatternLibrary([pipmoves.SampledPattern("mine", "", RAMP)])
    with pytest.raises(ValueError) as caught:
        library.sample(name, 0)
    assert str(caught.value) == f"Unknown pipmove: {name}"


@pytest.mark.parametrize("pip", [1, True, Index(1)])
def test_sample_pip_forms(pip):
    library = pipmoves.PatternLibrary([pipmoves.SampledPattern("mine", "", RAMP)])
    assert library.sample("mine", pip).as_tuple() == RAMP[1]


@pytest.mark.parametrize("pip", [1.0, Integral(1), 2**31, INT32_MIN - 1, "1", None])
def test_sample_pip_without_implicit_conversion(pip):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.PatternLibrary().sample("bounce", pip)


@pytest.mark.parametrize("name", ["\udcff", None, 5])
def test_sample_name_that_does_not_convert(name):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.PatternLibrary().sample(name, 0)


def test_description_that_is_not_utf8_fails_in_the_catalogue():
    library = pipmoves.PatternLibrary([pipmoves.SampledPattern("mine", b"\xff", RAMP)])
    assert library.sample("mine", 0).as_tuple() == RAMP[0]
    with pytest.raises(UnicodeDecodeError):
        library.catalogue()


class TestSurface:
    def test_members_in_registration_order(self):
        own = [name for name in vars(pipmoves.PatternLibrary) if not name.startswith("_")]
        assert own == ["sample", "catalogue"]
        for name in ("__repr__", "__eq__", "__hash__", "__len__", "__iter__", "__getstate__", "__reduce__"):
            assert name not in vars(pipmoves.PatternLibrary)

    def test_has_no_instance_dict_and_no_docstring(self):
        with pytest.raises(AttributeError):
            pipmoves.PatternLibrary().colour = "red"
        assert pipmoves.PatternLibrary.__doc__ is None

    def test_may_be_subclassed(self):
        class Tagged(pipmoves.PatternLibrary):
            pass

        assert Tagged().sample("bounce", 32).as_tuple() == (1.0, 0.0, 0.0)


def test_generated_signatures():
    cls = pipmoves.PatternLibrary
    assert cls.__init__.__doc__.splitlines()[0] == (
        "__init__(self: pipmoves.PatternLibrary, patterns: collections.abc.Sequence[pipmoves.SampledPattern] = [])"
        " -> None")
    assert cls.sample.__doc__.splitlines()[0] == (
        "sample(self: pipmoves.PatternLibrary, name: str, pip_count: int) -> pipmoves.Offset3")
    assert cls.catalogue.__doc__.splitlines()[0] == "catalogue(self: pipmoves.PatternLibrary) -> list"
