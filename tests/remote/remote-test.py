#!/usr/bin/python3
"""Remote control of the real Velto.exe under Wine, through real clients:
HTTP with http.client and a raw socket, OSC 1.0 over a UDP socket. Loopback
only; every wait is bounded. Needs DISPLAY and WINEPREFIX as tools/test.sh
sets them. Usage: remote-test.py VELTO_EXE VELTO_DRIVE_EXE"""
import http.client
import json
import os
import re
import select
import socket
import struct
import subprocess
import sys
import time

from harness import KEY, PROGRAM_KEY, check, failures, free_port, import_registry, wait_for, wine

EXE, DRIVE = sys.argv[1], sys.argv[2]
HTTP_PORT = free_port(socket.SOCK_STREAM)
OSC_PORT = free_port(socket.SOCK_DGRAM)


def request(method, path, body=None, key=None, host=None, raw_body=None):
    connection = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=10)
    headers = {}
    if key:
        headers["Authorization"] = "Bearer " + key
    if host:
        headers["Host"] = host
    data = raw_body if raw_body is not None else (json.dumps(body) if body is not None else "")
    if method == "POST" and "Content-Type" not in headers:
        headers["Content-Type"] = "application/json"
    connection.request(method, path, body=data if method != "GET" else None, headers=headers)
    response = connection.getresponse()
    text = response.read().decode("utf-8")
    connection.close()
    try:
        return response.status, json.loads(text)
    except ValueError:
        return response.status, text


def osc_string(text):
    data = text.encode("utf-8") + b"\0"
    return data + b"\0" * ((4 - len(data) % 4) % 4)


def osc_message(address, *arguments):
    tags = "," + "".join("i" if isinstance(a, int) else "s" for a in arguments)
    out = osc_string(address) + osc_string(tags)
    for a in arguments:
        out += struct.pack(">i", a) if isinstance(a, int) else osc_string(a)
    return out


def osc_bundle(*messages):
    out = osc_string("#bundle") + struct.pack(">Q", 1)
    for m in messages:
        out += struct.pack(">i", len(m)) + m
    return out


def counter(ref):
    status, body = request("GET", "/api/v1/counters/" + str(ref))
    return body if status == 200 else {}


registry = f"""REGEDIT4

[{PROGRAM_KEY}\\Settings]
"Counters"="1,2"

[{PROGRAM_KEY}\\Counter1]
"Name"="Main Hall"
"TotalTime"=dword:0000012c

[{PROGRAM_KEY}\\Counter2]
"Name"="Lobby"

[{PROGRAM_KEY}\\Remote]
"Http"=dword:00000001
"HttpPort"=dword:{HTTP_PORT:08x}
"Osc"=dword:00000001
"OscPort"=dword:{OSC_PORT:08x}
"ControlKey"="{KEY}"
"""
import_registry(registry)

velto = subprocess.Popen(["wine", EXE], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    def listening():
        try:
            return request("GET", "/api/v1/version")[0] == 200
        except OSError:
            return False

    check(wait_for(listening, 30), "the HTTP API answers")

    # Reading from this computer needs no key.
    status, body = request("GET", "/api/v1/counters")
    check(status == 200 and [c["name"] for c in body["counters"]] == ["Main Hall", "Lobby"], f"list: {body}")
    check(counter("lobby").get("id") == 2, "a name in any case")
    check(counter("Main%20Hall").get("total") == "00:05:00", "a URL-encoded name and the stored total")
    check(counter(1).get("state") == "stopped" and counter(1).get("text") == "", "a counter never started")
    check(request("GET", "/api/v1/version")[1] == {"version": request("GET", "/api/v1/version")[1]["version"]},
          "version")

    # The pages: the counter list and the live view, each one self-contained
    # file. A link with the key keeps it as a cookie for reloads.
    status, home = request("GET", "/")
    check(status == 200 and 'href="/view/1"' in home and "Main Hall" in home, f"the counter list: {home[:200]}")
    connection = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=10)
    connection.request("GET", "/view/1?key=" + KEY)
    response = connection.getresponse()
    view, cookie = response.read(), response.getheader("Set-Cookie") or ""
    connection.close()
    check(response.status == 200 and len(view) <= 50 * 1024 and b"/api/v1/events" in view, f"the view: {len(view)}")
    check(not re.search(rb"(src|href|url)\s*[=(]\s*[\"']?\s*(https?:)?//|@import", view), "nothing from elsewhere")
    check(f"velto_key={KEY};" in cookie and "HttpOnly" in cookie and "SameSite=Strict" in cookie, f"cookie: {cookie}")
    check(request("GET", "/view/lobby")[0] == 200 and request("GET", "/view/9")[0] == 404, "views by name, and none")

    # The key, on every control request, from this computer too.
    check(request("POST", "/api/v1/counters/1/start")[0] == 401, "no key: 401")
    check(request("POST", "/api/v1/counters/1/start", key="0" * 32)[0] == 401, "wrong key: 401")
    check(request("GET", "/api/v1/counters", host="attacker.example")[0] == 403, "a foreign Host: 403")
    check(request("GET", "/api/v1/counters", host="localhost:1")[0] == 200, "localhost with a port")

    # Every action, answered with the counter after it.
    status, body = request("POST", "/api/v1/counters/1/start", key=KEY)
    check(status == 200 and body["state"] == "running" and body["text"] == "05:00", f"start: {body}")
    status, body = request("POST", "/api/v1/counters/1/pause", key=KEY)
    check(status == 200 and body["state"] == "paused", f"pause: {body}")
    frozen = body["text"]
    status, body = request("POST", "/api/v1/counters/1/pause", key=KEY)
    check(status == 200 and body["state"] == "paused" and body["text"] == frozen, "a second pause changes nothing")
    status, body = request("POST", "/api/v1/counters/1/continue", key=KEY)
    check(status == 200 and body["state"] == "running", f"continue: {body}")
    status, body = request("POST", "/api/v1/counters/1/flash", {"on": True}, key=KEY)
    check(status == 200 and body["flashing"] is True, f"flash on: {body}")
    status, body = request("POST", "/api/v1/counters/1/flash", {"on": False}, key=KEY)
    check(status == 200 and body["flashing"] is False, f"flash off: {body}")
    status, body = request("POST", "/api/v1/counters/lobby/ticker", {"text": "Doors close in 5 min"}, key=KEY)
    check(status == 200 and body["ticker"] == "Doors close in 5 min", f"ticker: {body}")
    status, body = request("POST", "/api/v1/counters/2/total", {"total": "01:02:03"}, key=KEY)
    check(status == 200 and body["total"] == "01:02:03" and body["state"] == "stopped", f"total: {body}")
    status, body = request("POST", "/api/v1/counters/2/total", {"total": 90}, key=KEY)
    check(status == 200 and body["total"] == "00:01:30", f"total in seconds: {body}")
    status, body = request("POST", "/api/v1/counters/2/start", key=KEY)
    check(status == 200 and body["text"] == "01:30", f"the total takes effect at Start: {body}")

    # Errors, each with its code and {"error": ...}; none changes anything.
    before = counter(2)
    for method, path, body, raw, code in [
        ("POST", "/api/v1/counters/2/total", {"total": "5:00"}, None, 400),
        ("POST", "/api/v1/counters/2/total", {"total": -5}, None, 400),
        ("POST", "/api/v1/counters/2/flash", None, "{not json", 400),
        ("POST", "/api/v1/counters/2/ticker", {"text": 5}, None, 400),
        ("POST", "/api/v1/counters/9/start", None, "", 404),
        ("POST", "/api/v1/counters/Nobody/start", None, "", 404),
        ("GET", "/api/v1/nothing", None, None, 404),
        ("GET", "/index.html", None, None, 404),
        ("GET", "/api/v1/counters/2/start", None, None, 405),
        ("DELETE", "/api/v1/counters/2", None, "", 405),
        ("POST", "/api/v1/counters/2/ticker", None, json.dumps({"text": "x" * 17000}), 413),
    ]:
        status, answer = request(method, path, body, key=KEY, raw_body=raw)
        check(status == code and isinstance(answer, dict) and "error" in answer, f"{method} {path}: {status} {answer}")
    after = counter(2)
    check(after.get("ticker") == before.get("ticker") and after.get("total") == before.get("total"),
          "errors change nothing")

    # HEAD answers as GET does, without the body.
    head = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=5)
    head.request("HEAD", "/api/v1/counters/2")
    answer = head.getresponse()
    check(answer.status == 200 and answer.read() == b"" and answer.getheader("Content-Type", "").startswith(
        "application/json"), f"HEAD: {answer.status} {answer.getheaders()}")
    head.close()

    # A POST without any body or length is an empty body, answered at once.
    with socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=5) as raw:
        began = time.monotonic()
        raw.sendall(f"POST /api/v1/counters/2/pause HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                    f"Authorization: Bearer {KEY}\r\nConnection: close\r\n\r\n".encode())
        reply = raw.recv(4096).decode()
        check(reply.startswith("HTTP/1.1 200") and time.monotonic() - began < 1.5, f"empty POST: {reply[:40]}")

    # A whole request within 10 s: a client that sends a byte a second (each
    # within the read timeout) gets its answer and the connection closed at 10 s.
    with socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=5) as slow:
        slow.sendall(b"GET /api/v1/counters HTTP/1.1\r\nHost: 127.0.0.1\r\n")
        began = time.monotonic()
        reply = b""
        for byte in b"X-Slow: " + b"a" * 30:
            if time.monotonic() - began > 15 or select.select([slow], [], [], 1.0)[0]:
                break
            try:
                slow.sendall(bytes([byte]))
            except OSError:
                break
        while time.monotonic() - began < 16 and select.select([slow], [], [], 1.0)[0]:
            data = slow.recv(4096)
            reply += data
            if not data:
                break
        ended = time.monotonic() - began
        check(9 <= ended <= 12.5 and reply.startswith(b"HTTP/1.1 400"), f"a slow request cut off: {ended:.1f} s {reply[:20]}")

    # Idle connections are probed by TCP keep-alive after 10 s (Wine hands the
    # values to the system: its socket table shows the keep-alive timer).
    keep = http.client.HTTPConnection("127.0.0.1", HTTP_PORT, timeout=5)
    keep.request("GET", "/api/v1/version")
    keep.getresponse().read()
    time.sleep(0.3)
    client_port = keep.sock.getsockname()[1]
    timers = []
    with open("/proc/net/tcp") as table:
        for row in table.read().splitlines()[1:]:
            fields = row.split()
            if fields[1].endswith(f":{HTTP_PORT:04X}") and fields[2].endswith(f":{client_port:04X}"):
                timers.append(fields[5])
    keep.close()
    ticks = os.sysconf("SC_CLK_TCK")
    check(len(timers) == 1 and timers[0].startswith("02:") and 0 < int(timers[0][3:], 16) <= 10 * ticks,
          f"keep-alive probes after 10 s: {timers}")

    # The event stream: one event per counter on connection, then changes and pings.
    stream = socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=5)
    stream.sendall(b"GET /api/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
    received = b""
    deadline = time.monotonic() + 2
    while received.count(b"event: counter") < 2 and time.monotonic() < deadline:
        received += stream.recv(65536)
    check(received.count(b"event: counter") >= 2, "one counter event per counter on connection")
    request("POST", "/api/v1/counters/2/continue", key=KEY)
    received = b""
    deadline = time.monotonic() + 3
    while (b'"state":"running"' not in received or b"event: ping" not in received) and time.monotonic() < deadline:
        try:
            received += stream.recv(65536)
        except socket.timeout:
            break
    check(b'"id":2' in received and b'"state":"running"' in received, "a change is an event")
    check(b"event: ping" in received, "a ping within 2 s")
    stream.close()

    # OSC: by position, by name as the first argument, and bundles in order.
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.sendto(osc_message("/velto/1/pause"), ("127.0.0.1", OSC_PORT))
    check(wait_for(lambda: counter(1).get("state") == "paused"), "OSC pause")
    udp.sendto(osc_message("/velto/continue", "main hall"), ("127.0.0.1", OSC_PORT))
    check(wait_for(lambda: counter(1).get("state") == "running"), "OSC with the name as argument")
    udp.sendto(osc_bundle(osc_message("/velto/1/flash", 1), osc_message("/velto/ticker", 1, "first"),
                          osc_message("/velto/1/ticker", "second"), osc_message("/velto/2/total", "00:00:42")),
               ("127.0.0.1", OSC_PORT))
    check(wait_for(lambda: counter(1).get("ticker") == "second" and counter(1).get("flashing") is True),
          "a bundle in order")
    check(wait_for(lambda: counter(2).get("total") == "00:00:42"), "OSC total")
    # Malformed packets are dropped and change nothing.
    for junk in [b"", b"\0\0\0", b"/velto/1/pause\0", osc_message("/velto/1/flash", "yes"),
                 osc_message("/velto/1/total", "99:99"), b"#bundle\0" + b"\xff" * 12, os.urandom(64),
                 osc_message("/velto/0/pause"), osc_message("/other/1/pause")]:
        udp.sendto(junk, ("127.0.0.1", OSC_PORT))
    time.sleep(0.5)
    check(counter(1).get("state") == "running" and counter(1).get("flashing") is True, "junk changes nothing")
    udp.close()

    # Bound to loopback: no other address of this computer reaches it.
    try:
        own = [a for a in socket.gethostbyname_ex(socket.gethostname())[2] if not a.startswith("127.")]
    except OSError:
        own = []
    for address in own[:1]:
        try:
            socket.create_connection((address, HTTP_PORT), timeout=2).close()
            check(False, f"reachable on {address} although bound to loopback")
        except OSError:
            pass

    # Past 64 connections the answer is 503.
    idle = []
    for _ in range(64):
        idle.append(socket.create_connection(("127.0.0.1", HTTP_PORT), timeout=5))
    time.sleep(1.0)
    status, body = request("GET", "/api/v1/counters")
    check(status == 503 and "error" in body, f"the 65th connection: {status}")
    status, body = request("GET", "/view/1")
    check(status == 503 and "limit is reached" in body, f"the 65th viewer gets a page saying so: {status}")
    for connection in idle:
        connection.close()
    check(wait_for(lambda: request("GET", "/api/v1/counters")[0] == 200, 5), "back once they leave")

    began = time.monotonic()
    wine(DRIVE, "close", timeout=60)
    try:
        velto.wait(timeout=30)
    except subprocess.TimeoutExpired:
        check(False, "Velto ends when closed")
    print(f"close to exit: {time.monotonic() - began:.2f} s")
finally:
    if velto.poll() is None:
        velto.kill()
    wine("reg", "delete", PROGRAM_KEY, "/f")

print("remote test:", "PASSED" if not failures else f"FAILED ({len(failures)})")
sys.exit(1 if failures else 0)
