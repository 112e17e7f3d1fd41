"""pipmoves-play stream --audio: drum loops rendered by fluidsynth in the test run, played to the
streamer from a file or as raw PCM on standard input, its pips heard by oscdump."""
import math
import os
import pathlib
import re
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import pipmoves_play as play
from test_stream import COMMAND, Receiver, frames_of, stream

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools"))
import drum_audio  # noqa: E402

RATE = 44100
FRAME_RATE = 10
SECONDS = 12.0
UNIX_FROM_1900 = 2208988800  # timetags count from 1900
FOLLOWING = re.compile(r"^pipmoves-play: following ([0-9.]+) BPM$", re.M)


@pytest.fixture
def receiver():
    listening = Receiver()
    yield listening
    if listening.dump.poll() is None:
        listening.dump.kill()
        listening.dump.wait()
        listening.dump.stdout.close()


def render_loop(folder, groove, bpm, seconds):
    """A stored groove played by the General MIDI drum kit, beat 0 at 0 s."""
    score = play.read_step_lanes(play.stored_groove_lanes(groove))
    tempo = drum_audio.TempoMap(bpm)
    midi = drum_audio.write_midi(folder / "loop.mid", drum_audio.loop_hits(score, int(seconds * bpm / 60) + 2), tempo)
    wav = folder / "loop.wav"
    audio, rate = drum_audio.render_midi(midi, wav, RATE)
    assert rate == RATE
    return wav, audio


def pips_of(frames):
    """(seconds from the first frame, pip) of each frame: timetags are the moments frames show."""
    return [(when - frames[0][0], pip) for when, pip, _ in frames]


def assert_follows(err, pips, bpm):
    """Said when it locked, never went back, and ran at the loop's tempo once locked."""
    said = [float(x) for x in FOLLOWING.findall(err)]
    assert said, err
    assert said[-1] == pytest.approx(bpm, abs=1.5), err
    assert all(b >= a for (_, a), (_, b) in zip(pips, pips[1:]))
    late = [(t, pip) for t, pip in pips if t >= 8.0]
    assert len(late) >= 10
    (t0, p0), (t1, p1) = late[0], late[-1]
    assert (p1 - p0) / (t1 - t0) == pytest.approx(bpm * 64 / 60, rel=0.04)


LOOPS = [("four_floor", 120.6), ("techno_drive", 161.9)]


@pytest.mark.parametrize("groove, bpm", LOOPS)
def test_the_pips_follow_the_beat_of_a_loop_played_from_a_file(receiver, tmp_path, groove, bpm):
    wav, _ = render_loop(tmp_path, groove, bpm, SECONDS + 1)
    count = int(SECONDS * FRAME_RATE)
    launched = time.time()
    result = stream(receiver.port, "--audio", str(wav), "--rate", str(FRAME_RATE), "--frames", str(count), "bounce")
    assert result.returncode == 0, result.stderr
    frames = frames_of(receiver.messages(count * 2), 1, "fff")
    assert len(frames) == count
    pips = pips_of(frames)
    # Until it locks the show waits at its start.
    assert pips[0][1] == 0
    assert_follows(result.stderr, pips, bpm)

    # The file plays from the stream's start, which the first frame shows
    # unless a busy machine skipped it: then it may lie a few frames earlier,
    # but never before the streamer was launched.
    since_launch = frames[0][0] - (launched + UNIX_FROM_1900)
    skipped = range(min(max(0, math.floor(since_launch * FRAME_RATE)), 2 * FRAME_RATE) + 1)
    period = 60 / bpm

    def phase_error(first_frame):
        errors = []
        for t, pip in pips:
            if t >= 8.0:
                off = (pip / 64 - (t + first_frame / FRAME_RATE) / period) % 1.0
                errors.append(min(off, 1.0 - off) * period)
        return sorted(errors)[len(errors) // 2]

    # Frames fall between beats: the pip at a frame is its beat and fraction,
    # which lies on the loop's within a pip's worth plus the clock's error.
    assert min(phase_error(k) for k in skipped) < 0.04


def feed_paced(process, data, bytes_a_second, block=4410 * 2):
    """Writes data to the process's standard input about in real time, as a live line does, then closes it."""
    started = time.monotonic()
    try:
        for at in range(0, len(data), block):
            due = started + at / bytes_a_second
            time.sleep(max(0.0, due - time.monotonic()))
            process.stdin.write(data[at:at + block])
            process.stdin.flush()
    except BrokenPipeError:
        pass  # it stopped after its frames: the rest is not needed
    finally:
        try:
            process.stdin.close()
        except BrokenPipeError:
            pass


def test_raw_s16_on_standard_input_is_followed(receiver, tmp_path):
    groove, bpm = LOOPS[0]
    _, audio = render_loop(tmp_path, groove, bpm, SECONDS + 1)
    data = np.clip(audio * 32767, -32768, 32767).astype("<i2").tobytes()
    count = int(SECONDS * FRAME_RATE)
    log = tmp_path / "stderr.txt"
    with log.open("wb") as said:
        streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--audio", "-",
                                     "--audio-rate", str(RATE), "--rate", str(FRAME_RATE), "--frames", str(count),
                                     "bounce"], stdin=subprocess.PIPE, stderr=said)
    writer = threading.Thread(target=feed_paced, args=(streamer, data, RATE * 2))
    writer.start()
    try:
        streamer.wait(timeout=120)
    finally:
        if streamer.poll() is None:
            streamer.kill()
            streamer.wait()
        writer.join(timeout=60)
    err = log.read_text()
    assert streamer.returncode == 0, err
    frames = frames_of(receiver.messages(count * 2), 1, "fff")
    assert len(frames) == count
    assert_follows(err, pips_of(frames), bpm)


def run_with_input(port, data, *args, frames=10):
    return subprocess.run([str(COMMAND), "stream", "--port", str(port), "--audio", "-", *args, "--rate", "20",
                           "--frames", str(frames), "bounce"], input=data, capture_output=True, timeout=60)


NAN_F32 = np.array([math.nan, math.inf, -math.inf, 1e38, 0.5], dtype="<f4").tobytes()


RANDOM_BYTES = np.random.default_rng(0).integers(0, 256, 400000, dtype=np.uint8).tobytes()


@pytest.mark.parametrize("data, args, beatless", [
    pytest.param(b"", [], True, id="nothing at all"),
    pytest.param(b"\x01", [], True, id="half a sample"),
    pytest.param(bytes(RATE * 2 * 3), [], True, id="three seconds of silence"),
    pytest.param(NAN_F32 * 20000 + b"\x7f", ["--audio-format", "f32"], True, id="NaN and infinite floats"),
    pytest.param(RANDOM_BYTES, ["--audio-format", "f32"], False, id="random bytes as floats"),
    pytest.param(RANDOM_BYTES, ["--audio-rate", "4000"], False, id="random bytes at the lowest rate"),
])
def test_a_line_that_gives_no_beat_holds_the_clock_and_garbage_never_ends_the_show(receiver, data, args, beatless):
    result = run_with_input(receiver.port, data, *args)
    assert result.returncode == 0, result.stderr
    assert b"sent 10 frames" in result.stderr
    pips = [pip for _, pip, _ in frames_of(receiver.messages(20), 1, "fff")]
    assert len(pips) == 10 and pips == sorted(pips)
    if beatless:
        assert pips == [0] * 10


def test_files_that_hold_no_audio_are_refused_before_a_frame_is_sent(receiver, tmp_path):
    text = tmp_path / "notes.wav"
    text.write_text("kick R... L...\n")
    empty = tmp_path / "empty.wav"
    empty.write_bytes(b"")
    fifo = tmp_path / "line"
    os.mkfifo(fifo)
    missing = tmp_path / "missing.wav"
    cases = [(missing, "No such file or directory"), (tmp_path, "Is a directory"), (text, None), (empty, None),
             (fifo, "not a regular file (a live line goes to --audio -)"),
             ("/dev/zero", "not a regular file (a live line goes to --audio -)")]
    for path, reason in cases:
        result = stream(receiver.port, "--audio", str(path), "--frames", "3", "bounce")
        first = result.stderr.splitlines()[0]
        assert result.returncode == 1, result.stderr
        assert first.startswith(f"pipmoves-play stream: cannot read audio from {path}: "), first
        if reason is not None:
            assert first.endswith(reason), first
    assert receiver.messages() == []


@pytest.mark.parametrize("args, message", [
    (["--audio", "-", "--tap"], "--audio and --tap are two sources of tempo; choose one"),
    (["--audio", "-", "--audio-rate", "0"], "--audio-rate needs a whole number from 4000 to 768000, not '0'"),
    (["--audio", "loop.wav", "--audio-format", "f32"],
     "--audio-format is for raw PCM on standard input, with --audio -; a file says its own"),
    (["--bpm-range", "90:180"], "--bpm-range needs --audio FILE|-"),
])
def test_audio_options_that_do_not_fit_are_refused(receiver, args, message):
    result = stream(receiver.port, "--frames", "3", *args, "bounce")
    assert (result.returncode, result.stderr.splitlines()[0]) == (2, f"pipmoves-play stream: {message}")
    assert receiver.messages() == []
