import importlib
import shutil
import subprocess
import sys
import textwrap

import pytest

import pipmoves

PATTERN_NAMES = [
    "bounce", "sway", "circle", "figure_eight", "step_touch", "box_step", "helix",
    "clay_background", "single_stroke_roll", "double_stroke_roll", "multiple_bounce_roll",
    "single_paradiddle", "flam", "drag", "five_stroke_roll",
]
PUBLIC_ATTRIBUTES = ["PIPS_PER_BEAT", "SampledRecording", "Offset3", "SampledPattern", "PatternLibrary", "sample", "catalogue", *PATTERN_NAMES]


def test_docstring_and_beat_constant():
    assert pipmoves.__doc__ == "Integer-pip rhythmic position functions"
    assert type(pipmoves.PIPS_PER_BEAT) is int
    assert pipmoves.PIPS_PER_BEAT == 64


def test_public_attributes_in_registration_order():
    public = [name for name in vars(pipmoves) if not name.startswith("_")]
    assert public == PUBLIC_ATTRIBUTES


def test_docstring_registered_before_everything_else():
    names = list(vars(pipmoves))
    assert names.index("__doc__") < names.index("PIPS_PER_BEAT")


def test_second_import_returns_the_cached_module():
    first = sys.modules.pop("pipmoves")
    try:
        first.marker_left_by_test = True
        second = importlib.import_module("pipmoves")
        assert second is first
        assert [name for name in vars(second) if not name.startswith("_")] == [
            *PUBLIC_ATTRIBUTES, "marker_left_by_test"]
    finally:
        del first.marker_left_by_test
        sys.modules["pipmoves"] = first


def test_subinterpreter_import_is_refused():
    interpreters = pytest.importorskip("concurrent.interpreters")
    interp = interpreters.create()
    try:
        with pytest.raises(interpreters.ExecutionFailed, match="ImportError"):
            interp.exec("import pipmoves")
    finally:
        interp.close()


def test_version_guard_refuses_a_foreign_interpreter():
    foreign = shutil.which("python3.13")
    if foreign is None:
        pytest.skip("no Python 3.13 on this machine to load the module into")
    script = textwrap.dedent(f"""
        import importlib.machinery, importlib.util, os, sys
        sys.setdlopenflags(os.RTLD_LAZY)
        loader = importlib.machinery.ExtensionFileLoader("pipmoves", {pipmoves.__file__!r})
        spec = importlib.util.spec_from_file_location("pipmoves", {pipmoves.__file__!r}, loader=loader)
        try:
            importlib.util.module_from_spec(spec)
        except ImportError as error:
            print(error)
            print(sys.version)
        else:
            print("imported")
    """)
    result = subprocess.run([foreign, "-c", script], capture_output=True, text=True, check=True)
    message, version = result.stdout.splitlines()
    assert version.startswith("3.13")
    assert message == (
        "Python version mismatch: module was compiled for Python 3.14, "
        f"but the interpreter version is incompatible: {version}.")


class TestOffset3:
    def test_has_no_constructor(self):
        with pytest.raises(TypeError, match=r": No constructor defined!$"):
            pipmoves.Offset3()

    @pytest.mark.parametrize("axis", ["x", "y", "z"])
    def test_components_are_read_only_floats(self, axis):
        sample = pipmoves.helix(32)
        assert type(getattr(sample, axis)) is float
        with pytest.raises(AttributeError):
            setattr(sample, axis, 0.5)

    def test_has_no_instance_dict(self):
        with pytest.raises(AttributeError):
            pipmoves.bounce(5).colour = "red"

    def test_as_tuple_in_axis_order(self):
        sample = pipmoves.helix(32)
        assert sample.as_tuple() == (sample.x, sample.y, sample.z)
        assert type(sample.as_tuple()) is tuple

    def test_results_are_distinct_objects_compared_by_identity(self):
        first, second = pipmoves.bounce(5), pipmoves.bounce(5)
        assert first is not second
        assert first != second
        assert first.as_tuple() == second.as_tuple()

    def test_surface_is_exactly_the_components_and_as_tuple(self):
        own = {name for name in vars(pipmoves.Offset3) if not name.startswith("_")}
        assert own == {"x", "y", "z", "as_tuple"}
        assert "__repr__" not in vars(pipmoves.Offset3)
        assert "__eq__" not in vars(pipmoves.Offset3)

    def test_properties_carry_no_docstring(self):
        for axis in "xyz":
            assert not getattr(pipmoves.Offset3, axis).__doc__
            assert getattr(pipmoves.Offset3, axis).fget.__doc__.splitlines()[0] == "(self: pipmoves.Offset3) -> float"

    def test_may_be_subclassed(self):
        class Tagged(pipmoves.Offset3):
            pass

        assert issubclass(Tagged, pipmoves.Offset3)


def test_generated_signatures():
    assert pipmoves.Offset3.as_tuple.__doc__.splitlines()[0] == (
        "as_tuple(self: pipmoves.Offset3) -> tuple[float, float, float]")
    for name in PATTERN_NAMES:
        assert getattr(pipmoves, name).__doc__.splitlines() == [
            f"{name}(arg0: typing.SupportsInt | typing.SupportsIndex) -> pipmoves.Offset3"]
