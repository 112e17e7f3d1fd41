"""Your own groove: step lanes and MIDI files read into a score, and a score
turned into sixteen patterns. MIDI files are written here with mido, an
independent writer, and read back by the module."""
import os
import pathlib
import subprocess
import sys
import textwrap

import mido
import pytest

import pipmoves
import pipmoves_play as play
from child_process import ADDRESS_SPACE, PRELUDE, in_child

BAR = 4 * pipmoves.PIPS_PER_BEAT
PPQN = 960  # every stored onset falls on a whole tick at this resolution
# One General MIDI note for each instrument, read back as that instrument; the
# low-end cues travel on a bass channel.
NOTE_OF = {"kick": 36, "clap": 39, "snare": 38, "tom": 45, "conga": 63, "rim": 37, "clave": 75, "bell": 56,
           "hat": 42, "open_hat": 46, "ride": 51, "shaker": 70, "crash": 49, "tick": 80}
BASS_CHANNEL = 2
LOW_END = {"bass", "sub"}
# Velocities travel as 1 to 127: each comes back within half a step.
VELOCITY_BOUND = 1 / 254

FOUR_LINES = """\
kick   R... L... R... L...
snare  .... R... .... L...
hat    r>l< r>l< r>l< r>l<
bass   ..R. .... ..L. ....
"""


def mine():
    return play.groove_patterns(play.read_step_lanes(FOUR_LINES), "mine", "My track / verse")


def write_midi(path, hits, *, bars, numerator=4, denominator=4, tempo_bpm=124.0, extra_meta=(), channel=9):
    """hits: (pip, instrument, velocity); extra_meta: (tick, MetaMessage)."""
    ticks_per_pip = PPQN / pipmoves.PIPS_PER_BEAT
    events = [(0, mido.MetaMessage("time_signature", numerator=numerator, denominator=denominator)),
              (0, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(tempo_bpm)))]
    events += list(extra_meta)
    for pip, instrument, velocity in hits:
        tick = round(pip * ticks_per_pip)
        assert abs(tick - pip * ticks_per_pip) < 1e-6, "an onset off the tick grid"
        if instrument in LOW_END:
            note, on = 40, BASS_CHANNEL - 1
        else:
            note, on = NOTE_OF[instrument], channel
        events.append((tick, mido.Message("note_on", channel=on, note=note, velocity=round(velocity * 127))))
        events.append((tick + 10, mido.Message("note_off", channel=on, note=note, velocity=0)))
    events.append((bars * 4 * PPQN, mido.MetaMessage("end_of_track")))
    events.sort(key=lambda e: e[0])
    midi = mido.MidiFile(ticks_per_beat=PPQN)
    track = mido.MidiTrack()
    now = 0
    for tick, message in events:
        track.append(message.copy(time=tick - now))
        now = tick
    midi.tracks.append(track)
    midi.save(str(path))
    return path


def onsets(hits):
    return sorted((round(pip, 9), "bass" if instrument in LOW_END else instrument) for pip, instrument, *_ in hits)


# --- a score of four lanes becomes sixteen patterns

def test_four_lanes_become_sixteen_patterns_named_and_described_like_the_packs():
    rows = mine().catalogue()[-16:]
    dancefloor = {row["name"].rsplit("_", 1)[-1]: row for row in pipmoves.catalogue()
                  if row["name"].startswith("beat_jersey_five_")}
    assert [row["name"] for row in rows] == [f"mine_{move}" for move in play.GROOVE_MOVES]
    for row in rows:
        move = row["name"].removeprefix("mine_")
        stored = dancefloor[move]["description"].split(" \u2014 ", 1)[1]
        assert row["description"] == "My track / verse \u2014 " + stored
        assert row["period_pips"] == BAR


def test_the_sixteen_patterns_play_through_render_and_spread_within_bounds():
    library = mine()
    for move in play.GROOVE_MOVES:
        pattern = play.Pattern(library, f"mine_{move}")
        path = memoryview(play.render(pattern, 0, BAR)).tolist()
        assert all(-1.0 <= v <= 1.0 for row in path for v in row), move
        assert path == [list(library.sample(f"mine_{move}", pip).as_tuple()) for pip in range(BAR)]
        assert memoryview(play.spread(pattern, 0, 4)).tolist()[0] == list(path[0])


def test_the_bounce_lifts_on_every_kick():
    library = mine()
    kicks = [int(pip) for pip, instrument, *_ in play.read_step_lanes(FOUR_LINES).hits if instrument == "kick"]
    for pip in kicks:
        assert library.sample("mine_bounce", pip).y > library.sample("mine_bounce", pip + 32).y, pip


@pytest.mark.parametrize("name, message", [
    ("Mine", "Invalid pattern name"),
    ("beat_four_floor", "Cannot override default pattern"),
])
def test_pattern_names_follow_the_library_rules(name, message):
    score = play.read_step_lanes("kick R... R... R... R...")
    with pytest.raises(ValueError, match=message):
        play.groove_patterns(score, name, "heading")


# --- step lanes

def test_header_defaults_and_lane_settings_place_the_hits():
    score = play.read_step_lanes(textwrap.dedent("""\
        # two bars, hats swung
        bars 2
        swing 4
        kick              R... .... L... ....
        hat [late 2]      .r.l
        conga [steps 3/4] RlR
        ride [steps 6, swing 0, late -3]  r..... ......
        """))
    assert score.period_pips == 2 * BAR
    hits = {(round(pip, 6), instrument, velocity, side) for pip, instrument, velocity, side in score.hits}
    assert (0.0, "kick", 1.0, 1) in hits and (128.0, "kick", 1.0, -1) in hits
    assert (22.0, "hat", 0.85, 1) in hits and (54.0, "hat", 0.85, -1) in hits  # odd steps 4 late, all 2 late
    assert (round(256 / 3 + 4, 6), "conga", 0.85, -1) in hits  # a bar in three steps, the second swung
    assert (509.0, "ride", 0.85, 1) in hits  # three pips early wraps to the end of the loop
    assert score.tempo_bpm is None


@pytest.mark.parametrize("text, message", [
    ("kik R...", "Line 1, lane 1, column 1: unknown instrument 'kik'"),
    ("bars 1\n\nkick R...\nhat  R.x.", "Line 4, lane 2 (hat), column 8: unknown step 'x'"),
    ("kick R... ....\nhat R..", "Line 2, lane 2 (hat): uneven lane: its 3 steps make 48 pips, which does not "
                                "divide the loop of 128 pips"),
    ("bars 1\nkick R.. R..", "Line 2, lane 1 (kick): uneven lane: its 6 steps make 96 pips"),
    ("steps 5\nkick R..", "Line 2, lane 1 (kick): 3 steps at 5 a beat make a loop of 38.4 pips, not a whole number"),
    ("bars 5\nkick R...", "Line 1, column 6: a loop holds at most four bars, not 5"),
    ("kick " + "R..." * 20, "Line 1, lane 1 (kick): 80 steps make 1280 pips: a loop holds at most four bars"),
    ("kick .... ....\nhat ....", "No hit in any lane"),
    ("# nothing but a comment\n", "No lane"),
    ("kick R...\nbars 2", "Line 2, column 1: the header line 'bars' comes after the first lane"),
    ("bars 1.5\nkick R...", "Line 1, column 6: the loop length must be a whole number of bars, not '1.5'"),
    ("steps 0\nkick R...", "Line 1, column 7: steps a beat must be a whole number or a ratio"),
    ("swing fast\nkick R...", "Line 1, column 7: swing must be a number of pips from -256 to 256, not 'fast'"),
    ("kick [late 2 R...", "Line 1, lane 1 (kick), column 6: '[' without ']'"),
    ("kick [drag 2] R...", "Line 1, column 7: unknown lane setting 'drag': steps, swing or late"),
    ("kick []", "Line 1, lane 1 (kick): no steps"),
])
def test_lane_faults_name_their_line_lane_column_and_character(text, message):
    with pytest.raises(ValueError, match="^" + __import__("re").escape(message)):
        play.read_step_lanes(text)


def test_stored_grooves_are_offered_as_lanes():
    text = play.stored_groove_lanes("afro_cross")
    assert text.startswith("# Afro house / three-over-four percussion\nbars 2\n")
    assert "conga [steps 3/4]  RlR" in text
    with pytest.raises(ValueError, match="^Unknown groove: afro$"):
        play.stored_groove_lanes("afro")


# --- scores built by hand

@pytest.mark.parametrize("period, hits, tempo, message", [
    (0, [(0, "kick", 1.0, 1)], None, "A groove loops over 1 to 1792 pips"),
    (1793, [(0, "kick", 1.0, 1)], None, "A groove loops over 1 to 1792 pips"),
    (256, [], None, "A groove needs at least one hit"),
    (256, [(256, "kick", 1.0, 1)], None, "A hit lies outside the loop"),
    (256, [(-0.5, "kick", 1.0, 1)], None, "A hit lies outside the loop"),
    (256, [(0, "cowbell", 1.0, 1)], None, "Unknown instrument: cowbell"),
    (256, [(0, "kick", 0.0, 1)], None, "velocity must be above 0 and at most 1"),
    (256, [(0, "kick", 1.5, 1)], None, "velocity must be above 0 and at most 1"),
    (256, [(0, "kick", 1.0, 2)], None, "side must be -1, 0 or 1"),
    (256, [(0, "kick", 1.0, 1)], 0.0, "tempo must be a positive number"),
    (256, [(0, "kick", 1.0, 1)], float("nan"), "tempo must be a positive number"),
])
def test_a_score_refuses_what_no_groove_holds(period, hits, tempo, message):
    with pytest.raises(ValueError, match=message):
        play.GrooveScore(period, hits, tempo)


def test_a_score_sorts_its_hits_and_keeps_ties_in_order():
    score = play.GrooveScore(256, [(64, "snare", 1.0, -1), (0, "kick", 1.0, 1), (64, "hat", 0.4, 0)], 128.0)
    assert score.hits == ((0.0, "kick", 1.0, 1), (64.0, "snare", 1.0, -1), (64.0, "hat", 0.4, 0))
    assert score.tempo_bpm == 128.0
    with pytest.raises(TypeError):
        play.GrooveScore(256, [(0, "kick", 1.0)])


# --- MIDI files

@pytest.mark.parametrize("groove", ["house_shuffle", "drill_rolls", "afro_cross", "speed_garage", "amen_four_bar",
                                    "broken_push"])
def test_stored_grooves_written_by_mido_come_back_onset_for_onset(tmp_path, groove):
    lanes = play.read_step_lanes(play.stored_groove_lanes(groove))
    bars = lanes.period_pips // BAR
    path = write_midi(tmp_path / f"{groove}.mid", [(p, i, v) for p, i, v, _ in lanes.hits], bars=bars)
    read = play.read_midi(path, bars=bars, bass_channel=BASS_CHANNEL)
    assert read.period_pips == lanes.period_pips
    assert onsets(read.hits) == onsets(lanes.hits)
    sent = sorted((round(p, 9), "bass" if i in LOW_END else i, v) for p, i, v, _ in lanes.hits)
    back = sorted((round(p, 9), i, v) for p, i, v, _ in read.hits)
    for (pip, instrument, want), (_, _, have) in zip(sent, back):
        assert abs(have - want) <= VELOCITY_BOUND, (pip, instrument, want, have)
        assert round(have * 127) == have * 127  # on the 1/127 grid
    assert read.tempo_bpm == pytest.approx(124.0, abs=1e-3)


def test_sides_alternate_per_instrument_from_the_right(tmp_path):
    hits = [(0, "kick", 1.0), (32, "hat", 1.0), (64, "kick", 1.0), (96, "hat", 1.0), (128, "kick", 1.0)]
    read = play.read_midi(write_midi(tmp_path / "sides.mid", hits, bars=1))
    assert [(i, s) for _, i, _, s in read.hits] == [("kick", 1), ("hat", 1), ("kick", -1), ("hat", -1), ("kick", 1)]


@pytest.mark.parametrize("note, instrument", [
    (35, "kick"), (36, "kick"), (37, "rim"), (38, "snare"), (39, "clap"), (40, "snare"), (41, "tom"),
    (42, "hat"), (44, "hat"), (46, "open_hat"), (49, "crash"), (51, "ride"), (56, "bell"), (62, "conga"),
    (69, "shaker"), (75, "clave"), (81, "tick"),
])
def test_general_midi_percussion_notes_map_onto_the_instruments(tmp_path, note, instrument):
    midi = mido.MidiFile(ticks_per_beat=PPQN)
    midi.tracks.append(mido.MidiTrack([mido.Message("note_on", channel=9, note=note, velocity=100, time=PPQN)]))
    midi.save(str(tmp_path / "note.mid"))
    assert play.read_midi(tmp_path / "note.mid").hits == ((64.0, instrument, 100 / 127, 1),)


def test_a_bar_range_is_cut_from_the_file_and_the_tempo_kept(tmp_path):
    hits = [(0, "kick", 1.0), (BAR, "snare", 1.0), (BAR + 64, "hat", 0.5), (2 * BAR, "kick", 1.0)]
    read = play.read_midi(write_midi(tmp_path / "three.mid", hits, bars=3, tempo_bpm=90.0), first_bar=2)
    assert read.period_pips == BAR
    assert read.hits == ((0.0, "snare", 1.0, 1), (64.0, "hat", 64 / 127, 1))
    assert read.tempo_bpm == pytest.approx(90.0, abs=1e-3)


def test_a_bar_of_three_beats_loops_over_three(tmp_path):
    read = play.read_midi(write_midi(tmp_path / "waltz.mid", [(0, "kick", 1.0), (BAR, "kick", 1.0)], bars=2,
                                     numerator=3), bars=2)
    assert read.period_pips == 2 * 3 * pipmoves.PIPS_PER_BEAT
    assert [p for p, *_ in read.hits] == [0.0, 256.0]  # four beats in: the second beat of bar two


@pytest.mark.parametrize("make, options, message", [
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=1, channel=0), {}, "No percussion channel"),
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=2, extra_meta=[
        (PPQN * 6, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(140)))]), {"bars": 2},
     "Tempo change inside bars 1 to 2, at tick 5760"),
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=1, numerator=6, denominator=8), {},
     "Time signature 6/8 at bar 1: only x/4 is read"),
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=2, extra_meta=[
        (PPQN * 4, mido.MetaMessage("time_signature", numerator=3, denominator=4))]), {"bars": 2},
     "Time signature change inside bars 1 to 2, at tick 3840: 4/4 to 3/4"),
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=1, numerator=9), {}, "bars of 1 to 7 beats are read"),
    (lambda p: write_midi(p, [(0, "kick", 1.0)], bars=1), {"first_bar": 3}, "No drum hit in bar 3"),
    (lambda p: p.write_bytes(b"not a midi file") and p, {}, "Not a readable Standard MIDI File"),
    (lambda p: p, {"bars": 5}, "A groove holds 1 to 4 bars"),
    (lambda p: p, {"first_bar": 0}, "The first bar is counted from 1"),
    (lambda p: p, {"bass_channel": 10}, "The bass channel must be 1 to 16, other than the percussion channel 10"),
])
def test_midi_refusals_say_why(tmp_path, make, options, message):
    path = make(tmp_path / "refused.mid")
    with pytest.raises(ValueError, match=message):
        play.read_midi(path, **options)


def test_a_damaged_midi_file_is_refused_without_crashing(tmp_path):
    whole = write_midi(tmp_path / "whole.mid", [(k * 16, "hat", 0.5) for k in range(16)], bars=1).read_bytes()
    for cut in (14, 22, len(whole) // 2, len(whole) - 3):
        (tmp_path / f"cut{cut}.mid").write_bytes(whole[:cut])
    script = textwrap.dedent(f"""
        import pathlib, pipmoves_play as play
        for path in sorted(pathlib.Path({str(tmp_path)!r}).glob("cut*.mid")):
            try:
                play.read_midi(path)
            except ValueError as error:
                print("refused", error)
    """)
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    assert done.stdout.count("refused") == 4


# --- hostile and careless input, each case in a child interpreter

MIB = 1 << 20


def midi_bytes(*tracks, header_extra=b"", chunks_before=b""):
    """A file of the given track bodies, each closed by an end-of-track event."""
    head = b"MThd" + (6 + len(header_extra)).to_bytes(4, "big") + (1).to_bytes(2, "big") + \
        len(tracks).to_bytes(2, "big") + (96).to_bytes(2, "big") + header_extra
    body = b"".join(b"MTrk" + (len(t) + 4).to_bytes(4, "big") + t + b"\x00\xff\x2f\x00" for t in tracks)
    return head + chunks_before + body


KICK = b"\x00\x99\x24\x7f"
READ = "outcome(lambda: print(len(play.read_midi({path!r}).hits), end=' '))"


@pytest.mark.parametrize("track", [
    b"\x00\xf7\x01\xf8" + KICK,  # an escape event
    b"\x00\xf0\x02\x7e\x7f\x00\xf7\x01\xf7" + KICK,  # a sysex packet and its continuation
    KICK + b"\xff\xff\xff\x7f\x89\x24\x00" * 9,  # delta times summing past 2^31 ticks
], ids=["escape", "sysex", "long-ticks"])
def test_well_formed_midi_events_are_read_not_aborted_on(tmp_path, track):
    path = tmp_path / "well.mid"
    path.write_bytes(midi_bytes(track))
    assert in_child("import pipmoves_play as play\n" + READ.format(path=str(path))) == "1 no error"


def test_a_tempo_event_without_its_bytes_is_refused_by_track_and_event(tmp_path):
    path = tmp_path / "tempo.mid"
    path.write_bytes(midi_bytes(b"\x00\xff\x51\x00" + KICK))
    have = in_child(f"import pipmoves_play as play\noutcome(lambda: play.read_midi({str(path)!r}))")
    assert have == f"ValueError: Not a readable Standard MIDI File: {path}: track 1, event 1: a tempo event of " \
                   "0 bytes, not 3"


def fifo(directory):
    os.mkfifo(directory / "pipe.mid")  # no writer: opening it must not wait for one
    return directory / "pipe.mid"


def sparse_300_mib(directory):
    (directory / "big.mid").write_bytes(b"")
    os.truncate(directory / "big.mid", 300 * MIB)
    return directory / "big.mid"


@pytest.mark.parametrize("make, message", [
    (lambda d: pathlib.Path("/dev/zero"), "Cannot open /dev/zero: not a regular file but a character device"),
    (fifo, "Cannot open {path}: not a regular file but a FIFO"),
    (sparse_300_mib, "Too large a MIDI file: {path}: 314572800 bytes, more than the limit of 16777216"),
], ids=["device", "fifo", "300MiB"])
def test_a_midi_path_that_is_no_small_regular_file_is_refused_before_reading(tmp_path, make, message):
    path = make(tmp_path)
    have = in_child(f"import pipmoves_play as play\noutcome(lambda: play.read_midi({str(path)!r}))", ADDRESS_SPACE)
    assert have == "ValueError: " + message.format(path=path)


@pytest.mark.parametrize("extra", [
    {"chunks_before": b"XFIh\x00\x00\x00\x03abc"},  # a chunk for other readers
    {"header_extra": b"\x00\x00"},  # a header longer than six bytes
], ids=["unknown-chunk", "long-header"])
def test_chunks_the_format_lets_readers_skip_are_skipped(tmp_path, extra):
    path = tmp_path / "skip.mid"
    path.write_bytes(midi_bytes(KICK, **extra))
    assert in_child("import pipmoves_play as play\n" + READ.format(path=str(path))) == "1 no error"


@pytest.mark.parametrize("text, message", [
    ("'kick ' + 'R...' * 2_500_000", "Line 1, lane 1 (kick), column 1030: more steps than the limit of 1024"),
    ("'kick R...\\n' * 2_000_000", "Line 65, lane 65, column 1: more lanes than the limit of 64"),
    ("'bars 4\\nsteps 64\\n' + 'hat R\\n' * 3 + '#' * 20_000_000",
     "Line 3, lane 1 (hat): the lanes so far make 1024 hits, more than the limit of 384"),
    ("'# a comment\\n' * 4_000_000", "No lane: a groove needs at least one lane with a hit"),
], ids=["steps", "lanes", "hits", "comments"])
def test_step_lanes_of_many_megabytes_stop_at_a_limit_in_little_memory(text, message):
    have = in_child(f"import pipmoves_play as play\ntext = {text}\noutcome(lambda: play.read_step_lanes(text))",
                    ADDRESS_SPACE)
    assert have == "ValueError: " + message


def test_the_hit_limit_bounds_what_a_score_and_its_import_cost():
    have = in_child("""
        import pipmoves_play as play
        hits = [(i * 1792 / 385, play.GROOVE_INSTRUMENTS[i % 16], 1.0, 1) for i in range(385)]
        outcome(lambda: play.GrooveScore(1792, hits))
        print()
        score = play.GrooveScore(1792, hits[:-1])
        print(len(play.groove_patterns(score, "busy", "Busy").catalogue()) - len(pipmoves.catalogue()))
    """, ADDRESS_SPACE)
    assert have.splitlines() == ["ValueError: A groove holds at most 384 hits, not 385", "16"]


def test_midi_files_of_many_events_or_tracks_read_in_one_pass_and_quietly(tmp_path):
    events = 1 << 20
    many = tmp_path / "many.mid"
    many.write_bytes(midi_bytes(KICK + b"\x60\x24\x00" * (events - 2)))  # running status note-offs
    over = tmp_path / "over.mid"
    over.write_bytes(midi_bytes(KICK + b"\x60\x24\x00" * (events - 1)))
    tracks = tmp_path / "tracks.mid"
    tracks.write_bytes(midi_bytes(KICK, *[b""] * 1023))
    too_many = tmp_path / "too_many.mid"
    too_many.write_bytes(midi_bytes(KICK, *[b""] * 65534))
    script = "import pipmoves_play as play\n" + "\nprint()\n".join(
        f"outcome(lambda: print(len(play.read_midi({str(p)!r}).hits), end=' '))" for p in (many, over, tracks, too_many))
    done = subprocess.run([sys.executable, "-c", PRELUDE + script],
                          capture_output=True, text=True, timeout=120)
    assert done.returncode == 0 and done.stderr == "", done.stderr[-2000:]
    assert done.stdout.splitlines() == [
        "1 no error",
        f"ValueError: Too large a MIDI file: {over}: track 1, event 1048577: more events than the limit of "
        "1048576 a file",
        "1 no error",
        f"ValueError: Too large a MIDI file: {too_many}: the header gives 65535 tracks, more than the limit of 1024"]


@pytest.mark.parametrize("make, reason", [
    (lambda d: d / "missing.mid", "No such file or directory"),
    (lambda d: d, "Is a directory"),
], ids=["missing", "directory"])
def test_a_midi_file_that_cannot_be_opened_says_so_with_the_reason(tmp_path, make, reason):
    path = make(tmp_path)
    have = in_child(f"import pipmoves_play as play\noutcome(lambda: play.read_midi({str(path)!r}))")
    assert have == f"ValueError: Cannot open {path}: {reason}"


def test_a_lane_fault_quotes_its_character_whole_at_a_column_of_characters():
    have = in_child("import pipmoves_play as play\noutcome(lambda: play.read_step_lanes('kick R.\\u00e9.'))")
    assert have == "ValueError: Line 1, lane 1 (kick), column 8: unknown step '\u00e9'"
