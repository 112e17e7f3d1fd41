"""Measures how fast pipmoves serves a pattern, against the floor and against
what a user would write instead, and prints one table.

Every figure is a ratio to a reference measured in the same run, so it means
something on a busy machine; absolute times stand beside it for information.

usage: python3 tools/bench.py BUILD_DIR   (tools/dev bench runs it)
"""

import functools
import json
import os
import pathlib
import re
import statistics
import subprocess
import sys
import time

BUILD = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "build/release").resolve()
sys.path[:0] = [str(BUILD / "python"), str(BUILD / "bench")]

import pipmoves  # noqa: E402
import pipmoves_bench_floor as floor  # noqa: E402
import pipmoves_play as play  # noqa: E402

try:
    import numpy as np
except ImportError:  # numpy is only the benchmarks' peer, never a dependency
    np = None

CALLS = 200_000
REPEATS = 7


# ---- native -------------------------------------------------------------------

def native():
    result = subprocess.run(
        [str(BUILD / "bench" / "pipmoves_bench"), "--benchmark_format=json", "--benchmark_min_time=0.2s"],
        check=True, capture_output=True, text=True)
    runs = {b["name"]: b for b in json.loads(result.stdout)["benchmarks"]}
    floor_ns = runs["floor_table_read"]["real_time"]
    rows = []
    for name, run in runs.items():
        allocs = run.get("allocs_per_call")
        # A benchmark that counts items (samples of a block) reports the time of one.
        ns = 1e9 / run["items_per_second"] if "items_per_second" in run else run["real_time"]
        rows.append((name, ns, ns / floor_ns, "" if allocs is None else f"{allocs:.2f}"))
    return rows


# ---- Python -------------------------------------------------------------------

def per_call_ns(call, args):
    """Median over repeats of the time per call, less the bare loop's own cost."""
    def loop(body):
        start = time.perf_counter_ns()
        body()
        return time.perf_counter_ns() - start

    def with_call():
        for a in args:
            call(*a)

    def bare():
        for a in args:
            pass

    times = []
    for _ in range(REPEATS):
        times.append((loop(with_call) - loop(bare)) / len(args))
    return statistics.median(times)


def python_rows():
    pips = [(p,) for p in range(CALLS)]
    named = [("lfo_breathe", p) for p in range(CALLS)]
    rows = []

    reference = per_call_ns(floor.triple_at, pips)
    rows.append(("floor: f(pip) -> Offset3-like (benchmark extension)", reference))
    rows.append(("floor: f() -> Offset3-like", per_call_ns(floor.triple, [()] * CALLS)))
    rows.append(("floor: f() -> None", per_call_ns(floor.nothing, [()] * CALLS)))
    rows.append(("floor: f(name, pip) -> Offset3-like", per_call_ns(floor.triple_named, named)))
    rows.append(("pipmoves.sample('lfo_breathe', pip)", per_call_ns(pipmoves.sample, named)))
    rows.append(("pipmoves.sample('bounce', pip)", per_call_ns(pipmoves.sample, [("bounce", p) for p in range(CALLS)])))
    rows.append(("pipmoves.bounce(pip)", per_call_ns(pipmoves.bounce, pips)))
    if hasattr(pipmoves, "PatternLibrary"):
        own = pipmoves.SampledPattern("own_loop", "bench", [(0.5, 0.0, 0.0)] * 256)
        library = pipmoves.PatternLibrary([own])
        rows.append(("PatternLibrary.sample(own name, pip)", per_call_ns(library.sample, [("own_loop", p) for p in range(CALLS)])))
        rows.append(("PatternLibrary.sample(default name, pip)", per_call_ns(library.sample, named)))
        rows.append(("SampledPattern.sample(pip)", per_call_ns(own.sample, pips)))

    tables = {}
    for row in pipmoves.catalogue():
        tables[row["name"]] = tuple(pipmoves.sample(row["name"], i).as_tuple() for i in range(row["period_pips"]))

    def lookup(name, pip):
        table = tables[name]
        return table[pip % len(table)]

    rows.append(("pure Python: dict of tuples, table[pip % period]", per_call_ns(lookup, named)))
    catalogue_ns = statistics.median(per_call_ns(pipmoves.catalogue, [()] * 20) for _ in range(3))
    rows.append(("pipmoves.catalogue() (whole list)", catalogue_ns))
    return [(name, ns, ns / reference) for name, ns in rows]


# ---- playback -----------------------------------------------------------------

BLOCK = 4096
RENDER = "pipmoves_play.render('lfo_breathe', a, 4096), per sample"


def playback_rows():
    """Whole frames per sample against what a user would write instead, and the
    per-call costs of a spread and the clock."""
    name = "lfo_breathe"
    period = next(row["period_pips"] for row in pipmoves.catalogue() if row["name"] == name)
    samples = [pipmoves.sample(name, pip).as_tuple() for pip in range(period)]
    tables = {name: tuple(samples)}
    blocks = [(a * BLOCK,) for a in range(2000)]
    rows = [(RENDER, per_call_ns(lambda a: play.render(name, a, BLOCK), blocks) / BLOCK)]
    if np is not None:
        table = np.array(samples)
        rows.append(("numpy: table[np.arange(a, a + 4096) % period], per sample",
                     per_call_ns(lambda a: table[np.arange(a, a + BLOCK) % period], blocks) / BLOCK))
    rows.append(("list comprehension over a dict of tuples, per sample",
                 per_call_ns(lambda a: [tables[name][p % period] for p in range(a, a + BLOCK)], blocks[:200]) / BLOCK))
    rows.append(("loop of pipmoves.sample(name, p), per sample",
                 per_call_ns(lambda a: [pipmoves.sample(name, p) for p in range(a, a + BLOCK)], blocks[:40]) / BLOCK))
    named = [(name, p) for p in range(CALLS)]
    rows.append(("pipmoves_play.spread('lfo_breathe', pip, 64)",
                 per_call_ns(lambda n, p: play.spread(n, p, 64), named)))
    pattern = play.Pattern(name)
    rows.append(("pipmoves_play.spread(Pattern('lfo_breathe'), pip, 64)",
                 per_call_ns(lambda p: play.spread(pattern, p, 64), [(p,) for p in range(CALLS)])))
    seconds = [(i * 0.0013,) for i in range(CALLS)]
    rows.append(("floor: method f(seconds) -> int", per_call_ns(floor.Timeline(124 * 64 / 60).pip_at, seconds)))
    rows.append(("pipmoves_play.Clock.pip_at(seconds)", per_call_ns(play.Clock(124.0, 0.25).pip_at, seconds)))
    return rows


# ---- your own groove ----------------------------------------------------------

GROOVE_IMPORT = "pipmoves_play.groove_patterns of the largest score allowed (hits at the limit, 1792 pips)"


def groove_import_ms():
    """The worst import a caller can ask for: as many hits as a score holds, over the longest loop.
    Wall and CPU time, as a shared machine stretches the first."""
    count = 384
    hits = [(i * 1792 / count, play.GROOVE_INSTRUMENTS[i % 16], 1.0, 1) for i in range(count)]
    score = play.GrooveScore(1792, hits)
    wall, cpu = [], []
    for _ in range(3):
        start, start_cpu = time.perf_counter(), time.process_time()
        play.groove_patterns(score, "busiest", "The busiest score")
        wall.append(time.perf_counter() - start)
        cpu.append(time.process_time() - start_cpu)
    return min(wall) * 1000, min(cpu) * 1000


# ---- a rig --------------------------------------------------------------------

RIG_FIXTURES = 512
RIG_FRAME = "PatchPlayer.frame(512 fixtures over 8 universes), a new block"
RIG_FRAME_OUT = "PatchPlayer.frame(512 fixtures over 8 universes, out=buffer)"
SPREAD_OUT = "pipmoves_play.spread('lfo_breathe', pip, 64, out=buffer)"
SPREAD_OUT_RATIO = "spread into a buffer / pipmoves.sample, measured in pairs (a ratio)"


def big_rig():
    """512 heads of 8 channels, 64 on each of 8 universes, slewed and limited as bench/patch_bench.cpp's."""
    layout = {"channels": ["pan", "pan_fine", "tilt", "tilt_fine", 0, 255, 0, 128], "pan_range": 540, "tilt_range": 270}
    return play.Patch({"fixtures": [
        {"name": f"head_{i}", "universe": 1 + i // 64, "address": 1 + 8 * (i % 64),
         "mounting": "hung" if i % 2 else "standing", "tilt_limits": [20, 250], "max_speed": 400,
         "position": [i % 64, 0, 5], "layout": layout} for i in range(RIG_FIXTURES)]})


def rig_rows():
    """A frame of a big rig from Python, per call, and a spread into a caller's rows."""
    patch = big_rig()
    player = play.PatchPlayer(patch)
    frames = [play.spread("circle", 4 * k, RIG_FIXTURES) for k in range(64)]
    calls = [(frames[k % 64], 1 / 44) for k in range(2000)]
    universes = bytearray(512 * len(patch.universes))
    rows = [(RIG_FRAME, per_call_ns(player.frame, calls)),
            (RIG_FRAME_OUT, per_call_ns(functools.partial(player.frame, out=universes), calls))]
    positions = memoryview(bytearray(24 * RIG_FIXTURES)).cast("d", (RIG_FIXTURES, 3))

    def whole_frame(pip, seconds):
        play.spread("circle", pip, RIG_FIXTURES, out=positions)
        player.frame(positions, seconds, out=universes)

    rows.append(("spread and PatchPlayer.frame of 512 fixtures, both into buffers",
                 per_call_ns(whole_frame, [(4 * k, 1 / 44) for k in range(2000)])))
    rows.append(("pipmoves_play.spread('lfo_breathe', pip, 64), a new block",
                 per_call_ns(play.spread, [("lfo_breathe", p, 64) for p in range(CALLS)])))
    out = memoryview(bytearray(24 * 64)).cast("d", (64, 3))
    # Called as a show loop calls it: no Python function between, as for pipmoves.sample.
    into = functools.partial(play.spread, out=out)
    spread_args = [("lfo_breathe", p, 64) for p in range(CALLS)]
    rows.append((SPREAD_OUT, per_call_ns(into, spread_args)))
    rows.append((SPREAD_OUT_RATIO, paired_ratio(pipmoves.sample, [("lfo_breathe", p) for p in range(CALLS)],
                                                into, spread_args)))
    return rows


def paired_ratio(reference, reference_args, call, args):
    """The median over repeats of one call's time over the reference's, each pair
    measured back to back, so the load of a busy machine falls on both alike."""
    ratios = []
    for _ in range(REPEATS):
        ratios.append(per_call_ns(call, args) / per_call_ns(reference, reference_args))
    return statistics.median(ratios)


# What the rig promises: a 44 Hz show of 512 fixtures within 1 % of one core,
# and a spread into a caller's rows at most three sample calls.
RIG_GOALS = [
    ("patch frame of 512 fixtures over 8 universes from Python, us", RIG_FRAME, None, 227.0),
    ("native patch frame of 512 fixtures over 8 universes, us", "patch_frame_512_fixtures_8_universes", None, 227.0),
    ("spread of 64 fixtures into a buffer / one pipmoves.sample", SPREAD_OUT_RATIO, 1.0, 3.0),
]


def rig_goal_lines(figures):
    lines = ["", "## Rig goals", "", "| measure | measured | goal |", "|---|---:|---:|"]
    for label, numerator, denominator, goal in RIG_GOALS:
        # Absolute rows are in microseconds; a ratio row is a ratio already.
        value = figures[numerator] / 1000.0 if denominator is None else figures[numerator] / denominator
        lines.append(f"| {label} | {value:.2f} | <= {goal:.2f} |")
    return lines


# ---- import, size, memory -----------------------------------------------------

def import_ms(module="pipmoves"):
    env = dict(os.environ, PYTHONPATH=str(BUILD / "python"))
    times = []
    for _ in range(REPEATS):
        err = subprocess.run([sys.executable, "-X", "importtime", "-c", f"import {module}"],
                             check=True, capture_output=True, text=True, env=env).stderr
        match = re.search(rf"import time:\s+\d+ \|\s+(\d+) \| {module}$", err, re.MULTILINE)
        times.append(int(match.group(1)) / 1000)
    return statistics.median(times)


RSS_PROBE = """
import sys
def rss_kb():
    for line in open('/proc/self/status'):
        if line.startswith('VmRSS:'):
            return int(line.split()[1])
bare = rss_kb()
import pipmoves
imported = rss_kb()
for row in pipmoves.catalogue():
    for pip in range(row['period_pips']):
        pipmoves.sample(row['name'], pip)
print(bare, imported, rss_kb())
"""


def memory_mb():
    env = dict(os.environ, PYTHONPATH=str(BUILD / "python"))
    out = subprocess.run([sys.executable, "-c", RSS_PROBE], check=True, capture_output=True, text=True, env=env).stdout
    bare, imported, touched = (int(v) / 1024 for v in out.split())
    return bare, imported, touched


# What the lookups promise, each a ratio of two figures of this run.
LOOKUP_GOALS = [
    ("native sample by a stored name / table read", "sample_by_name/pack_middle_of_index", "floor_table_read", 15.0),
    ("Python sample(name, pip) / floor f(pip)", "pipmoves.sample('lfo_breathe', pip)",
     "floor: f(pip) -> Offset3-like (benchmark extension)", 1.25),
    ("PatternLibrary::sample, 1024 / 1 stored patterns, default name",
     "library_sample/patterns_1024_default_name", "library_sample/one_pattern_default_name", 2.0),
]


# What playback promises, in the same table; a goal of None is for comparison
# only, and a denominator of None makes the row an absolute figure.
PLAYBACK_GOALS = [
    ("render of a stored pattern, ns per sample", RENDER, None, 3.0),
    ("numpy indexing / render", "numpy: table[np.arange(a, a + 4096) % period], per sample", RENDER, None),
    ("dict-of-tuples list comprehension / render", "list comprehension over a dict of tuples, per sample", RENDER, None),
    ("loop of pipmoves.sample / render", "loop of pipmoves.sample(name, p), per sample", RENDER, None),
    # Its goal is held by the spread into a buffer, among the rig goals.
    ("spread of 64 fixtures / one pipmoves.sample", "pipmoves_play.spread('lfo_breathe', pip, 64)",
     "pipmoves.sample('lfo_breathe', pip)", None),
    ("Clock.pip_at / floor method f(seconds)", "pipmoves_play.Clock.pip_at(seconds)", "floor: method f(seconds) -> int", 1.2),
    ("native Clock::pip_at, ns", "play_pip_at/one_tempo", None, 10.0),
]


def lookup_ratios(figures):
    lines = ["", "## Lookup ratios", "", "| ratio | measured | goal |", "|---|---:|---:|"]
    for label, numerator, denominator, goal in LOOKUP_GOALS:
        ratio = figures[numerator] / figures[denominator]
        lines.append(f"| {label} | {ratio:.2f} | {goal:.2f} |")
    for label, numerator, denominator, goal in PLAYBACK_GOALS:
        if numerator not in figures or (denominator is not None and denominator not in figures):
            continue  # numpy is not installed
        value = figures[numerator] / (1.0 if denominator is None else figures[denominator])
        lines.append(f"| {label} | {value:.2f} | {'' if goal is None else f'<= {goal:.2f}'} |")
    return lines


GALLERY_PROBE = """
import sys
sys.path.insert(0, sys.argv[2])
from headless_page import Page
page = Page(sys.argv[3])
page.open(sys.argv[1])
print(page.evaluate("performance.getEntriesByName('first-contentful-paint')[0].startTime"),
      page.evaluate("document.documentElement.dataset.ready"))
page.close()
"""


def gallery_figures():
    """The gallery page's size, first paint and time to its ready mark, median of a few loads."""
    env = dict(os.environ, PYTHONPATH=str(BUILD / "python"))
    out = BUILD / "bench" / "gallery.html"
    root = pathlib.Path(__file__).resolve().parents[1]
    subprocess.run([sys.executable, str(root / "tools" / "gallery.py"), str(out)], check=True, capture_output=True, env=env)
    paints, readies = [], []
    for i in range(3):
        line = subprocess.run([sys.executable, "-c", GALLERY_PROBE, out.as_uri(), str(root / "tests" / "python"),
                               str(BUILD / "bench" / f"gallery-profile-{i}")],
                              check=True, capture_output=True, text=True, env=env).stdout.split()
        paints.append(float(line[0]))
        readies.append(float(line[1]))
    return out.stat().st_size / 2**20, statistics.median(paints), statistics.median(readies)


def main():
    lines = ["# pipmoves benchmarks", "",
             f"Python {sys.version.split()[0]}, {os.cpu_count()} cores; {time.strftime('%Y-%m-%d %H:%M')}", "",
             "## Native (Google Benchmark): ratio to one masked read of a constant table", "",
             "| benchmark | ns | x floor | allocations per call |", "|---|---:|---:|---:|"]
    figures = {}
    for name, ns, ratio, allocs in native():
        figures[name] = ns
        lines.append(f"| {name} | {ns:.2f} | {ratio:.2f} | {allocs} |")
    lines += ["", "## Python: ratio to the floor call f(pip) -> Offset3-like", "",
              "| call | ns per call | x floor |", "|---|---:|---:|"]
    for name, ns, ratio in python_rows():
        figures[name] = ns
        lines.append(f"| {name} | {ns:.1f} | {ratio:.2f} |")
    lines += ["", "## Playback from Python: per sample of a 4096-row block, or per call", "",
              "| call | ns |", "|---|---:|"]
    for name, ns in playback_rows():
        figures[name] = ns
        lines.append(f"| {name} | {ns:.2f} |")
    lines += ["", "## A rig from Python: per call", "", "| call | us |", "|---|---:|"]
    for name, ns in rig_rows():
        figures[name] = ns
        lines.append(f"| {name} | {ns:.2f} |" if name == SPREAD_OUT_RATIO else f"| {name} | {ns / 1000:.2f} |")
    lines += ["", "## Your own groove", "", "| call | ms |", "|---|---:|",
              "| {} | {:.1f} ({:.1f} of CPU) |".format(GROOVE_IMPORT, *groove_import_ms())]
    lines += lookup_ratios(figures)
    lines += rig_goal_lines(figures)
    bare, imported, touched = memory_mb()
    size = pathlib.Path(pipmoves.__file__).stat().st_size / 2**20
    (core,) = pathlib.Path(pipmoves.__file__).parent.glob("pipmoves.libs/libpipmoves.so.*.*.*")
    lines += ["", "## Import, size, memory", "",
              "| measure | value |", "|---|---:|",
              f"| import time (python -X importtime, median) | {import_ms():.2f} ms |",
              f"| import time of pipmoves_play, with pipmoves (median) | {import_ms('pipmoves_play'):.2f} ms |",
              f"| module file size | {size:.1f} MiB |",
              f"| core library file size (libpipmoves.so, the stored tables) | {core.stat().st_size / 2**20:.1f} MiB |",
              f"| resident memory, bare interpreter | {bare:.1f} MiB |",
              f"| resident memory after import | {imported:.1f} MiB (+{imported - bare:.1f}) |",
              f"| resident memory after touching every stored row | {touched:.1f} MiB (+{touched - bare:.1f}) |"]
    page_mb, paint_ms, ready_ms = gallery_figures()
    lines.append(f"| gallery page; first paint; cards in view drawn (headless) | {page_mb:.1f} MiB; {paint_ms:.0f} ms; "
                 f"{ready_ms:.0f} ms |")
    text = "\n".join(lines) + "\n"
    out = BUILD / "bench" / "results.md"
    out.write_text(text)
    print(text)
    print(f"written to {out}")


if __name__ == "__main__":
    main()
