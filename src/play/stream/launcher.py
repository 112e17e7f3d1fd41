#!python
"""pipmoves-play, as a wheel installs it: runs the program installed beside
the pipmoves module, whose libraries are at a fixed place from it."""
import importlib.util
import os
import pathlib
import sys

spec = importlib.util.find_spec("pipmoves")
if spec is None or spec.origin is None:
    sys.exit("pipmoves-play: the pipmoves module is not installed for this Python")
program = pathlib.Path(spec.origin).parent / "pipmoves.scripts" / "pipmoves-play"
os.execv(program, ["pipmoves-play", *sys.argv[1:]])
