"""Runs a hostile case in a child interpreter, so that one that crashes or
exhausts memory fails alone, and reports its outcome as one line of text."""
import subprocess
import sys
import textwrap

PRELUDE = """
import resource, pipmoves
def outcome(call):
    try:
        call()
    except BaseException as error:
        print(f"{type(error).__name__}: {str(error).partition(chr(10))[0]}", end="")
    else:
        print("no error", end="")
"""
# Well below what copying any of the memory cases would need.
ADDRESS_SPACE = 384 << 20


def in_child(code, limit=None):
    """What the code prints; `limit` caps the child's address space first."""
    setup = f"resource.setrlimit(resource.RLIMIT_AS, ({limit}, {limit}))\n" if limit else ""
    result = subprocess.run([sys.executable, "-c", PRELUDE + setup + textwrap.dedent(code)],
                            capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr[-2000:]
    return result.stdout
