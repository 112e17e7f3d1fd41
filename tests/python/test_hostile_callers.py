"""What a careless or hostile caller gets: a clean error, never a crash, a large
allocation before a limit check, or a wrong message. Cases that once crashed or
exhausted memory run in a child interpreter, so that one failing fails alone."""
import pytest

import pipmoves
from child_process import ADDRESS_SPACE, in_child


SAMPLERS = {"sample": "pipmoves.sample", "library": "pipmoves.PatternLibrary().sample"}


@pytest.mark.parametrize("sampler", SAMPLERS.values(), ids=SAMPLERS)
@pytest.mark.parametrize(("size", "after"), [(1 << 20, "ba.clear()"), (3, "ba[:] = b'qq'")])
def test_bytearray_name_is_owned_before_the_pip_converts(sampler, size, after):
    have = in_child(f"""
        ba = bytearray(b"z" * {size})
        class Evil:
            def __index__(self):
                {after}
                return 0
        outcome(lambda: {sampler}(ba, Evil()))
    """)
    assert have == "ValueError: Unknown pipmove: " + "z" * size


UNBUILT = {
    "SampledPattern": [
        "pipmoves.PatternLibrary([unbuilt])", "unbuilt.sample(0)", "unbuilt.name", "unbuilt.period_pips"],
    "PatternLibrary": ["unbuilt.sample('zz', 0)", "unbuilt.sample('bounce', 0)", "unbuilt.catalogue()"],
    "Offset3": ["unbuilt.as_tuple()", "unbuilt.x"],
    "SampledRecording": ["unbuilt.name", "unbuilt.dimensions", "unbuilt.sample(0)", "unbuilt.sample_count"],
}


@pytest.mark.parametrize(("cls", "use"), [(cls, use) for cls, uses in UNBUILT.items() for use in uses])
def test_object_made_by_new_alone_is_refused(cls, use):
    have = in_child(f"""
        unbuilt = pipmoves.{cls}.__new__(pipmoves.{cls})
        outcome(lambda: {use})
    """)
    assert have == f"TypeError: pipmoves.{cls} object is not initialised"


BUILDS = {
    "SampledPattern": ("('p', '', [(0.5, 0.0, 0.0)])", "built.period_pips", "unbuilt.sample(0)"),
    "PatternLibrary": ("()", "len(built.catalogue())", "unbuilt.catalogue()"),
    "SampledRecording": ("('r', ['x'], [[0.5]], 120.0)", "built.sample_count", "unbuilt.sample(0)"),
}


@pytest.mark.parametrize("cls", BUILDS)
def test_new_then_init_builds_and_a_failed_init_leaves_nothing_usable(cls):
    arguments, read, use = BUILDS[cls]
    have = in_child(f"""
        class Mine(pipmoves.{cls}):
            pass
        built = Mine.__new__(Mine)
        built.__init__{arguments}
        print({read})
        unbuilt = Mine.__new__(Mine)
        outcome(lambda: unbuilt.__init__(*([0] * 6)))
        print()
        outcome(lambda: {use})
    """)
    shown, init_error, use_error = have.splitlines()
    assert shown in {"1", "1731"}
    assert init_error.startswith("TypeError: __init__(): incompatible constructor arguments")
    assert use_error == "TypeError: Mine object is not initialised"


@pytest.mark.parametrize("cls", BUILDS)
def test_second_init_is_refused_and_changes_nothing(cls):
    have = in_child(f"""
        built = pipmoves.{cls}{BUILDS[cls][0]}
        outcome(lambda: built.__init__{BUILDS[cls][0]})
        print()
        outcome(lambda: pipmoves.{cls}.__init__(built))
        print()
        outcome(lambda: object.__new__(pipmoves.{cls}))
        print()
        import copy, pickle
        outcome(lambda: copy.copy(built))
        print()
        outcome(lambda: pickle.dumps(built))
        print()
        print({BUILDS[cls][1]})
    """)
    again, bare, new, copied, pickled, kept = have.splitlines()
    assert again == bare == f"TypeError: pipmoves.{cls} object is already initialised"
    assert new.startswith("TypeError: object.__new__(")
    assert copied == pickled == f"TypeError: cannot pickle 'pipmoves.{cls}' object"
    assert kept in {"1", "1731"}


BIG = "big = pipmoves.SampledPattern('big', '', [(0.5, 0.0, 0.0)] * 65535)\n"
ROW = "row = [0.5] * 10**6\n"


@pytest.mark.parametrize(("setup", "call", "want"), [
    (BIG, "pipmoves.PatternLibrary([big] * 1025)", "Too many patterns"),
    (BIG, "pipmoves.PatternLibrary([big] * 5000)", "Too many patterns"),
    (BIG, "pipmoves.PatternLibrary([big] * 1024)", "Duplicate pattern name: big"),
    (ROW, "pipmoves.SampledRecording('r', ['x'], [row] * 50, 120.0)", "Ragged recording"),
    (ROW, "pipmoves.SampledRecording('r', ['x'], [row] * 5000, 120.0)", "Ragged recording"),
    (ROW, "pipmoves.SampledRecording('r', ['x', 'y'], [[0.5, 2.0]] + [row] * 5000, 120.0)", "Invalid sample"),
    ("", "pipmoves.SampledRecording('r', ['x'], [[0.5]] * (2**23 + 1), 120.0)",
     "Empty recording or recording resource limit exceeded"),
    ("", "pipmoves.SampledRecording('r', ['x'] * (2**23 + 1), [[0.5]], 120.0)",
     "Empty recording or recording resource limit exceeded"),
    ("", "pipmoves.SampledRecording('R', ['x'] * (2**23 + 1), [[0.5]] * 10**7, 0.0)", "Invalid identifier"),
])
def test_limits_are_checked_before_anything_large_is_copied(setup, call, want):
    have = in_child(setup + f"outcome(lambda: {call})", limit=ADDRESS_SPACE)
    assert have == f"ValueError: {want}"


@pytest.mark.parametrize(("call", "want"), [
    ("pipmoves.PatternLibrary(Lying([pattern]))", "no error"),
    ("pipmoves.SampledPattern('p', '', Lying([(0.5, 0.0, 0.0)]))", "no error"),
    ("pipmoves.SampledRecording('r', Lying(['x']), [[0.5]], 120.0)",
     "ValueError: Empty recording or recording resource limit exceeded"),
    ("pipmoves.SampledRecording('r', ['x'], Lying([[0.5]]), 120.0)",
     "ValueError: Empty recording or recording resource limit exceeded"),
    ("pipmoves.SampledRecording('r', ['x'], [Lying([0.5])], 120.0)", "ValueError: Ragged recording"),
])
def test_a_lying_length_gets_a_clean_error(call, want):
    have = in_child(f"""
        class Lying(list):
            def __len__(self):
                return 2**62
        pattern = pipmoves.SampledPattern('p', '', [(0.5, 0.0, 0.0)])
        outcome(lambda: {call})
    """, limit=ADDRESS_SPACE)
    assert have == want


@pytest.mark.parametrize("sampler", SAMPLERS.values(), ids=SAMPLERS)
@pytest.mark.parametrize(("name", "shown"), [
    ("'bounce\\x00'", "bounce\x00"),
    ("b'bounce\\x00tail'", "bounce\x00tail"),
    ("b'\\xff'", "\\xff"),
    ("bytearray(b'ab\\xc3\\x28\\x00\\xe9')", "ab\\xc3(\x00\\xe9"),
    ("'\\u00e9t\\u00e9'", "\u00e9t\u00e9"),
    ("b'\\xc3\\xa9'", "\u00e9"),
    ("''", ""),
])
def test_unknown_name_is_reported_whole(sampler, name, shown):
    have = in_child(f"outcome(lambda: {sampler}({name}, 0))")
    assert have == "ValueError: Unknown pipmove: " + shown


def test_names_in_library_messages_keep_their_standard_text():
    p = pipmoves.SampledPattern("mine", "", [(0.5, 0.0, 0.0)])
    with pytest.raises(ValueError) as raised:
        pipmoves.PatternLibrary([p, p])
    assert str(raised.value) == "Duplicate pattern name: mine"


class Raising:
    def __init__(self, error):
        self.error = error

    def __index__(self):
        raise self.error

    def __int__(self):
        raise self.error

    def __float__(self):
        raise self.error


PATTERN = pipmoves.SampledPattern("p", "", [(0.5, 0.0, 0.0)])
RECORDING = pipmoves.SampledRecording("r", ["x"], [[0.5]], 120.0)
CONVERTING = {
    "pattern function": lambda v: pipmoves.bounce(v),
    "sample": lambda v: pipmoves.sample("bounce", v),
    "library sample": lambda v: pipmoves.PatternLibrary().sample("bounce", v),
    "pattern sample": lambda v: PATTERN.sample(v),
    "recording sample": lambda v: RECORDING.sample(v),
    "start_pip": lambda v: pipmoves.SampledRecording("r", ["x"], [[0.5]], 120.0, 0.0, v),
    "bpm": lambda v: pipmoves.SampledRecording("r", ["x"], [[0.5]], v),
    "recording value": lambda v: pipmoves.SampledRecording("r", ["x"], [[v]], 120.0),
    "pattern value": lambda v: pipmoves.SampledPattern("p", "", [(0.0, v, 0.0)]),
}


@pytest.mark.parametrize("convert", CONVERTING.values(), ids=CONVERTING)
@pytest.mark.parametrize("error", [KeyboardInterrupt, MemoryError])
def test_interrupt_or_memory_error_while_converting_reaches_the_caller(convert, error):
    raised = error("from the caller")
    with pytest.raises(error) as seen:
        convert(Raising(raised))
    assert seen.value is raised


@pytest.mark.parametrize("convert", CONVERTING.values(), ids=CONVERTING)
def test_other_errors_while_converting_are_still_a_mismatch(convert):
    with pytest.raises(TypeError, match="incompatible"):
        convert(Raising(ArithmeticError()))
