"""What a careless or hostile caller of pipmoves_play gets: the refusals and
messages pipmoves gives, never a crash, a large copy or a wrong exception.
Each case runs in a child interpreter, so that one failing fails alone."""
import os
import textwrap

import pytest

import pipmoves_play as play
from child_process import ADDRESS_SPACE, in_child

IMPORTS = """
import pipmoves_play as play
def through(call):
    # A buffer request that fails raises BufferError from the reason.
    try:
        call()
    except BufferError as error:
        raise error.__cause__ from None
def each(*calls):
    for call in calls:
        outcome(call)
        print()
"""


def run(code, limit=None):
    return in_child(IMPORTS + textwrap.dedent(code), limit)


INLINE_RIG = ("{'fixtures': [{'name': 'scan', 'universe': 1, 'address': 1, 'layout': "
              "{'channels': ['pan', 'tilt'], 'pan_range': 360, 'tilt_range': 180}}]}")
BUFFER = ["through(lambda: memoryview(unbuilt))", "len(unbuilt)"]
# Every way each class is used: as self, as an argument, through each overload
# and through spread's keyword front.
USES = {
    "Clock": ["unbuilt.pip_at(1.0)", "unbuilt.bpm", "unbuilt.changes", "unbuilt.anchored(0.0)"],
    "Pattern": ["unbuilt.sample(0)", "unbuilt.name", "play.render(unbuilt, 0, 4)", "play.spread(unbuilt, 0, 4)",
                "play.spread(unbuilt, 0, 4, phase_step=1)", "play.CrossFade('bounce', unbuilt, 0, 64)"],
    "CrossFade": ["unbuilt.weight(0)", "unbuilt.easing", "play.render(unbuilt, 0, 4)", "play.spread(unbuilt, 0, 4)",
                  "play.spread(unbuilt, 0, 4, from_centre=True)"],
    "Fixture": ["unbuilt.angles(play.render('bounce', 0, 2))", "unbuilt.dmx(play.render('bounce', 0, 2))"],
    "GrooveScore": ["unbuilt.period_pips", "unbuilt.hits", "repr(unbuilt)",
                    "play.groove_patterns(unbuilt, 'mine', 'h')"],
    "Frames": BUFFER + ["through(lambda: play.Fixture(540.0, 270.0).dmx(unbuilt))"],
    "Angles": BUFFER,
    "DmxFrames": BUFFER,
    "Universes": BUFFER,
    "Patch": ["len(unbuilt)", "unbuilt.fixtures", "unbuilt.stage_x", "play.PatchPlayer(unbuilt)"],
    "PatchPlayer": ["unbuilt.reset()", "unbuilt.patch", "unbuilt.frame(play.render('bounce', 0, 1), 0.0)"],
    "PatchedFixture": ["unbuilt.layout", "unbuilt.name", "repr(unbuilt)"],
    "ChannelLayout": ["unbuilt.footprint", "unbuilt.channels", "repr(unbuilt)"],
    "ChannelSlot": ["unbuilt.role", "repr(unbuilt)"],
    "BeatTracker": ["unbuilt.feed(bytes(4))", "unbuilt.tempo_bpm", "unbuilt.confidence"],
    "FollowingClock": ["unbuilt.beat(0.5, 120.0, 1.0)", "unbuilt.pip_at(1.0)", "unbuilt.locked"],
}
# pipmoves' own objects, handed to pipmoves_play unbuilt.
FOREIGN = {
    "SampledPattern": ["play.Pattern(unbuilt)", "play.render(unbuilt, 0, 4)", "play.spread(unbuilt, 0, 4)",
                       "play.spread(unbuilt, 0, 4, out=None)", "play.CrossFade('bounce', unbuilt, 0, 64)"],
    "PatternLibrary": ["play.Pattern(unbuilt, 'bounce')", "play.Pattern(unbuilt, 'zz')"],
}


def test_every_bound_class_is_named_here():
    bound = {name for name, value in vars(play).items() if isinstance(value, type)}
    assert bound == set(USES)


@pytest.mark.parametrize(("module", "cls", "uses"),
                         [("play", cls, uses) for cls, uses in USES.items()] +
                         [("pipmoves", cls, uses) for cls, uses in FOREIGN.items()])
def test_object_made_by_new_alone_is_refused_wherever_it_goes(module, cls, uses):
    have = run(f"""
        unbuilt = {module}.{cls}.__new__({module}.{cls})
        each({", ".join(f"lambda: {use}" for use in uses)})
    """)
    name = "pipmoves_play" if module == "play" else "pipmoves"
    assert have.splitlines() == [f"TypeError: {name}.{cls} object is not initialised"] * len(uses)


def test_numpy_takes_an_unbuilt_block_as_no_buffer():
    np = pytest.importorskip("numpy")
    assert np  # the child imports it
    have = run("""
        import numpy
        unbuilt = play.Frames.__new__(play.Frames)
        outcome(lambda: print(numpy.asarray(unbuilt).dtype, end=" "))
    """)
    assert have == "object no error"


# The arguments of each class that takes them, and something built reads.
BUILDS = {
    "Clock": ("(120.0, 2.0)", "built.beat_zero_seconds"),
    "Pattern": ("('bounce',)", "built.name"),
    "CrossFade": ("('bounce', 'figure_eight', 0, 64)", "built.length_pips"),
    "Fixture": ("(540.0, 270.0)", "bytes(built.dmx(play.render('bounce', 0, 1)))"),
    "GrooveScore": ("(256, [(0.0, 'kick', 1.0, 1)])", "built.period_pips"),
    "Patch": (f"({INLINE_RIG},)", "len(built)"),
    "PatchPlayer": (f"(play.Patch({INLINE_RIG}),)", "len(built.patch)"),
    "BeatTracker": ("(48000,)", "built.sample_rate"),
    "FollowingClock": ("(90.0, 180.0)", "built.bpm"),
}


@pytest.mark.parametrize("cls", BUILDS)
def test_second_init_is_refused_and_new_then_init_builds(cls):
    arguments, read = BUILDS[cls]
    have = run(f"""
        built = play.{cls}{arguments}
        before = {read}
        each(lambda: built.__init__{arguments}, lambda: play.{cls}.__init__(built, *{arguments}))
        print({read} == before)
        class Mine(play.{cls}):
            pass
        mine = Mine.__new__(Mine)
        outcome(lambda: {read.replace("built", "mine")})
        print()
        mine.__init__{arguments}
        print({read.replace("built", "mine")} == before)
        outcome(lambda: mine.__init__{arguments})
    """)
    again, bare, kept, unbuilt, built, twice = have.splitlines()
    assert again == bare == f"TypeError: pipmoves_play.{cls} object is already initialised"
    assert kept == built == "True"
    assert unbuilt == "TypeError: Mine object is not initialised"
    assert twice == "TypeError: Mine object is already initialised"


NAMES = {
    "render": "play.render({}, 0, 4)",
    "spread": "play.spread({}, 0, 4)",
    "spread front": "play.spread({}, 0, 4, phase_step=1)",
    "Pattern": "play.Pattern({})",
    "library Pattern": "play.Pattern(pipmoves.PatternLibrary(), {})",
    "CrossFade": "play.CrossFade('bounce', {}, 0, 64)",
}


@pytest.mark.parametrize("call", NAMES.values(), ids=NAMES)
@pytest.mark.parametrize(("name", "shown"), [
    ("b'\\xff'", "\\xff"),
    ("'helix\\x00'", "helix\x00"),
    ("bytearray(b'ab\\xc3\\x28\\x00\\xe9')", "ab\\xc3(\x00\\xe9"),
    ("'\\u00e9t\\u00e9'", "\u00e9t\u00e9"),
])
def test_unknown_pattern_name_is_reported_whole(call, name, shown):
    have = run(f"outcome(lambda: {call.format(name)})")
    assert have == "ValueError: Unknown pipmove: " + shown


@pytest.mark.parametrize(("call", "want"), [
    ("play.CrossFade('bounce', 'figure_eight', 0, 64, b'\\xffin')", "Unknown easing: \\xffin"),
    ("play.CrossFade('bounce', 'figure_eight', 0, 64, easing='linear\\x00')", "Unknown easing: linear\x00"),
    ("play.spread('bounce', 0, 4, alternate=b'mirror\\xff')", "Unknown alternation: mirror\\xff"),
    ("play.spread('bounce', 0, 4, alternate='\\x00')", "Unknown alternation: \x00"),
    ("play.stored_groove_lanes(b'\\xff')", "Unknown groove: \\xff"),
    ("play.stored_groove_lanes('afro_cross\\x00')", "Unknown groove: afro_cross\x00"),
])
def test_other_unknown_names_are_reported_whole(call, want):
    assert run(f"outcome(lambda: {call})") == "ValueError: " + want


def test_the_name_of_a_bytearray_is_owned_before_a_later_argument_converts():
    have = run("""
        class Evil:
            def __init__(self, name):
                self.name = name
            def __index__(self):
                self.name.clear()
                return 0
        def named(call):
            name = bytearray(b"z" * (1 << 20))
            return lambda: call(name, Evil(name), 4)
        each(named(play.render), named(play.spread))
    """)
    assert have.splitlines() == ["ValueError: Unknown pipmove: " + "z" * (1 << 20)] * 2


def test_a_midi_path_is_taken_as_the_os_takes_it(tmp_path):
    mido = pytest.importorskip("mido")
    where = os.fsencode(tmp_path) + b"/drums \xff.mid"
    midi = mido.MidiFile(ticks_per_beat=96)
    midi.tracks.append(mido.MidiTrack([
        mido.MetaMessage("time_signature", numerator=4, denominator=4),
        mido.Message("note_on", channel=9, note=36, velocity=127, time=0),
        mido.Message("note_off", channel=9, note=36, velocity=0, time=10),
        mido.MetaMessage("end_of_track", time=374)]))
    with open(where, "wb") as file:
        midi.save(file=file)
    have = run(f"""
        import os, pathlib
        where = {where!r}
        for path in (where, os.fsdecode(where), pathlib.Path(os.fsdecode(where))):
            print(play.read_midi(path).hits)
        missing = where.replace(b"drums", b"none")
        each(lambda: play.read_midi(missing), lambda: play.read_midi(pathlib.Path(os.fsdecode(missing))))
    """)
    first, second, third, missing, missing_path = have.splitlines()
    assert first == second == third and "'kick'" in first
    shown = os.fsencode(tmp_path).decode(errors="backslashreplace") + "/none \\xff.mid"
    for error in (missing, missing_path):
        assert error.startswith(("ValueError: ", "FileNotFoundError: ", "OSError: ")) and shown in error, error


@pytest.mark.parametrize(("call", "want"), [
    ("play.Clock(120.0, 0.0, Lying([(4.0, 60.0)])).changes", "[(4.0, 60.0)]"),
    ("play.tap_tempo(Lying([0.0, 0.5, 1.0, 1.5])).bpm", "120.0"),
    ("play.GrooveScore(256, Lying([(0.0, 'kick', 1.0, 1)])).hits", "((0.0, 'kick', 1.0, 1),)"),
    ("len(play.spread('bounce', 0, 2, stage_x=Lying([0.0, 1.0])))", "2"),
    ("len(play.spread('bounce', 0, 2, stage_x=Lying([0.0, 1.0]), phase_step=4))", "2"),
])
def test_a_lying_length_is_never_trusted(call, want):
    have = run(f"""
        class Lying(list):
            def __len__(self):
                return 2**62
        outcome(lambda: print({call}, end=" "))
    """, limit=ADDRESS_SPACE)
    assert have == want + " no error"


@pytest.mark.parametrize(("name", "shown"), [
    ("'My Groove'", "My Groove"),
    ("b'mine\\xff'", "mine\\xff"),
    ("'m' * 120", "m" * 120),
])
def test_an_invalid_groove_name_says_why(name, shown):
    have = run(f"""
        score = play.GrooveScore(256, [(0.0, 'kick', 1.0, 1)])
        outcome(lambda: play.groove_patterns(score, {name}, 'heading'))
    """)
    assert have == (f"ValueError: Invalid pattern name: a groove's patterns are named {shown}_<move>, {shown}_bounce "
                    f"to {shown}_ricochet, and a pattern name is 1 to 128 bytes, a lower-case ASCII letter then "
                    "lower-case ASCII letters, digits or _ (so a groove name of at most 118 bytes)")


RIG_SETUP = f"import numpy\nrow = numpy.zeros(3)\nplayer = play.PatchPlayer(play.Patch({INLINE_RIG}))\n"


@pytest.mark.parametrize(("call", "want"), [
    ("print(len(play.Fixture(540.0, 270.0).dmx(numpy.broadcast_to(row, (2**24, 3)))), end=' ')", "16777216 no error"),
    ("player.patch.angles(numpy.broadcast_to(row, (2**24, 3)))",
     "ValueError: Positions must be one per fixture: the patch has 1"),
    ("player.frame(numpy.broadcast_to(row, (2**24, 3)), 0.0)",
     "ValueError: Positions must be one per fixture: the patch has 1"),
    ("play.Fixture(540.0, 270.0).angles(numpy.broadcast_to(row, (2**24 + 1, 3)))",
     "ValueError: Too many rows: at most 16777216"),
])
def test_a_broadcast_frame_is_never_copied_whole(call, want):
    pytest.importorskip("numpy")
    have = run(RIG_SETUP + f"outcome(lambda: {call})", limit=ADDRESS_SPACE)
    assert have == want


def test_strided_rows_read_as_their_packed_copy_across_blocks():
    np = pytest.importorskip("numpy")
    fixture = play.Fixture(540.0, 270.0, size=0.5)
    rows = np.asarray(play.render("figure_eight", 0, 20000))
    for strided in (rows[::2], rows[::-3], np.asfortranarray(rows)):
        packed = np.ascontiguousarray(strided)
        assert np.array_equal(np.asarray(fixture.dmx(strided)), np.asarray(fixture.dmx(packed)))
        assert np.array_equal(np.asarray(fixture.angles(strided)), np.asarray(fixture.angles(packed)))
