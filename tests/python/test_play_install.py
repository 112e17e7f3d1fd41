import os
import pathlib
import subprocess
import venv

import pytest


# Both modules loaded into one process: the names of the files it maps from
# the installed shared libraries, and each file's size.
MAPPED = """
import os, pathlib, pipmoves, pipmoves_play
mapped = {line.split()[-1] for line in open('/proc/self/maps') if '/libpipmoves' in line}
for path in sorted(mapped):
    print(pathlib.Path(path).name, os.path.getsize(path), pathlib.Path(path).parent.name)
for module in (pipmoves, pipmoves_play):
    print(pathlib.Path(module.__file__).name.split('.')[0], os.path.getsize(module.__file__), '-')
"""


def test_cmake_install_puts_the_playback_module_and_its_stub_beside_pipmoves(tmp_path):
    build = pathlib.Path(os.environ["PIPMOVES_BUILD_DIR"])
    env_dir = tmp_path / "env"
    try:
        venv.create(env_dir, with_pip=False, symlinks=True)
    except Exception as error:  # a Python without the venv module
        pytest.skip(f"cannot create a virtual environment here: {error}")
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(env_dir), "--component", "python"],
                   check=True, capture_output=True)
    script = ("import pathlib, pipmoves, pipmoves_play\n"
              "here = pathlib.Path(pipmoves_play.__file__)\n"
              "print(here.parent == pathlib.Path(pipmoves.__file__).parent, here.with_name('pipmoves_play.pyi').is_file())\n"
              "print(memoryview(pipmoves_play.render('bounce', 32, 1)).tolist())\n")
    clean = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    found = subprocess.run([str(env_dir / "bin" / "python"), "-c", script],
                           check=True, capture_output=True, text=True, env=clean, cwd=tmp_path)
    assert found.stdout.splitlines() == ["True True", "[[1.0, 0.0, 0.0]]"]

    # One copy of the stored tables however many modules load them: one core
    # library mapped, from the folder beside the modules, and neither module
    # nor the playback library holding tables of its own.
    mapped = subprocess.run([str(env_dir / "bin" / "python"), "-c", MAPPED],
                            check=True, capture_output=True, text=True, env=clean, cwd=tmp_path).stdout
    sizes = {name: (int(size), folder) for name, size, folder in (line.split() for line in mapped.splitlines())}
    names = sorted(name for name in sizes if name.startswith("lib"))
    assert [name.split(".so")[0] for name in names] == ["libpipmoves", "libpipmoves_play"], names
    assert {sizes[name][1] for name in names} == {"pipmoves.libs"}
    (core,) = (size for name, (size, _) in sizes.items() if name.startswith("libpipmoves.so"))
    others = {name: size for name, (size, _) in sizes.items() if not name.startswith("libpipmoves.so")}
    assert core > 16 * 2**20, "the stored tables are in the core library"
    # Playback carries aubio whole (about 2 MiB); a copy of the tables would be 24 MiB.
    assert all(size < core / 4 for size in others.values()), others
