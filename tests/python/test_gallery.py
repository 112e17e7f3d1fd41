import pathlib
import re
import shutil
import subprocess
import sys

import pytest

import pipmoves
from pack_layout import ROWS

TOOLS = pathlib.Path(__file__).resolve().parents[2] / "tools"


@pytest.fixture(scope="module")
def page(tmp_path_factory):
    out = tmp_path_factory.mktemp("gallery") / "gallery.html"
    subprocess.run([sys.executable, str(TOOLS / "gallery.py"), str(out)], check=True, capture_output=True)
    return out


def test_page_carries_every_default_pattern(page):
    text = page.read_text(encoding="utf-8")
    for row in pipmoves.catalogue():
        assert f'"name":"{row["name"]}"' in text


def test_cards_carry_the_pack_and_family_the_build_wrote(page):
    text = page.read_text(encoding="utf-8")
    stored = {row["name"]: row for row in ROWS}
    for row in pipmoves.catalogue():
        origin = stored.get(row["name"], {"pack": "procedural", "family": "procedural"})
        assert f'"pack":"{origin["pack"]}","family":"{origin["family"]}","name":"{row["name"]}"' in text


def rendered_dom(url, profile, budget_ms):
    """The page's DOM after budget_ms of the browser's virtual time."""
    chromium = shutil.which("chromium")
    if chromium is None:
        pytest.skip("no chromium on this machine")
    return subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         f"--user-data-dir={profile}", f"--virtual-time-budget={budget_ms}", "--dump-dom", url],
        check=True, capture_output=True, text=True, timeout=180).stdout


def test_chromium_renders_a_card_for_every_pattern(page, tmp_path):
    dom = rendered_dom(page.as_uri(), tmp_path / "profile", 20000)
    names = re.findall(r'<svg [^>]*class="path" data-name="([a-z0-9_]+)"', dom)
    assert names == [row["name"] for row in pipmoves.catalogue()]
    assert f'data-rendered="{len(names)}"' in dom
    depth_views = dom.count('class="path depth"')
    assert depth_views == sum(row["dimensions"] == 3 for row in pipmoves.catalogue())


def test_player_moves_cards_in_phase_at_the_tempo(page, tmp_path):
    bpm, names = 150, ["lfo_breathe", "helix", "beat_dembow_push_ricochet"]
    dom = rendered_dom(f"{page.as_uri()}#play={','.join(names)}&bpm={bpm}", tmp_path / "profile", 6000)
    body = re.search(r'<body [^>]*data-clock-pip="(\d+)" data-clock-ms="(\d+)"', dom)
    clock_pip, clock_ms = int(body[1]), int(body[2])
    assert clock_ms > 500  # the clock ran for a while: load takes part of the budget
    assert abs(clock_pip - clock_ms * bpm * pipmoves.PIPS_PER_BEAT / 60000) <= 1
    rows = {row["name"]: row for row in pipmoves.catalogue()}
    cards = {m[1]: m for m in re.finditer(r'<div class="card playing" [^>]*data-name="(\w+)" data-pip="(\d+)">'
                                          r'(.*?)<div class="pip">', dom, re.S)}
    assert sorted(cards) == sorted(names)
    for name, card in cards.items():
        pip = int(card[2])
        assert pip == clock_pip % rows[name]["period_pips"]
        dots = re.findall(r'<circle r="0.07" class="dot" cx="([-\d.e]+)" cy="([-\d.e]+)"', card[3])
        x, y, z = pipmoves.sample(name, pip).as_tuple()
        want = [x, -y, x, -z][:4 if rows[name]["dimensions"] == 3 else 2]
        assert [float(v) for dot in dots for v in dot] == pytest.approx(want, abs=1e-4)
