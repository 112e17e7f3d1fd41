import os
import pathlib

import pytest


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
