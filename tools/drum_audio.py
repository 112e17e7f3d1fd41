"""Drum loops to track: stored grooves written as MIDI and rendered by fluidsynth
with the General MIDI soundfont, or built from the recorded samples of
Hydrogen's drum kits, with the beat times they were made on."""

import ctypes
import ctypes.util
import math
import pathlib
import re
import subprocess
import xml.etree.ElementTree as ElementTree

import numpy as np

SOUNDFONT = pathlib.Path("/usr/share/sounds/sf2/FluidR3_GM.sf2")
DRUMKITS = pathlib.Path("/usr/share/hydrogen/data/drumkits")
PIPS_PER_BEAT = 64
PPQN = 960
# General MIDI percussion notes for the groove instruments; the low end is
# left out (a synth line, not a drum).
NOTE_OF = {"kick": 36, "clap": 39, "snare": 38, "tom": 45, "conga": 63, "rim": 37, "clave": 75, "bell": 56,
           "hat": 42, "open_hat": 46, "ride": 51, "shaker": 70, "crash": 49, "tick": 80}


class TempoMap:
    """Beats to seconds: a tempo from beat 0, and changes at later beats."""

    def __init__(self, bpm, changes=()):
        self.segments = [(0.0, 0.0, bpm)]  # (start beat, start seconds, bpm)
        for beat, new_bpm in changes:
            start_beat, start_seconds, old = self.segments[-1]
            self.segments.append((beat, start_seconds + (beat - start_beat) * 60.0 / old, new_bpm))

    def seconds(self, beat):
        for start_beat, start_seconds, bpm in reversed(self.segments):
            if beat >= start_beat:
                return start_seconds + (beat - start_beat) * 60.0 / bpm
        return beat * 60.0 / self.segments[0][2]

    def bpm_at(self, seconds):
        for _, start_seconds, bpm in reversed(self.segments):
            if seconds >= start_seconds:
                return bpm
        return self.segments[0][2]


def groove_hits(lanes):
    """(pip, instrument, velocity) of a score from pipmoves_play."""
    return [(pip, instrument, velocity) for pip, instrument, velocity, _ in lanes.hits if instrument in NOTE_OF]


def loop_hits(score, beats):
    """The loop's hits repeated over beats, as (beat, instrument, velocity)."""
    period = score.period_pips / PIPS_PER_BEAT
    hits = groove_hits(score)
    out = []
    for repeat in range(math.ceil(beats / period)):
        for pip, instrument, velocity in hits:
            beat = repeat * period + pip / PIPS_PER_BEAT
            if beat < beats:
                out.append((beat, instrument, velocity))
    return out


def write_midi(path, hits, tempo):
    """hits as (beat, instrument, velocity) on channel 10, at the tempo map's tempos."""
    import mido

    events = [(0, 0, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(tempo.segments[0][2])))]
    for beat, _, bpm in tempo.segments[1:]:
        events.append((round(beat * PPQN), 0, mido.MetaMessage("set_tempo", tempo=mido.bpm2tempo(bpm))))
    for beat, instrument, velocity in hits:
        tick = round(beat * PPQN)
        note = NOTE_OF[instrument]
        events.append((tick, 2, mido.Message("note_on", channel=9, note=note, velocity=max(1, round(velocity * 127)))))
        events.append((tick + PPQN // 8, 1, mido.Message("note_off", channel=9, note=note, velocity=0)))
    events.sort(key=lambda e: (e[0], e[1]))
    midi = mido.MidiFile(ticks_per_beat=PPQN)
    track = mido.MidiTrack()
    now = 0
    for tick, _, message in events:
        track.append(message.copy(time=tick - now))
        now = tick
    midi.tracks.append(track)
    midi.save(str(path))
    return path


def render_midi(midi_path, wav_path, rate):
    subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.6", "-r", str(rate), "-F", str(wav_path), str(SOUNDFONT),
                    str(midi_path)], check=True, capture_output=True, timeout=300)
    return read_audio(wav_path)


class _SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


_sndfile = None


def read_audio(path):
    """Any file libsndfile reads, as mono float32, and its sample rate."""
    global _sndfile
    if _sndfile is None:
        _sndfile = ctypes.CDLL(ctypes.util.find_library("sndfile") or "libsndfile.so.1")
        _sndfile.sf_open.restype = ctypes.c_void_p
        _sndfile.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(_SfInfo)]
        _sndfile.sf_readf_float.restype = ctypes.c_int64
        _sndfile.sf_readf_float.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_int64]
        _sndfile.sf_close.argtypes = [ctypes.c_void_p]
    info = _SfInfo()
    handle = _sndfile.sf_open(str(path).encode(), 0x10, ctypes.byref(info))
    if not handle:
        raise OSError(f"cannot read audio from {path}")
    try:
        data = np.zeros((info.frames, info.channels), dtype=np.float32)
        read = _sndfile.sf_readf_float(handle, data.ctypes.data, info.frames)
    finally:
        _sndfile.sf_close(handle)
    return data[:read].mean(axis=1).astype(np.float32), info.samplerate


# --- Hydrogen's kits

KIT_VOICES = {
    "kick": re.compile(r"kick|bass ?drum|^bd|bassdrum", re.I),
    "snare": re.compile(r"snare(?!.*(rim|roll))", re.I),
    "clap": re.compile(r"clap", re.I),
    "hat": re.compile(r"(closed|cl\b|chh).*|hat closed|hi-?hat closed|closed hh", re.I),
    "open_hat": re.compile(r"open", re.I),
    "tom": re.compile(r"tom", re.I),
}
VOICE_OF = {"kick": "kick", "snare": "snare", "clap": "clap", "rim": "snare", "hat": "hat", "shaker": "hat",
            "tick": "hat", "ride": "hat", "open_hat": "open_hat", "tom": "tom", "conga": "tom", "clave": "hat",
            "bell": "hat", "crash": "open_hat"}


def _strip(tag):
    return tag.rsplit("}", 1)[-1]


def drumkit_voices(kit):
    """The first sample file of each voice a kit has, from its drumkit.xml."""
    root = ElementTree.parse(kit / "drumkit.xml").getroot()
    voices = {}
    for instrument in root.iter():
        if _strip(instrument.tag) != "instrument":
            continue
        name = next((c.text or "" for c in instrument if _strip(c.tag) == "name"), "")
        files = [e.text for e in instrument.iter() if _strip(e.tag) == "filename" and e.text]
        if not files or not (kit / files[-1]).is_file():
            continue
        for voice, pattern in KIT_VOICES.items():
            if voice not in voices and pattern.search(name) and not (voice == "hat" and "open" in name.lower()):
                voices[voice] = kit / files[-1]  # the last layer is the hardest hit
                break
    return voices


def usable_kits():
    kits = []
    for kit in sorted(DRUMKITS.iterdir()) if DRUMKITS.is_dir() else []:
        try:
            voices = drumkit_voices(kit)
        except (OSError, ElementTree.ParseError):
            continue
        if {"kick", "snare", "hat"} <= set(voices):
            kits.append((kit.name, voices))
    return kits


def sample_loop(voices, hits, tempo, seconds, rate):
    """Mixes one sample a hit: (beat, instrument, velocity) at the tempo map's times."""
    sounds = {}
    for voice, path in voices.items():
        data, sample_rate = read_audio(path)
        if sample_rate != rate:  # linear resampling is enough for a drum hit
            positions = np.arange(0, len(data) - 1, sample_rate / rate)
            data = np.interp(positions, np.arange(len(data)), data).astype(np.float32)
        peak = float(np.max(np.abs(data))) or 1.0
        sounds[voice] = data / peak
    out = np.zeros(int(seconds * rate) + 1, dtype=np.float32)
    for beat, instrument, velocity in hits:
        voice = VOICE_OF.get(instrument)
        if voice not in sounds:
            voice = {"clap": "snare", "open_hat": "hat", "tom": "snare"}.get(voice)
        if voice not in sounds:
            continue
        start = round(tempo.seconds(beat) * rate)
        if start >= len(out):
            continue
        sound = sounds[voice][: len(out) - start]
        out[start:start + len(sound)] += sound * (0.3 + 0.7 * velocity) * (0.5 if voice in ("hat", "open_hat") else 1)
    peak = float(np.max(np.abs(out))) or 1.0
    return (out / peak * 0.8).astype(np.float32)


def with_break(audio, rate, start_seconds, end_seconds):
    out = audio.copy()
    out[int(start_seconds * rate):int(end_seconds * rate)] = 0.0
    return out


def with_noise(audio, snr_db, seed):
    noise = np.random.default_rng(seed).standard_normal(len(audio)).astype(np.float32)
    signal_rms = float(np.sqrt(np.mean(audio.astype(np.float64) ** 2))) or 1.0
    return (audio + noise * signal_rms / (10 ** (snr_db / 20))).astype(np.float32)
