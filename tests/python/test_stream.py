"""pipmoves-play stream, heard by liblo's own oscdump on a loopback port."""
import contextlib
import os
import pathlib
import select
import signal
import socket
import subprocess
import time

import pytest

import pipmoves_play as play

COMMAND = pathlib.Path(os.environ.get("PIPMOVES_BUILD_DIR", "")) / "bin" / "pipmoves-play"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def ntp_seconds(timetag):
    seconds, fraction = timetag.split(".")
    return int(seconds, 16) + int(fraction, 16) / 2**32


class Receiver:
    """oscdump on a free port, heard from 127.0.0.1; its lines read as (time, address, types, values)."""

    def __init__(self):
        self.port = free_port()
        self.dump = subprocess.Popen(["oscdump", "-L", str(self.port)], stdout=subprocess.PIPE)
        self.pending = b""
        self.lines = []
        # Ready once a probe comes through.
        deadline = time.monotonic() + 60
        while not self.lines:
            assert self.dump.poll() is None and time.monotonic() < deadline, "oscdump did not start"
            subprocess.run(["oscsend", "127.0.0.1", str(self.port), "/probe", "i", "1"], check=True)
            self.read(0.1)
        assert self.lines[0].split()[1] == "/probe"
        self.lines.clear()

    def read(self, wait, once=False):
        """Reads until nothing comes for the wait, or only what comes first."""
        while select.select([self.dump.stdout], [], [], wait)[0]:
            chunk = os.read(self.dump.stdout.fileno(), 1 << 16)
            if not chunk:
                break
            self.pending += chunk
            *whole, self.pending = self.pending.split(b"\n")
            self.lines += [line.decode() for line in whole]
            if once:
                break

    def messages(self, expected=0):
        """Every message heard: at least the expected count, waited for on a busy machine, then what follows."""
        deadline = time.monotonic() + 60
        while len(self.lines) < expected and time.monotonic() < deadline:
            self.read(0.1)
        self.read(0.5)
        self.dump.terminate()
        self.dump.wait(timeout=10)
        self.dump.stdout.close()
        parsed = []
        for line in self.lines:
            timetag, address, types, *values = line.split()
            parsed.append((ntp_seconds(timetag), address, types, values))
        return parsed


@contextlib.contextmanager
def listening():
    heard = Receiver()
    try:
        yield heard
    finally:
        if heard.dump.poll() is None:
            heard.dump.kill()
            heard.dump.wait()
            heard.dump.stdout.close()


@pytest.fixture
def receiver():
    with listening() as heard:
        yield heard


def started(streamer, receiver):
    """Waits for the streamer's first frame, so its signal handlers are in place."""
    assert streamer.stderr.readline().startswith("pipmoves-play: streaming to ")
    deadline = time.monotonic() + 60
    while not receiver.lines:
        assert streamer.poll() is None and time.monotonic() < deadline, "no frame came"
        receiver.read(0.1, once=True)


def stream(port, *args, **run):
    return subprocess.run([str(COMMAND), "stream", "--port", str(port), *args], capture_output=True, text=True,
                          timeout=60, **run)


def frames_of(messages, fixtures, types):
    """The messages grouped into frames: the pip, then one message a fixture in order."""
    frames = []
    for at in range(0, len(messages), fixtures + 1):
        (when, address, kind, values), *rows = messages[at:at + fixtures + 1]
        assert (address, kind) == ("/pipmoves/pip", "i")
        assert [(a, t) for _, a, t, _ in rows] == [(f"/pipmoves/fixture/{n}", types) for n in range(1, fixtures + 1)]
        frames.append((when, int(values[0]), [[float(v) for v in r[3]] for r in rows]))
    return frames


def frame_indices(frames, bpm, rate):
    """Which frame of the stream each received frame is: frame k shows the pip at k / rate seconds."""
    clock = play.Clock(bpm)
    indices = []
    for _, pip, _ in frames:
        k = round(pip * rate / clock.position_at(1.0))
        k = next(j for j in (k - 1, k, k + 1) if clock.pip_at(j / rate) == pip)
        indices.append(k)
    return indices


SHOWS = [
    pytest.param(["bounce"], 4, 128.0, 50.0, {}, "bounce", id="one pattern, fanned out"),
    pytest.param(["0:circle", "1:bounce:1"], 3, 120.0, 44.0, {"phase_step": 8},
                 play.CrossFade("circle", "bounce", 64, 64, "smoothstep"), id="cues with a fade"),
]


@pytest.mark.parametrize(("cues", "fixtures", "bpm", "rate", "spread", "shown"), SHOWS)
def test_each_frame_carries_the_samples_at_its_pip_on_time(cues, fixtures, bpm, rate, spread, shown):
    count = 60
    options = ["--phase-step", str(spread["phase_step"])] if spread else []
    fixture = play.Fixture(540.0, 270.0)
    # The content and the order of frames are the streamer's own and hold on
    # every run. How many frames the machine made it skip and when they were
    # heard are the scheduler's: a loaded machine may stall either process,
    # so those get three runs to come right.
    for attempt in range(3):
        with listening() as receiver:
            began = time.monotonic()
            result = stream(receiver.port, "--fixtures", str(fixtures), "--bpm", str(bpm), "--rate", str(rate),
                            "--frames", str(count), "--profile", *options, *cues)
            elapsed = time.monotonic() - began
            assert result.returncode == 0, result.stderr
            assert f"sent {count} frames" in result.stderr
            frames = frames_of(receiver.messages(count * (fixtures + 1)), fixtures, "fffffii")
        assert len(frames) == count

        for _, pip, rows in frames:
            positions = play.spread(shown, pip, fixtures, **spread)
            want = zip(memoryview(positions).tolist(), memoryview(fixture.angles(positions)).tolist(),
                       memoryview(fixture.dmx(positions)).tolist())
            for have, (position, angles, dmx) in zip(rows, want, strict=True):
                assert have[:3] == pytest.approx(position, abs=1e-6), pip
                assert have[3:5] == pytest.approx(angles, abs=1e-3), pip
                assert have[5:] == [dmx[0] * 256 + dmx[1], dmx[2] * 256 + dmx[3]], pip

        # Frames in order, none twice, and none sent before it was due.
        indices = frame_indices(frames, bpm, rate)
        assert indices[0] == 0 and indices == sorted(set(indices))
        assert elapsed >= indices[-1] / rate

        # Frames follow one another at the frame rate: none lost on loopback,
        # none skipped unless the machine stalled, and received about on time.
        spacing = (frames[-1][0] - frames[0][0]) / (indices[-1] - indices[0])
        if (sum(b - a == 1 for a, b in zip(indices, indices[1:])) >= 0.9 * (count - 1)
                and spacing == pytest.approx(1 / rate, rel=0.15)):
            break
    else:
        pytest.fail(f"three runs each skipped frames or strayed from {1 / rate:.4f} s apart (last {spacing:.4f} s)")


def test_ctrl_c_stops_cleanly_between_frames(receiver):
    streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--fixtures", "2", "circle"],
                                stderr=subprocess.PIPE, text=True)
    started(streamer, receiver)
    streamer.send_signal(signal.SIGINT)
    _, err = streamer.communicate(timeout=60)
    assert streamer.returncode == 0, err
    sent = int(err.rsplit("sent ", 1)[1].split()[0])
    assert len(frames_of(receiver.messages(sent * 3), 2, "fff")) == sent > 0


@pytest.mark.parametrize("stop", [signal.SIGINT, signal.SIGTERM], ids=["SIGINT", "SIGTERM"])
def test_a_signal_ends_the_wait_for_the_next_frame(receiver, stop):
    # A frame every 20 s: the streamer is in its wait when the signal comes,
    # and must not sit out the rest of it. 5 s is the generous bound of a
    # loaded machine for what takes milliseconds.
    streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--rate", "0.05", "bounce"],
                                stderr=subprocess.PIPE, text=True)
    try:
        started(streamer, receiver)
        streamer.send_signal(stop)
        _, err = streamer.communicate(timeout=5)
    finally:
        if streamer.poll() is None:
            streamer.kill()
            streamer.communicate()
    assert (streamer.returncode, err.splitlines()[-1]) == (0, "pipmoves-play: sent 1 frames")


def test_a_reader_that_closes_the_error_output_does_not_stop_the_show(receiver):
    streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--rate", "100",
                                 "--frames", "20", "bounce"], stderr=subprocess.PIPE)
    streamer.stderr.close()
    assert streamer.wait(timeout=60) == 0
    assert len(frames_of(receiver.messages(20 * 2), 1, "fff")) == 20


def test_no_frame_sent_is_a_failure_that_says_why(receiver):
    # Every message exceeds what one UDP datagram can carry.
    result = stream(receiver.port, "--frames", "3", "--prefix", "/" + "p" * 100_000, "bounce")
    lines = result.stderr.splitlines()
    assert result.returncode == 1, result.stderr
    assert lines[1].startswith("pipmoves-play: warning: cannot send: ")
    reason = lines[1].removeprefix("pipmoves-play: warning: cannot send: ").removesuffix("; still playing")
    assert lines[-1] == f"pipmoves-play stream: no frame could be sent to 127.0.0.1:{receiver.port} (3 tried): {reason}"
    assert receiver.messages() == []


def test_taps_never_step_the_show_back(receiver):
    # Taps at 200 BPM on a show started at 120: each tapped phase lands part
    # of a beat off where the show is, before or after it.
    # Taps for 2.7 s of a 5 s stream; a streamer done before the last tap
    # (a stalled test) has still shown every tap it took.
    count = 250
    streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--tap", "--rate", "50",
                                 "--frames", str(count), "bounce"],
                                stdin=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        started(streamer, receiver)
        first = time.monotonic()
        with contextlib.suppress(BrokenPipeError):
            for n in range(1, 10):
                time.sleep(max(0.0, first + 0.3 * n - time.monotonic()))
                streamer.stdin.write("\n")
                streamer.stdin.flush()
            streamer.stdin.close()
        err = streamer.stderr.read()
        assert streamer.wait(timeout=60) == 0, err
    finally:
        if streamer.poll() is None:
            streamer.kill()
            streamer.wait()
        streamer.stderr.close()
    assert "pipmoves-play: tapped " in err
    pips = [pip for _, pip, _ in frames_of(receiver.messages(count * 2), 1, "fff")]
    assert len(pips) == count
    steps = [b - a for a, b in zip(pips, pips[1:])]
    assert min(steps) >= 0, steps


@pytest.mark.parametrize(("args", "code", "message"), [
    (["nope"], 1, "pipmoves-play stream: Unknown pipmove: nope"),
    (["--prefix", "pipmoves", "bounce"], 1,
     "pipmoves-play stream: The address prefix must be an OSC path such as /pipmoves, not 'pipmoves'"),
    (["--bpm", "0", "bounce"], 1, "pipmoves-play stream: Tempo must be finite and within [0.001, 1000000] BPM"),
    (["--size", "2", "bounce"], 1, "pipmoves-play stream: Size must be finite and within [0, 1]"),
    (["0:circle", "1:bounce:2", "2:circle"], 1, "pipmoves-play stream: A cue's fade must end by the next cue"),
    (["--rate", "-4", "bounce"], 2,
     "pipmoves-play stream: --rate must be from 0.001 to 1000 frames a second, not '-4'"),
    (["--rate", "1e-11", "bounce"], 2,
     "pipmoves-play stream: --rate must be from 0.001 to 1000 frames a second, not '1e-11'"),
    (["0:helix:4"], 2, "pipmoves-play stream: The first cue has no cue before it to fade from: '0:helix:4'"),
    (["--groove", "verse=a.txt", "--groove", "verse=b.txt", "verse_bounce"], 2,
     "pipmoves-play stream: Two --groove options name the groove 'verse'; give each its own NAME"),
])
def test_refusals_send_nothing_and_say_why(receiver, args, code, message):
    result = stream(receiver.port, "--frames", "3", *args)
    assert (result.returncode, result.stderr.splitlines()[0]) == (code, message)
    assert receiver.messages() == []


GROOVE = """\
kick   R... L... R... .L..
snare  .... R... .... L...
hat    r>l< r>l< r>l< r>l<
"""

CHORUS = """\
kick   R.R. L.L. R.R. L.L.
clap   .... R... .... L...
"""


def test_cues_play_each_of_your_own_grooves_beside_the_default_patterns(receiver, tmp_path):
    verse, chorus = tmp_path / "verse.txt", tmp_path / "chorus.txt"
    verse.write_text(GROOVE)
    chorus.write_text(CHORUS)
    verses = play.groove_patterns(play.read_step_lanes(GROOVE), "verse", "verse.txt")
    choruses = play.groove_patterns(play.read_step_lanes(CHORUS), "chorus", "chorus.txt")
    result = stream(receiver.port, "--fixtures", "2", "--frames", "40", "--groove", f"verse={verse}",
                    "--groove", f"chorus={chorus}", "0:verse_bounce", "0.5:chorus_step", "1:circle:0.25")
    assert result.returncode == 0, result.stderr
    frames = frames_of(receiver.messages(40 * 3), 2, "fff")
    assert len(frames) == 40
    shown = [(32, play.Pattern(verses, "verse_bounce")),
             (64, play.Pattern(choruses, "chorus_step")),
             (80, play.CrossFade(play.Pattern(choruses, "chorus_step"), "circle", 64, 16)),
             (2**31, "circle")]
    assert frames[-1][1] >= 80  # every cue came on
    for _, pip, rows in frames:
        pattern = next(p for end, p in shown if pip < end)
        want = memoryview(play.spread(pattern, pip, 2)).tolist()
        assert sum(rows, []) == pytest.approx(sum(want, []), abs=1e-6), pip


def test_a_groove_file_that_cannot_be_read_is_refused(receiver, tmp_path):
    misspelt = tmp_path / "misspelt.txt"
    misspelt.write_text("kik R...\n")
    missing = tmp_path / "missing.txt"
    # /dev/zero would never end if read whole: it is refused before a byte is read.
    for path, message in [(missing, f"Cannot open {missing}: No such file or directory"),
                          ("/dev/zero", "Cannot open /dev/zero: not a regular file but a character device"),
                          (misspelt, "Line 1, lane 1, column 1: unknown instrument 'kik'")]:
        result = stream(receiver.port, "--frames", "3", "--groove", f"verse={path}", "verse_bounce")
        assert (result.returncode, result.stderr.splitlines()[0]) == (1, f"pipmoves-play stream: {message}")
    assert receiver.messages() == []
