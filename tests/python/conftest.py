import os
import pathlib
import subprocess
import sys

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session", autouse=True)
def built_module():
    """Every test runs against the module just built, never an installed copy."""
    import pipmoves

    build = os.environ.get("PIPMOVES_BUILD_DIR")
    if build is None:
        pytest.fail("PIPMOVES_BUILD_DIR is not set: run the tests with tools/dev test")
    here = pathlib.Path(pipmoves.__file__).resolve()
    assert here.is_relative_to(pathlib.Path(build).resolve()), f"imported {here}, not the fresh build"
    return pipmoves


@pytest.fixture(scope="session")
def repaired_wheel(tmp_path_factory):
    """The wheel as tools/dev wheel makes it, its libraries grafted in. Its build
    folder persists beside the others, so a second run only relinks."""
    build = pathlib.Path(os.environ["PIPMOVES_BUILD_DIR"]).parent / "wheel"
    made = subprocess.run([sys.executable, str(ROOT / "tools" / "make_wheel.py"), str(build),
                           str(tmp_path_factory.mktemp("dist"))], capture_output=True, text=True)
    assert made.returncode == 0, made.stdout + made.stderr
    return pathlib.Path(made.stdout.splitlines()[0])
