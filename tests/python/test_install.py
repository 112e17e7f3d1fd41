import os
import pathlib
import subprocess
import venv

import pytest


def test_cmake_install_puts_module_where_python_finds_it(tmp_path):
    build = pathlib.Path(os.environ["PIPMOVES_BUILD_DIR"])
    env_dir = tmp_path / "env"
    try:
        venv.create(env_dir, with_pip=False, symlinks=True)
    except Exception as error:  # a Python without the venv module
        pytest.skip(f"cannot create a virtual environment here: {error}")
    subprocess.run(["cmake", "--install", str(build), "--prefix", str(env_dir), "--component", "python"],
                   check=True, capture_output=True)
    python = env_dir / "bin" / "python"
    clean = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    found = subprocess.run([str(python), "-c", "import pipmoves; print(pipmoves.__file__); print(pipmoves.bounce(32).x)"],
                           check=True, capture_output=True, text=True, env=clean, cwd=tmp_path)
    where, value = found.stdout.splitlines()
    assert pathlib.Path(where).is_relative_to(env_dir)
    assert value == "1.0"
