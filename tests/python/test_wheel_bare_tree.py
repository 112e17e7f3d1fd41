"""The wheel installed where nothing but Python 3.14 and numpy is: a Debian tree
without any of the libraries the wheel carries, entered with chroot over a
throwaway overlay, so the cached tree stays as provisioned. Its pipmoves-play
streams to oscdump listening on this side of the chroot."""
import json
import os
import pathlib
import re
import subprocess

import pytest

from test_play_groove import write_midi
from test_stream import Receiver

BARE = os.environ.get("PIPMOVES_BARE_TREE") or ""
pytestmark = pytest.mark.skipif(not BARE, reason="no bare tree here: tools/dev test provisions one")

# Runs in a private mount namespace (mount(2) through ctypes: the toolchain
# has no mount command): the bare tree under a tmpfs overlay, the wheel and
# pip's own wheel copied in, a virtual environment made by the tree's Python
# and the wheel installed into it, then the command given.
ENTER = r"""
import ctypes, os, pathlib, shutil, subprocess, sys
bare, work, wheel, pip, given = sys.argv[1], pathlib.Path(sys.argv[2]), sys.argv[3], sys.argv[4], sys.argv[5]
command = sys.argv[6:]
libc = ctypes.CDLL(None, use_errno=True)
MS_BIND, MS_REC, MS_PRIVATE = 4096, 16384, 1 << 18

def mount(source, target, kind, flags=0, data=None):
    if libc.mount(*(None if v is None else str(v).encode() for v in (source, target, kind)), flags,
                  None if data is None else data.encode()) != 0:
        sys.exit(f"mount {target}: {os.strerror(ctypes.get_errno())}")

os.unshare(os.CLONE_NEWNS)
mount(None, "/", None, MS_REC | MS_PRIVATE)
mount("tmpfs", work, "tmpfs")
for name in ("upper", "work", "root"):
    (work / name).mkdir()
root = work / "root"
mount("overlay", root, "overlay", data=f"lowerdir={bare}/root,upperdir={work}/upper,workdir={work}/work")
mount("proc", root / "proc", "proc")
mount("/dev", root / "dev", None, MS_BIND | MS_REC)
for path in (wheel, pip):
    shutil.copy(path, root / "tmp")
shutil.copytree(given, root / "tmp" / "input")

def inside(*argv, check=True):
    env = {"PATH": "/opt/env/bin:/usr/bin:/bin", "HOME": "/root", "LANG": "C.UTF-8"}
    def enter():
        os.chroot(root)
        os.chdir("/")
    return subprocess.run(argv, env=env, check=check, preexec_fn=enter).returncode

inside("python3.14", "-m", "venv", "--without-pip", "--system-site-packages", "/opt/env")
inside("/opt/env/bin/python", f"/tmp/{pathlib.Path(pip).name}/pip", "install", "--quiet", "--no-index", "--no-deps",
       "--disable-pip-version-check", "--use-deprecated=legacy-certs", f"/tmp/{pathlib.Path(wheel).name}")
sys.exit(inside(*command, check=False))
"""

# What a newcomer does first, from the bare tree's Python.
CHECK = r"""
import json, os, pathlib, sys
import numpy
import pipmoves, pipmoves_play as play

out = {"where": [pathlib.Path(m.__file__).parent.as_posix() for m in (pipmoves, play)]}
out["sample"] = pipmoves.sample("lfo_breathe", 64).as_tuple()
bar = play.render("helix", 0, 4 * pipmoves.PIPS_PER_BEAT)
one, two = numpy.asarray(bar), numpy.asarray(bar)
out["bar"] = [list(one.shape), numpy.shares_memory(one, two), bool(one.flags.writeable),
              one.tolist() == [list(pipmoves.helix(p).as_tuple()) for p in range(256)]]
score = play.read_midi("/tmp/input/groove.mid")
library = play.groove_patterns(score, "mine", "My groove")
out["groove"] = [len(score.hits), library.catalogue()[-1]["name"], library.sample("mine_bounce", 0).as_tuple()]
mapped = {line.split()[-1] for line in open("/proc/self/maps") if line.split()[-1].startswith("/")}
out["mapped"] = sorted(mapped)
print(json.dumps(out))
"""

CARRIED = ("liblo.so", "libe131.so", "libsndfile.so")


@pytest.fixture(scope="module")
def bare_input(tmp_path_factory):
    """The files the bare tree's checks read: a MIDI groove written by mido."""
    folder = tmp_path_factory.mktemp("bare-input")
    write_midi(folder / "groove.mid", [(0, "kick", 1.0), (128, "kick", 0.8), (64, "snare", 0.9), (32, "hat", 0.5)],
               bars=1)
    return folder


def in_bare_tree(tmp_path, wheel, bare_input, *command):
    (pip,) = pathlib.Path("/usr/share/python-wheels").glob("pip-*.whl")
    work = tmp_path / "bare"
    work.mkdir(parents=True)
    return subprocess.run(["python3.14", "-c", ENTER, BARE, str(work), str(wheel), str(pip), str(bare_input), *command],
                          capture_output=True, text=True, timeout=600)


def test_the_bare_tree_lacks_what_the_wheel_carries():
    present = [path for path in pathlib.Path(BARE, "root", "usr", "lib").rglob("*.so*")
               if path.name.startswith(CARRIED)]
    assert present == []


def test_every_elf_file_of_the_wheel_carries_its_own_cxx_runtime(tmp_path, repaired_wheel):
    subprocess.run(["python3.14", "-m", "zipfile", "-e", str(repaired_wheel), str(tmp_path)], check=True)
    elves = [path for path in tmp_path.rglob("*") if path.is_file() and path.read_bytes()[:4] == b"\x7fELF"]
    ours = [path for path in elves if path.name.startswith(("pipmoves", "libpipmoves"))]
    assert sorted(path.name.split(".")[0] for path in ours) == \
        ["libpipmoves", "libpipmoves_play", "pipmoves", "pipmoves-play", "pipmoves_play"]
    for path in ours:
        needed = subprocess.run(["readelf", "-d", str(path)], check=True, capture_output=True, text=True).stdout
        assert "libstdc++" not in needed and "libgcc_s" not in needed, path


def test_wheel_imports_samples_renders_and_reads_a_groove_in_a_bare_tree(tmp_path, repaired_wheel, bare_input):
    ran = in_bare_tree(tmp_path, repaired_wheel, bare_input, "python", "-c", CHECK)
    assert ran.returncode == 0, ran.stdout + ran.stderr
    out = json.loads(ran.stdout.splitlines()[-1])
    assert out["where"] == ["/opt/env/lib/python3.14/site-packages"] * 2
    assert out["sample"] == [0.8, 0.0, 0.0]
    assert out["bar"] == [[256, 3], True, False, True]
    hits, last, bounce = out["groove"]
    assert hits == 4 and last.startswith("mine_"), out["groove"]
    assert all(-1.0 <= value <= 1.0 for value in bounce)
    # One copy of the stored tables; every library that is not the system's
    # comes from inside the wheel.
    mapped = out["mapped"]
    cores = [path for path in mapped if pathlib.Path(path).name.startswith("libpipmoves.so")]
    assert cores == ["/opt/env/lib/python3.14/site-packages/pipmoves.libs/libpipmoves.so.0"], mapped
    site = "/opt/env/lib/python3.14/site-packages/"
    ours = sorted(pathlib.Path(path).name for path in mapped if path.startswith(site + "pipmoves.libs/"))
    assert {"libpipmoves.so.0", "libpipmoves_play.so.0"} <= set(ours), mapped
    # Whatever else is grafted is renamed with its digest, as auditwheel does.
    assert all(re.fullmatch(r"lib[^.]*-[0-9a-f]{8}\..*\.so.*|lib[^.]*-[0-9a-f]{8}\.so.*", name) for name in ours
               if not name.startswith("libpipmoves")), ours
    assert all(path.startswith(("/usr/", site)) for path in mapped), mapped


def test_wheel_streamer_helps_and_streams_to_oscdump_from_a_bare_tree(tmp_path, repaired_wheel, bare_input):
    helped = in_bare_tree(tmp_path, repaired_wheel, bare_input, "pipmoves-play", "--help")
    assert helped.returncode == 0, helped.stdout + helped.stderr
    assert helped.stdout.startswith("usage: pipmoves-play stream [OPTIONS] PATTERN")

    receiver = Receiver()
    try:
        streamed = in_bare_tree(tmp_path / "again", repaired_wheel, bare_input, "pipmoves-play", "stream",
                                "--port", str(receiver.port), "--fixtures", "2", "--frames", "3", "bounce")
        assert streamed.returncode == 0, streamed.stdout + streamed.stderr
        messages = receiver.messages(expected=9)
    finally:
        if receiver.dump.poll() is None:
            receiver.dump.kill()
            receiver.dump.wait()
    assert [(address, types) for _, address, types, _ in messages] == \
        [("/pipmoves/pip", "i"), ("/pipmoves/fixture/1", "fff"), ("/pipmoves/fixture/2", "fff")] * 3
