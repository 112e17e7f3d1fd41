import pytest

import pipmoves

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1


def test_sample_dispatches_procedural_names():
    assert pipmoves.sample("bounce", 32).as_tuple() == (1.0, 0.0, 0.0) == pipmoves.bounce(32).as_tuple()
    assert pipmoves.sample("helix", 64).as_tuple() == pipmoves.helix(64).as_tuple()
    assert pipmoves.sample("single_paradiddle", 4).as_tuple() == (1.0, -0.72, 0.0)


@pytest.mark.parametrize("name", [b"bounce", bytearray(b"bounce")])
def test_names_may_be_bytes(name):
    assert pipmoves.sample(name, 32).as_tuple() == pipmoves.sample("bounce", 32).as_tuple()


def test_arguments_may_be_named():
    assert pipmoves.sample(name="bounce", pip_count=32).as_tuple() == (1.0, 0.0, 0.0)
    assert pipmoves.sample("bounce", pip_count=True).as_tuple() == pipmoves.bounce(1).as_tuple()


@pytest.mark.parametrize("name", ["Bounce", "", "bounce ", "lfo_breath", "lfo_breathe ", "ünknown"])
def test_unknown_names_raise_value_error_with_the_name(name):
    with pytest.raises(ValueError) as error:
        pipmoves.sample(name, 0)
    assert str(error.value) == "Unknown pipmove: " + name


@pytest.mark.parametrize("name", [b"Bounce", bytearray(b"bounce\x00"), b"\xff"])
def test_unknown_byte_names_raise_value_error(name):
    # A message that is not UTF-8 reaches Python as UnicodeDecodeError, itself a ValueError.
    with pytest.raises(ValueError):
        pipmoves.sample(name, 0)


def test_empty_name_message_ends_in_the_blank():
    with pytest.raises(ValueError) as error:
        pipmoves.sample("", 1)
    assert str(error.value) == "Unknown pipmove: "


@pytest.mark.parametrize("pip", [32.0, 2**31, INT32_MIN - 1, "32", None])
def test_bad_pips_raise_type_error(pip):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.sample("bounce", pip)


@pytest.mark.parametrize("name", [32, None, ["bounce"], "\ud800"])
def test_bad_names_raise_type_error(name):
    with pytest.raises(TypeError, match="incompatible function arguments"):
        pipmoves.sample(name, 0)


def test_results_are_new_objects():
    first, second = pipmoves.sample("bounce", 5), pipmoves.sample("bounce", 5)
    assert first is not second and first != second
    assert first.as_tuple() == second.as_tuple()


def test_catalogue_rows_are_dicts_in_key_order():
    rows = pipmoves.catalogue()
    assert rows[0] == {"name": "bounce", "description": "One-beat vertical bounce", "period_pips": 64, "dimensions": 1}
    for row in rows:
        assert list(row) == ["name", "description", "period_pips", "dimensions"]
        assert type(row["period_pips"]) is int and type(row["dimensions"]) is int


def test_catalogue_lists_procedural_then_stored_rows():
    names = [row["name"] for row in pipmoves.catalogue()]
    assert names[:15] == [
        "bounce", "sway", "circle", "figure_eight", "step_touch", "box_step", "helix", "clay_background",
        "single_stroke_roll", "double_stroke_roll", "multiple_bounce_roll", "single_paradiddle", "flam", "drag",
        "five_stroke_roll"]
    assert names[15] == "lfo_breathe"
    assert len(names) == len(set(names))


def test_catalogue_is_complete():
    rows = pipmoves.catalogue()
    assert len(rows) == 1731
    assert rows[-1]["name"] == "beat_dembow_push_ricochet"


def test_every_catalogue_row_samples_by_name():
    for row in pipmoves.catalogue():
        period = row["period_pips"]
        first = pipmoves.sample(row["name"], 0).as_tuple()
        assert pipmoves.sample(row["name"], period).as_tuple() == first
        assert pipmoves.sample(row["name"], -1).as_tuple() == pipmoves.sample(row["name"], period - 1).as_tuple()


def test_each_call_builds_a_new_list():
    first, second = pipmoves.catalogue(), pipmoves.catalogue()
    assert first == second
    assert first is not second and first[0] is not second[0]
    first[0]["name"] = "changed"
    assert pipmoves.catalogue()[0]["name"] == "bounce"


def test_generated_signatures():
    assert pipmoves.sample.__doc__.splitlines()[0] == (
        "sample(name: str, pip_count: typing.SupportsInt | typing.SupportsIndex) -> pipmoves.Offset3")
    assert pipmoves.catalogue.__doc__.splitlines()[0] == "catalogue() -> list"
