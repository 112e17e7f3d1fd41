"""Writes one self-contained HTML page that draws every default pattern.

Each card shows the x-y path over one period (z as a second, x-z view when the
pattern moves in depth), small time curves of x, y and z, the pattern's name,
description, period in beats and dimensions, and its facets: the axes in
motion, energy (mean speed, units a beat), reach (extent per axis), the
motion report's largest step (share of the axis' travel in one pip) and
velocity breaks, and whether it is hit-driven (peak speed at least three
times the mean) or flows. Cards are grouped by pack and family; the filter
box takes words (name and description) and facet terms together, and the
address carries it as `#filter=...`.

Cards are drawn as they scroll into view: every table travels in one
compressed block (per axis, second differences of 16-bit fractions, low and
high bytes apart, deflated), which the page inflates once and decodes a card
at a time.

A player moves the cards: its play button on a card animates the pattern's
point and a cursor over the time curves at the tempo typed or tapped in the
transport bar, every playing card on one clock, so they stay in phase. A
metronome (off until asked for) clicks every beat and accents every bar. The
page opens from disk; `#play=NAME,NAME&bpm=N` in its address starts those
cards at once and scrolls to the first, and `&clock=manual` holds its clock
still but for `manualClock.advance(ms)`, so a test reads the player at a
chosen moment. "copy" on a card puts its streamer cue and Python call on
the clipboard. "open" shows a card large, docked at the foot of the window:
labelled axes, the x-y path, the path turning in 3-D (WebGL, else a flat
canvas), and the time curves, all at the page's clock; up to four pinned
views sit side by side (`#open=NAME,NAME` opens and pins them). "Stage"
spreads a pattern, or a cross-fade, over a row of heads or the demo patch as
pipmoves_play.spread does and draws each beam in 3-D at the page's clock
(`#stage=NAME&fixtures=N&step=PIPS&centre=1&alternate=ALT&fade=NAME:BEAT:BEATS:EASING&rig=patch&place=0`);
on the patch it also aims each head as Patch.angles does. The page sets `data-ready` on its root element, to the milliseconds
since navigation, once the cards in view are drawn.

The pack and family of each stored pattern come from pack_layout.json, which
the build writes beside the module's build folder (build/release/generated);
every other catalogue row is procedural.

usage: python3 tools/gallery.py OUTPUT.html [PACK_LAYOUT.json]
"""

import base64
import json
import math
import pathlib
import struct
import sys
import zlib

import pipmoves

POINTS_PER_CURVE = 128
# The player reads every pip, as 16-bit fractions of the unit range.
TABLE_SCALE = 32767
# An axis that travels less than this stands still.
STILL = 1e-3
# The motion report's velocity break: a change of speed of at least this share
# of the travel, and this many times the change at any pip within two.
BREAK_FLOOR = 0.005
BREAK_CONTRAST = 3.0
# Hit-driven: the peak speed at least this many times the mean.
HIT_PEAK = 3.0


def default_layout_path():
    """The layout the build of the imported module wrote."""
    return pathlib.Path(pipmoves.__file__).resolve().parent.parent / "generated" / "pack_layout.json"


def origins(layout_path):
    """Pack and family of every stored pattern, by name."""
    try:
        layout = json.loads(pathlib.Path(layout_path).read_text(encoding="utf-8"))
    except FileNotFoundError:
        sys.exit(f"gallery: no pack layout at {layout_path}; build the module first or name the layout")
    return {row["name"]: (row["pack"], row["family"]) for row in layout["rows"]}


def axis_tables(name, period):
    """Each axis over every pip of one period, in table units."""
    rows = [pipmoves.sample(name, pip).as_tuple() for pip in range(period)]
    return [[round(row[axis] * TABLE_SCALE) for row in rows] for axis in range(3)]


def second_differences(values):
    """What the page sums twice, modulo 2**16, to get values back."""
    out, last, last_step = [], 0, 0
    for v in values:
        step = v - last
        out.append(((step - last_step + 32768) & 0xFFFF) - 32768)
        last, last_step = v, step
    return out


def breaks(values, travel):
    """Velocity breaks around the loop, a corner split over neighbours counted once."""
    n = len(values)
    steps = [values[(i + 1) % n] - values[i] for i in range(n)]
    bends = [abs(steps[i] - steps[i - 1]) for i in range(n)]
    corner = [bends[i] >= BREAK_FLOOR * travel
              and bends[i] >= BREAK_CONTRAST * max(bends[(i + k) % n] for k in (-2, -1, 1, 2))
              for i in range(n)]
    if all(corner):
        return 0
    start = corner.index(False)
    count, inside = 0, False
    for k in range(n):
        here = corner[(start + k) % n]
        count += here and not inside
        inside = here
    return count


def facets(axes, period):
    """What a designer filters by, from the table the player shows."""
    n = period
    scaled = [[v / TABLE_SCALE for v in axis] for axis in axes]
    reach = [max(a) - min(a) for a in scaled]
    moving = [i for i in range(3) if reach[i] > STILL]
    speeds = [math.sqrt(sum((a[(i + 1) % n] - a[i]) ** 2 for a in scaled)) for i in range(n)]
    mean = sum(speeds) / n
    step = max((max(abs(scaled[i][(k + 1) % n] - scaled[i][k]) for k in range(n)) / reach[i] for i in moving),
               default=0.0)
    return {
        "axes": "".join("xyz"[i] for i in moving),
        "energy": round(mean * pipmoves.PIPS_PER_BEAT, 3),
        "reach": [round(r, 3) for r in reach],
        "step": round(100 * step, 1),
        "breaks": sum(breaks(scaled[i], reach[i]) for i in moving),
        "kind": "hit" if mean > 0 and max(speeds) >= HIT_PEAK * mean else "flow",
    }


def patterns(layout_path):
    """The cards' rows, and every table in one block of int16 second differences."""
    stored = origins(layout_path)
    rows, block = [], []
    for row in pipmoves.catalogue():
        pack, family = stored.get(row["name"], ("procedural", "procedural"))
        period = row["period_pips"]
        axes = axis_tables(row["name"], period)
        rows.append({
            "pack": pack,
            "family": family,
            "name": row["name"],
            "description": row["description"],
            "beats": period / pipmoves.PIPS_PER_BEAT,
            "dimensions": row["dimensions"],
            "period": period,
            "offset": len(block),
            "facets": facets(axes, period),
        })
        for axis in axes:
            block.extend(second_differences(axis))
    raw = struct.pack(f"<{len(block)}h", *block)
    # Low bytes, then high: the high ones are nearly all 0 or 255 and pack well apart.
    planes = raw[0::2] + raw[1::2]
    return rows, len(block), base64.b64encode(zlib.compress(planes, 9)).decode("ascii")


# A rig to try a move on, from the fixture definitions the tests carry: four
# beams hung on a truss, unevenly spaced (so phasing by place differs from by
# order), and two washes standing on the floor, one panning the other way.
FIXTURE_LIBRARY = pathlib.Path(__file__).resolve().parent.parent / "tests" / "data" / "ofl"
DEMO_RIG = {"fixtures": [
    {"name": "truss_1", "universe": 1, "address": 1, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "reach_pan": 90, "reach_tilt": 45, "mounting": "hung", "position": [-3.0, 4.0, 5.0]},
    {"name": "truss_2", "universe": 1, "address": 33, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "reach_pan": 90, "reach_tilt": 45, "mounting": "hung", "position": [-1.8, 4.0, 5.0]},
    {"name": "truss_3", "universe": 1, "address": 65, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "reach_pan": 90, "reach_tilt": 45, "mounting": "hung", "position": [0.4, 4.0, 5.0]},
    {"name": "truss_4", "universe": 1, "address": 97, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "reach_pan": 90, "reach_tilt": 45, "mounting": "hung", "position": [3.0, 4.0, 5.0]},
    {"name": "floor_left", "universe": 1, "address": 129, "ofl": "martin/mac-250-beam.json", "mode": "16-Bit",
     "reach_pan": 60, "reach_tilt": 30, "position": [-1.0, 0.0, 3.0]},
    {"name": "floor_right", "universe": 1, "address": 161, "ofl": "martin/mac-250-beam.json", "mode": "16-Bit",
     "reach_pan": 60, "reach_tilt": 30, "invert_pan": True, "tilt_limits": [90, 150], "position": [1.5, 0.0, 3.0]},
]}


def rig():
    """The demo rig as the stage view aims it, or None without the fixture definitions."""
    if not FIXTURE_LIBRARY.is_dir():
        return None
    import pipmoves_play  # only the stage view needs the companion module
    text = json.dumps(DEMO_RIG)
    patch = pipmoves_play.Patch.from_json(text, fixtures=FIXTURE_LIBRARY)
    return {"name": "demo rig", "text": text, "fixtures": [{
        "name": f.name, "position": list(f.position), "hung": f.mounting == "hung",
        "home": [f.home_pan, f.home_tilt],
        # Signed as the patch aims: an inversion (and hanging, for tilt) turns an axis round.
        "reach": [-f.reach_pan if f.invert_pan else f.reach_pan,
                  -f.reach_tilt if f.invert_tilt != (f.mounting == "hung") else f.reach_tilt],
        "swap": f.swap_pan_tilt, "pan_limits": list(f.pan_limits), "tilt_limits": list(f.tilt_limits),
    } for f in patch.fixtures]}


PAGE = """<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>pipmoves gallery</title>
<style>
body { font: 13px system-ui, sans-serif; margin: 1.5em; background: #fafafa; color: #222; }
h1 { margin: 0 0 .3em; } h2 { margin: 1.2em 0 .2em; } h3 { margin: .8em 0 .3em; color: #555; }
#filter { font-size: 15px; padding: .3em .5em; width: 36em; }
#help { color: #777; font-size: 11px; margin: .3em 0; }
#help code { background: #eee; padding: 0 .2em; }
.cards { display: flex; flex-wrap: wrap; gap: 8px; }
.card { width: 236px; background: #fff; border: 1px solid #ddd; border-radius: 6px; padding: 6px; }
.card .name { font-weight: 600; font-family: monospace; word-break: break-all; }
.card .meta, .card .facets { color: #777; font-size: 11px; }
.card .facets span { white-space: nowrap; }
.card .desc { font-size: 11px; margin-top: 3px; }
/* A card keeps its height before it is drawn, so drawing never moves the page. */
.card .views { height: 182px; }
svg { background: #f4f6f8; border-radius: 4px; margin-top: 4px; }
.x { stroke: #d1495b; } .y { stroke: #2e86ab; } .z { stroke: #66a182; }
#transport { position: sticky; top: 0; z-index: 1; display: flex; gap: .8em; align-items: center;
             padding: .5em 0; background: #fafafa; border-bottom: 1px solid #ddd; }
#transport input[type=number] { width: 5em; font-size: 14px; }
#clock { font-family: monospace; }
.card button { float: right; margin-left: 3px; border: 1px solid #ccc; border-radius: 4px; background: #fff; cursor: pointer; }
.card.playing { border-color: #d1495b; box-shadow: 0 0 0 1px #d1495b; }
.card .pip { font-family: monospace; font-size: 11px; color: #555; min-height: 1.2em; }
.dot { fill: #f0a202; stroke: #222; stroke-width: 0.015; }
.cursor { stroke: #222; stroke-width: 1; }
/* The closer look docks at the foot of the window, over the cards. */
#dock { position: fixed; left: 0; right: 0; bottom: 0; z-index: 2; max-height: 62vh; overflow: auto;
        background: #fff; border-top: 2px solid #888; display: flex; gap: 10px; padding: 6px 10px; }
#dock[hidden] { display: none; }
.large { width: 300px; flex: none; }
.large .head { font-family: monospace; font-weight: 600; word-break: break-all; }
.large .head button, .large .head label { float: right; margin-left: 4px; font-weight: normal; font-family: system-ui; }
.large .readout { font-family: monospace; font-size: 11px; color: #555; }
.large canvas { background: #10141a; border-radius: 4px; margin-top: 4px; }
.large svg text { font: 0.11px system-ui, sans-serif; fill: #555; }
.large svg.time text { font-size: 10px; }
#dock-note { color: #a33; font-size: 11px; }
.stage { flex: none; width: 570px; }
.stage .head { font-weight: 600; }
.stage .head button { float: right; }
.stage .controls { font-size: 12px; line-height: 1.9; }
.stage .readout { font-family: monospace; font-size: 11px; color: #555; }
.stage canvas { border-radius: 4px; margin-top: 4px; }
.stage table { font: 11px monospace; border-collapse: collapse; }
.stage td, .stage th { padding: 0 .5em; text-align: right; }
</style></head><body>
<h1>pipmoves gallery</h1>
<p>__COUNT__ default patterns at __PPB__ pips a beat. Paths run over one period from the dot;
time curves show <span style="color:#d1495b">x</span>, <span style="color:#2e86ab">y</span> and
<span style="color:#66a182">z</span>.</p>
<div id="transport">
  <button id="toggle">Play</button>
  <label>Tempo <input id="bpm" type="number" min="20" max="400" step="0.1" value="120"> BPM</label>
  <button id="tap" title="tap four times or more on the beat">Tap</button>
  <label><input id="metronome" type="checkbox"> Metronome</label>
  <span id="clock">bar 1 beat 1 · pip 0</span>
  <button id="stop-all">Stop all cards</button>
  <button id="stage-open" title="the first playing card spread over a row of heads or the patch">Stage</button>
</div>
<input id="filter" placeholder="words and facets, such as: axes:y kind:hit energy>2" autofocus>
<div id="help">Words match the name and description. Facets: <code>axes:xy</code> (moves on x and y),
<code>axes=xy</code> (on those alone), <code>period=4</code> (beats), <code>energy&lt;0.5</code> (mean speed,
units a beat), <code>reach&gt;1.5</code> (widest axis), <code>reach.y&gt;1</code>, <code>step&lt;5</code>
(largest step, % of travel), <code>breaks=0</code>, <code>kind:hit</code> or <code>kind:flow</code>,
<code>dims=2</code>, <code>pack:club</code>, <code>family:lfo</code>; with <code>: = &lt; &gt; &lt;= &gt;=</code>.</div>
<p id="shown"></p>
<div id="gallery"></div>
<div id="dock" hidden><div id="dock-note"></div></div>
<script id="data" type="application/json">__DATA__</script>
<script id="tables" type="text/plain">__TABLES__</script>
<script id="rig" type="application/json">__RIG__</script>
<script>
const patterns = JSON.parse(document.getElementById("data").textContent);
const NS = "http://www.w3.org/2000/svg";
const PPB = __PPB__, BEATS_PER_BAR = 4, SCALE = __SCALE__, VALUES = __VALUES__;
const request = new URLSearchParams(location.hash.slice(1));
function el(name, attrs, parent) {
  const node = document.createElementNS(NS, name);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, v);
  if (parent) parent.appendChild(node);
  return node;
}

// ---- tables ----------------------------------------------------------------
// One inflated block for all; a card's table is summed out of it when first needed.
let planes = null;
const decoded = new Map();
async function inflateTables() {
  const text = atob(document.getElementById("tables").textContent);
  const packed = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) packed[i] = text.charCodeAt(i);
  const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream("deflate"));
  planes = new Uint8Array(await new Response(stream).arrayBuffer());
}
function tableOf(p) {
  let values = decoded.get(p.name);
  if (values) return values;
  values = new Float64Array(3 * p.period);
  for (let axis = 0; axis < 3; axis++) {
    let step = 0, v = 0;
    for (let i = 0; i < p.period; i++) {
      const k = p.offset + axis * p.period + i;
      step = (step + ((planes[k] | (planes[VALUES + k] << 8)) << 16 >> 16)) << 16 >> 16;
      v = (v + step) << 16 >> 16;
      values[3 * i + axis] = v / SCALE;
    }
  }
  decoded.set(p.name, values);
  return values;
}
function curve(p) {
  const table = tableOf(p), step = Math.max(1, Math.ceil(p.period / 128)), out = [];
  for (let pip = 0; pip <= p.period; pip += pip + step > p.period && pip < p.period ? p.period - pip : step) {
    const i = 3 * (pip % p.period);
    out.push([table[i], table[i + 1], table[i + 2]]);
  }
  return out;
}

// ---- cards -----------------------------------------------------------------
function points(samples, fx, fy) { return samples.map(s => fx(s).toFixed(1) + "," + fy(s).toFixed(1)).join(" "); }
function pathView(p, samples, a, b, label) {
  const svg = el("svg", {width: 110, height: 110, viewBox: "-1.1 -1.1 2.2 2.2", class: "path", "data-name": p.name});
  el("line", {x1: -1, y1: 0, x2: 1, y2: 0, stroke: "#ccc", "stroke-width": 0.01}, svg);
  el("line", {x1: 0, y1: -1, x2: 0, y2: 1, stroke: "#ccc", "stroke-width": 0.01}, svg);
  el("polyline", {points: samples.map(s => s[a].toFixed(4) + "," + (-s[b]).toFixed(4)).join(" "), fill: "none",
                  stroke: "#333", "stroke-width": 0.025}, svg);
  el("circle", {cx: samples[0][a], cy: -samples[0][b], r: 0.06, fill: "#d1495b"}, svg);
  el("title", {}, svg).textContent = label;
  return svg;
}
function timeView(p, samples) {
  const w = 226, h = 60, n = samples.length - 1;
  const svg = el("svg", {width: w, height: h, class: "time"});
  el("line", {x1: 0, y1: h / 2, x2: w, y2: h / 2, stroke: "#ccc"}, svg);
  ["x", "y", "z"].forEach((axis, i) => {
    if (i >= p.dimensions) return;
    el("polyline", {points: points(samples.map((s, k) => [k, s[i]]), s => s[0] / n * w, s => h / 2 - s[1] * (h / 2 - 2)),
                    fill: "none", class: axis, "stroke-width": 1.2}, svg);
  });
  return svg;
}
function drawCard(div) {
  if (div.dataset.drawn) return;
  const p = byName.get(div.dataset.name), samples = curve(p), views = div.querySelector(".views");
  views.appendChild(pathView(p, samples, 0, 1, "x-y path"));
  if (p.dimensions === 3) views.appendChild(pathView(p, samples, 0, 2, "x-z view")).classList.add("depth");
  views.appendChild(timeView(p, samples));
  div.dataset.drawn = "1";
  document.body.dataset.rendered = Number(document.body.dataset.rendered || 0) + 1;
}
function facetText(f) {
  const reach = f.reach.map((r, i) => r > 0.001 ? "xyz"[i] + " " + r.toFixed(2) : null).filter(Boolean).join(" ");
  return [["axes", f.axes || "none"], ["energy", f.energy.toFixed(2) + "/beat"], ["reach", reach || "0"],
          ["step", f.step.toFixed(1) + "%"], ["breaks", String(f.breaks)], ["kind", f.kind]];
}
function cueText(p) {
  const beat = Math.ceil(player.position(now()) / PPB / BEATS_PER_BAR) * BEATS_PER_BAR;
  return `${beat}:${p.name}\npipmoves_play.render(${JSON.stringify(p.name)}, 0, ${p.period})  # one period, ${p.period} x 3`;
}
async function copy(text) {
  try { await navigator.clipboard.writeText(text); return; } catch (e) { /* a page from disk may not be allowed */ }
  const area = document.createElement("textarea");
  area.value = text; document.body.appendChild(area); area.select();
  document.execCommand("copy");
  area.remove();
}
function card(p) {
  const div = document.createElement("div");
  div.className = "card";
  div.dataset.search = (p.name + " " + p.description).toLowerCase();
  div.dataset.name = p.name;
  div.innerHTML = `<button class="play" title="play at the transport's tempo">▶</button>` +
    `<button class="open" title="look closer: large, in 3-D; pin up to four to compare">open</button>` +
    `<button class="copy" title="copy the streamer cue (BEAT:NAME, add :FADE to cross-fade) and the Python call">copy</button>` +
    `<div class="name"></div><div class="meta"></div><div class="facets"></div><div class="views"></div>`;
  div.querySelector(".name").textContent = p.name;
  div.querySelector(".meta").textContent = `${p.beats} beat${p.beats === 1 ? "" : "s"}, ${p.dimensions}D, ${p.pack}`;
  const facets = div.querySelector(".facets");
  for (const [label, value] of facetText(p.facets)) {
    const span = document.createElement("span");
    span.textContent = `${label} ${value}`;
    facets.append(span, " · ");
  }
  facets.lastChild.remove();
  const desc = document.createElement("div");
  desc.className = "desc";
  desc.textContent = p.description;
  div.appendChild(desc);
  const pip = document.createElement("div");
  pip.className = "pip";
  div.appendChild(pip);
  div.querySelector(".play").addEventListener("click", () => player.toggleCard(p, div));
  div.querySelector(".copy").addEventListener("click", () => copy(cueText(p)));
  div.querySelector(".open").addEventListener("click", () => closer.open(p));
  return div;
}
const byName = new Map(patterns.map(p => [p.name, p]));
const gallery = document.getElementById("gallery");
{
  let pack = null, family = null, packSection = null, cards = null;
  for (const p of patterns) {
    if (p.pack !== pack) {
      pack = p.pack; family = null;
      packSection = document.createElement("section"); packSection.className = "pack";
      const h2 = document.createElement("h2"); h2.textContent = pack; packSection.appendChild(h2);
      gallery.appendChild(packSection);
    }
    if (p.family !== family) {
      family = p.family;
      const section = document.createElement("section"); section.className = "family";
      const h3 = document.createElement("h3"); h3.textContent = family; section.appendChild(h3);
      cards = document.createElement("div"); cards.className = "cards"; section.appendChild(cards);
      packSection.appendChild(section);
    }
    cards.appendChild(card(p));
  }
}

// ---- the filter ----------------------------------------------------------
// Terms all hold: a word is found in the name or description, a facet term
// (KEY OP VALUE) compares a facet the build wrote.
const NUMBERS = {
  period: p => p.beats, energy: p => p.facets.energy, reach: p => Math.max(...p.facets.reach),
  "reach.x": p => p.facets.reach[0], "reach.y": p => p.facets.reach[1], "reach.z": p => p.facets.reach[2],
  step: p => p.facets.step, breaks: p => p.facets.breaks, dims: p => p.dimensions,
};
const WORDS = {kind: p => p.facets.kind, pack: p => p.pack, family: p => p.family};
const COMPARE = {":": (a, b) => a === b, "=": (a, b) => a === b, "<": (a, b) => a < b, ">": (a, b) => a > b,
                 "<=": (a, b) => a <= b, ">=": (a, b) => a >= b};
function parseFilter(text) {
  const tests = [], faults = [];
  for (const term of text.toLowerCase().split(/\\s+/).filter(Boolean)) {
    const m = term.match(/^([a-z.]+)(<=|>=|:|=|<|>)(.*)$/);
    const [key, op, value] = m ? [m[1], m[2], m[3]] : [null, null, null];
    if (key in NUMBERS) {
      const number = Number(value);
      if (value === "" || !Number.isFinite(number)) { faults.push(`${term}: ${key} takes a number`); continue; }
      tests.push(p => COMPARE[op](NUMBERS[key](p), number));
    } else if (key === "axes") {
      if (!/^[xyz]*$/.test(value) || !(op === ":" || op === "=")) { faults.push(`${term}: axes takes : or = and letters of xyz`); continue; }
      const want = [...new Set(value)].sort().join("");
      tests.push(op === "=" ? p => p.facets.axes === want : p => [...want].every(a => p.facets.axes.includes(a)));
    } else if (key in WORDS) {
      if (!(op === ":" || op === "=")) { faults.push(`${term}: ${key} takes : or =`); continue; }
      tests.push(p => WORDS[key](p) === value);
    } else {
      tests.push((p, div) => div.dataset.search.includes(term));
    }
  }
  return {tests, faults};
}
function applyFilter() {
  const text = document.getElementById("filter").value;
  const {tests, faults} = parseFilter(text);
  let shown = 0;
  for (const c of document.querySelectorAll(".card")) {
    const p = byName.get(c.dataset.name);
    const visible = tests.every(t => t(p, c));
    c.style.display = visible ? "" : "none";
    shown += visible;
  }
  // A heading without a card under it goes too.
  for (const section of document.querySelectorAll("section.family, section.pack")) {
    section.style.display = section.querySelector('.card:not([style*="none"])') ? "" : "none";
  }
  document.getElementById("shown").textContent = `${shown} of ${patterns.length} patterns shown` +
    (faults.length ? ` · not understood: ${faults.join("; ")}` : "");
  if (text) request.set("filter", text); else request.delete("filter");
  history.replaceState(null, "", "#" + request.toString().replace(/%2C/g, ","));
}
document.getElementById("filter").value = request.get("filter") || "";
document.getElementById("filter").addEventListener("input", applyFilter);

// ---- a closer look ---------------------------------------------------------
// Up to four views side by side, all at the page's clock. Opening a card takes
// the place of the view not pinned, so a pinned one stays to compare against.
const MAX_PINNED = 4, LARGE = 280;
function spin(yaw, pitch) {
  // Pattern x to the right, y up, z towards the viewer, turned about y then tipped about x.
  const cy = Math.cos(yaw), sy = Math.sin(yaw), cp = Math.cos(pitch), sp = Math.sin(pitch);
  return [cy, 0, sy, sp * sy, cp, -sp * cy, -cp * sy, sp, cp * cy];
}
function project(m, x, y, z) {
  const X = m[0] * x + m[1] * y + m[2] * z, Y = m[3] * x + m[4] * y + m[5] * z, Z = m[6] * x + m[7] * y + m[8] * z;
  const w = 1 / (1 - Z / 4);  // the eye four units out
  return [X * w, Y * w, Z];
}
const SHADER_V = `attribute vec3 p; uniform mat3 m; uniform float size;
void main() { vec3 q = m * p; float w = 1.0 / (1.0 - q.z / 4.0);
  gl_Position = vec4(q.xy * w * 0.62, -q.z * 0.1, 1.0); gl_PointSize = size; }`;
const SHADER_F = `precision mediump float; uniform vec4 colour; void main() { gl_FragColor = colour; }`;
function glView(canvas) {
  // Kept drawn after each frame, so the page can be read back (and looked at) at any moment.
  const gl = request.get("gl") === "off" ? null : canvas.getContext("webgl", {antialias: true, preserveDrawingBuffer: true});
  if (!gl) return null;
  const program = gl.createProgram();
  for (const [kind, text] of [[gl.VERTEX_SHADER, SHADER_V], [gl.FRAGMENT_SHADER, SHADER_F]]) {
    const shader = gl.createShader(kind);
    gl.shaderSource(shader, text); gl.compileShader(shader); gl.attachShader(program, shader);
  }
  gl.linkProgram(program);
  if (!gl.getProgramParameter(program, gl.LINK_STATUS)) return null;
  gl.useProgram(program);
  const at = name => gl.getUniformLocation(program, name);
  const buffer = gl.createBuffer(), p = gl.getAttribLocation(program, "p");
  gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  gl.enableVertexAttribArray(p);
  gl.vertexAttribPointer(p, 3, gl.FLOAT, false, 0, 0);
  return (m, axes, path, dot) => {
    gl.viewport(0, 0, canvas.width, canvas.height);
    gl.clearColor(0.063, 0.078, 0.1, 1); gl.clear(gl.COLOR_BUFFER_BIT);
    gl.uniformMatrix3fv(at("m"), false, new Float32Array([m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]]));  // by columns
    gl.uniform1f(at("size"), 9);
    const lines = (points, colour, mode) => {
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array(points), gl.STREAM_DRAW);
      gl.uniform4fv(at("colour"), colour);
      gl.drawArrays(mode, 0, points.length / 3);
    };
    axes.forEach((segment, i) => lines(segment, AXIS_COLOURS[i], gl.LINES));
    lines(path, [0.95, 0.95, 0.95, 1], gl.LINE_LOOP);
    lines(dot, [0.94, 0.64, 0.01, 1], gl.POINTS);
  };
}
function flatView(canvas) {
  const c = canvas.getContext("2d"), half = canvas.width / 2, k = half * 0.62;
  const to = (m, x, y, z) => { const [X, Y] = project(m, x, y, z); return [half + X * k, half - Y * k]; };
  return (m, axes, path, dot) => {
    c.fillStyle = "#10141a"; c.fillRect(0, 0, canvas.width, canvas.height);
    const stroke = (points, colour, closed) => {
      c.strokeStyle = colour; c.beginPath();
      for (let i = 0; i < points.length; i += 3) c[i ? "lineTo" : "moveTo"](...to(m, points[i], points[i + 1], points[i + 2]));
      if (closed) c.closePath();
      c.stroke();
    };
    axes.forEach((segment, i) => stroke(segment, AXIS_CSS[i], false));
    stroke(path, "#f2f2f2", true);
    const [x, y] = to(m, dot[0], dot[1], dot[2]);
    c.fillStyle = "#f0a202"; c.beginPath(); c.arc(x, y, 4.5, 0, 2 * Math.PI); c.fill();
  };
}
const AXIS_COLOURS = [[0.82, 0.29, 0.36, 1], [0.18, 0.53, 0.67, 1], [0.4, 0.63, 0.51, 1]];
const AXIS_CSS = ["#d1495b", "#2e86ab", "#66a182"];
const AXIS_LINES = [[-1, 0, 0, 1, 0, 0], [0, -1, 0, 0, 1, 0], [0, 0, -1, 0, 0, 1]];
function labelledPath(p, table) {
  const svg = el("svg", {width: LARGE, height: LARGE, viewBox: "-1.3 -1.3 2.6 2.6", class: "large-path"});
  for (const v of [-1, -0.5, 0.5, 1]) {
    el("line", {x1: v, y1: -1, x2: v, y2: 1, stroke: "#e2e5e9", "stroke-width": 0.006}, svg);
    el("line", {x1: -1, y1: v, x2: 1, y2: v, stroke: "#e2e5e9", "stroke-width": 0.006}, svg);
  }
  el("line", {x1: -1, y1: 0, x2: 1, y2: 0, class: "x", "stroke-width": 0.012}, svg);
  el("line", {x1: 0, y1: -1, x2: 0, y2: 1, class: "y", "stroke-width": 0.012}, svg);
  for (const [text, x, y] of [["x", 1.12, 0.04], ["y", 0.03, -1.12], ["-1", -1.05, 0.16], ["1", 0.97, 0.16],
                              ["1", -0.14, -0.96], ["-1", -0.2, 1.04], ["0", -0.1, 0.14]]) {
    el("text", {x, y}, svg).textContent = text;
  }
  const pts = [];
  for (let i = 0; i <= p.period; i++) { const k = 3 * (i % p.period); pts.push(table[k].toFixed(4) + "," + (-table[k + 1]).toFixed(4)); }
  el("polyline", {points: pts.join(" "), fill: "none", stroke: "#333", "stroke-width": 0.016}, svg);
  el("circle", {cx: table[0], cy: -table[1], r: 0.04, fill: "#d1495b"}, svg);
  return [svg, el("circle", {r: 0.055, class: "dot"}, svg)];
}
function labelledTime(p, table) {
  const w = LARGE, h = 120, left = 18, span = w - left - 2;
  const svg = el("svg", {width: w, height: h, class: "time"});
  const yOf = v => h / 2 - v * (h / 2 - 8);
  for (const v of [-1, 0, 1]) {
    el("line", {x1: left, y1: yOf(v), x2: w, y2: yOf(v), stroke: "#ddd"}, svg);
    el("text", {x: 0, y: yOf(v) + 3}, svg).textContent = String(v);
  }
  // A tick a beat, a longer one a bar.
  for (let beat = 0; beat * PPB <= p.period; beat++) {
    const x = left + beat * PPB / p.period * span;
    el("line", {x1: x, y1: h - (beat % BEATS_PER_BAR ? 4 : 9), x2: x, y2: h, stroke: "#999"}, svg);
  }
  const step = Math.max(1, Math.ceil(p.period / 512));
  for (let axis = 0; axis < p.dimensions; axis++) {
    const pts = [];
    for (let i = 0; i <= p.period; i += step) pts.push((left + i / p.period * span).toFixed(1) + "," + yOf(table[3 * (i % p.period) + axis]).toFixed(1));
    el("polyline", {points: pts.join(" "), fill: "none", class: "xyz"[axis], "stroke-width": 1.3}, svg);
    el("text", {x: w - 30 + 10 * axis, y: 10, fill: AXIS_CSS[axis]}, svg).textContent = "xyz"[axis];
  }
  return [svg, el("line", {y1: 0, y2: h, class: "cursor"}, svg), x => left + x * span];
}
const closer = {
  views: [], note: "",
  open(p) {
    if (this.views.some(v => v.p === p)) return;
    const loose = this.views.find(v => !v.pinned);
    if (loose) this.close(loose);
    else if (this.views.length >= MAX_PINNED) { this.say(`at most ${MAX_PINNED} pinned: unpin one to open ${p.name}`); return; }
    const table = tableOf(p), div = document.createElement("div");
    div.className = "large"; div.dataset.name = p.name;
    div.innerHTML = `<div class="head"><button class="close" title="close">×</button>` +
      `<label><input type="checkbox" class="pin"> pin</label><span></span></div><div class="meta"></div>`;
    div.querySelector(".head span").textContent = p.name;
    div.querySelector(".meta").textContent = `${p.beats} beat${p.beats === 1 ? "" : "s"}, ${p.dimensions}D · ${p.description}`;
    const [path, pathDot] = labelledPath(p, table);
    const canvas = document.createElement("canvas");
    canvas.width = canvas.height = LARGE;
    const [time, cursor, xAt] = labelledTime(p, table);
    const readout = document.createElement("div"); readout.className = "readout";
    div.append(path, canvas, time, readout);
    let paint = glView(canvas), renderer = "webgl";
    if (!paint) { paint = flatView(canvas); renderer = "canvas"; }
    div.dataset.renderer = renderer;
    const view = {p, div, table, pinned: false, pathDot, cursor, xAt, readout, paint, pip: 0,
                  path: Array.from(table, v => v), renderer};
    div.querySelector(".pin").addEventListener("change", e => { view.pinned = e.target.checked; this.say(""); });
    div.querySelector(".close").addEventListener("click", () => this.close(view));
    this.views.push(view);
    document.getElementById("dock").appendChild(div);
    document.getElementById("dock").hidden = false;
    this.say("");
    this.show(player.position(now()));
    if (this.views.length === 1) requestAnimationFrame(turn);
    return view;
  },
  close(view) {
    view.div.remove();
    this.views = this.views.filter(v => v !== view);
    document.getElementById("dock").hidden = !document.getElementById("dock").querySelector(".large, .stage");
  },
  say(text) { document.getElementById("dock-note").textContent = text; },
  show(position) {
    const pip = Math.floor(position);
    for (const v of this.views) {
      const i = ((pip % v.p.period) + v.p.period) % v.p.period, t = v.table;
      v.pip = i;
      v.div.dataset.pip = i;
      v.pathDot.setAttribute("cx", t[3 * i]); v.pathDot.setAttribute("cy", -t[3 * i + 1]);
      const x = v.xAt(i / v.p.period).toFixed(2);
      v.cursor.setAttribute("x1", x); v.cursor.setAttribute("x2", x);
      v.readout.textContent = `pip ${i} of ${v.p.period} · x ${t[3 * i].toFixed(3)} y ${t[3 * i + 1].toFixed(3)} z ${t[3 * i + 2].toFixed(3)}`;
    }
  },
};
// The 3-D views turn on their own, a turn in twenty seconds, whatever the clock does.
function turn() {
  if (!closer.views.length) return;
  const m = spin(performance.now() / 20000 * 2 * Math.PI, 0.45);
  for (const v of closer.views) {
    v.paint(m, AXIS_LINES, v.path, v.path.slice(3 * v.pip, 3 * v.pip + 3));
    v.div.dataset.painted = Number(v.div.dataset.painted || 0) + 1;
  }
  requestAnimationFrame(turn);
}
window.closerLook = {
  views: () => closer.views.map(v => ({name: v.p.name, pinned: v.pinned, pip: v.pip, renderer: v.renderer, points: v.path})),
  open: name => { const v = closer.open(byName.get(name)); return Boolean(v); },
  pin: (name, on) => { const v = closer.views.find(v => v.p.name === name); if (v) { v.pinned = on; v.div.querySelector(".pin").checked = on; } },
};

// ---- the stage -------------------------------------------------------------
// One pattern (or a cross-fade) spread over a row of heads or the patch built
// into the page, as pipmoves_play.spread spreads it, each head's beam drawn in
// 3-D at the page's clock.
const RIG = JSON.parse(document.getElementById("rig").textContent);
const EASINGS = {linear: t => t, smoothstep: t => t * t * (3 - 2 * t),
                 smootherstep: t => t * t * t * (t * (6 * t - 15) + 10), sine: t => 0.5 - 0.5 * Math.cos(Math.PI * t)};
// std::lerp's rounding: exact at both ends, never outside them.
function lerp(a, b, t) {
  if ((a <= 0 && b >= 0) || (a >= 0 && b <= 0)) return t * b + (1 - t) * a;
  if (t === 1) return b;
  const x = a + t * (b - a);
  return (t > 1) === (b > a) ? (b < x ? x : b) : (b > x ? x : b);
}
// Each fixture's lag and alternation, fixture 0 first; lags are 32-bit unsigned.
function phases(how, n, period) {
  const staged = how.stageX.length > 0, out = [];
  let left = 0, middle = 0, span = 0, innermost = 0;
  const raw = i => {
    if (span === 0) return 0;
    const x = how.stageX[i];
    return (how.fromCentre ? Math.abs(x - middle) : x - left) * (n - 1) / span;
  };
  if (staged) {
    left = Math.min(...how.stageX);
    span = Math.max(...how.stageX) - left;
    middle = left + span / 2;
    if (how.fromCentre) innermost = Math.min(...how.stageX.map((x, i) => raw(i)));
  }
  const rank = i => how.fromCentre ? Math.floor(Math.abs(2 * i - (n - 1)) / 2) : i;
  for (let i = 0; i < n; i++) {
    let lag;
    if (staged) {
      const place = raw(i) - innermost;
      if (how.step !== null) {
        const v = place * how.step;
        lag = (Math.sign(v) * Math.floor(Math.abs(v) + 0.5)) >>> 0;  // llround, then modulo 2**32
      } else {
        lag = Math.floor(place * period / (how.fromCentre ? Math.floor((n + 1) / 2) : n)) >>> 0;
      }
    } else if (how.step !== null) {
      lag = Math.imul(rank(i), how.step) >>> 0;
    } else if (how.fromCentre) {
      lag = Math.floor(rank(i) * period / Math.floor((n + 1) / 2));
    } else {
      lag = Math.floor(i * period / n);
    }
    const odd = i % 2 === 1;
    out.push({lag, reversed: odd && how.alternate === "reverse", mirrored: odd && how.alternate === "mirror_x"});
  }
  return out;
}
function sampleAt(p, pip, phase) {
  const at = phase.reversed ? (phase.lag - pip) | 0 : (pip - phase.lag) | 0;
  const t = tableOf(p), i = 3 * (((at % p.period) + p.period) % p.period);
  return [phase.mirrored ? -t[i] : t[i], t[i + 1], t[i + 2]];
}
function fadeWeight(fade, pip) {
  const elapsed = (pip - fade.start) | 0;
  if (elapsed < 0) return 0;
  if (elapsed >= fade.length) return 1;
  return Math.min(1, Math.max(0, EASINGS[fade.easing](elapsed / fade.length)));
}
function spreadFrame(p, fade, pip, n, how) {
  const w = fade ? fadeWeight(fade, pip) : 0;
  const one = q => phases(how, n, q.period).map(phase => sampleAt(q, pip, phase));
  if (w === 0) return {weight: w, positions: one(p)};
  if (w === 1) return {weight: w, positions: one(fade.to)};
  const a = one(p), b = one(fade.to);
  return {weight: w, positions: a.map((s, i) => [0, 1, 2].map(k => lerp(s[k], b[i][k], w)))};
}
// Where each of the patch's heads aims, before slew, as Patch.angles has it.
function rigAngles(positions) {
  const clamp = (v, [lo, hi]) => Math.min(hi, Math.max(lo, v));
  return RIG.fixtures.map((f, i) => {
    const [x, y] = positions[i], [a, b] = f.swap ? [y, x] : [x, y];
    return [clamp(f.home[0] + f.reach[0] * a, f.pan_limits), clamp(f.home[1] + f.reach[1] * b, f.tilt_limits)];
  });
}
const stage = {
  div: null, settings: null, frame: null,
  open(settings) {
    if (!this.div) this.build();
    this.settings = settings;
    const q = sel => this.div.querySelector(sel);
    q(".pattern").value = settings.pattern.name;
    q(".count").value = settings.count;
    q(".count").disabled = settings.rig === "patch";  // the patch has its own heads
    q(".rig").value = settings.rig;
    q(".step").value = settings.step === null ? "" : settings.step;
    q(".centre").checked = settings.fromCentre;
    q(".alternate").value = settings.alternate;
    q(".place").checked = settings.byPlace;
    q(".fade-to").value = settings.fade ? settings.fade.to.name : "";
    q(".fade-at").value = settings.fade ? settings.fade.start / PPB : 0;
    q(".fade-beats").value = settings.fade ? settings.fade.length / PPB : 4;
    q(".easing").value = settings.fade ? settings.fade.easing : "smoothstep";
    document.getElementById("dock").hidden = false;
    this.show(player.position(now()));
    requestAnimationFrame(paintStage);
  },
  build() {
    const div = this.div = document.createElement("div");
    div.className = "stage";
    div.innerHTML = `<div class="head"><button class="close" title="close">×</button>Stage</div>
<div class="controls"><label>pattern <input class="pattern" size="22"></label>
<label>on <select class="rig"><option value="row">a row of</option>${RIG ? `<option value="patch"></option>` : ""}</select></label>
<input class="count" type="number" min="1" max="64" size="3"> heads
<label>step <input class="step" size="4" placeholder="fan"> pips</label>
<label><input class="centre" type="checkbox"> from centre</label>
<label>alternate <select class="alternate"><option>none</option><option>reverse</option><option>mirror_x</option></select></label>
<label title="the patch's heads phased by where they stand"><input class="place" type="checkbox"> by place</label><br>
<label>fade to <input class="fade-to" size="18" placeholder="(none)"></label>
<label>at beat <input class="fade-at" type="number" step="any" style="width:4em"></label>
<label>over <input class="fade-beats" type="number" min="0" step="any" style="width:4em"> beats</label>
<select class="easing">${Object.keys(EASINGS).map(e => `<option>${e}</option>`).join("")}</select></div>
<canvas width="560" height="320"></canvas><div class="readout"></div><table class="values"></table>`;
    if (RIG) div.querySelector(".rig option[value=patch]").textContent = `the patch ${RIG.name}:`;
    div.querySelector(".close").addEventListener("click", () => {
      div.remove(); this.div = null;
      document.getElementById("dock").hidden = !document.getElementById("dock").querySelector(".large, .stage");
    });
    div.querySelector(".controls").addEventListener("change", () => this.fromControls());
    document.getElementById("dock").appendChild(div);
  },
  fromControls() {
    const q = sel => this.div.querySelector(sel), p = byName.get(q(".pattern").value.trim());
    const to = byName.get(q(".fade-to").value.trim()), step = q(".step").value.trim();
    const note = [];
    if (!p) note.push(`no pattern ${q(".pattern").value.trim()}`);
    if (step !== "" && !Number.isInteger(Number(step))) note.push("step takes whole pips");
    if (q(".fade-to").value.trim() && !to) note.push(`no pattern ${q(".fade-to").value.trim()} to fade to`);
    q(".readout").textContent = note.join("; ");
    if (note.length) return;
    // The address carries the stage as it carries the filter, to come back to or pass on.
    const fadeTo = to ? `${to.name}:${Number(q(".fade-at").value) || 0}:${Number(q(".fade-beats").value) || 0}:${q(".easing").value}` : "";
    for (const [key, value] of [["stage", p.name], ["fixtures", q(".count").value], ["rig", q(".rig").value === "patch" ? "patch" : ""],
                                ["step", step], ["centre", q(".centre").checked ? "1" : ""],
                                ["alternate", q(".alternate").value === "none" ? "" : q(".alternate").value],
                                ["place", q(".place").checked ? "" : "0"], ["fade", fadeTo]]) {
      if (value) request.set(key, value); else request.delete(key);
    }
    history.replaceState(null, "", "#" + request.toString().replace(/%2C/g, ",").replace(/%3A/g, ":"));
    this.open({pattern: p, count: Math.max(1, Math.min(64, Math.round(Number(q(".count").value) || 8))),
               rig: q(".rig").value, step: step === "" ? null : Number(step), fromCentre: q(".centre").checked,
               alternate: q(".alternate").value, byPlace: q(".place").checked,
               fade: to ? {to, start: Math.round(Number(q(".fade-at").value) * PPB),
                           length: Math.max(0, Math.round(Number(q(".fade-beats").value) * PPB)), easing: q(".easing").value} : null});
  },
  heads() {
    const s = this.settings;
    if (s.rig === "patch" && RIG) return RIG.fixtures.map(f => ({name: f.name, at: f.position, hung: f.hung, fixture: f}));
    return Array.from({length: s.count}, (_, i) => ({name: `head ${i + 1}`, at: [(i - (s.count - 1) / 2) * 0.9, 4, 4], hung: true}));
  },
  show(position) {
    if (!this.div || !this.settings) return;
    const s = this.settings, pip = Math.floor(position), heads = this.heads(), patch = s.rig === "patch" && RIG;
    const how = {step: s.step, fromCentre: s.fromCentre, alternate: s.alternate,
                 stageX: patch && s.byPlace ? heads.map(h => h.at[0]) : []};
    const {weight, positions} = spreadFrame(s.pattern, s.fade, pip, heads.length, how);
    const angles = patch ? rigAngles(positions) : null;
    this.frame = {pip, weight, positions, angles, heads};
    this.div.dataset.pip = pip;
    const fading = s.fade ? ` · fade to ${s.fade.to.name} ${(weight * 100).toFixed(0)}%` : "";
    this.div.querySelector(".readout").textContent = `pip ${pip} · ${s.pattern.name}${fading}`;
    this.div.querySelector(".values").innerHTML = "<tr><th></th><th>x</th><th>y</th><th>z</th>" +
      (angles ? "<th>pan°</th><th>tilt°</th>" : "") + "</tr>" + heads.map((h, i) => `<tr><td>${h.name}</td>` +
      positions[i].map(v => `<td>${v.toFixed(3)}</td>`).join("") +
      (angles ? angles[i].map(v => `<td>${v.toFixed(1)}</td>`).join("") : "") + "</tr>").join("");
  },
};
// A beam leaves its head along the head's axis (down when hung, up when
// standing), leaned by tilt and turned by pan from home; a row without a
// patch reaches 90 degrees of pan and 45 of tilt.
function beam(head, position, angle) {
  const [dp, dt] = angle ? [angle[0] - head.fixture.home[0], angle[1] - head.fixture.home[1]]
                         : [90 * position[0], 45 * position[1]];
  const phi = dp * Math.PI / 180, theta = (head.hung ? -dt : dt) * Math.PI / 180, up = head.hung ? -1 : 1;
  return [Math.sin(theta) * Math.sin(phi), up * Math.cos(theta), Math.sin(theta) * Math.cos(phi)];
}
function paintStage() {
  if (!stage.div || !stage.frame) return;
  const canvas = stage.div.querySelector("canvas"), c = canvas.getContext("2d"), f = stage.frame;
  const m = spin(performance.now() / 30000 * 2 * Math.PI, 0.35), W = canvas.width, H = canvas.height;
  const centre = [0, 2, 2], scale = 0.16;
  const to = ([x, y, z]) => {
    const [X, Y] = project(m, (x - centre[0]) * scale, (y - centre[1]) * scale, (z - centre[2]) * scale);
    return [W / 2 + X * H * 0.9, H / 2 - Y * H * 0.9];
  };
  c.fillStyle = "#0b0e13"; c.fillRect(0, 0, W, H);
  c.strokeStyle = "#2a323d"; c.lineWidth = 1;
  for (let v = -4; v <= 4; v++) {
    c.beginPath(); c.moveTo(...to([v, 0, -2])); c.lineTo(...to([v, 0, 6])); c.stroke();
    c.beginPath(); c.moveTo(...to([-4, 0, v + 2])); c.lineTo(...to([4, 0, v + 2])); c.stroke();
  }
  f.heads.forEach((head, i) => {
    const d = beam(head, f.positions[i], f.angles && f.angles[i]);
    // To the floor when it gets there, else six metres.
    const reach = d[1] < -1e-6 ? Math.min(12, head.at[1] / -d[1]) : 6;
    const end = head.at.map((v, k) => v + d[k] * reach), hue = 360 * i / f.heads.length;
    c.strokeStyle = `hsla(${hue}, 90%, 65%, 0.75)`; c.lineWidth = 3;
    c.beginPath(); c.moveTo(...to(head.at)); c.lineTo(...to(end)); c.stroke();
    c.fillStyle = `hsl(${hue}, 90%, 65%)`;
    c.beginPath(); c.arc(...to(end), 4, 0, 2 * Math.PI); c.fill();
    c.fillStyle = "#ccc"; c.fillRect(...to(head.at).map(v => v - 3), 6, 6);
  });
  stage.div.dataset.painted = Number(stage.div.dataset.painted || 0) + 1;
  requestAnimationFrame(paintStage);
}
window.stageView = {
  state: () => stage.frame && {pip: stage.frame.pip, weight: stage.frame.weight, positions: stage.frame.positions,
                               angles: stage.frame.angles, names: stage.frame.heads.map(h => h.name)},
};
function stageSettings(p) {
  const fade = (request.get("fade") || "").split(":"), to = byName.get(fade[0]), step = request.get("step") || "";
  const alternate = request.get("alternate");
  return {pattern: p, count: Math.max(1, Math.min(64, Math.round(Number(request.get("fixtures"))) || 8)),
          rig: request.get("rig") === "patch" && RIG ? "patch" : "row",
          step: step !== "" && Number.isInteger(Number(step)) ? Number(step) : null,
          fromCentre: request.get("centre") === "1",
          alternate: alternate === "reverse" || alternate === "mirror_x" ? alternate : "none",
          byPlace: request.get("place") !== "0",
          fade: to ? {to, start: Math.round(Number(fade[1] || 0) * PPB), length: Math.max(0, Math.round(Number(fade[2] || 4) * PPB)),
                      easing: fade[3] in EASINGS ? fade[3] : "smoothstep"} : null};
}

// ---- the player ----------------------------------------------------------
// One clock for every playing card: a position in pips that grows at the
// tempo from an anchor, re-anchored whenever the tempo changes or the clock
// pauses, so the position never jumps.
// A manual clock moves only when told, for a reader that must know the moment.
let manualMs = 0;
const now = request.get("clock") === "manual" ? () => manualMs : () => performance.now();
const player = {
  bpm: 120, running: false, anchorMs: 0, anchorPos: 0, startedMs: null,
  playing: new Map(), lastBeat: null, audio: null, taps: [],
  position(at) {
    return this.running ? this.anchorPos + (at - this.anchorMs) * this.bpm * PPB / 60000 : this.anchorPos;
  },
  reanchor(at) { this.anchorPos = this.position(at); this.anchorMs = at; },
  setTempo(bpm) {
    if (!(bpm >= 20 && bpm <= 400)) return;
    this.reanchor(now());
    this.bpm = bpm;
    document.getElementById("bpm").value = String(Math.round(bpm * 10) / 10);
  },
  start() {
    if (this.running) return;
    this.anchorMs = now();
    if (this.startedMs === null) this.startedMs = this.anchorMs;
    this.running = true;
    document.getElementById("toggle").textContent = "Pause";
    requestAnimationFrame(frame);
  },
  pause() {
    if (!this.running) return;
    this.reanchor(now());
    this.running = false;
    document.getElementById("toggle").textContent = "Play";
  },
  toggleCard(p, div) {
    if (this.playing.has(p.name)) {
      const entry = this.playing.get(p.name);
      entry.marks.forEach(m => m.remove());
      div.classList.remove("playing");
      div.querySelector(".pip").textContent = "";
      this.playing.delete(p.name);
      return;
    }
    drawCard(div);
    const marks = [];
    const views = div.querySelectorAll("svg.path");
    marks.push(el("circle", {r: 0.07, class: "dot"}, views[0]));
    if (views.length > 1) marks.push(el("circle", {r: 0.07, class: "dot"}, views[1]));
    marks.push(el("line", {y1: 0, y2: 60, class: "cursor"}, div.querySelector("svg.time")));
    this.playing.set(p.name, {p, div, marks, table: tableOf(p)});
    div.classList.add("playing");
    this.start();
    draw(this.position(now()));
  },
  tap(at) {
    if (this.taps.length && at - this.taps[this.taps.length - 1] > 2000) this.taps = [];
    this.taps.push(at);
    this.taps = this.taps.slice(-8);
    if (this.taps.length < 3) return;
    const gaps = this.taps.slice(1).map((t, i) => t - this.taps[i]).sort((a, b) => a - b);
    this.setTempo(60000 / gaps[Math.floor(gaps.length / 2)]);  // the median shrugs off one stray tap
  },
  click(accent) {
    if (!this.audio) return;
    const ctx = this.audio, t = ctx.currentTime;
    const osc = ctx.createOscillator(), gain = ctx.createGain();
    osc.frequency.value = accent ? 1760 : 880;
    gain.gain.setValueAtTime(accent ? 0.5 : 0.25, t);
    gain.gain.exponentialRampToValueAtTime(0.001, t + 0.05);
    osc.connect(gain).connect(ctx.destination);
    osc.start(t); osc.stop(t + 0.06);
  },
};
function draw(position) {
  const pip = Math.floor(position);
  const beat = Math.floor(pip / PPB);
  document.getElementById("clock").textContent =
    `bar ${Math.floor(beat / BEATS_PER_BAR) + 1} beat ${beat % BEATS_PER_BAR + 1} · pip ${pip}`;
  document.body.dataset.clockPip = pip;
  document.body.dataset.clockMs = player.startedMs === null ? 0 : Math.round(now() - player.startedMs);
  for (const {p, div, marks, table} of player.playing.values()) {
    const i = ((pip % p.period) + p.period) % p.period;
    const [x, y, z] = [table[3 * i], table[3 * i + 1], table[3 * i + 2]];
    marks[0].setAttribute("cx", x); marks[0].setAttribute("cy", -y);
    if (marks.length === 3) { marks[1].setAttribute("cx", x); marks[1].setAttribute("cy", -z); }
    const cursor = marks[marks.length - 1], at = (i / p.period * 226).toFixed(2);
    cursor.setAttribute("x1", at); cursor.setAttribute("x2", at);
    div.dataset.pip = i;
    div.querySelector(".pip").textContent = `pip ${i} of ${p.period} · x ${x.toFixed(3)} y ${y.toFixed(3)} z ${z.toFixed(3)}`;
  }
  closer.show(position);
  stage.show(position);
  if (player.running && player.lastBeat !== null && beat !== player.lastBeat) player.click(beat % BEATS_PER_BAR === 0);
  player.lastBeat = beat;
}
function frame() {
  draw(player.position(now()));
  if (player.running) requestAnimationFrame(frame);
}
document.getElementById("toggle").addEventListener("click", () => player.running ? player.pause() : player.start());
document.getElementById("bpm").addEventListener("change", e => player.setTempo(Number(e.target.value)));
document.getElementById("tap").addEventListener("click", () => player.tap(now()));
document.getElementById("stop-all").addEventListener("click", () => {
  for (const {p, div} of [...player.playing.values()]) player.toggleCard(p, div);
});
document.getElementById("metronome").addEventListener("change", e => {
  if (e.target.checked && !player.audio) player.audio = new AudioContext();  // only after the user asks
  if (!e.target.checked && player.audio) { player.audio.close(); player.audio = null; }
});
document.getElementById("stage-open").addEventListener("click", () => {
  const first = [...player.playing.values()][0];
  stage.open(stageSettings(first ? first.p : byName.get("circle") || patterns[0]));
});
window.manualClock = {
  advance(ms) { manualMs += ms; draw(player.position(now())); },
};

// ---- start -----------------------------------------------------------------
applyFilter();
inflateTables().then(() => {
  // #play=NAME,NAME&bpm=N starts those cards on load, the first in view.
  if (request.has("bpm")) player.setTempo(Number(request.get("bpm")));
  let first = null;
  for (const name of (request.get("play") || "").split(",").filter(Boolean)) {
    const div = document.querySelector(`.card[data-name="${CSS.escape(name)}"]`);
    if (!div) continue;
    div.querySelector(".play").click();
    first = first || div;
  }
  if (first) first.scrollIntoView({block: "center"});
  // #open=NAME,NAME opens those large, pinned side by side.
  for (const name of (request.get("open") || "").split(",").filter(n => byName.has(n)).slice(0, MAX_PINNED)) {
    const view = closer.open(byName.get(name));
    if (view) { view.pinned = true; view.div.querySelector(".pin").checked = true; }
  }
  // #stage=NAME&fixtures=N&step=PIPS&centre=1&alternate=reverse&fade=NAME:BEAT:BEATS:EASING&rig=patch&place=0
  if (byName.has(request.get("stage"))) stage.open(stageSettings(byName.get(request.get("stage"))));
  let told = false;
  const watch = new IntersectionObserver(entries => {
    for (const entry of entries) {
      if (entry.isIntersecting) { drawCard(entry.target); watch.unobserve(entry.target); }
    }
    if (!told) { told = true; document.documentElement.dataset.ready = Math.max(1, Math.round(performance.now())); }
  }, {rootMargin: "400px 0px"});
  document.querySelectorAll(".card").forEach(c => watch.observe(c));
});
</script></body></html>
"""


def render(layout_path):
    data, values, tables = patterns(layout_path)
    # "</" must not end the script element that carries the data.
    payload = json.dumps(data, separators=(",", ":"), ensure_ascii=False).replace("</", "<\\/")
    return (PAGE.replace("__COUNT__", str(len(data)))
                .replace("__PPB__", str(pipmoves.PIPS_PER_BEAT))
                .replace("__SCALE__", str(TABLE_SCALE))
                .replace("__VALUES__", str(values))
                .replace("__TABLES__", tables)
                .replace("__RIG__", json.dumps(rig()).replace("</", "<\\/"))
                .replace("__DATA__", payload))


def main(argv):
    if len(argv) not in (2, 3):
        sys.exit(__doc__.strip().splitlines()[-1])
    page = render(argv[2] if len(argv) == 3 else default_layout_path())
    with open(argv[1], "w", encoding="utf-8") as out:
        out.write(page)
    print(f"gallery of {len(pipmoves.catalogue())} patterns written to {argv[1]}")


if __name__ == "__main__":
    main(sys.argv)
