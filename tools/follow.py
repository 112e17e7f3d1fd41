#!/usr/bin/env python3
"""How well the following clock follows drum audio nobody here wrote.

Renders drum loops into a folder (fluidsynth with the General MIDI soundfont,
from MIDI files of stored grooves; and loops of Hydrogen's recorded kits),
with variants: a tempo change, a four-bar break, added noise. Each is played
through a BeatTracker into a FollowingClock frame by frame, as a show would,
and judged against the beats it was made on. Prints a table per case and the
totals against the goals, and writes it to results.md in the folder.

usage: follow.py OUTPUT_DIR [--quick]
"""

import math
import pathlib
import statistics
import sys

import numpy as np

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import drum_audio  # noqa: E402
import pipmoves_play as play  # noqa: E402

RATE = 44100
FPS = 40
SECONDS = 24.0
RANGE = (90.0, 180.0)
# A beat counts as followed when the clock's beat is this close to it.
LOCKED_MS = 30.0
GROOVES = [
    "house_classic", "house_shuffle", "house_jack", "techno_drive", "techno_toms", "techno_broken",
    "techno_polymeter", "ukg_two_step", "ukg_skip", "ukg_four_four", "speed_garage", "bassline", "grime_sparse",
    "grime_syncopated", "grime_half", "drill_tresillo", "drill_displaced", "drill_rolls", "amen_four_bar",
    "amen_no_ghosts", "jungle_chops", "jungle_ghosts", "jungle_switch", "dnb_two_step", "dnb_rolling", "dnb_half",
    "dubstep_half", "dubstep_skip", "trap_trills", "electro", "trance", "rave_breaks", "dembow", "four_floor",
]


def fold(bpm):
    while bpm < RANGE[0]:
        bpm *= 2
    while bpm > RANGE[1]:
        bpm /= 2
    return bpm


class Case:
    def __init__(self, name, kind, audio, tempo, disturbed=None, plain=True):
        self.name, self.kind, self.audio, self.tempo = name, kind, audio, tempo
        # (from, to) seconds in which the music is not itself: a break, or a
        # tempo change and the beats after it; judged apart.
        self.disturbed = disturbed
        self.plain = plain


def expected_beats(tempo, seconds):
    """The beats the clock should show: the loop's, by octaves into the range."""
    beats = []
    k = 0.0
    while True:
        t = tempo.seconds(k)
        if t >= seconds:
            return beats
        bpm = tempo.bpm_at(t)
        beats.append(t)
        k += bpm / fold(bpm)


def follow(case):
    tracker = play.BeatTracker(RATE)
    clock = play.FollowingClock(*RANGE)
    audio = case.audio
    fed = 0
    frames = []  # (t, position, bpm, locked)
    for i in range(int(len(audio) / RATE * FPS)):
        t = i / FPS
        upto = min(len(audio), int(round(t * RATE)))
        for beat in tracker.feed(audio[fed:upto]):
            clock.beat(beat, tracker.tempo_bpm, tracker.confidence)
        fed = upto
        frames.append((t, clock.position_at(t), clock.bpm, clock.locked))
    return frames


def position_at(frames, t):
    i = min(max(1, int(t * FPS) + 1), len(frames) - 1)
    (t0, p0, _, _), (t1, p1, _, _) = frames[i - 1], frames[i]
    rate = (p1 - p0) / (t1 - t0)
    return p0 + rate * (t - t0), rate


def phase_ms(frames, beat):
    position, rate = position_at(frames, beat)
    if rate <= 0:  # not started: as far off as a beat can be
        return 30000.0 / frames[-1][2] if frames[-1][2] > 0 else 500.0
    off = position - 64 * round(position / 64)
    return off / rate * 1000.0


def lock_time(frames, beats, start, end):
    """The first beat in [start, end) from which every beat to end is followed:
    the clock's beat within LOCKED_MS of it, seconds from start."""
    judged = [b for b in beats if start <= b < end]
    lock = None
    for beat in judged:
        followed = abs(phase_ms(frames, beat)) <= LOCKED_MS
        if not followed:
            lock = None
        elif lock is None:
            lock = beat
    return None if lock is None else lock - start


def judge(case):
    frames = follow(case)
    end = len(case.audio) / RATE - 0.5
    beats = expected_beats(case.tempo, end)
    quiet = case.disturbed or (end, end)
    steady = [(8.0, quiet[0])] + ([(quiet[1] + 4.0, end)] if case.disturbed else [])

    def in_steady(t):
        return any(a <= t < b for a, b in steady)

    errors = [abs(bpm - fold(case.tempo.bpm_at(t))) for t, _, bpm, _ in frames if in_steady(t)]
    phases = [abs(phase_ms(frames, b)) for b in beats if in_steady(b)]
    signed = [phase_ms(frames, b) for b in beats if in_steady(b)]
    corrections = []
    backwards = 0
    for (t0, p0, bpm0, _), (t1, p1, _, _) in zip(frames, frames[1:]):
        if p1 < p0:
            backwards += 1
        if bpm0 > 0:
            corrections.append(abs(p1 - p0 - bpm0 * 64 / 60 * (t1 - t0)))
    octave = False
    for t, _, bpm, _ in frames:
        if in_steady(t) and bpm > 0:
            ratio = bpm / fold(case.tempo.bpm_at(t))
            octave |= any(abs(ratio - r) < 0.04 * r for r in (2.0, 0.5, 1.5, 2 / 3))
    result = {
        "case": case.name, "kind": case.kind, "plain": case.plain,
        "bpm": case.tempo.segments[0][2],
        "tempo_err": statistics.median(errors) if errors else math.inf,
        "phase_median": statistics.median(phases) if phases else math.inf,
        "phase_p95": float(np.percentile(phases, 95)) if phases else math.inf,
        "phase_signed": statistics.median(signed) if signed else math.nan,
        "lock": lock_time(frames, beats, 0.0, quiet[0]),
        "octave": octave,
        "correction": max(corrections) if corrections else 0.0,
        "backwards": backwards,
        "relock": lock_time(frames, beats, quiet[1], end) if case.disturbed else None,
    }
    return result


def tempos(count):
    """Tempos spread over 85..175 BPM, in an order that mixes them."""
    return [85.0 + 90.0 * ((k * 0.618034) % 1.0) for k in range(count)]


def build_cases(folder, quick):
    folder.mkdir(parents=True, exist_ok=True)
    grooves = GROOVES[:6] if quick else GROOVES
    cases = []
    variants_from = []
    for groove, bpm in zip(grooves, tempos(len(grooves))):
        bpm = round(bpm, 1)
        score = play.read_step_lanes(play.stored_groove_lanes(groove))
        tempo = drum_audio.TempoMap(bpm)
        beats = int(SECONDS * bpm / 60) + 2
        hits = drum_audio.loop_hits(score, beats)
        midi = drum_audio.write_midi(folder / f"{groove}.mid", hits, tempo)
        audio, _ = drum_audio.render_midi(midi, folder / f"{groove}.wav", RATE)
        audio = audio[: int(SECONDS * RATE)]
        cases.append(Case(f"{groove} {bpm:g}", "GM", audio, tempo))
        variants_from.append((groove, bpm, score, audio, tempo))
    for k, (kit, voices) in enumerate(drum_audio.usable_kits()[: 3 if quick else None]):
        groove = ["house_classic", "techno_drive", "ukg_two_step", "dnb_two_step", "electro", "rave_breaks",
                  "jungle_chops", "grime_sparse", "trance", "dembow", "four_floor", "drill_tresillo"][k % 12]
        bpm = round(tempos(len(GROOVES) + 20)[len(GROOVES) + k], 1)
        score = play.read_step_lanes(play.stored_groove_lanes(groove))
        tempo = drum_audio.TempoMap(bpm)
        hits = drum_audio.loop_hits(score, int(SECONDS * bpm / 60) + 2)
        audio = drum_audio.sample_loop(voices, hits, tempo, SECONDS, RATE)
        cases.append(Case(f"{kit} {groove} {bpm:g}", "kit", audio, tempo))
    # Variants away from the range's ends, where a tempo change would move
    # the octave the clock shows.
    middle = [v for v in variants_from if 100 <= v[1] <= 160]
    for groove, bpm, score, audio, tempo in middle[: 3 if quick else 8]:
        # The tempo moves by 6 % at bar 5 from 10 s on.
        change_beat = 4 * math.ceil(10.0 * bpm / 60 / 4)
        new_bpm = round(bpm * (1.06 if bpm < 150 else 0.94), 1)
        changed = drum_audio.TempoMap(bpm, [(change_beat, new_bpm)])
        hits = drum_audio.loop_hits(score, int(SECONDS * max(bpm, new_bpm) / 60) + 2)
        midi = drum_audio.write_midi(folder / f"{groove}-change.mid", hits, changed)
        moved, _ = drum_audio.render_midi(midi, folder / f"{groove}-change.wav", RATE)
        at = changed.seconds(change_beat)
        cases.append(Case(f"{groove} {bpm:g}>{new_bpm:g}", "change", moved[: int(SECONDS * RATE)], changed,
                          (at, at), plain=False))
        # Four bars of silence from the bar after 10 s.
        start = tempo.seconds(4 * math.ceil(10.0 * bpm / 60 / 4))
        stop = tempo.seconds(4 * math.ceil(10.0 * bpm / 60 / 4) + 16)
        long_audio = audio
        cases.append(Case(f"{groove} {bpm:g} break", "break", drum_audio.with_break(long_audio, RATE, start, stop),
                          tempo, (start, stop), plain=False))
        cases.append(Case(f"{groove} {bpm:g} noise", "noise", drum_audio.with_noise(audio, 6.0, seed=len(cases)),
                          tempo, plain=False))
    return cases


def fmt(value, digits=1):
    if value is None:
        return "never"
    if isinstance(value, bool):
        return "yes" if value else ""
    if math.isinf(value):
        return "-"
    return f"{value:.{digits}f}"


def table(results):
    lines = ["| case | kind | tempo err (BPM) | phase median (ms) | phase p95 (ms) | lock (s) | re-lock (s) | "
             "octave | largest correction (pips/frame) | backwards |",
             "|---|---|---|---|---|---|---|---|---|---|"]
    for r in results:
        lines.append(f"| {r['case']} | {r['kind']} | {fmt(r['tempo_err'], 2)} | {fmt(r['phase_median'])} | "
                     f"{fmt(r['phase_p95'])} | {fmt(r['lock'])} | "
                     f"{fmt(r['relock']) if r['kind'] in ('break', 'change') else ''} | {fmt(r['octave'])} | "
                     f"{fmt(r['correction'], 2)} | {r['backwards']} |")
    return "\n".join(lines)


def totals(results):
    plain = [r for r in results if r["plain"]]
    good = [r for r in plain if r["tempo_err"] <= 0.5 and r["phase_median"] <= 15.0]
    good95 = [r for r in plain if r["tempo_err"] <= 0.5 and r["phase_p95"] <= 15.0]
    locked = [r for r in results if r["lock"] is not None and r["lock"] <= 8.0]
    breaks = [r for r in results if r["kind"] == "break"]
    relocked = [r for r in breaks if r["relock"] is not None and r["relock"] <= 4.0]
    phases = [r["phase_median"] for r in plain if not math.isinf(r["phase_median"])]
    lines = [
        f"- plain loops with tempo within 0.5 BPM and median phase within 15 ms: {len(good)} of {len(plain)} "
        f"({100 * len(good) / max(1, len(plain)):.0f} %; goal 90 %)",
        f"- plain loops with tempo within 0.5 BPM and 95th-percentile phase within 15 ms: {len(good95)} of "
        f"{len(plain)} ({100 * len(good95) / max(1, len(plain)):.0f} %)",
        f"- median of the plain loops' median phase errors: {statistics.median(phases) if phases else math.nan:.1f} ms; "
        f"median signed: {statistics.median(r['phase_signed'] for r in plain):+.1f} ms (negative: clock late)",
        f"- locked within 8 s: {len(locked)} of {len(results)} cases",
        f"- re-locked within 4 s after a four-bar break: {len(relocked)} of {len(breaks)}",
        f"- octave errors: {sum(r['octave'] for r in results)} of {len(results)} cases",
        f"- largest correction in any frame: {max(r['correction'] for r in results):.2f} pips "
        f"(at {FPS} frames a second)",
        f"- backwards pips: {sum(r['backwards'] for r in results)}",
    ]
    return "\n".join(lines)


def main(argv):
    if not argv or argv[0].startswith("-"):
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    folder = pathlib.Path(argv[0])
    quick = "--quick" in argv[1:]
    cases = build_cases(folder, quick)
    results = []
    for case in cases:
        result = judge(case)
        results.append(result)
        print(f"{result['case']:<40} tempo {fmt(result['tempo_err'], 2):>6}  phase {fmt(result['phase_median']):>5} /"
              f"{fmt(result['phase_p95']):>5} ms  lock {fmt(result['lock']):>5}  relock {fmt(result['relock']):>5}"
              f"  signed {result['phase_signed']:+.1f}", flush=True)
    report = (f"{len(cases)} cases, {SECONDS:g} s each at {RATE} Hz, {FPS} frames a second, tempo range "
              f"{RANGE[0]:g}:{RANGE[1]:g}\n\n{table(results)}\n\n{totals(results)}\n")
    (folder / "results.md").write_text(report)
    print()
    print(report)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
