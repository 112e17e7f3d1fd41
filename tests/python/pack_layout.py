"""Where each stored row comes from, as the build wrote it beside the module:
its pack, its family and the ranges stated for them, in pack-table order."""

import json
import os
import pathlib

import pipmoves


def _load():
    build = os.environ.get("PIPMOVES_BUILD_DIR")
    if build is None:
        raise RuntimeError("PIPMOVES_BUILD_DIR is not set: run the tests with tools/dev test")
    return json.loads((pathlib.Path(build) / "generated" / "pack_layout.json").read_text(encoding="utf-8"))


LAYOUT = _load()
PACKS = {pack["name"]: pack for pack in LAYOUT["packs"]}
ROWS = LAYOUT["rows"]


def family(label):
    return next(f for f in LAYOUT["families"] if f["label"] == label)


def catalogue_index(pack_row):
    """The catalogue position of a pack-table row: the procedural rows come first."""
    return len(pipmoves.catalogue()) - len(ROWS) + pack_row

