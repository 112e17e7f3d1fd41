import json
import pathlib
import re
import subprocess
import sys
import urllib.parse

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


def test_page_is_one_light_file(page):
    text = page.read_text(encoding="utf-8")
    assert page.stat().st_size < 6 * 2**20
    assert "src=" not in text and "<link" not in text  # nothing to fetch: it opens from disk


def page_rows(page):
    text = page.read_text(encoding="utf-8")
    return json.loads(re.search(r'<script id="data" type="application/json">(.*?)</script>', text, re.S)[1])


@pytest.mark.parametrize("name", ["lfo_breathe", "helix", "flam", "beat_dembow_push_ricochet"])
def test_tables_decode_to_every_pip(page, browser, name):
    browser.open(page.as_uri())
    table = browser.evaluate(f"Array.from(tableOf(byName.get({json.dumps(name)})))")
    period = next(r["period_pips"] for r in pipmoves.catalogue() if r["name"] == name)
    want = [v for pip in range(period) for v in pipmoves.sample(name, pip).as_tuple()]
    assert table == pytest.approx(want, abs=1e-4)


def test_facets_agree_with_the_ranges_the_packs_state(page):
    """A row that states it reaches from low to high on an axis has that reach and moves on it."""
    rows = {r["name"]: r for r in page_rows(page)}
    checked = 0
    for row in ROWS:
        for i, axis in enumerate("xyz"):
            stated = (row.get("stated") or {}).get(axis)
            if stated is None or stated["within"]:
                continue
            facets = rows[row["name"]]["facets"]
            assert facets["reach"][i] == pytest.approx(stated["high"] - stated["low"], abs=2e-3), row["name"]
            assert axis in facets["axes"], row["name"]
            checked += 1
    assert checked > 0


DRAWN = "[...document.querySelectorAll('.card[data-drawn]')].map(c => c.dataset.name)"
IN_VIEW = """[...document.querySelectorAll(".card")].filter(c => {
  const r = c.getBoundingClientRect();
  return r.bottom > 0 && r.top < innerHeight && c.style.display !== "none";
}).map(c => c.dataset.name)"""


def test_cards_are_drawn_as_they_come_into_view(page, browser):
    browser.open(page.as_uri())
    names = [row["name"] for row in pipmoves.catalogue()]
    assert browser.evaluate('[...document.querySelectorAll(".card")].map(c => c.dataset.name)') == names
    drawn, in_view = browser.evaluate(DRAWN), browser.evaluate(IN_VIEW)
    assert in_view and set(in_view) <= set(drawn)
    assert names[-1] not in drawn and len(drawn) < len(names) / 4
    assert browser.evaluate("document.body.dataset.rendered") == str(len(drawn))
    # Waits for the observer to draw the last card once it is in view.
    browser.evaluate("""new Promise(done => {
      const last = [...document.querySelectorAll(".card")].pop();
      last.scrollIntoView();
      const look = () => last.dataset.drawn ? done(true) : requestAnimationFrame(look);
      look();
    })""")
    last = names[-1]
    dims = next(r["dimensions"] for r in pipmoves.catalogue() if r["name"] == last)
    assert browser.evaluate(f"document.querySelectorAll('.card[data-name={last}] svg.path').length") == \
        (2 if dims == 3 else 1)


def matches(row, term):
    """The filter's meaning of one term, written again from the help text."""
    m = re.fullmatch(r"([a-z.]+)(<=|>=|:|=|<|>)(.*)", term)
    numbers = {"period": row["beats"], "energy": row["facets"]["energy"], "reach": max(row["facets"]["reach"]),
               "reach.x": row["facets"]["reach"][0], "reach.y": row["facets"]["reach"][1],
               "reach.z": row["facets"]["reach"][2], "step": row["facets"]["step"],
               "breaks": row["facets"]["breaks"], "dims": row["dimensions"]}
    words = {"kind": row["facets"]["kind"], "pack": row["pack"], "family": row["family"]}
    if m and m[1] in numbers:
        have, want = numbers[m[1]], float(m[3])
        return {":": have == want, "=": have == want, "<": have < want, ">": have > want,
                "<=": have <= want, ">=": have >= want}[m[2]]
    if m and m[1] == "axes":
        return set(m[3]) == set(row["facets"]["axes"]) if m[2] == "=" else set(m[3]) <= set(row["facets"]["axes"])
    if m and m[1] in words:
        return words[m[1]] == m[3]
    return term in (row["name"] + " " + row["description"]).lower()


SHOWN = """[...document.querySelectorAll(".card")].filter(c => c.offsetParent !== null).map(c => c.dataset.name)"""
HEADINGS = """[...document.querySelectorAll("h2, h3")].filter(h => h.offsetParent !== null).map(h => h.textContent)"""


@pytest.mark.parametrize("text", [
    "axes=xy period=4 energy<1 reach>1.5",
    "kind:hit axes:y energy>2",
    "breaks=0 step<3 orbit",
    "reach.z<=0.5 dims=3 pack:atlas",
    "family:lfo breathe",
    "kind:flow period>=8",
    "no_such_pattern_name",
])
def test_a_filtered_address_shows_exactly_the_matching_cards(page, browser, text):
    browser.open(f"{page.as_uri()}#filter={urllib.parse.quote(text)}")
    rows = page_rows(page)
    want = [r["name"] for r in rows if all(matches(r, t) for t in text.split())]
    assert browser.evaluate(SHOWN) == want
    assert browser.evaluate('document.getElementById("filter").value') == text
    # Only the headings of packs and families with a card shown stay.
    families = sorted({r["family"] for r in rows if r["name"] in want} | {r["pack"] for r in rows if r["name"] in want})
    assert sorted(set(browser.evaluate(HEADINGS))) == families


def test_typing_a_filter_puts_it_in_the_address(page, browser):
    browser.open(f"{page.as_uri()}#bpm=100")
    address = browser.evaluate("""(() => {
      const box = document.getElementById("filter");
      box.value = "kind:hit axes=y";
      box.dispatchEvent(new Event("input"));
      return location.hash;
    })()""")
    params = urllib.parse.parse_qs(address[1:])
    assert params == {"bpm": ["100"], "filter": ["kind:hit axes=y"]}


def test_a_played_card_scrolls_into_view(page, browser):
    name = pipmoves.catalogue()[-3]["name"]
    browser.open(f"{page.as_uri()}#play={name}")
    assert name in browser.evaluate(IN_VIEW)
    assert browser.evaluate(f"document.querySelector('.card[data-name={name}]').className") == "card playing"


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


OPENED = ["helix", "flam", "lfo_breathe", "beat_dembow_push_ricochet"]


@pytest.mark.parametrize("bpm, advance_ms", [(132, 1234), (97, 40321)])
def test_large_views_show_the_patterns_points_at_one_clock(page, browser, bpm, advance_ms):
    browser.open(f"{page.as_uri()}#open={','.join(OPENED)}&bpm={bpm}&clock=manual")
    browser.evaluate(f"document.getElementById('toggle').click(); manualClock.advance({advance_ms})")
    clock_pip = int(browser.evaluate("document.body.dataset.clockPip"))
    assert clock_pip == int(advance_ms * bpm * pipmoves.PIPS_PER_BEAT / 60000)
    views = browser.evaluate("closerLook.views()")
    assert [v["name"] for v in views] == OPENED and all(v["pinned"] for v in views)
    periods = {r["name"]: r["period_pips"] for r in pipmoves.catalogue()}
    for view in views:
        name, period = view["name"], periods[view["name"]]
        want = [v for pip in range(period) for v in pipmoves.sample(name, pip).as_tuple()]
        assert view["points"] == pytest.approx(want, abs=1e-4), name
        assert view["pip"] == clock_pip % period, name


def test_a_fifth_card_opens_only_once_a_view_is_unpinned(page, browser):
    browser.open(f"{page.as_uri()}#open={','.join(OPENED)}")
    names = "closerLook.views().map(v => v.name)"
    assert browser.evaluate("closerLook.open('circle')") is False
    assert browser.evaluate(names) == OPENED
    browser.evaluate("closerLook.pin('flam', false)")
    assert browser.evaluate("closerLook.open('circle')") is True
    assert browser.evaluate(names) == ["helix", "lfo_breathe", "beat_dembow_push_ricochet", "circle"]
    # The view opened last is not pinned: the next one takes its place.
    assert browser.evaluate("closerLook.open('figure_eight')") is True
    assert browser.evaluate(names) == ["helix", "lfo_breathe", "beat_dembow_push_ricochet", "figure_eight"]


LIT = """new Promise(done => {
  const view = document.querySelector(".large");
  const look = () => {
    if (!Number(view.dataset.painted)) return requestAnimationFrame(look);
    const source = view.querySelector("canvas"), copy = document.createElement("canvas");
    copy.width = source.width; copy.height = source.height;
    const c = copy.getContext("2d");
    c.drawImage(source, 0, 0);
    const px = c.getImageData(0, 0, copy.width, copy.height).data;
    let lit = 0;
    for (let i = 0; i < px.length; i += 4) lit += px[i] > 150 && px[i + 1] > 150 && px[i + 2] > 150;
    done([view.dataset.renderer, lit]);
  };
  look();
})"""


@pytest.mark.parametrize("address, renderers", [("", {"webgl", "canvas"}), ("&gl=off", {"canvas"})])
def test_the_three_d_view_draws_the_path(page, browser, address, renderers):
    """Where WebGL is missing (or turned off) the same points are drawn on a flat canvas."""
    browser.open(f"{page.as_uri()}#open=circle{address}")
    renderer, lit = browser.evaluate(LIT)
    assert renderer in renderers
    assert lit > 200  # the circle's pale loop, not a blank canvas


OFL = pathlib.Path(__file__).resolve().parents[1] / "data" / "ofl"


def page_rig(page):
    text = page.read_text(encoding="utf-8")
    return json.loads(re.search(r'<script id="rig" type="application/json">(.*?)</script>', text, re.S)[1])


# Address, then what pipmoves_play.spread is given for the same frame (fade: NAME, start and length in beats).
STAGES = [
    ("stage=circle&fixtures=8", dict(pattern="circle", fixtures=8)),
    ("stage=helix&fixtures=7&step=24&alternate=reverse",
     dict(pattern="helix", fixtures=7, phase_step=24, alternate="reverse")),
    ("stage=beat_dembow_push_ricochet&fixtures=6&centre=1&alternate=mirror_x",
     dict(pattern="beat_dembow_push_ricochet", fixtures=6, from_centre=True, alternate="mirror_x")),
    ("stage=flam&fixtures=5&step=-40&centre=1", dict(pattern="flam", fixtures=5, phase_step=-40, from_centre=True)),
    ("stage=lfo_breathe&fixtures=9&centre=1", dict(pattern="lfo_breathe", fixtures=9, from_centre=True)),
    ("stage=circle&fixtures=8&fade=figure_eight:1:3:sine",
     dict(pattern="circle", fixtures=8, fade=("figure_eight", 1, 3, "sine"))),
    ("stage=helix&fixtures=4&step=16&alternate=mirror_x&fade=beat_dembow_push_ricochet:0.5:1.5:linear",
     dict(pattern="helix", fixtures=4, phase_step=16, alternate="mirror_x",
          fade=("beat_dembow_push_ricochet", 0.5, 1.5, "linear"))),
    ("stage=circle&rig=patch", dict(pattern="circle", patch=True, by_place=True)),
    ("stage=helix&rig=patch&centre=1&step=20", dict(pattern="helix", patch=True, by_place=True,
                                                    from_centre=True, phase_step=20)),
    ("stage=figure_eight&rig=patch&place=0&alternate=reverse&fade=circle:1:2:smootherstep",
     dict(pattern="figure_eight", patch=True, alternate="reverse", fade=("circle", 1, 2, "smootherstep"))),
]
STAGE_ADVANCES_MS = [0, 250, 1000, 1111, 3000]


@pytest.mark.parametrize("address, given", STAGES, ids=[a for a, _ in STAGES])
def test_the_stage_view_shows_what_spread_and_the_patch_give(page, browser, address, given):
    play = pytest.importorskip("pipmoves_play")
    rig = page_rig(page)
    patch = play.Patch.from_json(rig["text"], fixtures=OFL) if given.get("patch") else None
    beat = pipmoves.PIPS_PER_BEAT
    pattern = given["pattern"]
    if "fade" in given:
        to, start, length, easing = given["fade"]
        pattern = play.CrossFade(pattern, to, round(start * beat), round(length * beat), easing)
    options = {k: given[k] for k in ("phase_step", "from_centre", "alternate") if k in given}
    if given.get("by_place"):
        options["stage_x"] = patch.stage_x
    fixtures = len(patch) if patch else given["fixtures"]
    browser.open(f"{page.as_uri()}#{address}&bpm=120&clock=manual")
    browser.evaluate("document.getElementById('toggle').click()")
    # Through the fade and round more than one period of every pattern here.
    for ms in STAGE_ADVANCES_MS:
        browser.evaluate(f"manualClock.advance({ms})")
        state = browser.evaluate("stageView.state()")
        pip = int(browser.evaluate("document.body.dataset.clockPip"))
        assert state["pip"] == pip
        want = memoryview(play.spread(pattern, pip, fixtures, **options)).tolist()
        assert len(state["positions"]) == fixtures
        for shown, row in zip(state["positions"], want):
            assert shown == pytest.approx(row, abs=1e-4), pip
        if patch:
            assert state["names"] == [f.name for f in patch.fixtures]
            angles = memoryview(patch.angles(play.spread(pattern, pip, fixtures, **options))).tolist()
            for shown, row in zip(state["angles"], angles):
                # A 16-bit table's step, times the widest reach.
                assert shown == pytest.approx(row, abs=1e-4 * 90), pip
        else:
            assert state["angles"] is None
    assert pip == sum(STAGE_ADVANCES_MS) * 2 * beat // 1000  # 120 BPM: two beats a second


def test_the_stage_controls_write_the_address_that_shows_the_same_frame(page, browser):
    browser.open(f"{page.as_uri()}#stage=circle&bpm=120&clock=manual")
    address = browser.evaluate("""(() => {
      const stage = document.querySelector(".stage"), set = (sel, v) => {
        const box = stage.querySelector(sel);
        if (box.type === "checkbox") box.checked = v; else box.value = v;
        box.dispatchEvent(new Event("change", {bubbles: true}));
      };
      set(".pattern", "helix"); set(".count", "6"); set(".step", "-12"); set(".centre", true);
      set(".alternate", "reverse"); set(".fade-to", "flam"); set(".fade-at", "0.25"); set(".fade-beats", "1.5");
      set(".easing", "sine");
      document.getElementById("toggle").click();
      manualClock.advance(700);
      return location.hash;
    })()""")
    typed = browser.evaluate("stageView.state()")
    params = urllib.parse.parse_qs(address[1:])
    assert params["stage"] == ["helix"] and params["fade"] == ["flam:0.25:1.5:sine"]
    assert params["step"] == ["-12"] and params["centre"] == ["1"] and params["alternate"] == ["reverse"]
    browser.open(f"{page.as_uri()}{address}")
    browser.evaluate("document.getElementById('toggle').click(); manualClock.advance(700)")
    assert browser.evaluate("stageView.state()") == typed
    assert 0 < typed["weight"] < 1  # caught inside the fade
