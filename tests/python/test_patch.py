import copy
import json
import math
import pathlib
import re

import pytest

import pipmoves_play as play

OFL = pathlib.Path(__file__).resolve().parents[1] / "data" / "ofl"

# Two heads of one universe: a Sharpy from its published definition and a
# head of an inline layout (a held channel, then 16-bit pan and tilt).
RIG = {"fixtures": [
    {"name": "left_1", "universe": 1, "address": 1, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
     "home_pan": 270, "home_tilt": 135, "reach_pan": 90, "reach_tilt": 45, "invert_pan": False,
     "invert_tilt": False, "swap_pan_tilt": False, "mounting": "standing", "pan_limits": [0, 540],
     "tilt_limits": [20, 250], "max_speed": 400, "position": [-3.0, 0.0, 4.0]},
    {"name": "scan", "universe": 1, "address": 17,
     "layout": {"channels": [200, "pan", "pan_fine", "tilt", "tilt_fine"], "pan_range": 360, "tilt_range": 180}},
]}


def rig(**changes):
    """RIG with keys of its first fixture changed (None removes a key)."""
    patch = copy.deepcopy(RIG)
    for key, value in changes.items():
        if value is None:
            patch["fixtures"][0].pop(key, None)
        else:
            patch["fixtures"][0][key] = value
    return patch


def float64_rows(rows):
    """A plain memoryview of float64 rows of three, without numpy."""
    flat = memoryview(bytearray(8 * 3 * len(rows))).cast("d")
    for i, value in enumerate(v for row in rows for v in row):
        flat[i] = value
    return flat.cast("B").cast("d", (len(rows), 3))


def test_a_patch_file_finds_its_fixtures_beside_it_or_in_the_fixtures_folder(tmp_path):
    (tmp_path / "rig.json").write_text(json.dumps(RIG))
    beside = tmp_path / "with_files"
    (beside / "clay-paky").mkdir(parents=True)
    (beside / "clay-paky" / "sharpy.json").write_bytes((OFL / "clay-paky" / "sharpy.json").read_bytes())
    (beside / "rig.json").write_text(json.dumps(RIG))
    for patch in (play.Patch(tmp_path / "rig.json", fixtures=OFL), play.Patch(str(beside / "rig.json"))):
        assert len(patch) == 2 and patch.universes == (1,)
        assert [f.name for f in patch.fixtures] == ["left_1", "scan"]
        assert patch.stage_x == (-3.0, 0.0)
    assert play.Patch(tmp_path / "rig.json", fixtures=OFL).path == str(tmp_path / "rig.json")
    assert play.Patch(RIG, fixtures=OFL).path is None


def test_the_file_dict_and_json_text_make_the_same_patch(tmp_path):
    (tmp_path / "rig.json").write_text(json.dumps(RIG))
    patches = [play.Patch(tmp_path / "rig.json", fixtures=OFL), play.Patch(RIG, fixtures=OFL),
               play.Patch.from_json(json.dumps(RIG), fixtures=str(OFL))]
    keys = ["name", "universe", "address", "home_pan", "home_tilt", "reach_pan", "reach_tilt", "invert_pan",
            "invert_tilt", "swap_pan_tilt", "mounting", "pan_limits", "tilt_limits", "max_speed", "position"]
    described = [[tuple(getattr(f, key) for key in keys) for f in p.fixtures] for p in patches]
    assert described[0] == described[1] == described[2]
    left, scan = patches[0].fixtures
    assert [getattr(left, key) for key in keys] == [RIG["fixtures"][0][key] if key not in (
        "pan_limits", "tilt_limits", "position") else tuple(RIG["fixtures"][0][key]) for key in keys]
    # Every key after mode defaults: home and reach from the ranges, limits the whole range.
    assert (scan.home_pan, scan.home_tilt, scan.reach_pan, scan.reach_tilt) == (180.0, 90.0, 180.0, 90.0)
    assert (scan.pan_limits, scan.tilt_limits, scan.max_speed, scan.mounting) == ((0.0, 360.0), (0.0, 180.0), None, "standing")
    assert (scan.invert_pan, scan.invert_tilt, scan.swap_pan_tilt, scan.position) == (False, False, False, (0.0, 0.0, 0.0))


def test_a_fixture_shows_its_layout_slot_by_slot():
    left, scan = play.Patch(RIG, fixtures=OFL).fixtures
    assert left.layout.source == f"{OFL / 'clay-paky' / 'sharpy.json'}, mode Standard"
    assert (left.layout.pan_range, left.layout.tilt_range, left.layout.footprint) == (540.0, 250.0, 16)
    roles = [slot.role for slot in left.layout.channels]
    assert roles.count("pan") == roles.count("pan fine") == roles.count("tilt") == roles.count("tilt fine") == 1
    assert [(s.name, s.role, s.value, s.head) for s in scan.layout.channels] == [
        ("", "held", 200, 0), ("pan", "pan", 0, 0), ("pan_fine", "pan fine", 0, 0), ("tilt", "tilt", 0, 0),
        ("tilt_fine", "tilt fine", 0, 0)]
    assert scan.layout.source == "inline layout"


def test_readable_reprs():
    patch = play.Patch(RIG, fixtures=OFL)
    left, scan = patch.fixtures
    assert repr(patch) == "Patch(2 fixtures on universe 1)"
    assert repr(left) == "PatchedFixture('left_1', universe=1, address=1, 16 channels)"
    assert repr(scan.layout) == "ChannelLayout('inline layout', 5 channels, pan 360 deg, tilt 180 deg)"
    assert [repr(s) for s in scan.layout.channels[:2]] == ["ChannelSlot('', 'held', value=200)",
                                                          "ChannelSlot('pan', 'pan')"]
    player = play.PatchPlayer(patch)
    assert repr(player) == "PatchPlayer(2 fixtures on universe 1)"
    assert repr(player.frame(play.spread("circle", 0, 2), 0.0)) == "Universes(1 x 512)"


FIXTURE = "fixture 'left_1': "

REFUSALS = [
    ({"home_pann": 200}, FIXTURE + "unknown key 'home_pann' (did you mean 'home_pan'?)"),
    ({"colour": "red"}, FIXTURE + "unknown key 'colour'"),
    ({"universe": None}, FIXTURE + "missing 'universe'"),
    ({"universe": 0}, FIXTURE + "'universe' must be a whole number from 1 to 63999, not 0"),
    ({"universe": 64000}, FIXTURE + "'universe' must be a whole number from 1 to 63999, not 64000"),
    ({"universe": 1.5}, FIXTURE + "'universe' must be a whole number from 1 to 63999, not 1.5"),
    ({"universe": "1"}, FIXTURE + "'universe' must be a whole number from 1 to 63999, not \"1\""),
    ({"address": 0}, FIXTURE + "'address' must be a whole number from 1 to 512, not 0"),
    ({"address": 500}, FIXTURE + "its 16 channels from address 500 run past slot 512"),
    ({"address": 10}, "fixtures 'left_1' and 'scan' overlap on universe 1 (channels 10-25 and 17-21)"),
    ({"name": "scan", "universe": 2}, "two fixtures are named 'scan'"),
    ({"mode": "Basic"}, FIXTURE + f"{OFL / 'clay-paky' / 'sharpy.json'} has no mode 'Basic' (its modes: Standard, Vector)"),
    ({"ofl": "cameo/auro-beam-150.json", "mode": "5-channel"},
     FIXTURE + f"{OFL / 'cameo' / 'auro-beam-150.json'}: mode '5-channel': it has no Pan channel"),
    ({"ofl": "qtx/lux-ld30w.json", "mode": "10-channel"},
     FIXTURE + f"{OFL / 'qtx' / 'lux-ld30w.json'}: no mode can be driven: mode '10-channel': its Pan channel 'Pan' "
     "gives its angle as \"0%\", not in degrees"),
    ({"ofl": "clay-paky/sharpie.json"},
     FIXTURE + f"cannot find the OFL file 'clay-paky/sharpie.json' in the fixtures folder {OFL}"),
    ({"mode": None}, FIXTURE + "missing 'mode'"),
    ({"pan_limits": [-10, 540]}, FIXTURE + "pan_limits [-10, 540] lie outside its pan range [0, 540]"),
    ({"tilt_limits": [20, 251.5]}, FIXTURE + "tilt_limits [20, 251.5] lie outside its tilt range [0, 250]"),
    ({"tilt_limits": [200, 100]}, FIXTURE + "tilt_limits [200, 100] must be two finite degrees, the lower first"),
    ({"tilt_limits": [20]}, FIXTURE + "'tilt_limits' must be a list of the lowest and highest tilt in degrees, not [20]"),
    ({"home_tilt": 10}, FIXTURE + "home_tilt 10 lies outside tilt_limits [20, 250]"),
    ({"reach_pan": -1}, FIXTURE + "reach_pan -1 must be finite and not negative"),
    ({"max_speed": 0}, FIXTURE + "max_speed 0 must be finite and positive"),
    ({"max_speed": "fast"}, FIXTURE + "'max_speed' must be a number, not \"fast\""),
    ({"invert_pan": 1}, FIXTURE + "'invert_pan' must be true or false, not 1"),
    ({"mounting": "hanging"}, FIXTURE + "'mounting' must be \"standing\" or \"hung\", not \"hanging\""),
    ({"position": [1, 2]}, FIXTURE + "'position' must be a list of x, y and z in metres, not [1,2]"),
    ({"layout": {"channels": ["pan", "tilt"], "pan_range": 540, "tilt_range": 270}},
     FIXTURE + "give either 'ofl' and 'mode' or 'layout', not both"),
    ({"ofl": None, "mode": None}, FIXTURE + "missing 'ofl' and 'mode' (or an inline 'layout')"),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", "tilt", "dimmer"], "pan_range": 540, "tilt_range": 270}},
     FIXTURE + "layout channel 3 must be \"pan\", \"pan_fine\", \"tilt\", \"tilt_fine\" or a value from 0 to 255, "
     "not \"dimmer\""),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", 0], "pan_range": 540, "tilt_range": 270}},
     FIXTURE + "inline layout: no tilt channel"),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", "tilt"], "pan_rang": 540, "tilt_range": 270}},
     FIXTURE + "layout: unknown key 'pan_rang' (did you mean 'pan_range'?)"),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", "tilt"], "tilt_range": 270}},
     FIXTURE + "layout: missing 'pan_range'"),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", "tilt"] + [0] * 511, "pan_range": 540, "tilt_range": 270}},
     FIXTURE + "layout: a footprint is 1 to 512 channels, not 513"),
    ({"ofl": None, "mode": None, "layout": {"channels": [], "pan_range": 540, "tilt_range": 270}},
     FIXTURE + "inline layout: a footprint is 1 to 512 channels, not 0"),
    ({"ofl": None, "mode": None, "layout": {"channels": ["pan", "tilt"], "pan_range": 0, "tilt_range": 270}},
     FIXTURE + "inline layout: pan and tilt ranges must be finite and positive"),
]


@pytest.mark.parametrize(("changes", "message"), REFUSALS)
def test_a_fault_names_the_fixture_and_the_key(changes, message):
    with pytest.raises(ValueError) as refused:
        play.Patch(rig(**changes), fixtures=OFL)
    assert str(refused.value) == message, f"\nwant {message}\nhave {refused.value}"


def test_a_fault_in_a_file_names_the_file_first(tmp_path):
    file = tmp_path / "rig.json"
    file.write_text(json.dumps(rig(home_pann=200)))
    with pytest.raises(ValueError, match=f"^{re.escape(str(file))}: fixture 'left_1': unknown key 'home_pann'"):
        play.Patch(file, fixtures=OFL)
    file.write_text(json.dumps(rig(address=10)))
    with pytest.raises(ValueError, match=f"^{re.escape(str(file))}: fixtures 'left_1' and 'scan' overlap"):
        play.Patch(file, fixtures=OFL)
    with pytest.raises(ValueError, match=f"^{re.escape(str(tmp_path / 'none.json'))}: cannot be read$"):
        play.Patch(tmp_path / "none.json")


@pytest.mark.parametrize(("text", "message"), [
    ('{"fixtures": [', "the patch: not valid JSON: parse error at line 1, column 15: "),
    ('{"fixtures": [],\n "fixtures": []}', 'the patch: the key "fixtures" is given twice in one object'),
    ('{"fixtures": []}', "a patch needs at least one fixture"),
    ('{"fixture": []}', "unknown key 'fixture' (did you mean 'fixtures'?)"),
    ('[1]', "a patch is an object holding 'fixtures', not a list"),
    ('{"fixtures": {}}', "'fixtures' must be a list of fixtures, not an object"),
    ('{"fixtures": [3]}', "fixture 1 is not an object"),
    ('{"fixtures": [{"universe": 1}]}', "fixture 1: missing 'name'"),
    ('{"fixtures": [[[[[[[[[1]]]]]]]]]}', "the patch: nested deeper than 8 levels"),
])
def test_json_text_is_read_strictly(text, message):
    with pytest.raises(ValueError) as refused:
        play.Patch.from_json(text, fixtures=OFL)
    assert str(refused.value).startswith(message), f"\nwant {message}\nhave {refused.value}"


def test_a_dict_that_is_no_json_document_is_refused():
    with pytest.raises(ValueError, match="JSON compliant"):
        play.Patch(rig(home_pan=math.nan), fixtures=OFL)
    with pytest.raises(TypeError, match="not JSON serializable"):
        play.Patch(rig(home_pan={1, 2}), fixtures=OFL)


def test_a_patch_file_over_its_size_limit_is_refused_before_it_is_read(tmp_path):
    file = tmp_path / "huge.json"
    file.write_bytes(b" " * (4 * 2**20 + 1))
    with pytest.raises(ValueError, match=f"^{re.escape(str(file))}: larger than 4194304 bytes$"):
        play.Patch(file)


def test_a_frame_is_every_universe_as_a_read_only_buffer():
    patch = play.Patch(dict(RIG, fixtures=RIG["fixtures"] + [dict(RIG["fixtures"][1], name="far", universe=9)]),
                       fixtures=OFL)
    assert patch.universes == (1, 9)
    player = play.PatchPlayer(patch)
    frame = player.frame(float64_rows([(1.0, 0.0, 0.0), (-1.0, 1.0, 0.0), (1.0, -1.0, 0.0)]), 0.0)
    view = memoryview(frame)
    assert (view.format, view.shape, view.readonly, view.c_contiguous, len(frame)) == ("B", (2, 512), True, True, 2)
    rows = view.tolist()
    # Inline heads at 17: held 200, then pan and tilt: 0 and 360 deg, 180 and 0 deg.
    assert rows[0][16:21] == [200, 0, 0, 255, 255] and rows[1][16:21] == [200, 255, 255, 0, 0]
    assert rows[0][21:] == [0] * 491 and rows[1][:16] == [0] * 16
    # The Sharpy may turn 400 degrees a second, so in no time it stays at home: 270 of 540 deg, 135 of 250.
    sharpy = {slot.role: at for at, slot in enumerate(patch.fixtures[0].layout.channels)}
    assert [rows[0][sharpy[role]] for role in ("pan", "pan fine", "tilt", "tilt fine")] == [128, 0, 138, 61]
    angles = memoryview(player.angles)
    assert (angles.format, angles.shape) == ("d", (3, 2))
    assert angles.tolist()[0] == [270.0, 135.0]


def test_frames_fill_a_callers_buffer_and_numpy_reads_them_without_a_copy():
    np = pytest.importorskip("numpy")
    patch = play.Patch(RIG, fixtures=OFL)
    player = play.PatchPlayer(patch)
    positions = play.spread("circle", 40, 2)
    own = player.frame(positions, 0.5)
    player.reset()
    out = np.full((1, 512), 7, dtype=np.uint8)
    assert player.frame(positions, 0.5, out=out) is out
    assert (np.asarray(own) == out).all()
    shared = np.asarray(own)
    assert not shared.flags.writeable and np.shares_memory(shared, np.asarray(own))
    flat = bytearray(512)
    player.reset()
    wide = np.zeros((2, 6))
    wide[:, ::2] = np.asarray(positions)
    player.frame(wide[:, ::2], 0.5, out=flat)  # a strided view reads too
    assert bytes(flat) == out.tobytes()


@pytest.mark.parametrize(("out", "error", "message"), [
    (bytearray(511), ValueError, "Output must hold 512 bytes for each of the patch's 1 universes"),
    (bytes(512), TypeError, "out must be a writable C-contiguous buffer of uint8"),
    (memoryview(bytearray(1024))[::2], TypeError, "out must be a writable C-contiguous buffer of uint8"),
    (memoryview(bytearray(2048)).cast("f"), TypeError, "out must be a writable C-contiguous buffer of uint8"),
    ("slots", TypeError, "out must be a writable C-contiguous buffer of uint8"),
])
def test_a_buffer_that_cannot_take_a_frame_is_refused(out, error, message):
    player = play.PatchPlayer(play.Patch(RIG, fixtures=OFL))
    with pytest.raises(error, match=f"^{re.escape(message)}$"):
        player.frame(play.spread("circle", 0, 2), 0.1, out=out)


@pytest.mark.parametrize(("positions", "seconds", "error", "message"), [
    (float64_rows([(0.0, 0.0, 0.0)]), 0.1, ValueError, "Positions must be one per fixture: the patch has 2"),
    (float64_rows([(0.0, math.inf, 0.0), (0.0, 0.0, 0.0)]), 0.1, ValueError, "Positions must be finite"),
    (float64_rows([(0.0, 0.0, 0.0)] * 2), -0.1, ValueError, "Frame interval must be finite and not negative"),
    (float64_rows([(0.0, 0.0, 0.0)] * 2), math.nan, ValueError, "Frame interval must be finite and not negative"),
    ([[0.0, 0.0, 0.0]] * 2, 0.1, TypeError, None),
])
def test_a_frame_that_cannot_be_played_changes_nothing(positions, seconds, error, message):
    player = play.PatchPlayer(play.Patch(rig(max_speed=100), fixtures=OFL))
    player.frame(float64_rows([(1.0, 1.0, 0.0)] * 2), 0.1)
    before = memoryview(player.angles).tolist()
    with pytest.raises(error, match=None if message is None else f"^{re.escape(message)}$"):
        player.frame(positions, seconds)
    assert memoryview(player.angles).tolist() == before


def test_the_player_slews_from_home_and_reset_brings_it_back():
    player = play.PatchPlayer(play.Patch(rig(max_speed=100), fixtures=OFL))
    right = float64_rows([(1.0, 0.0, 0.0)] * 2)
    pans = []
    for _ in range(11):
        player.frame(right, 0.1)
        pans.append(memoryview(player.angles).tolist()[0][0])
    assert pans == pytest.approx([280, 290, 300, 310, 320, 330, 340, 350, 360, 360, 360])
    player.reset()
    assert memoryview(player.angles).tolist()[0] == [270.0, 135.0]
    assert player.patch.fixtures[0].name == "left_1"


def test_stateless_angles_apply_the_calibration_without_slew():
    patch = play.Patch(rig(max_speed=1, mounting="hung", swap_pan_tilt=True), fixtures=OFL)
    angles = memoryview(patch.angles(float64_rows([(1.0, -0.5, 0.0), (0.25, 1.0, 0.0)])))
    assert (angles.format, angles.shape, angles.readonly) == ("d", (2, 2), True)
    # Swapped, y pans (270 - 45) and x tilts; hung, tilt runs the other way (135 - 45).
    # The inline head: home 180/90, reach 180/90.
    assert angles.tolist() == [[225.0, 90.0], [225.0, 180.0]]
    with pytest.raises(ValueError, match="^Positions must be one per fixture: the patch has 2$"):
        patch.angles(float64_rows([(0.0, 0.0, 0.0)]))
