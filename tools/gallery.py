"""Writes one self-contained HTML page that draws every default pattern.

Each card shows the x-y path over one period (z as a second, x-z view when the
pattern moves in depth), small time curves of x, y and z, and the pattern's
name, description, period in beats and dimensions. Cards are grouped by pack
and family, and a filter box narrows them down.

usage: python3 tools/gallery.py OUTPUT.html
"""

import json
import math
import sys

import pipmoves

# Pack sizes in catalogue order; the procedural patterns come first.
PACKS = [
    ("procedural", 15), ("initial", 28), ("expansion", 24), ("atlas", 256),
    ("continuum", 320), ("club", 144), ("dancefloor", 944),
]
POINTS_PER_CURVE = 128


def family_of(name):
    parts = name.split("_")
    if parts[0] == "beat" and len(parts) > 1:
        return "beat " + parts[1]
    return parts[0]


def curve(name, period):
    """At most POINTS_PER_CURVE evenly spread samples, closing the loop."""
    step = max(1, math.ceil(period / POINTS_PER_CURVE))
    pips = list(range(0, period, step)) + [period]
    return [[round(v, 4) for v in pipmoves.sample(name, pip).as_tuple()] for pip in pips]


def patterns():
    rows = pipmoves.catalogue()
    start = 0
    for pack, size in PACKS:
        for row in rows[start:start + size]:
            yield {
                "pack": pack,
                "family": "procedural" if pack == "procedural" else family_of(row["name"]),
                "name": row["name"],
                "description": row["description"],
                "beats": row["period_pips"] / pipmoves.PIPS_PER_BEAT,
                "dimensions": row["dimensions"],
                "samples": curve(row["name"], row["period_pips"]),
            }
        start += size
        if start >= len(rows):
            return


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
</style></head><body>
<h1>pipmoves gallery</h1>
<p>__COUNT__ default patterns at __PPB__ pips a beat. Paths run over one period from the dot;
time curves show <span style="color:#d1495b">x</span>, <span style="color:#2e86ab">y</span> and
<span style="color:#66a182">z</span>.</p>
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
  div.innerHTML = `<div class="name"></div><div class="meta"></div>`;
  div.querySelector(".name").textContent = p.name;
  div.querySelector(".meta").textContent = `${p.beats} beat${p.beats === 1 ? "" : "s"}, ${p.dimensions}D, ${p.pack}`;
  div.appendChild(pathView(p, 0, 1, "x-y path"));
  if (p.dimensions === 3) div.appendChild(pathView(p, 0, 2, "x-z view")).classList.add("depth");
  div.appendChild(timeView(p));
  const desc = document.createElement("div");
  desc.className = "desc";
  desc.textContent = p.description;
  div.appendChild(desc);
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
</script></body></html>
"""


def render():
    data = list(patterns())
    # "</" must not end the script element that carries the data.
    payload = json.dumps(data, separators=(",", ":"), ensure_ascii=False).replace("</", "<\\/")
    return (PAGE.replace("__COUNT__", str(len(data)))
                .replace("__PPB__", str(pipmoves.PIPS_PER_BEAT))
                .replace("__DATA__", payload))


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(argv[1], "w", encoding="utf-8") as out:
        out.write(render())
    print(f"gallery of {len(pipmoves.catalogue())} patterns written to {argv[1]}")


if __name__ == "__main__":
    main(sys.argv)
