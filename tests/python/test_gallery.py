import pathlib
import re
import shutil
import subprocess
import sys

import pytest

import pipmoves

TOOLS = pathlib.Path(__file__).resolve().parents[2] / "tools"


@pytest.fixture(scope="module")
def page(tmp_path_factory):
    out = tmp_path_factory.mktemp("gallery") / "gallery.html"
    subprocess.run([sys.executable, str(TOOLS / "gallery.py"), str(out)], check=True, capture_output=True)
    return out


def test_page_carries_every_default_pattern(page):
    text = page.read_text(encoding="utf-8")
    for row in pipmoves.catalogue():
        assert f'"name":"{row["name"]}"' in text


def test_chromium_renders_a_card_for_every_pattern(page, tmp_path):
    chromium = shutil.which("chromium")
    if chromium is None:
        pytest.skip("no chromium on this machine")
    dom = subprocess.run(
        [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         f"--user-data-dir={tmp_path / 'profile'}", "--virtual-time-budget=20000", "--dump-dom", page.as_uri()],
        check=True, capture_output=True, text=True, timeout=180).stdout
    names = re.findall(r'<svg [^>]*class="path" data-name="([a-z0-9_]+)"', dom)
    assert names == [row["name"] for row in pipmoves.catalogue()]
    assert f'data-rendered="{len(names)}"' in dom
    depth_views = dom.count('class="path depth"')
    assert depth_views == sum(row["dimensions"] == 3 for row in pipmoves.catalogue())
