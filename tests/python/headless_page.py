"""A headless Chromium page driven over the DevTools protocol on a pipe.

Tests wait for what the page signals (its load event, then a value it sets)
rather than for a span of time, so a slow or loaded machine only makes them
take longer. The only clock here is the guard that turns a browser that hangs
into a failure instead of a stuck run.
"""

import json
import os
import select
import shutil
import subprocess
import sys

import pytest

# Not a budget for the page: only how long a browser may stay silent before
# it is taken to have hung.
SILENCE_LIMIT_S = 300
VIEWPORT = {"width": 1280, "height": 800}
LAUNCH = """import os, sys
commands, replies = os.dup(int(sys.argv[1])), os.dup(int(sys.argv[2]))
for want, fd in ((3, commands), (4, replies)):
    if fd != want:
        os.dup2(fd, want)
    os.set_inheritable(want, True)
os.execv(sys.argv[3], sys.argv[3:])
"""


class Page:
    def __init__(self, profile):
        chromium = shutil.which("chromium")
        if chromium is None:
            pytest.skip("no chromium on this machine")
        to_browser_r, self._to_browser = os.pipe()
        self._from_browser, from_browser_w = os.pipe()
        # The protocol pipe is the child's descriptors 3 and 4, whatever numbers it has here.
        self._proc = subprocess.Popen(
            [sys.executable, "-c", LAUNCH, str(to_browser_r), str(from_browser_w), chromium,
             "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
             "--disable-backgrounding-occluded-windows", "--remote-debugging-pipe",
             f"--user-data-dir={profile}", "about:blank"],
            pass_fds=(to_browser_r, from_browser_w), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self._buffer = b""
        self._next_id = 0
        self._events = []
        target = self._call("Target.createTarget", {"url": "about:blank"})["targetId"]
        self._session = self._call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.call("Page.enable")
        self.call("Emulation.setDeviceMetricsOverride", dict(VIEWPORT, deviceScaleFactor=1, mobile=False))

    def _read_message(self):
        while b"\0" not in self._buffer:
            ready, _, _ = select.select([self._from_browser], [], [], SILENCE_LIMIT_S)
            if not ready:
                raise AssertionError(f"chromium said nothing for {SILENCE_LIMIT_S} s")
            chunk = os.read(self._from_browser, 1 << 16)
            if not chunk:
                raise AssertionError("chromium closed its protocol pipe")
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def _call(self, method, params=None, session=None):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self._read_message()
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise AssertionError(f"{method}: {reply['error']}")
                return reply["result"]
            if "method" in reply:
                self._events.append(reply)

    def call(self, method, params=None):
        return self._call(method, params, self._session)

    def wait_for_event(self, method):
        while True:
            for i, event in enumerate(self._events):
                if event["method"] == method and event.get("sessionId") == self._session:
                    return self._events.pop(i)
            message = self._read_message()
            if "method" in message:
                self._events.append(message)

    def open(self, url):
        """Loads url and returns once the page says it is ready."""
        # By way of a blank page: a new fragment alone would not load the page again.
        for address in ("about:blank", url):
            self._events.clear()
            self.call("Page.navigate", {"url": address})
            self.wait_for_event("Page.loadEventFired")
        self.evaluate("new Promise(done => { const look = () => document.documentElement.dataset.ready"
                      " ? done(true) : requestAnimationFrame(look); look(); })")

    def evaluate(self, expression):
        reply = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                               "awaitPromise": True})
        if "exceptionDetails" in reply:
            raise AssertionError(f"{expression}: {reply['exceptionDetails']}")
        return reply["result"].get("value")

    def close(self):
        try:
            self._call("Browser.close")
        except AssertionError:
            pass
        try:
            self._proc.wait(timeout=SILENCE_LIMIT_S)
        finally:
            if self._proc.poll() is None:
                self._proc.kill()
                self._proc.wait()
            os.close(self._to_browser)
            os.close(self._from_browser)
