import os
import pathlib
import subprocess
import venv

import pytest


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
