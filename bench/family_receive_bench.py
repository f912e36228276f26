#!/usr/bin/env python3
"""Receives SIZE bytes (default 1 MB) of GTS-6 coordinate lines from the
simulated instrument over a pty pair at the simulated line rate of 115200
bit/s through a family library (default GTS6, plain lines) and reports the
time against the line-rate time (10 bits per byte) and the CPU time of this
process (the library and the ctypes loop) per line.

    python3 bench/family_receive_bench.py [--size BYTES] [--build build] [--library GTS6]

The simulator sends each line and then pauses for the time the line takes at
the bit rate, so the line-rate time is the floor; the figure to watch is the
overhead above it (within 2 %).
"""
import argparse
import ctypes
import os
import resource
import subprocess
import tempfile
import time


def gts6_lines(path, size):
    count = 0
    with open(path, "wb") as f:
        written = 0
        while written < size:
            count += 1
            line = ("_+P%-7d_ x%010d_ y%010d_ z%010d\r\n" % (count, 1000 + count, 2000 + count, 500)).encode()
            f.write(line)
            written += len(line)
    return count, written


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--size", type=int, default=1 << 20)
    ap.add_argument("--build", default="build")
    ap.add_argument("--library", default="GTS6")
    args = ap.parse_args()
    app = os.path.join(args.build, "app")
    with tempfile.TemporaryDirectory() as tmp:
        data = os.path.join(tmp, "data.gt6")
        lines, size = gts6_lines(data, args.size)
        link = os.path.join(tmp, "com")
        sim = subprocess.Popen([os.path.join(app, "instrument-sim"), "--pair", link, "--baud", "115200",
                                "--hold", "--play", data], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        assert sim.stdout.readline().startswith("ready")
        os.environ["VELTRO_COM1"] = link
        lib = ctypes.CDLL(os.path.join(app, "lib%s.so" % args.library))
        lib.GetReadBuf.restype = ctypes.c_char_p
        lib.GetErrorBuf.restype = ctypes.c_char_p
        # COM1, 115200, 8 data bits, 1 stop bit, no parity, no handshake, CR LF; 500 ms of silence ends.
        assert lib.OpenComm(1, 12, 4, 0, 0, 0, 3, 500, 5000, 10000, b"") == 2, lib.GetErrorBuf()
        sim.stdin.write("start\n")
        sim.stdin.flush()
        got = 0
        received = 0
        cpu0 = resource.getrusage(resource.RUSAGE_SELF)
        t0 = None
        while True:
            r = lib.ReadComm(2)
            buf = lib.GetReadBuf()
            if t0 is None:
                t0 = time.monotonic()  # from the first line: the start waits for the command
            if r != 2 or buf == b"\x04":
                break
            got += 1
            received += len(buf) + 2
        elapsed = time.monotonic() - t0 - 0.5  # the closing silence
        cpu1 = resource.getrusage(resource.RUSAGE_SELF)
        lib.CloseComm()
        sim.stdin.write("quit\n")
        sim.stdin.flush()
        sim.wait(10)
        line_rate = (size - len(open(data, "rb").readline())) * 10 / 115200
        cpu = (cpu1.ru_utime + cpu1.ru_stime) - (cpu0.ru_utime + cpu0.ru_stime)
        print("library %s: %d of %d lines, %d bytes, result %d" % (args.library, got, lines, received, r))
        print("time %.2f s, line rate %.2f s, overhead %+.2f %%" % (elapsed, line_rate,
                                                                    100 * (elapsed - line_rate) / line_rate))
        print("process CPU %.3f s, %.1f us per line" % (cpu, 1e6 * cpu / max(1, got)))


if __name__ == "__main__":
    main()
