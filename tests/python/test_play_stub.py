import ast
import os
import pathlib
import subprocess
import sys

import pytest

import pipmoves_play

STUB = pathlib.Path(__file__).resolve().parents[2] / "src" / "play" / "python" / "pipmoves_play.pyi"


def shape(source):
    """The stub's names and signatures: its syntax tree without docstrings."""
    tree = ast.parse(source)
    for node in ast.walk(tree):
        body = getattr(node, "body", None)
        if isinstance(body, list) and body and isinstance(body[0], ast.Expr) and isinstance(body[0].value, ast.Constant):
            node.body = body[1:] or [ast.Expr(ast.Constant(...))]
    return ast.dump(tree)


def test_stub_matches_the_live_module(tmp_path):
    """The stub says exactly what the binding library reports of every name and signature."""
    done = subprocess.run([sys.executable, "-m", "pybind11_stubgen", "pipmoves_play", "-o", str(tmp_path)],
                          capture_output=True, text=True, env=os.environ)
    if done.returncode != 0 and "No module named pybind11_stubgen" in done.stderr:
        pytest.skip("pybind11-stubgen is not installed here")
    assert done.returncode == 0, done.stderr
    generated = (tmp_path / "pipmoves_play.pyi").read_text()
    assert shape(STUB.read_text()) == shape(generated)


def test_stub_lies_beside_the_built_module():
    beside = pathlib.Path(pipmoves_play.__file__).with_name("pipmoves_play.pyi")
    assert beside.read_text() == STUB.read_text()


def test_stub_lists_every_public_name():
    tree = ast.parse(STUB.read_text())
    listed = next(node.value for node in tree.body if isinstance(node, ast.AnnAssign) and node.target.id == "__all__")
    assert sorted(ast.literal_eval(listed)) == sorted(name for name in dir(pipmoves_play) if not name.startswith("_"))
