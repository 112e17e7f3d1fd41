import os
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def run(args):
    return subprocess.run([sys.executable, *args], check=True, capture_output=True, text=True, env=os.environ,
                          timeout=120).stdout


def test_readme_show_example_prints_one_frame_of_dmx_for_eight_fixtures():
    readme = (ROOT / "README.md").read_text()
    section = readme.split("## Playing a show", 1)[1].split("\n## ", 1)[0]
    example = re.search(r"```python\n(.*?)```", section, re.S)[1]
    lines = run(["-c", example]).splitlines()
    assert lines[0] == "pip 1124, beat 17.56, fade 0.34"
    fixtures = [re.fullmatch(r"fixture (\d): DMX \[(\d+), (\d+), (\d+), (\d+)\]", line) for line in lines[1:9]]
    assert [int(m[1]) for m in fixtures] == list(range(1, 9))
    assert all(0 <= int(value) <= 255 for m in fixtures for value in m.groups()[1:])
    assert len({m.groups()[1:] for m in fixtures}) == 8  # a fan: no two fixtures alike
    assert lines[9:] == ["(256, 3)"]


def test_demo_prints_frames_of_a_fixture_fan():
    out = run([str(ROOT / "tools" / "demo.py")])
    fan = out.split("fixture fan", 1)[1]
    rows = [line for line in fan.splitlines() if re.match(r"\s*\d+\s+\d+\.\d+\s", line)]
    assert len(rows) >= 4
    assert all(len(re.findall(r"\b\d{1,5}/\d{1,5}\b", row)) == 8 for row in rows)
