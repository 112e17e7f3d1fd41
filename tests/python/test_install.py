import os
import pathlib
import re
import shutil
import subprocess
import sys
import venv

import pytest

import pipmoves
import pipmoves_play

ROOT = pathlib.Path(__file__).resolve().parents[2]
HOST = ROOT / "tests" / "package"


def build_dir():
    return pathlib.Path(os.environ["PIPMOVES_BUILD_DIR"])


def run(*command, **options):
    return subprocess.run([str(part) for part in command], check=True, capture_output=True, text=True, **options)


def project_version():
    cache = (build_dir() / "CMakeCache.txt").read_text()
    return re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", cache, re.MULTILINE).group(1)


def test_cmake_install_puts_module_where_python_finds_it(tmp_path):
    env_dir = tmp_path / "env"
    try:
        venv.create(env_dir, with_pip=False, symlinks=True)
    except Exception as error:  # a Python without the venv module
        pytest.skip(f"cannot create a virtual environment here: {error}")
    run("cmake", "--install", build_dir(), "--prefix", env_dir, "--component", "python")
    python = env_dir / "bin" / "python"
    clean = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    found = run(python, "-c", "import pipmoves; print(pipmoves.__file__); print(pipmoves.bounce(32).x)",
                env=clean, cwd=tmp_path)
    where, value = found.stdout.splitlines()
    assert pathlib.Path(where).is_relative_to(env_dir)
    assert value == "1.0"
    # The stub beside the module serves editors; type checkers read the stub package.
    stub = pathlib.Path(pipmoves.__file__).with_name("pipmoves.pyi").read_text()
    site = pathlib.Path(where).parent
    assert (site / "pipmoves.pyi").read_text() == stub
    assert (site / "pipmoves-stubs" / "__init__.pyi").read_text() == stub


# ---- the native package ------------------------------------------------------

@pytest.fixture(scope="module")
def native_prefix(tmp_path_factory):
    """The C++ package alone, installed into a fresh prefix."""
    prefix = tmp_path_factory.mktemp("prefix")
    run("cmake", "--install", build_dir(), "--prefix", prefix, "--component", "dev")
    return prefix


def check_host_output(text):
    """The host's samples and spread are the modules', bit for bit, and the anchors hold."""
    nod = pipmoves.SampledPattern("nod", "A small nod", [(0.0, step / 10, 0.0) for step in range(8)])
    library = pipmoves.PatternLibrary([nod])
    *samples, count = text.splitlines()
    spread = [tuple(float(value) for value in line.split()[2:]) for line in samples if line.startswith("spread ")]
    assert spread == [tuple(row) for row in memoryview(pipmoves_play.spread("lfo_breathe", 0, 4)).tolist()]
    assert len(spread) == 4 and len(set(spread)) > 1, "the fixtures fan out over the period"
    samples = [line for line in samples if not line.startswith("spread ")]
    have = {}
    for line in samples:
        name, pip, *xyz = line.split()
        have[name, int(pip)] = tuple(float(value) for value in xyz)
        assert have[name, int(pip)] == library.sample(name, int(pip)).as_tuple(), line
    assert list(have) == [("bounce", 32), ("lfo_breathe", 0), ("lfo_breathe", 64), ("lfo_breathe", 128),
                          ("lfo_breathe", 192), ("nod", 3), ("helix", -1)]
    assert have["bounce", 32] == (1.0, 0.0, 0.0)
    assert have["lfo_breathe", 64] == (0.8, 0.0, 0.0)
    assert have["nod", 3] == (0.0, 0.3, 0.0)
    assert count == "catalogue 1732"


def runpath(elf):
    dynamic = run("readelf", "-d", elf).stdout
    found = re.search(r"\(RUNPATH\)\s+Library runpath: \[(.*)\]", dynamic)
    return found and found.group(1)


def test_native_package_holds_public_headers_shared_libraries_and_descriptions(native_prefix):
    installed = {path.relative_to(native_prefix).as_posix() for path in native_prefix.rglob("*")
                 if path.is_file() or path.is_symlink()}
    headers = {f"include/{path.relative_to(ROOT / 'include').as_posix()}" for path in (ROOT / "include").rglob("*.hpp")}
    headers.add("include/pipmoves/pack_samplers.hpp")
    assert {path for path in installed if path.startswith("include/")} == headers
    libs = {re.sub(r"^lib/([^/]*-linux-gnu/)?", "lib/", path) for path in installed - headers}
    version = project_version()
    major = version.split(".")[0]
    shared = {f"lib/lib{name}.so{suffix}" for name in ("pipmoves", "pipmoves_play") for suffix in ("", f".{major}", f".{version}")}
    assert libs == shared | {
        "lib/pkgconfig/pipmoves.pc", "lib/pkgconfig/pipmoves_play.pc", "lib/cmake/pipmoves/pipmovesConfig.cmake",
        "lib/cmake/pipmoves/pipmovesConfigVersion.cmake", "lib/cmake/pipmoves/pipmovesTargets.cmake",
        "lib/cmake/pipmoves/pipmovesTargets-release.cmake",
    }
    # Nothing installed may point back into the tree it was built from.
    for path in installed - headers:
        if path.endswith((".cmake", ".pc")):
            text = (native_prefix / path).read_text()
            assert str(ROOT) not in text and str(build_dir().resolve()) not in text, path
    # The libraries carry versioned sonames and find each other from where they lie.
    (play,) = native_prefix.rglob(f"libpipmoves_play.so.{version}")
    dynamic = run("readelf", "-d", play).stdout
    assert f"Library soname: [libpipmoves_play.so.{major}]" in dynamic
    assert f"Shared library: [libpipmoves.so.{major}]" in dynamic
    assert runpath(play) == "$ORIGIN"


def configure_host(prefix, build, wanted_version):
    return subprocess.run(["cmake", "-S", str(HOST), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                           f"-DCMAKE_PREFIX_PATH={prefix}", f"-DPIPMOVES_WANTED_VERSION={wanted_version}"],
                          capture_output=True, text=True)


def test_cmake_host_finds_the_package_and_samples_exactly(native_prefix, tmp_path):
    configured = configure_host(native_prefix, tmp_path / "host", project_version())
    assert configured.returncode == 0, configured.stdout + configured.stderr
    run("cmake", "--build", tmp_path / "host")
    check_host_output(run(tmp_path / "host" / "host").stdout)


def test_cmake_package_refuses_a_host_that_wants_the_next_major_version(native_prefix, tmp_path):
    next_major = f"{int(project_version().split('.')[0]) + 1}.0"
    configured = configure_host(native_prefix, tmp_path / "host", next_major)
    assert configured.returncode != 0
    assert f'version: {project_version()}' in configured.stderr.replace("\n", " "), configured.stderr


def test_pkg_config_host_builds_from_its_flags_and_samples_exactly(native_prefix, tmp_path):
    assert shutil.which("pkg-config"), "pkg-config is part of the toolchain"
    (pc,) = native_prefix.rglob("pipmoves.pc")
    env = {**os.environ, "PKG_CONFIG_PATH": str(pc.parent)}
    assert run("pkg-config", "--modversion", "pipmoves", env=env).stdout.strip() == project_version()
    flags = run("pkg-config", "--cflags", "--libs", "pipmoves_play", env=env).stdout.split()
    run("c++", "-std=c++20", "-O2", HOST / "host.cpp", "-o", tmp_path / "host", *flags, f"-Wl,-rpath,{pc.parent.parent}")
    check_host_output(run(tmp_path / "host").stdout)


# ---- the wheel ---------------------------------------------------------------

TYPED_USE = """\
import pipmoves
reveal_type(pipmoves.sample("lfo_breathe", 64))
reveal_type(pipmoves.PatternLibrary().sample("bounce", 32).as_tuple())
pipmoves.bounce(arg0=32)
"""


def test_wheel_installs_into_a_fresh_environment_with_its_stub(tmp_path, repaired_wheel):
    wheel = repaired_wheel
    # A manylinux tag where every grafted library's symbols allow one.
    assert re.match(rf"pipmoves-{re.escape(project_version())}-cp314-cp314-(manylinux_2_\d+|linux)_x86_64\.whl$",
                    wheel.name), wheel.name
    names = set(run(sys.executable, "-m", "zipfile", "-l", wheel).stdout.split())
    assert {"pipmoves.pyi", "pipmoves-stubs/__init__.pyi"} <= names
    assert not [name for name in names if name.endswith((".hpp", ".a", ".cmake", ".pc"))]

    env_dir = tmp_path / "env"
    venv.create(env_dir, with_pip=False, symlinks=True)
    python = env_dir / "bin" / "python"
    run(sys.executable, "-m", "pip", "--python", python, "install", "--no-index", "--no-deps", wheel, cwd=tmp_path)
    clean = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    found = run(python, "-c", "import pathlib, pipmoves\n"
                "print(pipmoves.__file__, pathlib.Path(pipmoves.__file__).with_name('pipmoves.pyi').is_file())\n"
                "print(pipmoves.bounce(32).as_tuple(), pipmoves.sample('lfo_breathe', 64).as_tuple())\n"
                "nod = pipmoves.SampledPattern('nod', '', [(0.0, y / 10, 0.0) for y in range(8)])\n"
                "print(pipmoves.PatternLibrary([nod]).sample('nod', 3).as_tuple(), len(pipmoves.catalogue()))",
                env=clean, cwd=tmp_path)
    where, samples, library = found.stdout.splitlines()
    module, stub_beside = where.split()
    assert pathlib.Path(module).is_relative_to(env_dir) and stub_beside == "True"
    assert samples == "(1.0, 0.0, 0.0) (0.8, 0.0, 0.0)"
    assert library == "(0.0, 0.3, 0.0) 1731"
    # The streamer comes with the wheel, into the environment's scripts.
    usage = run(env_dir / "bin" / "pipmoves-play", "stream", "--help", env=clean, cwd=tmp_path).stdout
    assert usage.startswith("usage: pipmoves-play stream [OPTIONS] PATTERN\n")

    # A type checker pointed at the environment sees the module's types.
    (tmp_path / "use.py").write_text(TYPED_USE)
    checked = subprocess.run([sys.executable, "-m", "mypy", "--no-incremental", "--python-executable", str(python),
                              "use.py"], env=clean, cwd=tmp_path, capture_output=True, text=True)
    report = checked.stdout
    assert checked.returncode == 1, report + checked.stderr
    assert 'use.py:2: note: Revealed type is "pipmoves.Offset3"' in report
    assert re.search(r'use.py:3: note: Revealed type is "tuple\[((builtins\.)?float(, |\]")){3}', report), report
    assert 'use.py:4: error: Unexpected keyword argument "arg0" for "bounce"' in report
    assert "Found 1 error in 1 file" in report
