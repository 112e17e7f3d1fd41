"""pipmoves-play stream, heard by liblo's own oscdump on a loopback port."""
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
        deadline = time.monotonic() + 10
        while not self.lines:
            assert self.dump.poll() is None and time.monotonic() < deadline, "oscdump did not start"
            subprocess.run(["oscsend", "127.0.0.1", str(self.port), "/probe", "i", "1"], check=True)
            self.read(0.1)
        assert self.lines[0].split()[1] == "/probe"
        self.lines.clear()

    def read(self, wait):
        while select.select([self.dump.stdout], [], [], wait)[0]:
            chunk = os.read(self.dump.stdout.fileno(), 1 << 16)
            if not chunk:
                break
            self.pending += chunk
            *whole, self.pending = self.pending.split(b"\n")
            self.lines += [line.decode() for line in whole]

    def messages(self, expected=0):
        """Every message heard: at least the expected count, waited for on a busy machine, then what follows."""
        deadline = time.monotonic() + 20
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


@pytest.fixture
def receiver():
    listening = Receiver()
    yield listening
    if listening.dump.poll() is None:
        listening.dump.kill()
        listening.dump.wait()
        listening.dump.stdout.close()


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
def test_each_frame_carries_the_samples_at_its_pip_on_time(receiver, cues, fixtures, bpm, rate, spread, shown):
    count = 60
    options = ["--phase-step", str(spread["phase_step"])] if spread else []
    result = stream(receiver.port, "--fixtures", str(fixtures), "--bpm", str(bpm), "--rate", str(rate),
                    "--frames", str(count), "--profile", *options, *cues)
    assert result.returncode == 0, result.stderr
    assert f"sent {count} frames" in result.stderr
    frames = frames_of(receiver.messages(count * (fixtures + 1)), fixtures, "fffffii")
    assert len(frames) == count

    fixture = play.Fixture(540.0, 270.0)
    for _, pip, rows in frames:
        positions = play.spread(shown, pip, fixtures, **spread)
        want = zip(memoryview(positions).tolist(), memoryview(fixture.angles(positions)).tolist(),
                   memoryview(fixture.dmx(positions)).tolist())
        for have, (position, angles, dmx) in zip(rows, want, strict=True):
            assert have[:3] == pytest.approx(position, abs=1e-6), pip
            assert have[3:5] == pytest.approx(angles, abs=1e-3), pip
            assert have[5:] == [dmx[0] * 256 + dmx[1], dmx[2] * 256 + dmx[3]], pip

    # Frames follow one another at the frame rate: none lost on loopback,
    # none skipped unless the machine stalled, and received about on time.
    indices = frame_indices(frames, bpm, rate)
    assert indices[0] == 0 and indices == sorted(set(indices))
    assert sum(b - a == 1 for a, b in zip(indices, indices[1:])) >= 0.9 * (count - 1)
    spacing = (frames[-1][0] - frames[0][0]) / (indices[-1] - indices[0])
    assert spacing == pytest.approx(1 / rate, rel=0.15)


def test_ctrl_c_stops_cleanly_between_frames(receiver):
    streamer = subprocess.Popen([str(COMMAND), "stream", "--port", str(receiver.port), "--fixtures", "2", "circle"],
                                stderr=subprocess.PIPE, text=True)
    time.sleep(0.5)
    streamer.send_signal(signal.SIGINT)
    _, err = streamer.communicate(timeout=10)
    assert streamer.returncode == 0, err
    sent = int(err.rsplit("sent ", 1)[1].split()[0])
    assert len(frames_of(receiver.messages(sent * 3), 2, "fff")) == sent > 0


@pytest.mark.parametrize(("args", "code", "message"), [
    (["nope"], 1, "pipmoves-play stream: Unknown pipmove: nope"),
    (["--prefix", "pipmoves", "bounce"], 1,
     "pipmoves-play stream: The address prefix must be an OSC path such as /pipmoves, not 'pipmoves'"),
    (["--bpm", "0", "bounce"], 1, "pipmoves-play stream: Tempo must be finite and within [0.001, 1000000] BPM"),
    (["--size", "2", "bounce"], 1, "pipmoves-play stream: Size must be finite and within [0, 1]"),
    (["0:circle", "1:bounce:2", "2:circle"], 1, "pipmoves-play stream: A cue's fade must end by the next cue"),
    (["--rate", "-4", "bounce"], 2, "pipmoves-play stream: --rate must be above 0 and at most 1000 frames a second"),
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


def test_cues_play_your_own_groove_beside_the_default_patterns(receiver, tmp_path):
    lanes = tmp_path / "verse.txt"
    lanes.write_text(GROOVE)
    library = play.groove_patterns(play.read_step_lanes(GROOVE), "verse", "verse.txt")
    result = stream(receiver.port, "--fixtures", "2", "--frames", "30", "--groove", f"verse={lanes}",
                    "0:verse_bounce", "0.5:circle")
    assert result.returncode == 0, result.stderr
    frames = frames_of(receiver.messages(30 * 3), 2, "fff")
    shown = play.CrossFade(play.Pattern(library, "verse_bounce"), "circle", 32, 0)
    for _, pip, rows in frames:
        want = memoryview(play.spread(shown, pip, 2)).tolist()
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
