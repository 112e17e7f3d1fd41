import math

import pytest

import pipmoves_play as play
from integer_likes import Index

INT32_MIN, INT32_MAX = -2**31, 2**31 - 1
TEMPO = "Tempo must be finite and within [0.001, 1000000] BPM"
CHANGES = "Tempo changes must come at finite increasing beats after beat zero"
TIME = "Time must be finite and within the clock's range"
SWEEP = sorted({INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX, *range(INT32_MIN, INT32_MAX, 2**32 // 997)})


@pytest.mark.parametrize("clock", [
    play.Clock(124),
    play.Clock(0.001, -3.25),
    play.Clock(1_000_000.0, 1234.5),
    play.Clock(174.5, 86400.0, [(4, 87.25), (4.5, 999.0), (16.0, 0.5)]),
])
def test_seconds_at_inverts_pip_at_over_the_whole_range(clock):
    for pip in SWEEP:
        t = clock.seconds_at(pip)
        assert clock.pip_at(t) == pip
        assert clock.pip_at(math.nextafter(t, -math.inf)) == (pip - 1 if pip > INT32_MIN else INT32_MAX)


def test_clock_reads_back_what_it_was_given():
    clock = play.Clock(120, 2, [(4, 60), (6.0, 240.0)])
    assert (clock.bpm, clock.beat_zero_seconds, clock.changes) == (120.0, 2.0, [(4.0, 60.0), (6.0, 240.0)])
    assert type(clock.bpm) is float and type(clock.pip_at(3.0)) is int
    assert [clock.seconds_at(beat * 64) for beat in (-1, 0, 4, 6, 10)] == [1.5, 2.0, 4.0, 6.0, 7.0]
    assert [clock.bpm_at(t) for t in (0.0, 4.0, 6.5)] == [120.0, 60.0, 240.0]
    assert clock.position_at(3.0) == 128.0
    assert clock.seconds_at(Index(256)) == 4.0
    assert play.Clock(60).pip_at(33554432.0) == INT32_MIN


def test_anchoring_places_a_beat_at_a_time():
    clock = play.Clock(120, 1, [(4, 60)]).anchored(10.0, beat=8)
    assert (clock.beat_zero_seconds, clock.bpm, clock.changes) == (4.0, 120.0, [(4.0, 60.0)])
    assert clock.position_at(10.0) == 512.0
    assert play.Clock(90).anchored(seconds=3.5).position_at(3.5) == 0.0


def test_tap_tempo_gives_a_clock_on_the_taps():
    beat = 60 / 124
    taps = [5.0 + k * beat for k in range(8)] + [5.0 + 3.5 * beat]  # one stray
    clock = play.tap_tempo(sorted(taps))
    assert clock.bpm == pytest.approx(124.0, rel=1e-9)
    assert clock.beat_zero_seconds == pytest.approx(5.0, abs=1e-9)
    assert play.tap_tempo((t for t in (1, 1.5))).bpm == 120.0


@pytest.mark.parametrize(("call", "message"), [
    (lambda: play.Clock(0), TEMPO),
    (lambda: play.Clock(math.nan), TEMPO),
    (lambda: play.Clock(1e7), TEMPO),
    (lambda: play.Clock(120, math.inf), "Beat origin must be finite"),
    (lambda: play.Clock(120, 0, [(0, 100)]), CHANGES),
    (lambda: play.Clock(120, 0, [(2, 100), (1, 100)]), CHANGES),
    (lambda: play.Clock(120, 0, [(1, -100)]), TEMPO),
    (lambda: play.Clock(120).pip_at(math.nan), TIME),
    (lambda: play.Clock(120).position_at(1e300), TIME),
    (lambda: play.Clock(120).bpm_at(-math.inf), TIME),
    (lambda: play.Clock(120).anchored(math.nan), TIME),
    (lambda: play.tap_tempo([1.0]), "Tap tempo needs 2..1024 taps"),
    (lambda: play.tap_tempo([0.5 * k for k in range(1025)]), "Tap tempo needs 2..1024 taps"),
    (lambda: play.tap_tempo([1.0, 1.0]), "Tap times must be finite and increasing"),
    (lambda: play.tap_tempo([0.0, math.nan]), "Tap times must be finite and increasing"),
    (lambda: play.tap_tempo([0.0, 1e6]), TEMPO),
])
def test_refusals_are_value_errors_with_the_message(call, message):
    with pytest.raises(ValueError) as caught:
        call()
    assert type(caught.value) is ValueError
    assert str(caught.value) == message


@pytest.mark.parametrize("call", [
    lambda: play.Clock("120"),
    lambda: play.Clock(120, 0, [(1, 2, 3)]),
    lambda: play.Clock(120, 0, (1, 100)),
    lambda: play.Clock(120).seconds_at(1.0),
    lambda: play.Clock(120).seconds_at(2**31),
    lambda: play.tap_tempo("0.5"),
])
def test_arguments_that_do_not_convert_are_type_errors(call):
    with pytest.raises(TypeError):
        call()
