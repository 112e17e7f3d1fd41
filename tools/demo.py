"""Shows pipmoves at work: a few patterns sampled over one four-beat bar, a
fixture fan played on a clock, and a groove of your own turned into moves."""

import pipmoves
import pipmoves_play as play

PATTERNS = ("bounce", "circle", "helix", "clay_background", "flam")
STEP = pipmoves.PIPS_PER_BEAT // 8  # a thirty-second note


def main() -> None:
    bar = 4 * pipmoves.PIPS_PER_BEAT
    print(f"pipmoves: {pipmoves.__doc__}; {pipmoves.PIPS_PER_BEAT} pips a beat")
    print("one bar, every thirty-second note, as x / y / z\n")
    header = "  pip  beat  " + "  ".join(f"{name:^22}" for name in PATTERNS)
    print(header)
    print("-" * len(header))
    for pip in range(0, bar + 1, STEP):
        beat = 1 + pip / pipmoves.PIPS_PER_BEAT
        cells = []
        for name in PATTERNS:
            x, y, z = getattr(pipmoves, name)(pip).as_tuple()
            cells.append(f"{x:+.3f} {y:+.3f} {z:+.3f}")
        print(f"{pip:5d}  {beat:4.2f}  " + "  ".join(f"{cell:^22}" for cell in cells))



def fixture_fan() -> None:
    """One pattern on eight moving heads in a fan, as the DMX a console sends."""
    clock = play.Clock(124.0)
    fixture = play.Fixture(540, 270, size=0.5)
    print("\na fixture fan: 'circle' on eight moving heads at 124 BPM, every eighth of a beat;")
    print("pan/tilt as 16-bit DMX (540 degrees of pan, 270 of tilt, half the range in use)\n")
    header = "  pip  seconds  " + "  ".join(f"{f'fixture {n}':^11}" for n in range(1, 9))
    print(header)
    print("-" * len(header))
    for pip in range(0, pipmoves.PIPS_PER_BEAT + 1, STEP):
        seconds = clock.seconds_at(pip)
        channels = memoryview(fixture.dmx(play.spread("circle", clock.pip_at(seconds), 8))).tolist()
        cells = [f"{pan << 8 | pan_fine:5d}/{tilt << 8 | tilt_fine:<5d}" for pan, pan_fine, tilt, tilt_fine in channels]
        print(f"{pip:5d}  {seconds:7.4f}  " + "  ".join(cells))


# A groove of your own, in step lanes: one lane per instrument, one character
# a sixteenth (R L C full hits leaning right, left or centred, r l c softer,
# > < o ghosts, . rests).
OWN_GROOVE = """\
kick   R... L... R... .L..
snare  .... R... .... L...
hat    r>l< r>l< r>l< r>l<
bass   ..R. .... ..L. ..r.
"""


def own_groove() -> None:
    """Four lanes become sixteen patterns; one bar of the bounce."""
    score = play.read_step_lanes(OWN_GROOVE)
    library = play.groove_patterns(score, "mine", "My track / verse")
    print(f"\nyour own groove: {len(score.hits)} hits in four lanes become "
          f"{len(play.GROOVE_MOVES)} patterns, mine_{play.GROOVE_MOVES[0]} to mine_{play.GROOVE_MOVES[-1]}")
    print(OWN_GROOVE)
    rows = memoryview(play.render(play.Pattern(library, "mine_bounce"), 0, 4 * 4 + 1, STEP * 2)).tolist()
    print("mine_bounce, one bar, every sixteenth note, as x / y / z\n")
    for k, (x, y, z) in enumerate(rows):
        pip = k * STEP * 2
        print(f"{pip:5d}  {1 + pip / pipmoves.PIPS_PER_BEAT:4.2f}  {x:+.3f} {y:+.3f} {z:+.3f}  {'#' * round(40 * max(y, 0))}")


if __name__ == "__main__":
    main()
    own_groove()
    fixture_fan()
