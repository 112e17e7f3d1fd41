"""The stub the build writes beside pipmoves_play, from the module itself, names
what the module holds and nothing more."""

import ast
import inspect
import pathlib

import pipmoves_play

STUB = pathlib.Path(pipmoves_play.__file__).with_name("pipmoves_play.pyi")


def top_level(tree):
    return {node.name if hasattr(node, "name") else node.target.id: node for node in tree.body
            if isinstance(node, (ast.FunctionDef, ast.ClassDef, ast.AnnAssign))}


def test_stub_beside_the_module_lists_every_public_name_as_its_kind():
    names = top_level(ast.parse(STUB.read_text()))
    public = {name for name in dir(pipmoves_play) if not name.startswith("_")}
    assert set(names) == public
    for name in public:
        assert isinstance(names[name], ast.ClassDef) == inspect.isclass(getattr(pipmoves_play, name)), name

