"""What the remote-control and live-view tests share: the checks, Wine, the
registry they start Velto with, free loopback ports and bounded waits."""

import socket
import subprocess
import tempfile
import os
import time

KEY = "0123456789abcdef0123456789abcdef"
PROGRAM_KEY = r"HKEY_CURRENT_USER\Software\Halvorn Industries\Velto"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wine(*args, timeout=60):
    return subprocess.run(["wine", *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          stdin=subprocess.DEVNULL, timeout=timeout)


def wait_for(predicate, seconds=5, step=0.05):
    """The predicate's first true value within seconds, else None."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def import_registry(text):
    """Velto's settings replaced by the REGEDIT4 text."""
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as reg:
        reg.write(text)
    wine("reg", "delete", PROGRAM_KEY, "/f")
    wine("reg", "import", reg.name)
    os.unlink(reg.name)
