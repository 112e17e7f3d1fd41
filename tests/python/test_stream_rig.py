"""pipmoves-play stream --patch: its sACN and Art-Net heard on 127.0.0.1 and read back by Wireshark's own
dissectors (tshark), from a capture file written here out of the datagrams received."""
import json
import os
import pathlib
import select
import shutil
import signal
import socket
import struct
import subprocess
import threading
import time

import pytest

import pipmoves_play as play

COMMAND = pathlib.Path(os.environ.get("PIPMOVES_BUILD_DIR", "")) / "bin" / "pipmoves-play"
OFL = pathlib.Path(__file__).resolve().parents[1] / "data" / "ofl"
TSHARK = shutil.which("tshark")

pytestmark = pytest.mark.skipif(TSHARK is None, reason="tshark checks the packets")

# Universe 1: a hung Sharpy that slews at 400 degrees a second and a MAC Aura;
# universe 300: an 8-bit scanner of five slots from slot 3, so its universe
# uses 7 slots and its ArtDmx carries 8.
RIG = {"fixtures": [
    {"name": "left", "universe": 1, "address": 1, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "reach_pan": 90, "reach_tilt": 45, "mounting": "hung", "max_speed": 400},
    {"name": "right", "universe": 1, "address": 17, "ofl": "martin/mac-aura.json", "mode": "Standard",
     "reach_pan": 60, "reach_tilt": 30, "invert_pan": True},
    {"name": "scan", "universe": 300, "address": 3,
     "layout": {"channels": ["pan", "tilt", 255, 0, 7], "pan_range": 170, "tilt_range": 75}},
]}
UNIVERSES = (1, 300)
USED = {1: 30, 300: 7}


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Listener:
    """UDP sockets on 127.0.0.1, each datagram kept in order of arrival, read by a thread while the streamer plays."""

    def __init__(self, count):
        self.sockets = []
        for _ in range(count):
            sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 22)
            sock.bind(("127.0.0.1", 0))
            self.sockets.append(sock)
        self.ports = [sock.getsockname()[1] for sock in self.sockets]
        self.heard = {port: [] for port in self.ports}
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        while True:
            ready, _, _ = select.select(self.sockets, [], [], 0.05)
            for sock in ready:
                self.heard[sock.getsockname()[1]].append(sock.recv(1 << 16))
            if not ready and self.done.is_set():
                return

    def stop(self):
        # Loopback delivers as it sends: once the streamer is gone, one quiet read finds everything.
        self.done.set()
        self.thread.join(timeout=30)
        for sock in self.sockets:
            sock.close()
        return self.heard


def write_pcap(path, datagrams, port):
    """A capture of the datagrams as sent to 127.0.0.1:port, in Ethernet, IPv4 and UDP headers of its own."""
    with open(path, "wb") as out:
        out.write(struct.pack("<IHHiIII", 0xa1b2c3d4, 2, 4, 0, 0, 1 << 16, 1))
        for n, payload in enumerate(datagrams):
            udp = struct.pack("!HHHH", 50000, port, 8 + len(payload), 0) + payload
            ip = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(udp), n & 0xffff, 0, 64, 17, 0,
                             bytes([127, 0, 0, 1]), bytes([127, 0, 0, 1])) + udp
            frame = bytes(12) + b"\x08\x00" + ip
            out.write(struct.pack("<IIII", n, 0, len(frame), len(frame)) + frame)


def tshark(path, fields, *options):
    result = subprocess.run([TSHARK, "-r", str(path), *options, "-T", "fields", "-E", "separator=\t",
                             *[arg for field in fields for arg in ("-e", field)]],
                            capture_output=True, text=True, timeout=120, check=True)
    return [dict(zip(fields, line.split("\t"))) for line in result.stdout.splitlines()]


SACN_FIELDS = ["acn.cid", "acn.dmx.universe", "acn.dmx.priority", "acn.dmx.seq_number", "acn.dmx.source_name",
               "acn.dmx.option_s", "acn.dmx.start_code2", "acn.dmx.count", "acn.dmx.data"]


def decoded_sacn(tmp_path, datagrams, port):
    """Each packet as tshark's sACN dissector reads it, its 512 slots from the dissector's decimal table."""
    path = tmp_path / f"sacn-{port}.pcap"
    write_pcap(path, datagrams, port)
    packets = tshark(path, SACN_FIELDS, "-d", f"udp.port=={port},acn", "-o", "acn.dmx_enable:TRUE",
                     "-o", "acn.dmx_display_view:decimal", "-o", "acn.dmx_display_zeros:TRUE")
    for packet in packets:
        header, *rows = packet.pop("acn.dmx.data").split(",")
        slots = [int(v) for row in rows for v in row.split(":", 1)[1].split() if v != "|"]
        packet["slots"] = bytes(slots)
    return packets


ARTNET_FIELDS = ["artnet.header.id", "artnet.header.opcode", "artnet.header.protver", "artnet.output.sequence",
                 "artnet.output.physical", "artnet.output.universe", "artnet.output.length", "dmx_chan.data_filter"]


def decoded_artnet(tmp_path, datagrams, port):
    path = tmp_path / f"artnet-{port}.pcap"
    write_pcap(path, datagrams, port)
    packets = tshark(path, ARTNET_FIELDS, "-d", f"udp.port=={port},artnet")
    for packet in packets:
        packet["slots"] = bytes.fromhex(packet.pop("dmx_chan.data_filter").replace(":", ""))
    return packets


def osc_pips(datagrams):
    """The pip of each OSC frame: a bundle whose first message is /pipmoves/pip."""
    pips = []
    for datagram in datagrams:
        assert datagram[:8] == b"#bundle\0"
        size = struct.unpack("!i", datagram[16:20])[0]
        message = datagram[20:20 + size]
        assert message.startswith(b"/pipmoves/pip\0") and message[16:20] == b",i\0\0"
        pips.append(struct.unpack("!i", message[20:24])[0])
    return pips


def frame_index(pip, bpm, rate):
    """Which frame of the stream shows pip: frame k shows the pip due at k / rate seconds."""
    clock = play.Clock(bpm)
    k = round(pip * rate / clock.position_at(1.0))
    return next(j for j in (k - 1, k, k + 1) if clock.pip_at(j / rate) == pip)


@pytest.fixture
def rig_file(tmp_path):
    path = tmp_path / "rig.json"
    path.write_text(json.dumps(RIG))
    return path


def streamer(rig_file, listener, *args):
    osc, sacn, artnet, *more = listener.ports
    destinations = [arg for port in [sacn, *more] for arg in ("--sacn-dest", f"127.0.0.1:{port}")]
    return [str(COMMAND), "stream", "--port", str(osc), "--patch", str(rig_file), "--fixtures", str(OFL),
            *destinations, "--artnet", f"127.0.0.1:{artnet}", *args]


def test_every_slot_of_every_frame_is_the_patch_output_for_its_pip(tmp_path, rig_file):
    count, bpm, rate = 40, 128.0, 44.0
    listener = Listener(4)  # OSC, sACN to two destinations, Art-Net
    result = subprocess.run(streamer(rig_file, listener, "--sacn-priority", "150", "--sacn-name", "front of house",
                                     "--bpm", str(bpm), "--rate", str(rate), "--frames", str(count), "circle"),
                            capture_output=True, text=True, timeout=120)
    heard = listener.stop()
    assert result.returncode == 0, result.stderr
    osc, sacn, artnet, second = listener.ports

    pips = osc_pips(heard[osc])
    assert len(pips) == count
    indices = [frame_index(pip, bpm, rate) for pip in pips]
    assert indices[0] == 0 and indices == sorted(set(indices))

    # What Patch makes of each frame's pip, the heads slewing from home over the frames' intervals.
    patch = play.Patch(rig_file, fixtures=OFL)
    player = play.PatchPlayer(patch)
    want, last = [], 0
    for pip, k in zip(pips, indices):
        universes = bytes(player.frame(play.spread("circle", pip, len(patch)), (k - last) / rate))
        want.append({u: universes[512 * n:512 * (n + 1)] for n, u in enumerate(UNIVERSES)})
        last = k
    assert want[0] != want[-1], "the heads moved"

    # sACN: a stream a universe, each frame then three stream-terminated copies of the last.
    packets = decoded_sacn(tmp_path, heard[sacn], sacn)
    assert decoded_sacn(tmp_path, heard[second], second) == packets, "every destination hears the same"
    assert len(packets) == (count + 3) * len(UNIVERSES)
    assert len({p["acn.cid"] for p in packets}) == 1
    for n, universe in enumerate(UNIVERSES):
        stream = [p for p in packets if p["acn.dmx.universe"] == str(universe)]
        assert len(stream) == count + 3
        for i, packet in enumerate(stream):
            frame = min(i, count - 1)
            assert packet["acn.dmx.priority"] == "150"
            assert packet["acn.dmx.source_name"] == "front of house"
            assert packet["acn.dmx.seq_number"] == str(i % 256)
            assert packet["acn.dmx.option_s"] == ("True" if i >= count else "False"), i
            assert (packet["acn.dmx.start_code2"], packet["acn.dmx.count"]) == ("0", "513")
            assert packet["slots"] == want[frame][universe], (universe, i)

    # Art-Net: ArtDmx at port-address universe - 1, sequence from 1, the used slots rounded up to even.
    packets = decoded_artnet(tmp_path, heard[artnet], artnet)
    assert len(packets) == count * len(UNIVERSES)
    for universe in UNIVERSES:
        stream = [p for p in packets if p["artnet.output.universe"] == str(universe - 1)]
        length = USED[universe] + USED[universe] % 2
        assert len(stream) == count
        for i, packet in enumerate(stream):
            assert (packet["artnet.header.id"], packet["artnet.header.opcode"], packet["artnet.header.protver"],
                    packet["artnet.output.physical"]) == ("Art-Net", "0x5000", "14", "0")
            assert packet["artnet.output.sequence"] == str(i % 255 + 1)
            assert packet["artnet.output.length"] == str(length)
            assert packet["slots"] == want[i][universe][:length], (universe, i)


@pytest.mark.parametrize("stop", [signal.SIGINT, signal.SIGTERM], ids=["ctrl-c", "sigterm"])
def test_a_stopped_stream_ends_each_universe_with_stream_terminated_packets(tmp_path, rig_file, stop):
    listener = Listener(3)
    process = subprocess.Popen(streamer(rig_file, listener, "circle"), stderr=subprocess.PIPE, text=True)
    osc = listener.ports[0]
    deadline = time.monotonic() + 30
    while len(listener.heard[osc]) < 3 and time.monotonic() < deadline and process.poll() is None:
        time.sleep(0.05)
    process.send_signal(stop)
    _, err = process.communicate(timeout=30)
    heard = listener.stop()
    assert process.returncode == 0, err
    sent = int(err.rsplit("sent ", 1)[1].split()[0])
    assert sent >= 3
    packets = decoded_sacn(tmp_path, heard[listener.ports[1]], listener.ports[1])
    for universe in UNIVERSES:
        stream = [p for p in packets if p["acn.dmx.universe"] == str(universe)]
        assert [p["acn.dmx.option_s"] for p in stream] == ["False"] * sent + ["True"] * 3
        assert [int(p["acn.dmx.seq_number"]) for p in stream] == [i % 256 for i in range(sent + 3)]
        assert len({p["slots"] for p in stream[-4:]}) == 1, "the last look, terminated"


def test_an_unchanged_rig_is_resent_between_slow_frames(tmp_path, rig_file):
    # Four seconds between two frames: sACN and Art-Net are kept alive with the first frame's slots.
    listener = Listener(3)
    result = subprocess.run(streamer(rig_file, listener, "--rate", "0.25", "--frames", "2", "circle"),
                            capture_output=True, text=True, timeout=120)
    heard = listener.stop()
    assert result.returncode == 0, result.stderr
    osc, sacn, artnet = listener.ports
    assert len(heard[osc]) == 2
    sacn_packets = [p for p in decoded_sacn(tmp_path, heard[sacn], sacn) if p["acn.dmx.option_s"] == "False"]
    artnet_packets = decoded_artnet(tmp_path, heard[artnet], artnet)
    for universe in UNIVERSES:
        for stream in ([p for p in sacn_packets if p["acn.dmx.universe"] == str(universe)],
                       [p for p in artnet_packets if p["artnet.output.universe"] == str(universe - 1)]):
            assert len(stream) >= 3, "frame 0, at least one keep-alive, frame 1"
            assert len({p["slots"] for p in stream[:-1]}) == 1, "keep-alives repeat the frame before"
    # The slewing Sharpy has left home by frame 1, so that last packet is a frame of its own.
    assert sacn_packets[-2]["slots"] != sacn_packets[0]["slots"]


def test_the_source_keeps_its_cid_for_its_patch_file_and_another_file_is_another_source(tmp_path, rig_file):
    other = tmp_path / "other" / "rig.json"
    other.parent.mkdir()
    other.write_text(rig_file.read_text())
    cids = []
    for path in (rig_file, rig_file, other):
        listener = Listener(3)
        result = subprocess.run(streamer(path, listener, "--frames", "1", "circle"), capture_output=True, text=True,
                                timeout=120)
        heard = listener.stop()
        assert result.returncode == 0, result.stderr
        cids.append({p["acn.cid"] for p in decoded_sacn(tmp_path, heard[listener.ports[1]], listener.ports[1])})
    assert len(cids[0]) == 1 and cids[0] == cids[1] != cids[2]


@pytest.mark.parametrize(("args", "message"), [
    (["--patch", "{missing}", "--sacn-dest", "127.0.0.1:{port}"], "pipmoves-play stream: {missing}: cannot be read"),
    (["--sacn-dest", "127.0.0.1:{port}"], "pipmoves-play stream: --sacn-dest needs --patch FILE"),
    (["--patch", "{big}", "--fixtures", str(OFL), "--artnet", "127.0.0.1:{port}"],
     "pipmoves-play stream: An Art-Net universe must be 1 to 32768, not 40000"),
])
def test_refusals_send_nothing(tmp_path, rig_file, args, message):
    big = tmp_path / "big.json"
    big.write_text(json.dumps({"fixtures": [dict(RIG["fixtures"][2], universe=40000)]}))
    listener = Listener(2)
    osc, port = listener.ports
    args = [a.format(missing=tmp_path / "missing.json", port=port, big=big) for a in args]
    message = message.format(missing=tmp_path / "missing.json")
    result = subprocess.run([str(COMMAND), "stream", "--port", str(osc), "--frames", "2", *args, "circle"],
                            capture_output=True, text=True, timeout=60)
    heard = listener.stop()
    assert result.returncode != 0 and result.stderr.splitlines()[0] == message, result.stderr
    assert heard == {osc: [], port: []}
