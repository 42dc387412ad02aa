#!/usr/bin/python3
"""Remote control and the live view under load: the displays' lateness, the
counts and the memory while HTTP clients drive a counter and event-stream
viewers follow it. A benchmark that prints figures; it passes or fails
nothing.

It runs the real program in velto_soak.exe's bench mode (two count-up
counters with a ticker on full-screen displays, the HTTP API on a free port
of 127.0.0.1) on an Xvfb display and a wineserver of its own, in windows of
--window seconds each:

  1. nothing connected (the unloaded lateness, the memory before);
  2. --clients control clients, each sending --rate requests a second to
     counter 2 (flash on, ticker, flash off, ticker, ...) over one keep-alive
     connection, plus --streams event-stream clients;
  3. everyone gone (the memory after);
  4. --viewers event-stream viewers alone;
  5. everyone gone again.

Every answer is checked (200, and the counter after the action shows what was
asked); at the end of window 2 each viewer's last event for counter 2 must
match the counter as the API then reads it. The viewers also time each counted
second of counter 1 from its frame on the display to its event arriving.

  tools/remote-load.py [--build DIR] [--prefix DIR] [--window 60] [--clients 8] [--rate 200]
                       [--streams 56] [--viewers 64]
"""

import http.client
import json
import multiprocessing
import os
import re
import selectors
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KEY = "0123456789abcdef0123456789abcdef"
sys.path.insert(0, os.path.join(ROOT, "tools"))
import bench  # noqa: E402  (its X display and wineserver of one run)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def quantile(values, q):
    if not values:
        return float("nan")
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * len(ordered)))]


class ControlClient(threading.Thread):
    """Sends rate requests a second to one counter for seconds, on a schedule
    (a late request is sent at once, none is skipped), and checks each answer."""

    def __init__(self, port, index, rate, seconds):
        super().__init__(daemon=True)
        self.port, self.index, self.rate, self.seconds = port, index, rate, seconds
        self.sent = self.answered = self.wrong = self.refused = self.failed = 0
        self.last_ticker = None

    def post(self, connection, action, body, expect):
        self.sent += 1
        try:
            connection.request("POST", "/api/v1/counters/2/" + action, body=json.dumps(body),
                               headers={"Authorization": "Bearer " + KEY, "Content-Type": "application/json"})
            response = connection.getresponse()
            data = response.read()
        except (OSError, http.client.HTTPException):
            self.failed += 1
            connection.close()
            return
        if response.status == 503:
            self.refused += 1
            return
        try:
            answer = json.loads(data)
        except ValueError:
            answer = {}
        if response.status == 200 and all(answer.get(k) == v for k, v in expect.items()):
            self.answered += 1
        else:
            self.wrong += 1

    def run(self):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        began = time.monotonic()
        n = 0
        while True:
            now = time.monotonic()
            if now - began >= self.seconds:
                break
            due = began + n / self.rate
            if due > now:
                time.sleep(due - now)
            if n % 2:
                self.last_ticker = f"client {self.index} request {n}"
                self.post(connection, "ticker", {"text": self.last_ticker}, {"ticker": self.last_ticker})
            else:
                on = n % 4 == 0
                self.post(connection, "flash", {"on": on}, {"flashing": on})
            n += 1
        # Each client ends with flash off, so the counter must end with it off.
        self.post(connection, "flash", {"on": False}, {"flashing": False})
        self.elapsed = time.monotonic() - began
        connection.close()


def viewers(port, count, stop, ready, results):
    """count event-stream clients in one process: counts their events, keeps
    the last event of counter 2 each saw, and the moment each counted second
    of counter 1 first arrived (Unix ms)."""
    selector = selectors.DefaultSelector()
    streams = []
    for _ in range(count):
        try:
            s = socket.create_connection(("127.0.0.1", port), timeout=10)
            s.sendall(b"GET /api/v1/events HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/event-stream\r\n\r\n")
            s.setblocking(False)
        except OSError:
            continue
        state = {"buffer": b"", "last2": None, "arrivals": {}, "events": 0, "closed": False, "refused": False,
                 "seen1": False}
        selector.register(s, selectors.EVENT_READ, state)
        streams.append((s, state))
    ready.set()
    counter1 = re.compile(rb'"id":1,')
    counter2 = re.compile(rb'"id":2,')
    text_of = re.compile(rb'"text":"([^"]*)"')
    while not stop.is_set():
        for key, _ in selector.select(0.2):
            state = key.data
            try:
                data = key.fileobj.recv(262144)
            except BlockingIOError:
                continue
            except OSError:
                data = b""
            arrived = time.time() * 1000.0
            if not data:
                state["closed"] = True
                selector.unregister(key.fileobj)
                continue
            if b" 503 " in data[:20]:
                state["refused"] = True
            pieces = (state["buffer"] + data).split(b"\n\n")
            state["buffer"] = pieces.pop()
            for piece in pieces:
                at = piece.find(b"event: counter")
                if at < 0:
                    continue
                state["events"] += 1
                event = piece[at:]
                if counter2.search(event):
                    state["last2"] = event
                elif counter1.search(event):
                    # The first shows the counter as it is at connection, not a change.
                    text = text_of.search(event)
                    if text and state["seen1"] and text.group(1) not in state["arrivals"]:
                        state["arrivals"][text.group(1)] = arrived
                    state["seen1"] = True
    summary = {"connected": 0, "closed": 0, "refused": 0, "events": 0, "last2": [], "arrivals": []}
    for s, state in streams:
        summary["connected"] += 1
        summary["closed"] += state["closed"] and not state["refused"]
        summary["refused"] += state["refused"]
        summary["events"] += state["events"]
        if state["last2"] is not None:
            data = state["last2"].split(b"data: ", 1)[-1]
            try:
                summary["last2"].append(json.loads(data))
            except ValueError:
                summary["last2"].append(None)
        summary["arrivals"].append({k.decode(): v for k, v in state["arrivals"].items()})
        s.close()
    results.put(summary)


class ViewerGroup:
    def __init__(self, port, count):
        self.stop, self.ready, self.results = multiprocessing.Event(), multiprocessing.Event(), multiprocessing.Queue()
        self.process = multiprocessing.Process(target=viewers,
                                               args=(port, count, self.stop, self.ready, self.results), daemon=True)
        self.process.start()
        self.ready.wait(30)

    def finish(self):
        self.stop.set()
        summary = self.results.get(timeout=60)
        self.process.join(timeout=10)
        return summary


def get_counter(port, which):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    connection.request("GET", f"/api/v1/counters/{which}")
    answer = json.loads(connection.getresponse().read())
    connection.close()
    return answer


def frame_to_event(frames, summary, window_start, window_end):
    """Each counted second of counter 1 in the window: its arrival at each
    viewer minus the moment its frame was done on the display (ms)."""
    delays = []
    for arrivals in summary["arrivals"]:
        for text, arrived in arrivals.items():
            frame = frames.get(text)
            if frame is not None and window_start <= frame <= window_end:
                delays.append(arrived - frame)
    return delays


def main():
    parser = bench.run_arguments(__doc__)
    parser.add_argument("--window", type=float, default=60.0, help="seconds per window")
    parser.add_argument("--clients", type=int, default=8)
    parser.add_argument("--rate", type=float, default=200.0, help="requests a second per client")
    parser.add_argument("--streams", type=int, default=56,
                        help="event-stream clients beside the control clients (with them, at most 64 connections)")
    parser.add_argument("--viewers", type=int, default=64)
    args = parser.parse_args()

    exe = os.path.join(args.build, "win", "velto_soak.exe")
    if not os.path.exists(exe):
        sys.exit(f"{exe} is missing: build first (cmake --build {args.build}/win)")
    subprocess.check_call([os.path.join(ROOT, "tools", "wine-prefix.sh"), args.prefix])
    env = bench.Environment(args.prefix, "1920x1080x24")
    port = free_port()
    frame_file = tempfile.NamedTemporaryFile(suffix=".txt", delete=False)
    frame_file.close()
    seconds = 3 + 5 * args.window + 4
    command = ["wine", exe, "--bench", "2", "--latency", "--http", str(port), "--key", KEY, "--report-every",
               str(args.window), "--frame-log", "Z:" + frame_file.name.replace("/", "\\"), "--seconds", str(seconds)]
    loads = []
    try:
        print(f"Machine: {os.cpu_count()} cores; load average {os.getloadavg()[0]:.2f} at the start", flush=True)
        program = subprocess.Popen(command, env=env.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, text=True)
        windows, bounds = {}, {}
        clients, group, load_summary, final = [], None, None, None
        for line in program.stdout:
            line = line.rstrip()
            match = re.match(r"window (\d+): (.*)", line)
            if not match:
                continue
            number = int(match.group(1))
            now = time.time() * 1000.0
            loads.append(os.getloadavg()[0])
            if number > 0:
                windows[number] = match.group(2)
                bounds[number] = (bounds.get(number - 1, (0, now))[1], now)
            else:
                bounds[0] = (now, now)
            print(f"  [{time.strftime('%H:%M:%S')}] {line} (load average {loads[-1]:.2f})", flush=True)
            if number == 1:
                group = ViewerGroup(port, args.streams)
                clients = [ControlClient(port, i + 1, args.rate, args.window - 2) for i in range(args.clients)]
                for client in clients:
                    client.start()
            elif number == 2:
                for client in clients:
                    client.join(timeout=60)
                time.sleep(1.0)
                final = get_counter(port, 2)
                load_summary = group.finish()
            elif number == 3:
                group = ViewerGroup(port, args.viewers)
            elif number == 4:
                view_summary = group.finish()
        program.wait(timeout=60)
        frames = {}
        with open(frame_file.name) as log:
            for row in log:
                text, at = row.rsplit(" ", 1)
                frames.setdefault(text, float(at))
    finally:
        os.unlink(frame_file.name)
        env.close()

    if len(windows) < 5 or load_summary is None:
        sys.exit("the run did not finish its five windows")

    def figures(n):
        m = re.search(r"median ([\d.]+) ms, p99 ([\d.]+) ms, max ([\d.]+) ms; private memory (\d+) KiB", windows[n])
        return [float(g) for g in m.groups()]

    print(f"\nDisplays' deadline to frame on the screen, 2 full-screen displays with a ticker, "
          f"{args.window:.0f} s windows (load average {min(loads):.2f} to {max(loads):.2f} at the window ends):")
    names = {1: "unloaded", 2: f"{args.clients} control clients + {args.streams} event streams",
             3: "after they left", 4: f"{args.viewers} viewers", 5: "after they left"}
    base = figures(1)
    for n in range(1, 6):
        median, p99, longest, private = figures(n)
        print(f"  {n}. {names[n]:<42} median {median:5.1f} ms  p99 {p99:6.1f} ms ({p99 - base[1]:+.1f})  "
              f"max {longest:6.1f} ms  private memory {private / 1024:7.2f} MiB ({(private - base[3]) / 1024:+.2f})")

    sent = sum(c.sent for c in clients)
    answered = sum(c.answered for c in clients)
    busy = max(c.elapsed for c in clients)
    print(f"\nControl requests: {sent} sent, {answered} answered 200 with the asked state, "
          f"{sum(c.wrong for c in clients)} wrong, {sum(c.refused for c in clients)} refused (503), "
          f"{sum(c.failed for c in clients)} without an answer; reached {answered / busy:.0f} requests/s "
          f"of the {args.clients * args.rate:.0f} asked")
    last_tickers = {c.last_ticker for c in clients}
    final_ok = final.get("flashing") is False and final.get("ticker") in last_tickers
    print(f"  counter 2 at the end: flashing {final.get('flashing')}, ticker {final.get('ticker')!r} "
          f"({'as the last requests left it' if final_ok else 'NOT what the last requests left'})")
    agree = sum(1 for last in load_summary["last2"]
                if last and last.get("ticker") == final.get("ticker") and last.get("flashing") == final.get("flashing"))
    print(f"  event streams: {load_summary['connected']} connected, {load_summary['refused']} refused, "
          f"{load_summary['closed']} dropped by Velto, {load_summary['events']} counter events; "
          f"{agree} of {load_summary['connected']} ended on counter 2 as the API reads it")
    print(f"  viewers alone: {view_summary['connected']} connected, {view_summary['refused']} refused, "
          f"{view_summary['closed']} dropped, {view_summary['events']} counter events")

    for label, summary, n in (("under the control load", load_summary, 2), ("viewers alone", view_summary, 4)):
        delays = frame_to_event(frames, summary, *bounds[n])
        if delays:
            print(f"Counted second of counter 1, frame on the display to its event in a client ({label}): "
                  f"{len(delays)} arrivals, median {statistics.median(delays):.1f} ms, "
                  f"p99 {quantile(delays, 0.99):.1f} ms, max {max(delays):.1f} ms")
    print(f"\nLoad average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
