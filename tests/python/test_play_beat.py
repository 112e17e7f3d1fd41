"""The beat tracker and the clock that follows it: buffers in, beats out, and
drum loops rendered by fluidsynth in the test run, never stored as audio."""

import array
import math
import pathlib
import random
import subprocess
import sys

import numpy as np
import pytest

import pipmoves_play as play

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
import drum_audio  # noqa: E402

RATE = 44100


def clicks(bpm, seconds, rate=RATE, dtype=np.float32):
    """A decaying noise burst on every beat."""
    rng = np.random.default_rng(1)
    out = np.zeros(int(seconds * rate), dtype=np.float64)
    burst = rng.standard_normal(2000) * np.exp(-np.arange(2000) / 200.0)
    for k in range(int(seconds * bpm / 60)):
        start = int(k * 60 / bpm * rate)
        out[start:start + 2000] += burst[: len(out) - start]
    out *= 0.5
    if dtype == np.int16:
        return np.clip(out * 32767, -32768, 32767).astype(np.int16)
    return out.astype(dtype)


# --- conversions and refusals

@pytest.mark.parametrize("make", [
    lambda a: a,                                    # numpy float32
    lambda a: (a * 32767).astype(np.int16),         # numpy int16
    lambda a: array.array("f", a.tolist()),         # array module
    lambda a: memoryview((a * 32767).astype(np.int16)),
    lambda a: np.frombuffer(a.tobytes(), dtype=np.float32),  # read-only, read in place
])
def test_feed_takes_any_buffer_of_float32_or_int16(make):
    audio = clicks(120, 8)
    beats = play.BeatTracker(RATE).feed(make(audio))
    reference = play.BeatTracker(RATE).feed(audio)
    assert len(beats) == len(reference) > 6
    assert all(abs(a - b) < 0.02 for a, b in zip(beats, reference))


@pytest.mark.parametrize("samples, error, message", [
    (np.zeros(100, dtype=np.float64), TypeError, "float32 or int16, not buffer format 'd'"),
    (b"\x00" * 100, TypeError, "float32 or int16, not buffer format 'B'"),
    (np.zeros(100, dtype=np.int32), TypeError, "float32 or int16"),
    (np.zeros((50, 2), dtype=np.float32), ValueError, "one contiguous row of mono samples"),
    (np.zeros(200, dtype=np.float32)[::2], ValueError, "one contiguous row of mono samples"),
    (np.array([0.0, math.nan], dtype=np.float32), ValueError, "^Samples must be finite$"),
    (np.array([0.0, math.inf], dtype=np.float32), ValueError, "^Samples must be finite$"),
    ([0.0, 0.1], TypeError, None),
])
def test_feed_refuses_what_is_not_mono_samples(samples, error, message):
    tracker = play.BeatTracker(RATE)
    with pytest.raises(error, match=message):
        tracker.feed(samples)
    assert tracker.seconds_fed == 0.0


@pytest.mark.parametrize("rate, error", [(0, ValueError), (-44100, ValueError), (3999, ValueError),
                                         (10 ** 7, ValueError), (44100.0, TypeError), ("44100", TypeError)])
def test_a_sample_rate_no_audio_has_is_refused(rate, error):
    with pytest.raises(error):
        play.BeatTracker(rate)


def test_zero_length_input_and_a_fresh_tracker_report_nothing():
    tracker = play.BeatTracker(RATE)
    assert tracker.feed(np.zeros(0, dtype=np.float32)) == []
    assert (tracker.tempo_bpm, tracker.confidence) == (0.0, 0.0)
    assert tracker.last_beat_seconds < 0


def test_minutes_of_silence_find_no_beat_and_the_clock_holds():
    tracker = play.BeatTracker(8000)
    clock = play.FollowingClock()
    music = clicks(120, 12, rate=8000)
    for beat in tracker.feed(music):
        clock.beat(beat, tracker.tempo_bpm, tracker.confidence)
    clock.position_at(12.0)
    assert clock.ever_locked
    bpm = clock.bpm
    assert bpm == pytest.approx(120, abs=1)
    silence = np.zeros(8000 * 60, dtype=np.int16)
    before = clock.position_at(12.0)
    for minute in range(3):
        assert tracker.feed(silence) == []
        clock.position_at(12.0 + 60 * (minute + 1))
    assert clock.holding and clock.bpm == pytest.approx(bpm)
    assert clock.position_at(192.0) - before == pytest.approx(180 * bpm / 60 * 64, rel=1e-3)


def test_a_tracker_fed_garbage_in_a_child_interpreter_never_crashes():
    code = """
import numpy as np, pipmoves_play as play
t = play.BeatTracker(4000)
rng = np.random.default_rng(0)
for n in (0, 1, 7, 4096, 100000):
    t.feed((rng.standard_normal(n) * 1e30).astype(np.float32))
    t.feed(np.full(n, np.finfo(np.float32).max, dtype=np.float32))
    t.feed(rng.integers(-32768, 32767, n, dtype=np.int16))
print("ok", t.tempo_bpm >= 0, t.confidence >= 0)
"""
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert out.returncode == 0, out.stderr
    assert out.stdout.split() == ["ok", "True", "True"]


# --- the following clock

@pytest.mark.parametrize("args, message", [
    ((100.0, 150.0), "span at least an octave"),
    ((math.nan, 180.0), "Tempo range must be finite"),
    ((0.5, 180.0), "within \\[1, 1000\\] BPM"),
])
def test_the_clock_refuses_a_range_it_cannot_fold_into(args, message):
    with pytest.raises(ValueError, match=message):
        play.FollowingClock(*args)


@pytest.mark.parametrize("call", [
    lambda c: c.beat(math.nan, 120.0, 0.5),
    lambda c: c.beat(1.0, math.inf, 0.5),
    lambda c: c.beat(1.0, 120.0, math.nan),
    lambda c: c.position_at(math.nan),
    lambda c: c.bar_start(math.inf),
])
def test_the_clock_refuses_times_and_tempos_that_are_not_finite(call):
    with pytest.raises(ValueError):
        call(play.FollowingClock())


@pytest.mark.parametrize("seed", range(20))
def test_the_clock_never_goes_back_and_corrects_gently_through_jitter_gaps_and_flips(seed):
    rng = random.Random(seed)
    bpm = rng.uniform(92, 178)
    clock = play.FollowingClock(90, 180, max_rate_change=0.1)
    beats, t = [], rng.uniform(0, 1)
    while t < 40:
        gap = 14 < t < 14 + 16 * 60 / bpm
        flip = 26 < t < 32
        if not gap and not (flip and len(beats) % 2):
            beats.append((t + rng.gauss(0, 0.004), bpm / 2 if flip else bpm))
        t += 60 / bpm
    frames = [i / 40 for i in range(40 * 40)]
    last, k, rate = 0.0, 0, 0.0
    for f in frames:
        while k < len(beats) and beats[k][0] <= f:
            clock.beat(beats[k][0], beats[k][1], 0.5)
            k += 1
        position = clock.position_at(f)
        step = position - last
        assert step >= 0
        if rate > 0:
            assert abs(step - rate / 40) <= (0.1 + 0.003) * rate / 40 + 1e-9
        last, rate = position, clock.bpm * 64 / 60
        if 16 < f < 14 + 16 * 60 / bpm:
            assert clock.holding
    assert clock.locked and clock.bpm == pytest.approx(bpm, abs=0.3)


# --- real drum audio, rendered now

LOOPS = [("four_floor", 120.6), ("ukg_two_step", 114.4), ("techno_drive", 161.9), ("electro", 168.1)]


@pytest.mark.parametrize("groove, bpm", LOOPS)
def test_the_tracker_and_clock_follow_a_rendered_drum_loop(tmp_path, groove, bpm):
    seconds = 14.0
    score = play.read_step_lanes(play.stored_groove_lanes(groove))
    tempo = drum_audio.TempoMap(bpm)
    midi = drum_audio.write_midi(tmp_path / "loop.mid", drum_audio.loop_hits(score, int(seconds * bpm / 60) + 2),
                                 tempo)
    audio, rate = drum_audio.render_midi(midi, tmp_path / "loop.wav", RATE)
    assert rate == RATE
    tracker = play.BeatTracker(RATE)
    clock = play.FollowingClock()
    heard = []
    positions = []
    for start in range(0, int(seconds * RATE), RATE // 40):
        for beat in tracker.feed(audio[start:start + RATE // 40]):
            heard.append(beat)
            clock.beat(beat, tracker.tempo_bpm, tracker.confidence)
        t = (start + RATE // 40) / RATE
        positions.append((t, clock.position_at(t)))
    period = 60 / bpm
    late = [b for b in heard if b > 6.0]
    assert len(late) >= 8
    # The tracker's beats: on the loop's, within 25 ms.
    phase = sorted(abs(b - period * round(b / period)) for b in late)
    assert phase[len(phase) // 2] < 0.025
    # Its tempo, up to an octave (the clock resolves that), and aubio's own
    # rounding of the period.
    octaves = round(math.log2(bpm / tracker.tempo_bpm))
    assert tracker.tempo_bpm * 2 ** octaves == pytest.approx(bpm, rel=0.015)
    # The clock: within 1 BPM, its beats within 25 ms of the loop's.
    assert clock.bpm == pytest.approx(bpm, abs=1.0)
    errors = []
    for (t0, p0), (t1, p1) in zip(positions, positions[1:]):
        for k in range(math.ceil(t0 / period), math.ceil(t1 / period)):
            if k * period > 8.0:
                at = p0 + (p1 - p0) * (k * period - t0) / (t1 - t0)
                errors.append(abs(at - 64 * round(at / 64)) / (p1 - p0) * (t1 - t0))
    assert errors and sorted(errors)[len(errors) // 2] < 0.025
