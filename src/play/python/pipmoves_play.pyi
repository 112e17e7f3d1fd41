"""
Playback for pipmoves: clocks, whole frames, fixture spreads, cross-fades and DMX
"""
from __future__ import annotations
import collections.abc
import pipmoves
import typing
__all__: list[str] = ['ALTERNATIONS', 'Angles', 'Clock', 'CrossFade', 'DmxFrames', 'EASINGS', 'Fixture', 'Frames', 'MAX_ROWS', 'Pattern', 'render', 'spread', 'tap_tempo']
class Frames:
    """Rows of positions: a read-only, C-contiguous buffer of float64, shaped (rows, 3) as x, y, z."""
    def __buffer__(self, flags):
        """
        Return a buffer object that exposes the underlying memory of the object.
        """
    def __len__(self) -> int:
        """The number of rows."""
    def __release_buffer__(self, buffer):
        """
        Release the buffer object that exposes the underlying memory of the object.
        """
class Angles:
    """Rows of fixture angles: a read-only buffer of float64, shaped (rows, 2) as pan, tilt in degrees."""
    def __buffer__(self, flags):
        """
        Return a buffer object that exposes the underlying memory of the object.
        """
    def __len__(self) -> int:
        """The number of rows."""
    def __release_buffer__(self, buffer):
        """
        Release the buffer object that exposes the underlying memory of the object.
        """
class DmxFrames:
    """Rows of DMX channels: a read-only buffer of uint8, shaped (rows, 4) as pan coarse, pan fine, tilt coarse, tilt fine."""
    def __buffer__(self, flags):
        """
        Return a buffer object that exposes the underlying memory of the object.
        """
    def __len__(self) -> int:
        """The number of rows."""
    def __release_buffer__(self, buffer):
        """
        Release the buffer object that exposes the underlying memory of the object.
        """
class Pattern:
    """A pattern resolved once, to be played many times; it keeps the pipmoves object it reads alive."""
    @typing.overload
    def __init__(self, name: str) -> None:
        """A default pattern by name (str, bytes or bytearray); ValueError "Unknown pipmove: <name>" otherwise."""
    @typing.overload
    def __init__(self, pattern: pipmoves.SampledPattern) -> None:
        """A caller's sampled pattern."""
    @typing.overload
    def __init__(self, library: pipmoves.PatternLibrary, name: str) -> None:
        """A pattern of the library by name: its own first, then the defaults."""
    def sample(self, pip: typing.SupportsInt | typing.SupportsIndex) -> pipmoves.Offset3:
        """The position at a pip, as the sample call of its kind gives it."""
    @property
    def description(self) -> str:
        ...
    @property
    def dimensions(self) -> int:
        ...
    @property
    def name(self) -> str:
        ...
    @property
    def period_pips(self) -> int:
        ...
class CrossFade:
    """A fade from one pattern to another over length_pips pips from start_pip: exactly the first before the
    start, exactly the second from start + length on. Pips up to 2^31 before the start count as before it."""
    def __init__(self, from_pattern: str | bytes | pipmoves.SampledPattern | Pattern, to_pattern: str | bytes | pipmoves.SampledPattern | Pattern, start_pip: typing.SupportsInt | typing.SupportsIndex, length_pips: typing.SupportsInt | typing.SupportsIndex, easing: str = 'smoothstep') -> None:
        """easing is one of EASINGS; ValueError for an unknown one or a negative length."""
    def sample(self, pip: typing.SupportsInt | typing.SupportsIndex) -> pipmoves.Offset3:
        """The faded position at a pip."""
    def weight(self, pip: typing.SupportsInt | typing.SupportsIndex) -> float:
        """The second pattern's share at a pip: 0.0 before the start, 1.0 from its end on."""
    @property
    def easing(self) -> str:
        ...
    @property
    def length_pips(self) -> int:
        ...
    @property
    def start_pip(self) -> int:
        ...
class Clock:
    """A tempo map from seconds to pips and back: beat zero at beat_zero_seconds, a starting tempo, and
    (beat, bpm) changes at beats after beat zero. Tempos lie within [0.001, 1000000] BPM."""
    def __init__(self, bpm: typing.SupportsFloat | typing.SupportsIndex, beat_zero_seconds: typing.SupportsFloat | typing.SupportsIndex = 0.0, changes: collections.abc.Sequence[tuple[typing.SupportsFloat | typing.SupportsIndex, typing.SupportsFloat | typing.SupportsIndex]] = []) -> None:
        ...
    def anchored(self, seconds: typing.SupportsFloat | typing.SupportsIndex, beat: typing.SupportsFloat | typing.SupportsIndex = 0.0) -> Clock:
        """The same tempo map moved in time so that beat falls at seconds."""
    def bpm_at(self, seconds: typing.SupportsFloat | typing.SupportsIndex) -> float:
        """The tempo in force at a time."""
    def pip_at(self, seconds: typing.SupportsFloat | typing.SupportsIndex) -> int:
        """The pip under way at a time: the position floored, wrapping as a 32-bit pip."""
    def position_at(self, seconds: typing.SupportsFloat | typing.SupportsIndex) -> float:
        """The continuous position in pips at a time."""
    def seconds_at(self, pip: typing.SupportsInt | typing.SupportsIndex) -> float:
        """The earliest time at which pip_at gives pip."""
    @property
    def beat_zero_seconds(self) -> float:
        ...
    @property
    def bpm(self) -> float:
        ...
    @property
    def changes(self) -> list[tuple[float, float]]:
        ...
class Fixture:
    """Maps x to pan and y to tilt for one kind of moving head, and on to 16-bit DMX. The home is the middle of
    each range unless given; size is the share of each range a pattern may use. Ends clamp, never wrap."""
    def __init__(self, pan_range_degrees: typing.SupportsFloat | typing.SupportsIndex, tilt_range_degrees: typing.SupportsFloat | typing.SupportsIndex, *, home_pan_degrees: typing.SupportsFloat | typing.SupportsIndex | None = None, home_tilt_degrees: typing.SupportsFloat | typing.SupportsIndex | None = None, size: typing.SupportsFloat | typing.SupportsIndex = 1.0, invert_pan: bool = False, invert_tilt: bool = False) -> None:
        ...
    @typing.overload
    def angles(self, positions: pipmoves.Offset3) -> tuple[float, float]:
        """Pan and tilt in degrees for one position."""
    @typing.overload
    def angles(self, positions: collections.abc.Buffer) -> Angles:
        """Pan and tilt for every row of a float64 buffer shaped (rows, 3), such as Frames."""
    @typing.overload
    def dmx(self, positions: pipmoves.Offset3) -> tuple[int, int, int, int]:
        """Pan coarse, pan fine, tilt coarse and tilt fine for one position."""
    @typing.overload
    def dmx(self, positions: collections.abc.Buffer) -> DmxFrames:
        """The four DMX channels for every row of a float64 buffer shaped (rows, 3)."""
@typing.overload
def render(pattern: str | bytes | pipmoves.SampledPattern | Pattern, first_pip: typing.SupportsInt | typing.SupportsIndex, count: typing.SupportsInt | typing.SupportsIndex, step: typing.SupportsInt | typing.SupportsIndex = 1) -> Frames:
    """count rows: the pattern at first_pip + k * step, pips wrapping as 32-bit two's complement. ValueError for a
    negative count, a zero step or more than MAX_ROWS rows."""
@typing.overload
def render(pattern: CrossFade, first_pip: typing.SupportsInt | typing.SupportsIndex, count: typing.SupportsInt | typing.SupportsIndex, step: typing.SupportsInt | typing.SupportsIndex = 1) -> Frames:
    """count rows of a fade."""
@typing.overload
def spread(pattern: str | bytes | pipmoves.SampledPattern | Pattern, pip: typing.SupportsInt | typing.SupportsIndex, fixtures: typing.SupportsInt | typing.SupportsIndex, *, phase_step: typing.SupportsInt | typing.SupportsIndex | None = None, from_centre: bool = False, alternate: str = 'none') -> Frames:
    """One row per fixture at pip. Fixture i lags the first by phase_step * i pips, or by an even share of the
    period (a fan) without a step; from_centre mirrors the two halves; alternate is one of ALTERNATIONS."""
@typing.overload
def spread(pattern: CrossFade, pip: typing.SupportsInt | typing.SupportsIndex, fixtures: typing.SupportsInt | typing.SupportsIndex, *, phase_step: typing.SupportsInt | typing.SupportsIndex | None = None, from_centre: bool = False, alternate: str = 'none') -> Frames:
    """One row per fixture of a fade: every fixture fades at once, each pattern keeping its own spread."""
def tap_tempo(taps: collections.abc.Sequence[typing.SupportsFloat | typing.SupportsIndex]) -> Clock:
    """The clock whose beats best fit 2 to 1024 increasing tap times in seconds, beat zero on the first tap that
    fits; from four taps on, one stray tap is left out."""
ALTERNATIONS: tuple = ('none', 'reverse', 'mirror_x')
EASINGS: tuple = ('linear', 'smoothstep', 'smootherstep', 'sine')
MAX_ROWS: int = 16777216
