#!/usr/bin/env python3
"""Loads pictures with the Windows vornix-cli.exe (under Wine) through a COM port that Wine maps
to the pseudo-terminal of a headless vornix-lcdsim (Linux build), and checks what the panel
shows:

1. a sample loaded at 9600 baud gives exactly the panel that the sample's command stream
   (the Linux `vornix-cli stream`) gives when written straight into a simulator;
2. Ctrl+C (SIGINT, which Wine hands to the program as a console Ctrl+C event) stops a long
   load at a group boundary: the simulator received a prefix of the stream that ends after the
   pause or after a whole group, and the program says "Stopped." with exit code 130.

The first load also says, line for line, what the Linux load of the same sample says (the
Windows side ends stderr's lines with CR LF); a line that Wine held up would show as
"Controller not ready". The stop runs with the simulator reading at 115200 baud, so that the
long picture gets far enough in a few seconds.

usage: load_through_com.py LINUX_BIN_DIR WINDOWS_EXE SOURCE_ROOT
Wine runs with the WINEPREFIX and WINEDEBUG of the caller.
"""
import difflib
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time

PORT = "COM5"


def start_simulator(bin_dir, pbm, *extra):
    sim = subprocess.Popen(
        [os.path.join(bin_dir, "vornix-lcdsim"), "--headless", "--pbm", pbm,
         "--exit-after-idle", "2", *extra],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = sim.stdout.readline().decode().strip()
    if not line.startswith("/dev/"):
        sys.exit("the simulator named no line: %r" % line)
    return sim, line


def finish_simulator(sim):
    sim.wait(timeout=120)
    return sim.stderr.read().decode(errors="replace")


def received_bytes(summary):
    found = re.search(r"vornix-lcdsim: (\d+) bytes", summary)
    if not found:
        sys.exit("no summary from the simulator:\n" + summary)
    return int(found.group(1))


def map_port(device):
    """Points COM5 at `device`. Wine reads the key when the program opens the port, so a
    running wineserver needs no restart."""
    subprocess.run(["wine", "reg", "add", r"HKLM\Software\Wine\Ports", "/v", PORT, "/d",
                    device, "/f"], check=True, capture_output=True)


def stop_points(stream):
    """Lengths of the stream's prefixes where a stop may end it: after the I command (the
    pause), after the D command and after every data command of a group."""
    points = []
    end = 0
    commands = stream.split(b"\r")[:-1]
    for command in commands:
        end += len(command) + 1
        if command.startswith(b"/I") or command.startswith(b"I ") or \
                command.startswith(b"D ") or b"," in command:
            points.append(end)
    return points


def long_picture(rows):
    """A PXL picture far longer than the panel (the simulator clips the rows below it)."""
    lines = ["@,240,%d,8" % rows]
    for row in range(rows):
        lines.append(",".join("0%02Xh" % ((row * 7 + column * 13) & 255)
                              for column in range(30)))
    return ("\r\n".join(lines) + "\r\n").encode()


def main():
    bin_dir, exe, root = sys.argv[1:4]
    cli = os.path.join(bin_dir, "vornix-cli")
    work = tempfile.mkdtemp()
    failures = []
    sample = os.path.join(root, "samples", "clock.bmp")
    stream = subprocess.run([cli, "stream", sample], check=True, capture_output=True).stdout

    # The panel the sample's stream gives, written straight into the line.
    expected_pbm = os.path.join(work, "expected.pbm")
    sim, line = start_simulator(bin_dir, expected_pbm, "--fast")
    with open(line, "wb") as device:
        device.write(stream)
    finish_simulator(sim)

    loaded_pbm = os.path.join(work, "loaded.pbm")
    sim, line = start_simulator(bin_dir, loaded_pbm)
    map_port(line)
    started = time.monotonic()
    load = subprocess.run(["wine", exe, "load", "--port", PORT, sample], capture_output=True)
    took = time.monotonic() - started
    summary = finish_simulator(sim)
    print("load of %s through %s under Wine: %.1f s, exit %d" %
          (os.path.basename(sample), PORT, took, load.returncode))
    # The same load on Linux says the same, line for line (Windows ends stderr's lines with
    # CR LF, as its console programs do).
    linux_sim, linux_line = start_simulator(bin_dir, os.path.join(work, "linux.pbm"), "--fast")
    linux = subprocess.run([cli, "load", "--port", linux_line, sample], capture_output=True)
    finish_simulator(linux_sim)
    if load.stderr.replace(b"\r\n", b"\n") != linux.stderr:
        failures.append("the messages differ from the Linux load's:\n" + "".join(
            difflib.unified_diff(linux.stderr.decode().splitlines(True),
                                 load.stderr.replace(b"\r\n", b"\n").decode().splitlines(True))))
    if load.returncode != 0:
        failures.append("load exit %d: %s" % (load.returncode, load.stderr.decode()[-500:]))
    elif open(loaded_pbm, "rb").read() != open(expected_pbm, "rb").read():
        failures.append("the panel differs from the stream's picture\n" + summary)
    elif received_bytes(summary) != len(stream):
        failures.append("the simulator received %d bytes of %d" %
                        (received_bytes(summary), len(stream)))

    # Ctrl+C part of the way through a long picture.
    picture = os.path.join(work, "long.pxl")
    with open(picture, "wb") as file:
        file.write(long_picture(2000))
    full = subprocess.run([cli, "stream", picture], check=True, capture_output=True).stdout
    sim, line = start_simulator(bin_dir, os.path.join(work, "stopped.pbm"), "--baud", "115200")
    map_port(line)
    load = subprocess.Popen(["wine", exe, "load", "--port", PORT, picture],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    errors = bytearray()
    rows_seen = threading.Event()

    def read_errors():
        for text in iter(lambda: load.stderr.readline(), b""):
            errors.extend(text.replace(b"\r\n", b"\n"))
            if text.startswith(b"Row 300 "):
                rows_seen.set()

    reader = threading.Thread(target=read_errors)
    reader.start()
    if not rows_seen.wait(120):
        failures.append("no progress before the stop: " + errors.decode()[-300:])
    load.send_signal(signal.SIGINT)
    load.wait(timeout=60)
    reader.join()
    summary = finish_simulator(sim)
    received = received_bytes(summary)
    print("Ctrl+C: exit %d, the simulator received %d of %d bytes" %
          (load.returncode, received, len(full)))
    if load.returncode != 130 or not errors.endswith(b"Stopped.\n"):
        failures.append("the stop ended with %d: %s" % (load.returncode, errors[-300:]))
    if b"dropped" in errors:
        failures.append("the stop dropped a command: " + errors.decode()[-300:])
    if received >= len(full) or received not in stop_points(full):
        failures.append("the stop ended %d bytes into the stream, not at a group boundary"
                        % received)

    if failures:
        sys.exit("\n".join(failures))
    print("Loads through Wine's COM port: the panel is exact and Ctrl+C stops at a group "
          "boundary")


if __name__ == "__main__":
    main()
