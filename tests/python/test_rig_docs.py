import ast
import json
import os
import pathlib
import re
import subprocess
import sys

import pipmoves_play as play

ROOT = pathlib.Path(__file__).resolve().parents[2]
OFL = ROOT / "tests" / "data" / "ofl"


def section():
    readme = (ROOT / "README.md").read_text()
    return readme.split("## Lighting a rig", 1)[1].split("\n## ", 1)[0]


def blocks(language):
    return re.findall(rf"```{language}\n(.*?)```", section(), re.S)


def test_the_readme_patch_plays_one_second_of_eight_heads_on_one_universe(tmp_path):
    patch_text, inline = blocks("json")
    (tmp_path / "rig.json").write_text(patch_text)
    for maker in ("clay-paky", "martin"):
        (tmp_path / maker).symlink_to(OFL / maker)
    example, = blocks("python")
    lines = subprocess.run([sys.executable, "-c", example], check=True, capture_output=True, text=True,
                           env=os.environ, timeout=120, cwd=tmp_path).stdout.splitlines()
    assert lines[0] == "Patch('rig.json', 8 fixtures on universe 1)"
    channels = ast.literal_eval(lines[1])
    assert [name for name, _ in channels] == ["Pan", "Pan fine", "Tilt", "Tilt fine"]
    patch = play.Patch(tmp_path / "rig.json")
    left_1 = patch.fixtures[0]
    pan, tilt = ast.literal_eval(lines[2])
    # A second at 400 degrees a second at most, from home, within the limits; and what the wire
    # carries is those degrees.
    assert abs(pan - left_1.home_pan) <= 400 and abs(tilt - left_1.home_tilt) <= 400
    assert left_1.pan_limits[0] <= pan <= left_1.pan_limits[1]
    assert left_1.tilt_limits[0] <= tilt <= left_1.tilt_limits[1]
    sent_pan = channels[0][1] << 8 | channels[1][1]
    sent_tilt = channels[2][1] << 8 | channels[3][1]
    assert sent_pan == int(pan / left_1.layout.pan_range * 65535 + 0.5)
    assert sent_tilt == int(tilt / left_1.layout.tilt_range * 65535 + 0.5)
    assert [f.layout.source for f in patch.fixtures] == [f"{tmp_path / 'clay-paky' / 'sharpy.json'}, mode Standard"] * 4 + [
        f"{tmp_path / 'martin' / 'mac-aura.json'}, mode Standard"] * 4
    # The inline layout of the README reads as a patch of its own.
    scan = play.Patch({"fixtures": [json.loads(inline)]}).fixtures[0]
    assert (scan.layout.footprint, scan.layout.pan_range, scan.layout.tilt_range) == (4, 170.0, 75.0)
    assert [slot.role for slot in scan.layout.channels] == ["pan", "tilt", "held", "held"]


def test_the_readme_names_every_key_of_a_fixture():
    keys = {"name", "universe", "address", "ofl", "mode", "layout", "home_pan", "home_tilt", "reach_pan",
            "reach_tilt", "invert_pan", "invert_tilt", "swap_pan_tilt", "mounting", "pan_limits", "tilt_limits",
            "max_speed", "position"}
    written = set(re.findall(r"`([a-z_]+)`", section()))
    assert keys <= written
    # Every key the README's patch uses is one a patch takes: it read above, so none is unknown.
    patch_text, _ = blocks("json")
    used = {key for fixture in json.loads(patch_text)["fixtures"] for key in fixture}
    assert used <= keys
