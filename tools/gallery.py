"""Writes one self-contained HTML page that draws every default pattern.

Each card shows the x-y path over one period (z as a second, x-z view when the
pattern moves in depth), small time curves of x, y and z, and the pattern's
name, description, period in beats and dimensions. Cards are grouped by pack
and family, and a filter box narrows them down.

A player moves the cards: its play button on a card animates the pattern's
point and a cursor over the time curves at the tempo typed or tapped in the
transport bar, every playing card on one clock, so they stay in phase. A
metronome (off until asked for) clicks every beat and accents every bar. The
page opens from disk; `#play=NAME,NAME&bpm=N` in its address starts those
cards at once, and `&clock=manual` holds its clock still but for
`manualClock.advance(ms)`, so a test reads the player at a chosen moment.
The page sets `data-ready` on its root element once every card is in place.

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

import pipmoves

POINTS_PER_CURVE = 128
# The player reads every pip, as 16-bit fractions of the unit range.
TABLE_SCALE = 32767


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


def curve(name, period):
    """At most POINTS_PER_CURVE evenly spread samples, closing the loop."""
    step = max(1, math.ceil(period / POINTS_PER_CURVE))
    pips = list(range(0, period, step)) + [period]
    return [[round(v, 4) for v in pipmoves.sample(name, pip).as_tuple()] for pip in pips]


def table(name, period):
    """Every pip of one period, x y z interleaved, base64 of little-endian int16."""
    values = []
    for pip in range(period):
        values.extend(round(v * TABLE_SCALE) for v in pipmoves.sample(name, pip).as_tuple())
    return base64.b64encode(struct.pack(f"<{len(values)}h", *values)).decode("ascii")


def patterns(layout_path):
    stored = origins(layout_path)
    for row in pipmoves.catalogue():
        pack, family = stored.get(row["name"], ("procedural", "procedural"))
        yield {
            "pack": pack,
            "family": family,
            "name": row["name"],
            "description": row["description"],
            "beats": row["period_pips"] / pipmoves.PIPS_PER_BEAT,
            "dimensions": row["dimensions"],
            "period": row["period_pips"],
            "samples": curve(row["name"], row["period_pips"]),
            "table": table(row["name"], row["period_pips"]),
        }


PAGE = """<!doctype html>
<html lang="en"><head><meta charset="utf-8"><title>pipmoves gallery</title>
<style>
body { font: 13px system-ui, sans-serif; margin: 1.5em; background: #fafafa; color: #222; }
h1 { margin: 0 0 .3em; } h2 { margin: 1.2em 0 .2em; } h3 { margin: .8em 0 .3em; color: #555; }
#filter { font-size: 15px; padding: .3em .5em; width: 24em; }
.cards { display: flex; flex-wrap: wrap; gap: 8px; }
.card { width: 236px; background: #fff; border: 1px solid #ddd; border-radius: 6px; padding: 6px; }
.card .name { font-weight: 600; font-family: monospace; word-break: break-all; }
.card .meta { color: #777; font-size: 11px; }
.card .desc { font-size: 11px; margin-top: 3px; }
svg { background: #f4f6f8; border-radius: 4px; margin-top: 4px; }
.x { stroke: #d1495b; } .y { stroke: #2e86ab; } .z { stroke: #66a182; }
#transport { position: sticky; top: 0; z-index: 1; display: flex; gap: .8em; align-items: center;
             padding: .5em 0; background: #fafafa; border-bottom: 1px solid #ddd; }
#transport input[type=number] { width: 5em; font-size: 14px; }
#clock { font-family: monospace; }
.card .play { float: right; border: 1px solid #ccc; border-radius: 4px; background: #fff; cursor: pointer; }
.card.playing { border-color: #d1495b; box-shadow: 0 0 0 1px #d1495b; }
.card .pip { font-family: monospace; font-size: 11px; color: #555; min-height: 1.2em; }
.dot { fill: #f0a202; stroke: #222; stroke-width: 0.015; }
.cursor { stroke: #222; stroke-width: 1; }
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
</div>
<input id="filter" placeholder="filter by name or description" autofocus>
<p id="shown"></p>
<div id="gallery"></div>
<script id="data" type="application/json">__DATA__</script>
<script>
const patterns = JSON.parse(document.getElementById("data").textContent);
const NS = "http://www.w3.org/2000/svg";
function el(name, attrs, parent) {
  const node = document.createElementNS(NS, name);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, v);
  if (parent) parent.appendChild(node);
  return node;
}
function points(samples, fx, fy) { return samples.map(s => fx(s).toFixed(1) + "," + fy(s).toFixed(1)).join(" "); }
function pathView(p, a, b, label) {
  const svg = el("svg", {width: 110, height: 110, viewBox: "-1.1 -1.1 2.2 2.2", class: "path", "data-name": p.name});
  el("line", {x1: -1, y1: 0, x2: 1, y2: 0, stroke: "#ccc", "stroke-width": 0.01}, svg);
  el("line", {x1: 0, y1: -1, x2: 0, y2: 1, stroke: "#ccc", "stroke-width": 0.01}, svg);
  el("polyline", {points: p.samples.map(s => s[a] + "," + (-s[b])).join(" "), fill: "none",
                  stroke: "#333", "stroke-width": 0.025}, svg);
  el("circle", {cx: p.samples[0][a], cy: -p.samples[0][b], r: 0.06, fill: "#d1495b"}, svg);
  el("title", {}, svg).textContent = label;
  return svg;
}
function timeView(p) {
  const w = 226, h = 60, n = p.samples.length - 1;
  const svg = el("svg", {width: w, height: h, class: "time"});
  el("line", {x1: 0, y1: h / 2, x2: w, y2: h / 2, stroke: "#ccc"}, svg);
  ["x", "y", "z"].forEach((axis, i) => {
    if (i >= p.dimensions) return;
    el("polyline", {points: points(p.samples.map((s, k) => [k, s[i]]), s => s[0] / n * w, s => h / 2 - s[1] * (h / 2 - 2)),
                    fill: "none", class: axis, "stroke-width": 1.2}, svg);
  });
  return svg;
}
function card(p) {
  const div = document.createElement("div");
  div.className = "card";
  div.dataset.search = (p.name + " " + p.description).toLowerCase();
  div.dataset.name = p.name;
  div.innerHTML = `<button class="play" title="play at the transport's tempo">▶</button><div class="name"></div><div class="meta"></div>`;
  div.querySelector(".name").textContent = p.name;
  div.querySelector(".meta").textContent = `${p.beats} beat${p.beats === 1 ? "" : "s"}, ${p.dimensions}D, ${p.pack}`;
  div.appendChild(pathView(p, 0, 1, "x-y path"));
  if (p.dimensions === 3) div.appendChild(pathView(p, 0, 2, "x-z view")).classList.add("depth");
  div.appendChild(timeView(p));
  const desc = document.createElement("div");
  desc.className = "desc";
  desc.textContent = p.description;
  div.appendChild(desc);
  const pip = document.createElement("div");
  pip.className = "pip";
  div.appendChild(pip);
  div.querySelector(".play").addEventListener("click", () => player.toggleCard(p, div));
  return div;
}
const gallery = document.getElementById("gallery");
let pack = null, family = null, cards = null;
for (const p of patterns) {
  if (p.pack !== pack) {
    pack = p.pack; family = null;
    const h2 = document.createElement("h2"); h2.textContent = pack; gallery.appendChild(h2);
  }
  if (p.family !== family) {
    family = p.family;
    const h3 = document.createElement("h3"); h3.textContent = family; gallery.appendChild(h3);
    cards = document.createElement("div"); cards.className = "cards"; gallery.appendChild(cards);
  }
  cards.appendChild(card(p));
}
function applyFilter() {
  const words = document.getElementById("filter").value.toLowerCase().split(/\\s+/).filter(Boolean);
  let shown = 0;
  for (const c of document.querySelectorAll(".card")) {
    const visible = words.every(w => c.dataset.search.includes(w));
    c.style.display = visible ? "" : "none";
    shown += visible;
  }
  for (const group of document.querySelectorAll(".cards")) {
    const any = [...group.children].some(c => c.style.display !== "none");
    group.style.display = any ? "" : "none";
    group.previousElementSibling.style.display = any ? "" : "none";
  }
  document.getElementById("shown").textContent = `${shown} of ${patterns.length} patterns shown`;
}
document.getElementById("filter").addEventListener("input", applyFilter);
applyFilter();
document.body.dataset.rendered = document.querySelectorAll("svg.path:not(.depth)").length;

// ---- the player ----------------------------------------------------------
// One clock for every playing card: a position in pips that grows at the
// tempo from an anchor, re-anchored whenever the tempo changes or the clock
// pauses, so the position never jumps.
const PPB = __PPB__, BEATS_PER_BAR = 4, SCALE = __SCALE__;
const request = new URLSearchParams(location.hash.slice(1));
// A manual clock moves only when told, for a reader that must know the moment.
let manualMs = 0;
const now = request.get("clock") === "manual" ? () => manualMs : () => performance.now();
const player = {
  bpm: 120, running: false, anchorMs: 0, anchorPos: 0, startedMs: null,
  playing: new Map(), lastBeat: null, audio: null, taps: [],
  position(now) {
    return this.running ? this.anchorPos + (now - this.anchorMs) * this.bpm * PPB / 60000 : this.anchorPos;
  },
  reanchor(now) { this.anchorPos = this.position(now); this.anchorMs = now; },
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
    const marks = [];
    const views = div.querySelectorAll("svg.path");
    marks.push(el("circle", {r: 0.07, class: "dot"}, views[0]));
    if (views.length > 1) marks.push(el("circle", {r: 0.07, class: "dot"}, views[1]));
    marks.push(el("line", {y1: 0, y2: 60, class: "cursor"}, div.querySelector("svg.time")));
    this.playing.set(p.name, {p, div, marks, table: decodeTable(p.table)});
    div.classList.add("playing");
    this.start();
    draw(this.position(now()));
  },
  tap(now) {
    if (this.taps.length && now - this.taps[this.taps.length - 1] > 2000) this.taps = [];
    this.taps.push(now);
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
function decodeTable(b64) {
  const bytes = atob(b64), values = new Float64Array(bytes.length / 2);
  for (let i = 0; i < values.length; i++) {
    const word = bytes.charCodeAt(2 * i) | (bytes.charCodeAt(2 * i + 1) << 8);
    values[i] = ((word << 16) >> 16) / SCALE;
  }
  return values;
}
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
// #play=NAME,NAME&bpm=N starts those cards on load.
if (request.has("bpm")) player.setTempo(Number(request.get("bpm")));
for (const name of (request.get("play") || "").split(",").filter(Boolean)) {
  const div = document.querySelector(`.card[data-name="${CSS.escape(name)}"]`);
  if (div) div.querySelector(".play").click();
}
window.manualClock = {
  advance(ms) { manualMs += ms; draw(player.position(now())); },
};
document.documentElement.dataset.ready = "1";
</script></body></html>
"""


def render(layout_path):
    data = list(patterns(layout_path))
    # "</" must not end the script element that carries the data.
    payload = json.dumps(data, separators=(",", ":"), ensure_ascii=False).replace("</", "<\\/")
    return (PAGE.replace("__COUNT__", str(len(data)))
                .replace("__PPB__", str(pipmoves.PIPS_PER_BEAT))
                .replace("__SCALE__", str(TABLE_SCALE))
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
