#!/usr/bin/env python3
"""Both directions of veltro-convert on generated files of at least 100 MB:

  GSI 16 measurements  -> ASCII   (receive)
  GSI 8 coordinates    -> ASCII   (receive)
  ASCII coordinates    -> GSI 16  (send)

Each run is pinned to one core (taskset) and repeated; the output's line
count is checked against the records generated. Reports MB/s of the input
(best and median of the runs), user seconds and peak memory against the
input's size.

    python3 bench/transfer_bench.py [--build build] [--mb 100] [--runs 3] [--core 0] [--only NAME]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def write_lines(path, mb, line):
    """Writes line(i) for i = 1, 2, ... until the file holds mb megabytes;
    returns the number of lines."""
    lines = 0
    with open(path, "wb") as f:
        while f.tell() < mb * 1e6:
            chunk = [line(lines + k) for k in range(1, 10001)]
            f.write("".join(chunk).encode())
            lines += len(chunk)
    return lines


def gsi16_measurements(path, mb):
    return write_lines(path, mb, lambda i: "*110001+%016d 21.324+%016d 22.324+%016d 31..00+%016d 87..10+%016d \r\n"
                       % (i, (i * 7919) % 40000000, 9000000 + i % 100000, 1000 + (i * 13) % 900000, 1500))


def gsi8_coordinates(path, mb):
    return write_lines(path, mb, lambda i: "110001+%08d 81..10+%08d 82..10+%08d 83..10+%08d \r\n"
                       % (i % 100000000, 10000000 + i % 9000000, 20000000 + i % 7000000, 450000 + i % 1000))


def ascii_coordinates(path, mb):
    return write_lines(path, mb, lambda i: "%d|CODE%d|%d.%03d|%d.%03d|%d.%03d|\r\n"
                       % (i, i % 50, 2600000 + i % 90000, i % 1000, 1200000 + i % 70000, (i * 7) % 1000,
                          400 + i % 100, (i * 3) % 1000))


CASES = (
    ("gsi16-messung.gsi", gsi16_measurements, [], ".asc"),
    ("gsi8-koordinaten.gsi", gsi8_coordinates, [], ".asc"),
    ("ascii-koordinaten.asc", ascii_coordinates, ["--to", "GSI16"], ".gsi"),
)


def run(cmd):
    """Exit status, seconds, peak resident KiB, user seconds and standard error of one child."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    return os.waitstatus_to_exitcode(status), time.perf_counter() - start, usage.ru_maxrss, usage.ru_utime, err


def install(build, folder):
    """The converter in a folder of its own beside the built libraries, with
    the test family library under the name of every instrument library that
    is not built (as the converter tests install it)."""
    app = os.path.join(build, "app")
    for name in os.listdir(app):
        if name != "veltro-convert":
            os.symlink(os.path.abspath(os.path.join(app, name)), os.path.join(folder, name))
    convert = os.path.join(folder, "veltro-convert")
    shutil.copy(os.path.join(app, "veltro-convert"), convert)
    family = os.path.abspath(os.path.join(build, "tests", "testlibs", "libTestFamily.so"))
    settings = os.path.join(folder, "settings.ini")
    open(settings, "a").close()
    listing = subprocess.run([convert, "--settings", settings, "--list"], capture_output=True, text=True).stdout
    for line in listing.splitlines():
        parts = [p.strip() for p in line.split("|")]
        if len(parts) == 3 and parts[2].endswith("(not installed)") and os.path.exists(family):
            base = parts[1][:-4] if parts[1].upper().endswith(".DLL") else parts[1]
            target = os.path.join(folder, "lib" + base + ".so")
            if not os.path.exists(target):
                os.symlink(family, target)
    return convert, settings


def count_lines(path):
    with open(path, "rb") as f:
        return sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--mb", type=float, default=100)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--core", default="0")
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    pin = ["taskset", "-c", args.core] if shutil.which("taskset") else []
    failed = False
    with tempfile.TemporaryDirectory() as tmp:
        convert, settings = install(args.build, tmp)
        for name, make, extra, suffix in CASES:
            if args.only not in name:
                continue
            src = os.path.join(tmp, name)
            records = make(src, args.mb)
            size_mb = os.path.getsize(src) / 1e6
            out = src + suffix
            rates, users, peaks = [], [], []
            for _ in range(args.runs):
                rc, secs, peak_kb, user_s, err = run(pin + [convert, "--quiet", "--yes", "--settings", settings]
                                                     + extra + [src, out])
                lines = count_lines(out) if os.path.exists(out) else 0
                if rc != 0 or lines != records:
                    print("%s: exit %d, %d lines written of %d\n%s" % (name, rc, lines, records,
                                                                       err.decode(errors="replace")[-2000:]))
                    failed = True
                    break
                rates.append(size_mb / secs)
                users.append(user_s)
                peaks.append(peak_kb / 1024)
                os.remove(out)
            if rates:
                print("%-22s %6.1f MB %9d lines  best %6.1f MB/s  median %6.1f MB/s  user %5.2f s  "
                      "peak %6.1f MB (%.2fx input)"
                      % (name, size_mb, records, max(rates), statistics.median(rates), min(users), max(peaks),
                         max(peaks) / size_mb))
            os.remove(src)
    raise SystemExit(1 if failed else 0)


if __name__ == "__main__":
    main()
