import subprocess
import sys
import textwrap

import pytest

import pipmoves
import pipmoves_play as play
from integer_likes import Index

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
NAMES = [row["name"] for row in pipmoves.catalogue()]
# Runs that cross both 32-bit ends, walk backwards and stride far.
RUNS = [(INT32_MAX - 3, 8, 1), (INT32_MIN + 3, 8, -1), (-5, 6, 1 << 29)]
NOD = [(0.0, y / 10, -y / 20) for y in range(7)]


def wrapped(pip):
    return (pip + 2**31) % 2**32 - 2**31


def bits(rows):
    """Exact: tells -0.0 from 0.0."""
    return [tuple(v.hex() for v in row) for row in rows]


def rows_of(buffer):
    return memoryview(buffer).tolist()


def sampled(sample, first_pip, count, step=1):
    return [sample(wrapped(first_pip + k * step)).as_tuple() for k in range(count)]


def test_render_every_default_pattern_bit_identical_to_sample():
    for name in NAMES:
        for first_pip, count, step in RUNS:
            want = sampled(lambda pip: pipmoves.sample(name, pip), first_pip, count, step)
            assert bits(rows_of(play.render(name, first_pip, count, step))) == bits(want), (name, first_pip, step)


def test_fan_of_every_default_pattern_bit_identical_to_sample():
    for name in NAMES:
        period = play.Pattern(name).period_pips
        for pip in (INT32_MIN, INT32_MAX):
            want = [pipmoves.sample(name, wrapped(pip - i * period // 5)).as_tuple() for i in range(5)]
            assert bits(rows_of(play.spread(name, pip, 5))) == bits(want), (name, pip)


def test_every_form_of_a_pattern_renders_as_its_own_sample_call():
    nod = pipmoves.SampledPattern("nod", "A small nod", NOD)
    library = pipmoves.PatternLibrary([nod])
    forms = [
        ("lfo_breathe", lambda pip: pipmoves.sample("lfo_breathe", pip)),
        (b"lfo_breathe", lambda pip: pipmoves.sample("lfo_breathe", pip)),
        (bytearray(b"helix"), pipmoves.helix),
        (play.Pattern("helix"), pipmoves.helix),
        (nod, nod.sample),
        (play.Pattern(nod), nod.sample),
        (play.Pattern(library, "nod"), lambda pip: library.sample("nod", pip)),
        (play.Pattern(library, b"bounce"), pipmoves.bounce),
    ]
    for pattern, sample in forms:
        for first_pip, count, step in RUNS:
            assert bits(rows_of(play.render(pattern, first_pip, count, step))) == bits(
                sampled(sample, first_pip, count, step))


def test_pattern_describes_what_it_plays():
    nod = pipmoves.SampledPattern("nod", "A small nod", NOD)
    library = pipmoves.PatternLibrary([nod])
    for pattern, want in [(play.Pattern("helix"), ("helix", "Four-beat double-turn helix", 256, 3)),
                          (play.Pattern(nod), ("nod", "A small nod", 7, 3)),
                          (play.Pattern(library, "nod"), ("nod", "A small nod", 7, 3))]:
        assert (pattern.name, pattern.description, pattern.period_pips, pattern.dimensions) == want
    assert play.Pattern(library, "nod").sample(Index(-1)).as_tuple() == NOD[-1]


def test_frames_are_a_c_contiguous_float64_buffer():
    frames = play.render("circle", 0, 5)
    view = memoryview(frames)
    assert (view.format, view.itemsize, view.ndim, view.shape, view.strides) == ("d", 8, 2, (5, 3), (24, 8))
    assert view.c_contiguous and view.readonly and len(frames) == 5
    assert view.tolist()[2] == list(pipmoves.circle(2).as_tuple())
    empty = memoryview(play.render("circle", 0, 0))
    assert (empty.shape, empty.tolist()) == ((0, 3), [])


def test_frames_reach_numpy_without_a_copy():
    np = pytest.importorskip("numpy")
    frames = play.render("lfo_breathe", 10, 4096)
    table = np.asarray(frames)
    assert (table.dtype, table.shape, table.flags.c_contiguous, table.flags.owndata) == (np.float64, (4096, 3), True, False)
    assert np.shares_memory(table, np.asarray(frames))
    assert not table.flags.writeable
    assert table[7].tolist() == list(pipmoves.sample("lfo_breathe", 17).as_tuple())


def test_exactly_max_rows_are_rendered():
    frames = play.render(pipmoves.SampledPattern("dot", "", [(0.5, 0.0, 0.0)]), 0, play.MAX_ROWS)
    assert play.MAX_ROWS == 2**24 and len(frames) == play.MAX_ROWS
    assert memoryview(frames)[play.MAX_ROWS - 1, 0] == 0.5


@pytest.mark.parametrize(("call", "message"), [
    (lambda: play.render("bounce", 0, -1), "Count must not be negative"),
    (lambda: play.render("bounce", 0, 4, 0), "Step must not be zero"),
    (lambda: play.render("bounce", 0, 2**24 + 1), "Too many rows: at most 16777216"),
    (lambda: play.render("bounce", 0, 2**62), "Too many rows: at most 16777216"),
    (lambda: play.render("Bounce", 0, 1), "Unknown pipmove: Bounce"),
    (lambda: play.render("", 0, 1), "Unknown pipmove: "),
    (lambda: play.Pattern("nope"), "Unknown pipmove: nope"),
    (lambda: play.Pattern(pipmoves.PatternLibrary(), "nope"), "Unknown pipmove: nope"),
    (lambda: play.spread("bounce", 0, -1), "Count must not be negative"),
    (lambda: play.spread("bounce", 0, 2**24 + 1), "Too many rows: at most 16777216"),
    (lambda: play.spread("bounce", 0, 4, alternate="Reverse"), "Unknown alternation: Reverse"),
])
def test_refusals_are_value_errors_with_the_message(call, message):
    with pytest.raises(ValueError) as caught:
        call()
    assert type(caught.value) is ValueError
    assert str(caught.value) == message


@pytest.mark.parametrize("call", [
    lambda: play.render("bounce", 0.0, 1),
    lambda: play.render("bounce", 2**31, 1),
    lambda: play.render("bounce", 0, 2**63),
    lambda: play.render("bounce", 0, 1, -2**31 - 1),
    lambda: play.render(42, 0, 1),
    lambda: play.render(pipmoves.bounce(0), 0, 1),
    lambda: play.render(pipmoves.PatternLibrary(), 0, 1),
    lambda: play.spread("bounce", 0, 4, phase_step=1.5),
    lambda: play.spread("bounce", 0, 4, 8),
    lambda: play.Pattern(pipmoves.PatternLibrary()),
])
def test_arguments_that_do_not_convert_are_type_errors(call):
    with pytest.raises(TypeError):
        call()


@pytest.mark.parametrize("alternate", play.ALTERNATIONS)
def test_spread_options_reach_the_core(alternate):
    pip, step = 100, 16
    rows = rows_of(play.spread("figure_eight", pip, 6, phase_step=step, from_centre=True, alternate=alternate))
    for i, row in enumerate(rows):
        rank = abs(2 * i - 5) // 2
        odd = i % 2 == 1
        x, y, z = pipmoves.figure_eight(rank * step - pip if odd and alternate == "reverse" else pip - rank * step).as_tuple()
        assert row == [-x if odd and alternate == "mirror_x" else x, y, z]


def test_a_fade_of_every_default_pattern_ends_bit_identical_to_it():
    end = wrapped(INT32_MAX - 8 + 32)
    for name in NAMES:
        fade = play.CrossFade("helix", name, INT32_MAX - 8, 32, "sine")
        assert bits(rows_of(play.render(fade, end, 6, 977))) == bits(
            sampled(lambda pip: pipmoves.sample(name, pip), end, 6, 977)), name
        assert bits(rows_of(play.spread(fade, end, 4, from_centre=True))) == bits(
            rows_of(play.spread(name, end, 4, from_centre=True))), name
        assert bits(rows_of(play.render(fade, INT32_MAX - 12, 5))) == bits(sampled(pipmoves.helix, INT32_MAX - 12, 5)), name


def test_a_fade_eases_between_its_patterns():
    fade = play.CrossFade("circle", play.Pattern("bounce"), 64, 64)
    assert (fade.start_pip, fade.length_pips, fade.easing) == (64, 64, "smoothstep")
    assert [fade.weight(p) for p in (0, 64, 96, 128, 10**6)] == [0.0, 0.0, 0.5, 1.0, 1.0]
    a, b = pipmoves.circle(96).as_tuple(), pipmoves.bounce(96).as_tuple()
    assert fade.sample(96).as_tuple() == pytest.approx(tuple(0.5 * u + 0.5 * v for u, v in zip(a, b)), abs=1e-15)
    assert play.EASINGS == ("linear", "smoothstep", "smootherstep", "sine")
    for easing in play.EASINGS:
        assert play.CrossFade("sway", "bounce", 0, 8, easing=easing).weight(4) > 0.0


@pytest.mark.parametrize(("args", "message"), [
    (("bounce", "sway", 0, -1), "Fade length must not be negative"),
    (("bounce", "sway", 0, 8, "ease"), "Unknown easing: ease"),
    (("bounce", "nope", 0, 8), "Unknown pipmove: nope"),
])
def test_fade_refusals(args, message):
    with pytest.raises(ValueError, match=f"^{message}$"):
        play.CrossFade(*args)


def test_patterns_and_fades_keep_what_they_read_alive():
    # In a child interpreter: a pattern freed under a reference would crash it.
    script = textwrap.dedent("""
        import gc, pipmoves, pipmoves_play as play
        nod = pipmoves.SampledPattern("nod", "", [(0.0, y / 10, 0.0) for y in range(8)])
        library = pipmoves.PatternLibrary([pipmoves.SampledPattern("own", "", [(0.25, 0.0, 0.0)] * 3)])
        by_pattern, by_library = play.Pattern(nod), play.Pattern(library, "own")
        fade = play.CrossFade(nod, by_library, 0, 8)
        del nod, library
        gc.collect()
        junk = [pipmoves.SampledPattern("junk", "", [(-1.0, -1.0, -1.0)] * 8) for _ in range(1000)]
        print(by_pattern.sample(3).as_tuple(), by_library.sample(1).as_tuple(), fade.sample(20).as_tuple())
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == "(0.0, 0.3, 0.0) (0.25, 0.0, 0.0) (0.25, 0.0, 0.0)"
