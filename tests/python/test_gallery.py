import pathlib
import subprocess
import sys

import pytest

import pipmoves
from headless_page import Page
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


@pytest.fixture(scope="module")
def browser(tmp_path_factory):
    page = Page(tmp_path_factory.mktemp("profile"))
    yield page
    page.close()


def test_chromium_renders_a_card_for_every_pattern(page, browser):
    browser.open(page.as_uri())
    names = browser.evaluate('[...document.querySelectorAll("svg.path:not(.depth)")].map(s => s.dataset.name)')
    assert names == [row["name"] for row in pipmoves.catalogue()]
    assert browser.evaluate("document.body.dataset.rendered") == str(len(names))
    depth_views = browser.evaluate('document.querySelectorAll("svg.path.depth").length')
    assert depth_views == sum(row["dimensions"] == 3 for row in pipmoves.catalogue())


PLAYED = ["lfo_breathe", "helix", "beat_dembow_push_ricochet"]
CARD_STATE = """[...document.querySelectorAll(".card.playing")].map(c => ({
  name: c.dataset.name, pip: Number(c.dataset.pip),
  dots: [...c.querySelectorAll("circle.dot")].flatMap(d => [Number(d.getAttribute("cx")), Number(d.getAttribute("cy"))]),
}))"""


def assert_cards_show(cards, clock_pip):
    rows = {row["name"]: row for row in pipmoves.catalogue()}
    assert sorted(c["name"] for c in cards) == sorted(PLAYED)
    for card in cards:
        name, pip = card["name"], card["pip"]
        assert pip == clock_pip % rows[name]["period_pips"]
        x, y, z = pipmoves.sample(name, pip).as_tuple()
        want = [x, -y, x, -z][:4 if rows[name]["dimensions"] == 3 else 2]
        assert card["dots"] == pytest.approx(want, abs=1e-4)


@pytest.mark.parametrize("bpm, advances_ms", [(150, [2000]), (124, [250, 250, 1000]), (90, [0, 37, 5333])])
def test_player_moves_cards_in_phase_on_a_manual_clock(page, browser, bpm, advances_ms):
    browser.open(f"{page.as_uri()}#play={','.join(PLAYED)}&bpm={bpm}&clock=manual")
    for ms in advances_ms:
        browser.evaluate(f"manualClock.advance({ms})")
    clock_pip = int(browser.evaluate("document.body.dataset.clockPip"))
    assert clock_pip == int(sum(advances_ms) * bpm * pipmoves.PIPS_PER_BEAT / 60000)
    assert_cards_show(browser.evaluate(CARD_STATE), clock_pip)


def test_player_clock_runs_at_the_tempo(page, browser):
    bpm = 150
    browser.open(f"{page.as_uri()}#play={','.join(PLAYED)}&bpm={bpm}")
    # Waits for the clock to move, however long that takes, then reads one drawn frame.
    pip, ms, cards = browser.evaluate("""new Promise(done => {
      const look = () => Number(document.body.dataset.clockPip) > 0
        ? done([Number(document.body.dataset.clockPip), Number(document.body.dataset.clockMs), """ + CARD_STATE + """])
        : requestAnimationFrame(look);
      look();
    })""")
    assert abs(pip - ms * bpm * pipmoves.PIPS_PER_BEAT / 60000) <= 1
    assert_cards_show(cards, pip)
