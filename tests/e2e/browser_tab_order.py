#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Where the Tab key takes the focus on a page, in headless Chromium.

    browser_tab_order.py BROWSER PAGE PRESSES [READY]

Loads PAGE, waits for its load event and then until the script expression
READY (default: true) is true, presses Tab PRESSES times as a person would
and after each press prints one line: the id of the nearest element around
the focused one that has an id, a space, and the focused element's href
attribute (either may be empty; both are empty when nothing has the focus).

The browser is driven over the DevTools protocol on a pipe (file
descriptors 3 and 4, one JSON message per NUL-terminated record).
"""

import json
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import time

DEADLINE = 60.0

PROBE = r"""(function () {
  var e = document.activeElement;
  if (!e || e === document.body || e === document.documentElement) return ' ';
  var box = e.parentElement ? e.parentElement.closest('[id]') : null;
  return (box ? box.id : '') + ' ' + (e.getAttribute('href') || '');
})()"""


class Browser:
    def __init__(self, binary, profile):
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        self.proc = subprocess.Popen(
            [binary, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-extensions", "--user-data-dir=" + profile,
             "--window-size=1200,900", "--remote-debugging-pipe", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(profile, "log"), "wb"),
            env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS="disabled:"),
            # Its own process group, so that helpers it leaves behind (the
            # crash handler, a renderer) can be ended with it.
            start_new_session=True,
            # The browser reads commands on its fd 3 and answers on its fd 4;
            # both are open here, as the two pipes took the lowest free ones.
            pass_fds=(3, 4),
            preexec_fn=lambda: _place_fds(to_browser_r, from_browser_w))
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        while True:
            reply = self.receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(method + ": " + reply["error"].get("message", ""))
                return reply.get("result", {})
            self.events.append(reply)

    def receive(self):
        while b"\0" not in self.buffer:
            chunk = os.read(self.from_browser, 65536)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self.buffer += chunk
        record, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(record)

    def wait_event(self, method, session):
        while True:
            while self.events:
                event = self.events.pop(0)
                if event.get("method") == method and event.get("sessionId") == session:
                    return event
            self.events.append(self.receive())

    def close(self):
        # Ended from outside: a hung browser would never answer a command.
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        # Anything of its group still running would go on writing into the
        # profile while it is being removed.
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def _place_fds(read_end, write_end):
    # In the child: the pipe ends moved onto the descriptors Chromium expects.
    moved_read = os.dup(read_end)
    moved_write = os.dup(write_end)
    os.dup2(moved_read, 3)
    os.dup2(moved_write, 4)
    os.close(moved_read)
    os.close(moved_write)


def _hung(*_):
    raise RuntimeError("the browser stopped answering")


def evaluate(browser, session, expression):
    result = browser.send("Runtime.evaluate",
                          {"expression": expression, "returnByValue": True}, session)
    if "exceptionDetails" in result:
        raise RuntimeError("the page threw: " + json.dumps(result["exceptionDetails"]))
    return result["result"].get("value")


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit("usage: browser_tab_order.py BROWSER PAGE PRESSES [READY]")
    binary, page, presses = sys.argv[1], sys.argv[2], int(sys.argv[3])
    ready = sys.argv[4] if len(sys.argv) == 5 else "true"
    signal.signal(signal.SIGALRM, _hung)
    signal.alarm(int(DEADLINE) * 2)
    with tempfile.TemporaryDirectory(ignore_cleanup_errors=True) as profile:
        browser = Browser(binary, profile)
        try:
            target = browser.send("Target.createTarget", {"url": "about:blank"})
            session = browser.send("Target.attachToTarget",
                                   {"targetId": target["targetId"], "flatten": True})["sessionId"]
            browser.send("Page.enable", {}, session)
            browser.send("Page.navigate",
                         {"url": pathlib.Path(page).resolve().as_uri()}, session)
            browser.wait_event("Page.loadEventFired", session)
            start = time.monotonic()
            while not evaluate(browser, session, "!!(" + ready + ")"):
                if time.monotonic() - start > DEADLINE:
                    raise RuntimeError("the page never became ready: " + ready)
                time.sleep(0.1)
            # Keys go to the focused page only.
            browser.send("Page.bringToFront", {}, session)
            browser.send("Emulation.setFocusEmulationEnabled", {"enabled": True}, session)
            for _ in range(presses):
                for kind in ("keyDown", "keyUp"):
                    browser.send("Input.dispatchKeyEvent",
                                 {"type": kind, "key": "Tab", "code": "Tab",
                                  "windowsVirtualKeyCode": 9,
                                  "nativeVirtualKeyCode": 9}, session)
                print(evaluate(browser, session, PROBE))
        finally:
            browser.close()


if __name__ == "__main__":
    main()
