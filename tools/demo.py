"""Shows pipmoves at work: a few patterns sampled over one four-beat bar."""

import pipmoves

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


if __name__ == "__main__":
    main()
