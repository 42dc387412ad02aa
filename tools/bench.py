#!/usr/bin/env python3
"""Measured cost of Velto under Wine: CPU share and peak memory with 1, 4 and
16 running counters on full-screen (1920 x 1080) displays, with and without a
scrolling ticker, beside a minimal Win32 program that does the same visible
work the simple way (velto_polling_reference: one 30 ms timer per window, the
ticker strip invalidated and repainted through WM_PAINT), and the delay from
a second's deadline to the moment its frame is on the screen (also while
keys arrive in the ticker box at about 100 a second). The same
program with its windows up and idle gives the floor that Wine and the X
server charge any program; the net ratio compares what each costs above it.

Runs the program through velto_soak.exe's bench mode (the real program in
one process, counters started through their pages) on an Xvfb display and a
wineserver of its own, samples /proc/<pid>/stat of the program, of the
wineserver and of the X server, and prints tables. Then, on a display of
3900 x 2250, velto_display_bench.exe: the ticker frame and the CPU time of a
counted second at 1920 x 1080 and 3840 x 2160.

  tools/bench.py [--build DIR] [--prefix DIR] [--seconds 60] [--latency-seconds 300]
                 [--counters 1,4,16] [--latency-counters 1,16] [--skip-cpu] [--skip-latency]
                 [--skip-display-bench]
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime are fields 14 and 15 of the whole line.
    return int(fields[11]) + int(fields[12])


def status_kib(pid, key):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


def find_process(tag):
    """The Windows process whose command line carries tag (the largest, so
    not the launcher that started it)."""
    best, best_rss = None, -1
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                text = cmdline.read().replace(b"\0", b" ").decode(errors="replace")
            if tag not in text or "bench.py" in text:
                continue
            rss = status_kib(entry, "VmRSS")
        except OSError:
            continue
        if rss > best_rss:
            best, best_rss = int(entry), rss
    return best


class Environment:
    """An Xvfb display and a wineserver for this run only, ended by pid."""

    def __init__(self, prefix, size):
        self.processes = []
        number_file = tempfile.TemporaryFile()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(number_file.fileno()), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=[number_file.fileno()], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(self.xvfb)
        display = b""
        for _ in range(100):
            number_file.seek(0)
            display = number_file.read().strip()
            if display:
                break
            time.sleep(0.1)
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + display.decode(), WINEPREFIX=prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        for _ in range(100):
            if subprocess.call(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL) == 0:
                break
            time.sleep(0.1)
        self.wineserver = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL)
        self.processes.append(self.wineserver)
        # Wine's desktop and service processes start with the first program.
        subprocess.call(["wine", "cmd", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(1)

    def close(self):
        subprocess.call(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()


def run_program(env, exe, args, seconds, sample_seconds=None, warm=3.0):
    """Runs velto_soak.exe in bench mode; when sample_seconds is set, samples
    the CPU time of the program, the wineserver and the X server over that
    many seconds after warm seconds. Answers the program's result lines and
    the samples."""
    tag = f"velto-bench-{os.getpid()}-{time.monotonic_ns()}"
    total = seconds if sample_seconds is None else warm + sample_seconds + 2
    command = ["wine", exe] + args + ["--seconds", str(total), "--tag", tag]
    program = subprocess.Popen(command, env=env.env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
    lines = []
    ready = False
    for line in program.stdout:
        lines.append(line.rstrip())
        if line.startswith("bench:"):
            ready = True
            break
    result = {}
    if ready and sample_seconds is not None:
        pid = find_process(tag)
        time.sleep(warm)
        watched = {"velto": pid, "wineserver": env.wineserver.pid, "xvfb": env.xvfb.pid}
        before = {name: cpu_ticks(p) for name, p in watched.items()}
        start = time.monotonic()
        time.sleep(sample_seconds)
        after = {name: cpu_ticks(p) for name, p in watched.items()}
        wall = time.monotonic() - start
        for name in watched:
            result[name] = 100.0 * (after[name] - before[name]) / CLOCK_TICKS / wall
        result["vmhwm"] = status_kib(pid, "VmHWM")
    for line in program.stdout:
        lines.append(line.rstrip())
    program.wait(timeout=60)
    for line in lines:
        if line.startswith("memory:"):
            # memory: private N KiB, peak private M KiB
            words = line.replace(",", "").split()
            result["peak_private"] = int(words[6])
        if line.startswith("latency:"):
            result["latency"] = line.split(":", 1)[1].strip()
        if line.startswith("typing:"):
            result["typing"] = line.split(":", 1)[1].strip()
    result["ok"] = ready and program.returncode == 0
    return result


def run_arguments(description):
    """A parser with the options every benchmark run takes: the build and the Wine prefix."""
    parser = argparse.ArgumentParser(description=description, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.environ.get("VELTO_BUILD_DIR", os.path.join(ROOT, "build")))
    parser.add_argument("--prefix", default=os.environ.get(
        "VELTO_TEST_PREFIX", os.path.join(os.path.expanduser("~"), ".cache", "velto", "wine-test")))
    return parser


def main():
    parser = run_arguments(__doc__)
    parser.add_argument("--seconds", type=float, default=60.0, help="CPU sampling time per case")
    parser.add_argument("--latency-seconds", type=float, default=300.0)
    parser.add_argument("--counters", default="1,4,16")
    parser.add_argument("--latency-counters", default="1,16")
    parser.add_argument("--skip-cpu", action="store_true")
    parser.add_argument("--skip-latency", action="store_true")
    parser.add_argument("--skip-display-bench", action="store_true")
    args = parser.parse_args()

    exe = os.path.join(args.build, "win", "velto_soak.exe")
    reference = os.path.join(args.build, "win", "velto_polling_reference.exe")
    for needed in (exe, reference):
        if not os.path.exists(needed):
            sys.exit(f"{needed} is missing: build first (tools/test.sh, or cmake --build {args.build}/win)")
    subprocess.check_call([os.path.join(ROOT, "tools", "wine-prefix.sh"), args.prefix])
    env = Environment(args.prefix, "1920x1080x24")
    try:
        print(f"Machine: {os.cpu_count()} cores, load average {os.getloadavg()[0]:.2f} at the start")
        if not args.skip_cpu:
            print(f"\nCPU share of one core over {args.seconds:.0f} s, each display 1920 x 1080; total = the "
                  "program + wineserver + Xvfb; reference = velto_polling_reference doing the same work")
            print("idle = the reference with its windows up and nothing moving: what Wine and the X server cost "
                  "any program; net = the ratio of what each costs above that floor")
            print(f"{'counters':>8} {'ticker':>7} {'velto %':>8} {'wineserver %':>13} {'Xvfb %':>7} {'total %':>8} "
                  f"{'reference %':>12} {'ratio':>6} {'idle %':>7} {'net':>6} {'peak private MiB':>17} {'load':>5}")
            private = {}
            for count in [int(c) for c in args.counters.split(",")]:
                floor = run_program(env, reference, ["--windows", str(count), "--idle"], 0,
                                    sample_seconds=args.seconds)
                idle_total = floor["velto"] + floor["wineserver"] + floor["xvfb"] if floor.get("ok") else float("nan")
                if floor.get("ok"):
                    print(f"{count:>8} {'idle':>7} {floor['velto']:>8.2f} {floor['wineserver']:>13.2f} "
                          f"{floor['xvfb']:>7.2f} {idle_total:>8.2f}   (the reference, windows up, nothing moving)")
                for ticker in (True, False):
                    bench = ["--bench", str(count)] + ([] if ticker else ["--no-ticker"])
                    r = run_program(env, exe, bench, 0, sample_seconds=args.seconds)
                    ref_args = ["--windows", str(count)] + ([] if ticker else ["--no-ticker"])
                    q = run_program(env, reference, ref_args, 0, sample_seconds=args.seconds)
                    if not r.get("ok") or not q.get("ok"):
                        print(f"{count:>8} {'yes' if ticker else 'no':>7}  (run failed)")
                        continue
                    total = r["velto"] + r["wineserver"] + r["xvfb"]
                    ref_total = q["velto"] + q["wineserver"] + q["xvfb"]
                    ratio = total / ref_total if ref_total > 0 else float("nan")
                    above = ref_total - idle_total
                    net = max(total - idle_total, 0.0) / above if above > 0 else float("nan")
                    if not ticker:
                        private[count] = r.get("peak_private", 0)
                    print(f"{count:>8} {'yes' if ticker else 'no':>7} {r['velto']:>8.1f} {r['wineserver']:>13.1f} "
                          f"{r['xvfb']:>7.1f} {total:>8.1f} {ref_total:>12.1f} {ratio:>5.2f}x {idle_total:>7.2f} "
                          f"{net:>5.2f}x {r.get('peak_private', 0) / 1024:>17.1f} {os.getloadavg()[0]:>5.2f}", flush=True)
            counts = sorted(private)
            if len(counts) >= 2 and counts[-1] > counts[0]:
                per_display = (private[counts[-1]] - private[counts[0]]) / (counts[-1] - counts[0])
                # The back buffer: one 32-bit pixel per pixel of a full-screen client area.
                back_buffer = 1920 * 1080 * 4 / 1024
                print(f"\nPrivate memory per display (from {counts[0]} and {counts[-1]} displays, no repeater): "
                      f"{per_display / 1024:.2f} MiB = back buffer {back_buffer / 1024:.2f} MiB "
                      f"+ {(per_display - back_buffer) / 1024:.2f} MiB")
        if not args.skip_latency:
            print(f"\nDeadline of a counted second to the end of the copy of its frame to the screen, "
                  f"over {args.latency_seconds:.0f} s (with ticker)")
            for count in [int(c) for c in args.latency_counters.split(",")]:
                r = run_program(env, exe, ["--bench", str(count), "--latency"], args.latency_seconds)
                print(f"  {r.get('latency', f'{count} counters: (run failed)')} (load {os.getloadavg()[0]:.2f})",
                      flush=True)
            r = run_program(env, exe, ["--bench", "1", "--latency", "--typing"], args.latency_seconds)
            print(f"  with keys typed into the ticker box ({r.get('typing', '?')}): "
                  f"{r.get('latency', '(run failed)')} (load {os.getloadavg()[0]:.2f})", flush=True)
    finally:
        env.close()
    if not args.skip_display_bench:
        display_bench = os.path.join(args.build, "win", "velto_display_bench.exe")
        if not os.path.exists(display_bench):
            sys.exit(f"{display_bench} is missing: build first")
        print(f"\nvelto_display_bench on a 3900 x 2250 display (load average {os.getloadavg()[0]:.2f})", flush=True)
        big = Environment(args.prefix, "3900x2250x24")
        try:
            subprocess.call(["wine", display_bench], env=big.env, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            big.close()
    print(f"\nLoad average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
