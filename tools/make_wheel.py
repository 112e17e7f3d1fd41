"""Builds the wheel and grafts into it every library it needs that a bare
system lacks, as auditwheel repair does, so it installs on a Linux without
them. Prints the wheel's path, then its size.

usage: python3.14 tools/make_wheel.py BUILD_DIR OUT_DIR   (tools/dev wheel runs it)

The wheel is built in BUILD_DIR (kept, so a second run only relinks), with
libstdc++ and libgcc linked into each ELF file (pyproject.toml asks for it):
the wheel's own files then ask only the C library for symbol versions, and
never bring a second C++ runtime into a host's process. Everything else that
is not a manylinux system library (liblo, libe131, libsndfile, ...) is copied in,
renamed, with auditwheel's own repair. When a grafted library itself needs a
newer C library than any manylinux policy names (this Debian's liblo
does), auditwheel refuses to tag the wheel: it is then grafted the same way for
the newest policy and keeps its linux tag.
"""

import dataclasses
import pathlib
import subprocess
import sys
import tempfile
import zlib

from auditwheel import wheel_abi
from auditwheel.patcher import Patchelf
from auditwheel.repair import repair_wheel

ROOT = pathlib.Path(__file__).resolve().parents[1]

# The policies count glib (and the libatomic it links) among the system's
# libraries, but a server or a container without a desktop lacks them: they
# are carried like the rest.
CARRIED_ALL_THE_SAME = frozenset({"libglib-2.0.so.0", "libgobject-2.0.so.0", "libgthread-2.0.so.0", "libatomic.so.1"})


class Policies(wheel_abi.WheelPolicies):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self._policies = [dataclasses.replace(policy, whitelist=policy.whitelist - CARRIED_ALL_THE_SAME)
                          for policy in self._policies]


wheel_abi.WheelPolicies = Policies


def graft(wheel, out):
    abi = wheel_abi.analyze_wheel_abi(None, None, wheel, frozenset(), disable_isa_ext_check=False, allow_graft=True)
    policies = abi.policies
    tagged = abi.overall_policy != policies.linux
    policy = abi.overall_policy if tagged else policies.lowest
    if not tagged:
        print(f"make_wheel: the libraries to graft need symbols past {policy.name}; the wheel keeps its linux tag",
              file=sys.stderr)
    return repair_wheel(abi, wheel, abis=[policy.name, *policy.aliases], lib_sdir=".libs", out_dir=out,
                        update_tags=tagged, patcher=Patchelf(policy.name), strip=False,
                        zip_compression_level=zlib.Z_DEFAULT_COMPRESSION)


def main():
    build, out = (pathlib.Path(arg).resolve() for arg in sys.argv[1:3])
    out.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory() as plain:
        subprocess.run([sys.executable, "-m", "pip", "wheel", str(ROOT), "--no-build-isolation", "--no-deps",
                        "--no-index", "-w", plain, "-C", f"build-dir={build}"], check=True, stdout=subprocess.DEVNULL)
        (wheel,) = pathlib.Path(plain).glob("pipmoves-*.whl")
        for old in out.glob("pipmoves-*.whl"):
            old.unlink()
        repaired = graft(wheel, out)
    print(repaired)
    print(f"{repaired.stat().st_size / 2**20:.1f} MiB")


if __name__ == "__main__":
    main()
