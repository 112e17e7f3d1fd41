"""Writes the type stub of an extension module, generated from the module itself.

pybind11-stubgen reads the signatures the binding library renders into each
docstring. Two facts of the runtime it leaves out are put back here, so the
stub promises no more than the module keeps:

- a parameter registered without a name shows as argN and cannot be passed by
  keyword, so it becomes positional-only;
- pybind11-stubgen adds an __all__ to a module that has none; the stub keeps
  it only when the module defines one.

usage: python3.14 tools/make_stub.py MODULE DIR
       (imports MODULE from DIR, writes DIR/MODULE.pyi; the build runs it)
"""

import ast
import importlib
import os
import pathlib
import re
import subprocess
import sys
import tempfile

UNNAMED = re.compile(r"arg\d+")


def positional_only(function: ast.FunctionDef) -> None:
    params = function.args.posonlyargs + function.args.args
    unnamed = [index for index, param in enumerate(params) if UNNAMED.fullmatch(param.arg)]
    if unnamed:
        cut = unnamed[-1] + 1
        function.args.posonlyargs, function.args.args = params[:cut], params[cut:]


def without_all(statement: ast.stmt) -> bool:
    targets = statement.targets if isinstance(statement, ast.Assign) else [getattr(statement, "target", None)]
    return not any(isinstance(target, ast.Name) and target.id == "__all__" for target in targets)


def rewrite(text: str, keep_all: bool) -> str:
    tree = ast.parse(text)
    if not keep_all:
        tree.body = [statement for statement in tree.body if without_all(statement)]
    for node in ast.walk(tree):
        if isinstance(node, ast.FunctionDef):
            positional_only(node)
    return ast.unparse(tree) + "\n"


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    module, folder = sys.argv[1], pathlib.Path(sys.argv[2]).resolve()
    sys.path.insert(0, str(folder))
    keep_all = hasattr(importlib.import_module(module), "__all__")
    env = {**os.environ, "PYTHONPATH": str(folder)}
    with tempfile.TemporaryDirectory() as scratch:
        made = subprocess.run([sys.executable, "-m", "pybind11_stubgen", module, "--exit-code", "-o", scratch],
                              env=env, cwd=scratch, capture_output=True, text=True)
        if made.returncode != 0:
            print(f"make_stub: pybind11-stubgen failed for {module}:\n{made.stdout}{made.stderr}", file=sys.stderr)
            return 1
        stub = rewrite((pathlib.Path(scratch) / f"{module}.pyi").read_text(), keep_all)
    target = folder / f"{module}.pyi"
    if not target.exists() or target.read_text() != stub:
        target.write_text(stub)
    return 0


if __name__ == "__main__":
    sys.exit(main())
