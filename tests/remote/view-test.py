#!/usr/bin/python3
"""The live view in a real browser: Debian's chromium, headless, driven
through its DevTools protocol, loads /view/1 from the real Velto.exe under
Wine and is checked against what Velto says through its API at the same
moment: the digits, their colour at the thresholds, a pause, "No connection
to Velto" once Velto has ended, and the recovery after a restart. Loopback
only; every wait is bounded. Needs DISPLAY and WINEPREFIX as tools/test.sh
sets them.
Usage: view-test.py VELTO_EXE VELTO_DRIVE_EXE [SCREENSHOT_DIR]"""
import base64
import http.client
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

import websocket

from harness import KEY, PROGRAM_KEY, check, failures, free_port, import_registry, wait_for, wine

EXE, DRIVE = sys.argv[1], sys.argv[2]
SHOTS = sys.argv[3] if len(sys.argv) > 3 else None
GREEN, YELLOW, RED, GREY = "rgb(0, 255, 0)", "rgb(255, 255, 0)", "rgb(255, 0, 0)", "rgb(68, 68, 68)"
HTTP_PORT = free_port()


def api(method, path):
    try:
        connection = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=5)
        headers = {"Authorization": "Bearer " + KEY, "Content-Type": "application/json"}
        connection.request(method, path, body="" if method == "POST" else None, headers=headers)
        response = connection.getresponse()
        body = json.loads(response.read().decode("utf-8"))
        connection.close()
        return body if response.status == 200 else None
    except (OSError, ValueError):
        return None


class Browser:
    """One headless chromium tab, spoken to through the DevTools protocol."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="velto-view-")
        self.port = free_port()
        self.process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--disable-dev-shm-usage", "--remote-allow-origins=*", f"--remote-debugging-port={self.port}",
             f"--user-data-dir={self.profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        self.next_id = 0
        url = wait_for(self._page_socket, 30, 0.2)
        if not url:
            raise RuntimeError("chromium gave no page to drive")
        self.socket = websocket.create_connection(url, timeout=20, suppress_origin=True)

    def _page_socket(self):
        try:
            with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list", timeout=2) as answer:
                pages = [p for p in json.load(answer) if p.get("type") == "page"]
                return pages[0]["webSocketDebuggerUrl"] if pages else None
        except OSError:
            return None

    def call(self, method, **params):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        for _ in range(10000):
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                return message.get("result", {})
        raise RuntimeError("no answer to " + method)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")

    def size(self, width, height, mobile):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                  mobile=mobile)

    def screenshot(self, path):
        with open(path, "wb") as out:
            out.write(base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"]))

    def close(self):
        try:
            self.socket.close()
        except OSError:
            pass
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


# What the page shows now, read in one go.
SHOWN = """(function(){var d=document.getElementById('digits'),s=getComputedStyle(d),
l=document.getElementById('lost');return {text:d.textContent,colour:s.color,
visible:s.visibility==='visible'&&d.textContent!=='',lost:getComputedStyle(l).display!=='none'?l.textContent:'',
stale:document.body.classList.contains('stale'),fontSize:parseFloat(s.fontSize),
ticker:document.getElementById('ticker').textContent};})()"""

registry = f"""REGEDIT4

[{PROGRAM_KEY}\\Settings]
"Counters"="1"

[{PROGRAM_KEY}\\Counter1]
"Name"="Main Hall"
"TotalTime"=dword:0000000e
"OrangeTime"=dword:00000009
"RedTime"=dword:00000005

[{PROGRAM_KEY}\\Remote]
"Http"=dword:00000001
"HttpPort"=dword:{HTTP_PORT:08x}
"ControlKey"="{KEY}"
"""
import_registry(registry)


def start_velto():
    process = subprocess.Popen(["wine", EXE], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               stdin=subprocess.DEVNULL)
    return process, wait_for(lambda: api("GET", "/api/v1/version"), 60, 0.2)


velto, up = start_velto()
browser = None
try:
    check(up is not None, "the HTTP API answers")
    browser = Browser()
    browser.size(1280, 720, False)
    browser.call("Page.navigate", url=f"http://127.0.0.1:{HTTP_PORT}/view/1")
    check(wait_for(lambda: browser.evaluate("document.getElementById('digits')!==null"), 10),
          "the view loads")
    shown = lambda: browser.evaluate(SHOWN) or {}

    # Never started: no digits, and Velto is heard.
    time.sleep(0.5)
    first = shown()
    check(not first.get("visible") and not first.get("stale"), f"a counter never started shows nothing: {first}")

    check(api("POST", "/api/v1/counters/1/start") is not None, "start")

    # The digits equal Velto's at the same moment: whenever the page and the
    # API are read on either side of the page's reading, the page agrees.
    seen = {}
    agreed = 0
    deadline = time.monotonic() + 25
    paused_checked = False
    while time.monotonic() < deadline:
        before = api("GET", "/api/v1/counters/1") or {}
        page = shown()
        after = api("GET", "/api/v1/counters/1") or {}
        if before.get("text") == after.get("text") and before.get("state") == after.get("state") == "running":
            if page.get("text") == before.get("text"):
                agreed += 1
            else:
                # A second may just have been counted: give the event a moment.
                time.sleep(0.15)
                again = shown()
                check(again.get("text") == (api("GET", "/api/v1/counters/1") or {}).get("text"),
                      f"the page shows Velto's digits: page {page} then {again}, Velto {before}")
        if page.get("visible") and page.get("text"):
            seen.setdefault(page["text"], set()).add(page["colour"])
        if not paused_checked and page.get("text") == "00:07":
            paused_checked = True
            frozen = (api("POST", "/api/v1/counters/1/pause") or {}).get("text")
            paused = wait_for(lambda: (lambda p: p if not p.get("visible") else None)(shown()), 2)
            check(paused is not None and paused.get("text") == frozen and not paused.get("stale"),
                  f"a pause hides the digits as the display does: {paused}")
            time.sleep(1.5)
            check(shown().get("text") == frozen, "the page never counts on its own")
            api("POST", "/api/v1/counters/1/continue")
            check(wait_for(lambda: shown().get("visible"), 2), "the digits are back after Continue")
        if after.get("state") == "finished" and page.get("text") == "00:00":
            break
        time.sleep(0.1)
    print(f"agreed with Velto {agreed} times; colours seen: {sorted((t, sorted(c)) for t, c in seen.items())}")
    check(agreed >= 10, f"the page and Velto agreed only {agreed} times")
    check(paused_checked, "the pause was checked")
    # Orange below 9 s left, red below 5 s; exactly at a threshold the earlier colour holds.
    for text, colours in seen.items():
        left = int(text[-2:]) + 60 * int(text[-5:-3])
        expected = RED if left < 5 else YELLOW if left < 9 else GREEN
        check(colours == {expected}, f"{text} in {colours}, not {expected}")
    check({"00:09", "00:08", "00:05", "00:04"} <= set(seen), f"the thresholds were seen: {sorted(seen)}")
    check(shown().get("text") == "00:00", "the page ends on 00:00")

    if SHOTS:
        connection = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=5)
        for path, body in [("/api/v1/counters/1/total", {"total": "00:25:00"}),
                           ("/api/v1/counters/1/ticker", {"text": "Q&A follows the talk - doors close at 21:30"}),
                           ("/api/v1/counters/1/start", None)]:
            connection.request("POST", path, body=json.dumps(body) if body else "",
                               headers={"Authorization": "Bearer " + KEY, "Content-Type": "application/json"})
            connection.getresponse().read()
        connection.close()
        for name, width, height, mobile in [("view-desktop", 1280, 720, False), ("view-phone", 390, 844, True)]:
            browser.size(width, height, mobile)
            time.sleep(3.5)
            browser.screenshot(os.path.join(SHOTS, name + ".png"))
        browser.size(1280, 720, False)

    # Velto ends: within 4 s the page says so and greys its digits.
    wine(DRIVE, "close", timeout=60)
    try:
        velto.wait(timeout=30)
    except subprocess.TimeoutExpired:
        check(False, "Velto ends when closed")
    ended = time.monotonic()
    lost = wait_for(lambda: (lambda p: p if p.get("stale") and p.get("lost") == "No connection to Velto" else None)(
        shown()), 6)
    took = time.monotonic() - ended
    print(f"'No connection to Velto' {took:.2f} s after Velto ended")
    check(lost is not None and took <= 4.0, f"'No connection to Velto' within 4 s (took {took:.2f} s)")
    check(lost is not None and lost.get("colour") == GREY, f"the digits are greyed: {lost}")

    # Velto is back: the page resumes by itself.
    velto, up = start_velto()
    back_at = time.monotonic()
    check(up is not None, "Velto answers again after a restart")
    api("POST", "/api/v1/counters/1/start")
    resumed = wait_for(lambda: (lambda p: p if not p.get("stale") and not p.get("lost") and p.get("visible") else None)(
        shown()), 5)
    print(f"resumed {time.monotonic() - back_at:.2f} s after Velto answered again")
    check(resumed is not None, f"the page recovers after a restart: {shown()}")
    wine(DRIVE, "close", timeout=60)
    velto.wait(timeout=30)
finally:
    if browser:
        browser.close()
    if velto.poll() is None:
        velto.kill()
    wine("reg", "delete", PROGRAM_KEY, "/f")

print("view test:", "PASSED" if not failures else f"FAILED ({len(failures)})")
sys.exit(1 if failures else 0)
