"""Builds the wheel and grafts into it every library it needs that a bare
system lacks, as auditwheel repair does, so it installs on any Linux of the
manylinux policy it is tagged with. Prints the wheel's path, then its size.

usage: python3.14 tools/make_wheel.py BUILD_DIR OUT_DIR   (tools/dev wheel runs it)

The wheel is built in BUILD_DIR (kept, so a second run only relinks), with
libstdc++ and libgcc linked into each ELF file (pyproject.toml asks for it):
those are the libraries whose symbol versions would otherwise tie the wheel to
this compiler's runtime. Everything else that is not a manylinux system
library (liblo, libsmf and glib, ...) auditwheel copies in, renamed.
"""

import pathlib
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[1]


def run(*command):
    subprocess.run([str(part) for part in command], check=True, stdout=subprocess.DEVNULL)


def main():
    build, out = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as plain:
        run(sys.executable, "-m", "pip", "wheel", ROOT, "--no-build-isolation", "--no-deps", "--no-index",
            "-w", plain, "-C", f"build-dir={build}")
        (wheel,) = pathlib.Path(plain).glob("pipmoves-*.whl")
        for old in out.glob("pipmoves-*.whl"):
            old.unlink()
        run(sys.executable, "-m", "auditwheel", "repair", "--wheel-dir", out, wheel)
    (repaired,) = out.glob("pipmoves-*.whl")
    print(repaired)
    print(f"{repaired.stat().st_size / 2**20:.1f} MiB")


if __name__ == "__main__":
    main()
