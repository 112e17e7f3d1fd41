import os
import pathlib
import re
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]


def run(args, cwd=None):
    return subprocess.run([sys.executable, *args], check=True, capture_output=True, text=True, env=os.environ,
                          timeout=120, cwd=cwd).stdout


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


def test_demo_prints_a_bar_of_an_imported_groove_bounce():
    out = run([str(ROOT / "tools" / "demo.py")])
    groove = out.split("your own groove", 1)[1].split("fixture fan", 1)[0]
    assert "become 16 patterns, mine_bounce to mine_ricochet" in groove
    rows = [line.split() for line in groove.split("mine_bounce, one bar", 1)[1].splitlines()
            if re.match(r"\s*\d+\s+\d+\.\d+\s", line)]
    assert [int(row[0]) for row in rows] == list(range(0, 257, 16))
    assert float(rows[0][3]) > 0.3  # the kick on the downbeat lifts


def test_readme_own_groove_example_turns_lanes_and_a_midi_file_into_patterns(tmp_path):
    import mido

    readme = (ROOT / "README.md").read_text()
    section = readme.split("## Your own groove", 1)[1].split("\n## ", 1)[0]
    example = re.search(r"```python\n(.*?)```", section, re.S)[1]
    midi = mido.MidiFile(ticks_per_beat=480)
    track = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(126))])
    for beat in range(40):  # ten bars of kicks, a bass note on every second beat
        track.append(mido.Message("note_on", channel=9, note=36, velocity=110, time=0 if beat == 0 else 480))
        if beat % 2:
            track.append(mido.Message("note_on", channel=1, note=40, velocity=90, time=0))
    midi.tracks.append(track)
    midi.save(str(tmp_path / "track.mid"))
    lines = run(["-c", example + "\nprint(len(verse.catalogue()), len(drums.hits))"], cwd=tmp_path).splitlines()
    assert lines[0].startswith("('bounce', 'step', ") and lines[0].endswith("'ricochet')")
    period, tempo = lines[1].split()
    assert period == "512" and abs(float(tempo) - 126) < 1e-3
    assert lines[2] == f"{1731 + 16} 12"  # eight kicks and four bass notes in bars 9 and 10
