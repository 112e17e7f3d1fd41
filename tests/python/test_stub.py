"""The type stub the build writes beside the module promises exactly what the
module does: the same names, the same kinds, the same signatures."""

import ast
import inspect
import os
import pathlib
import re
import subprocess
import sys

import pytest

import pipmoves

STUB = pathlib.Path(pipmoves.__file__).with_name("pipmoves.pyi")

# What stubtest reports that no stub can mend: pybind11 classes have their own
# metaclass, and a class without a constructor gets one that only raises.
STUBTEST_KNOWN = {
    "pipmoves.Offset3 is inconsistent, metaclass differs",
    "pipmoves.PatternLibrary is inconsistent, metaclass differs",
    "pipmoves.SampledPattern is inconsistent, metaclass differs",
    "pipmoves.SampledRecording is inconsistent, metaclass differs",
    'pipmoves.Offset3.__init__ is inconsistent, stub does not have *args parameter "args"',
}


@pytest.fixture(scope="module")
def stub():
    return ast.parse(STUB.read_text())


def members(body):
    """Name -> definition of every function, property and constant in a body."""
    found = {}
    for node in body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            found[node.name] = node
        elif isinstance(node, ast.AnnAssign):
            found[node.target.id] = node
    return found


def is_property(node):
    return any(isinstance(decorator, ast.Name) and decorator.id == "property" for decorator in node.decorator_list)


def rendered(node, doc):
    """The stub's signature of node and the one the binding library rendered
    into doc, both as parsed Python, the module prefix and self's type dropped."""
    line = re.sub(r"\bpipmoves\.", "", doc.splitlines()[0])
    if line.startswith("("):  # a property getter's docstring has no name
        line = node.name + line
    live = ast.parse(f"def {line}: ...").body[0]
    params = live.args.posonlyargs + live.args.args
    if params and params[0].arg == "self":
        params[0].annotation = None
    ours = node.args
    return (ast.dump(ast.arguments(posonlyargs=[], args=ours.posonlyargs + ours.args, defaults=ours.defaults,
                                   kwonlyargs=ours.kwonlyargs, kw_defaults=ours.kw_defaults)) + ast.dump(node.returns),
            ast.dump(ast.arguments(posonlyargs=[], args=params, defaults=live.args.defaults,
                                   kwonlyargs=live.args.kwonlyargs, kw_defaults=live.args.kw_defaults))
            + ast.dump(live.returns))


def test_stub_has_the_docstring_and_every_public_name_of_the_module(stub):
    assert ast.get_docstring(stub).strip() == pipmoves.__doc__
    assert set(members(stub.body)) == {name for name in dir(pipmoves) if not name.startswith("_")}
    constant = members(stub.body)["PIPS_PER_BEAT"]
    assert (ast.unparse(constant.annotation), ast.literal_eval(constant.value)) == ("int", pipmoves.PIPS_PER_BEAT)


def test_stub_classes_have_every_member_of_the_live_classes_as_the_same_kind(stub):
    classes = {name: node for name, node in members(stub.body).items() if isinstance(node, ast.ClassDef)}
    assert set(classes) == {name for name in dir(pipmoves) if inspect.isclass(getattr(pipmoves, name))}
    for name, node in classes.items():
        live = vars(getattr(pipmoves, name))
        public = {member for member in live if not member.startswith("_")}
        constructed = "__init__" in members(node.body)
        assert set(members(node.body)) == public | ({"__init__"} if constructed else set()), name
        for member in public:
            assert is_property(members(node.body)[member]) == isinstance(live[member], property), (name, member)


def every_signature():
    """Each function and member the stub and the module share; the names tests
    above report the others."""
    stub = ast.parse(STUB.read_text())
    for name, node in members(stub.body).items():
        if not hasattr(pipmoves, name):
            continue
        if isinstance(node, ast.FunctionDef):
            yield name, node, getattr(pipmoves, name).__doc__
        elif isinstance(node, ast.ClassDef):
            for member, definition in members(node.body).items():
                if not hasattr(getattr(pipmoves, name), member):
                    continue
                live = inspect.getattr_static(getattr(pipmoves, name), member)
                doc = live.fget.__doc__ if isinstance(live, property) else live.__doc__
                yield f"{name}.{member}", definition, doc


SIGNATURES = list(every_signature())


@pytest.mark.parametrize("name, node, doc", SIGNATURES, ids=[name for name, _, _ in SIGNATURES])
def test_stub_signature_is_the_one_the_module_renders(name, node, doc):
    ours, live = rendered(node, doc)
    assert ours == live, f"{name}: stub {ast.unparse(node.args)} vs live {doc.splitlines()[0]}"


def test_unnamed_parameters_are_positional_only_in_stub_and_module(stub):
    for name, node in members(stub.body).items():
        if isinstance(node, ast.FunctionDef):
            unnamed = [param.arg for param in node.args.args + node.args.posonlyargs if re.fullmatch(r"arg\d+", param.arg)]
            assert [param.arg for param in node.args.posonlyargs] == unnamed, name
            for param in unnamed:
                with pytest.raises(TypeError, match="incompatible function arguments"):
                    getattr(pipmoves, name)(**{param: 0})


def test_stubtest_finds_nothing_but_what_pybind11_classes_always_show(tmp_path):
    folder = str(STUB.parent)
    env = {**os.environ, "MYPYPATH": folder, "PYTHONPATH": folder}
    checked = subprocess.run([sys.executable, "-m", "mypy.stubtest", "pipmoves", "--concise"],
                             env=env, cwd=tmp_path, capture_output=True, text=True)
    problems = set(checked.stdout.splitlines())
    assert checked.returncode in (0, 1) and checked.stderr == "", checked.stderr
    assert problems <= STUBTEST_KNOWN, problems - STUBTEST_KNOWN
