#!/usr/bin/env python3
"""Loads one picture into 1 and into 32 panels at once and prints the times side by side.

Each panel is a pseudo-terminal whose far end is read at 960 bytes a second, the pace of a
9600-baud line (8N1), by one reader thread. A pseudo-terminal holds about 64 KB, more than a
whole picture, so the sender may be done long before the panel: both times are printed, and a
panel counts as loaded when its last byte has been read. The load's CPU time, context switches and peak
memory come from the kernel (wait4's resource use covers vornix-cli and every helper it
waited for; the memory of all processes together is sampled from /proc). Last, a run of
--each-new-port waits 10 s for ports that never come, and its wake-ups are counted.

usage: load_many.py VORNIX_CLI PICTURE STREAM_BYTES [COUNTS...]   (default counts: 1 32)
"""
import os
import subprocess
import sys
import tempfile
import threading
import time

LINE_BYTES_PER_SECOND = 960  # 9600 baud, 10 bits a byte
IDLE_SECONDS = 10


class PacedLines:
    """Pseudo-terminals read at line speed, linked into a folder as p-00, p-01, ..."""

    def __init__(self, folder, count):
        self.ports = []
        for index in range(count):
            master, slave = os.openpty()
            os.set_blocking(master, False)
            link = os.path.join(folder, "p-%02d" % index)
            os.symlink(os.ttyname(slave), link)
            self.ports.append({"master": master, "slave": slave, "credit": 0.0, "got": 0,
                               "last": None})
        self.running = True
        self.thread = threading.Thread(target=self.read, daemon=True)
        self.thread.start()

    def read(self):
        last = time.monotonic()
        while self.running:
            time.sleep(0.01)
            now = time.monotonic()
            gained = (now - last) * LINE_BYTES_PER_SECOND
            last = now
            for port in self.ports:
                # A UART holds a few bytes at most: idle time earns no large burst.
                port["credit"] = min(port["credit"] + gained, 32.0)
                want = int(port["credit"])
                if want == 0:
                    continue
                try:
                    data = os.read(port["master"], want)
                except (BlockingIOError, OSError):
                    continue
                port["credit"] -= len(data)
                port["got"] += len(data)
                port["last"] = now

    def wait_for(self, expected, limit):
        """Waits until every port has read `expected` bytes, at most `limit` seconds."""
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline and any(p["got"] < expected for p in self.ports):
            time.sleep(0.1)

    def close(self):
        self.running = False
        self.thread.join()
        for port in self.ports:
            os.close(port["master"])
            os.close(port["slave"])


def family_memory(pid):
    """The resident memory of `pid` and its children, in KiB."""
    total = 0
    pids = [pid]
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as children:
            pids += [int(child) for child in children.read().split()]
    except OSError:
        return 0
    for member in pids:
        try:
            with open("/proc/%d/status" % member) as status:
                for line in status:
                    if line.startswith("VmRSS:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


def load(cli, picture, expected, count):
    with tempfile.TemporaryDirectory() as folder:
        lines = PacedLines(folder, count)
        started = time.monotonic()
        process = subprocess.Popen(
            [cli, "load", "--ports", os.path.join(folder, "p-*"), picture],
            stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
        peak = 0
        stderr = []
        reader = threading.Thread(target=lambda: stderr.append(process.stderr.read()))
        reader.start()
        result = None
        while result is None:
            peak = max(peak, family_memory(process.pid))
            waited = os.wait4(process.pid, os.WNOHANG)
            if waited[0] != 0:
                result = waited
            else:
                time.sleep(0.5)
        elapsed = time.monotonic() - started
        reader.join()
        lines.wait_for(expected, 120)
        lines.close()
        complete = all(port["got"] == expected for port in lines.ports)
        received = max(port["last"] or started for port in lines.ports) - started
        status, usage = result[1], result[2]
        summary = stderr[0].decode(errors="replace").strip().splitlines()[-1]
        return {
            "count": count, "seconds": elapsed, "received": received, "complete": complete, "cpu": usage.ru_utime + usage.ru_stime,
            "switches": usage.ru_nvcsw + usage.ru_nivcsw, "peak_mib": peak / 1024.0,
            "exit": os.waitstatus_to_exitcode(status), "summary": summary,
        }


def idle_wakeups(cli, picture):
    """Context switches of a --each-new-port run that waits while no port comes."""
    with tempfile.TemporaryDirectory() as folder:
        process = subprocess.Popen(
            [cli, "load", "--each-new-port", "--ports", os.path.join(folder, "p-*"), picture],
            stderr=subprocess.PIPE, stdout=subprocess.DEVNULL)
        process.stderr.readline()  # "Waiting for new ports ..."
        time.sleep(1)

        def switches():
            with open("/proc/%d/status" % process.pid) as status:
                return sum(int(line.split()[1]) for line in status
                           if line.startswith(("voluntary_ctxt", "nonvoluntary_ctxt")))

        def cpu_ticks():
            with open("/proc/%d/stat" % process.pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            return int(fields[11]) + int(fields[12])

        before, ticks = switches(), cpu_ticks()
        time.sleep(IDLE_SECONDS)
        after, ticks_after = switches(), cpu_ticks()
        process.send_signal(2)
        process.wait()
        return after - before, (ticks_after - ticks) / os.sysconf("SC_CLK_TCK")


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    cli, picture, expected = sys.argv[1], sys.argv[2], int(sys.argv[3])
    counts = [int(count) for count in sys.argv[4:]] or [1, 32]
    results = [load(cli, picture, expected, count) for count in counts]
    print("%6s %9s %6s %10s %6s %7s %10s %9s  %s" % (
        "panels", "loaded s", "x one", "sent s", "x one", "CPU s", "wakeups/s", "peak MiB",
        "summary"))
    for result in results:
        print("%6d %9.2f %6.3f %10.2f %6.3f %7.2f %10.1f %9.1f  %s" % (
            result["count"], result["received"], result["received"] / results[0]["received"],
            result["seconds"], result["seconds"] / results[0]["seconds"], result["cpu"],
            result["switches"] / result["seconds"], result["peak_mib"], result["summary"]))
        if result["exit"] != 0 or not result["complete"]:
            print("  exit status %d, every panel got every byte: %s"
                  % (result["exit"], result["complete"]))
    wakeups, cpu = idle_wakeups(cli, picture)
    print("--each-new-port waiting %d s with no port coming: %d wake-ups, %.2f s CPU"
          % (IDLE_SECONDS, wakeups, cpu))


if __name__ == "__main__":
    main()
