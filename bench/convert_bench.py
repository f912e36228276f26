#!/usr/bin/env python3
"""Converts generated GSI files, a framed GTS-6 download, a GTS-7 job and an
SDR 33 download of N points (default 1,000,000; the SDR 33 job is then about
100 MB) or of about MB megabytes each into ASCII with veltro-convert, pinned
to one core (taskset), checks the output's line count and reports MB/s,
points per second and peak memory, beside the time `cat` needs to copy the
same file (this machine's limit).

    python3 bench/convert_bench.py [--points N | --mb MB] [--build build-rel] [--only NAME] [--core C]

Build first in Release:  cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release
                         cmake --build build-rel --target veltro-convert TestFamily

The converter runs from a folder of its own beside the built libraries; an
instrument library that is not built is stood in for by the test family
library (as the converter tests install it).
"""
import argparse
import os
import re
import shutil
import subprocess
import tempfile
import time


# Each generator answers the number of lines the ASCII output must hold.
def gsi16_measurements(path, n):
    with open(path, "wb") as f:
        for i in range(1, n + 1):
            hz = (i * 7919) % 40000000
            v = 9000000 + (i % 100000)
            sd = 1000 + (i * 13) % 900000
            f.write(("*110001+%016d 21.324+%016d 22.324+%016d 31..00+%016d 87..10+%016d \r\n"
                     % (i, hz, v, sd, 1500)).encode())
    return n


def gsi8_coordinates(path, n):
    with open(path, "wb") as f:
        for i in range(1, n + 1):
            f.write(("110001+%08d 81..10+%08d 82..10+%08d 83..10+%08d \r\n"
                     % (i, 10000000 + i, 20000000 + i, 450000 + i % 1000)).encode())
    return n


def gts6_framed(path, n):
    """Back-to-back GTS-6 records in blocks of 250 characters, each with a
    4-character check and ETX, LF between blocks, EOT at the end."""
    with open(path, "wb") as f:
        f.write(b"\x02_'S1_(_)1.550")
        block = 15
        for i in range(1, n + 1):
            rec = ("_+P%d_ ?+%08dm%07d+%07dg+%08d1  015030   _*KERB_,1.600"
                   % (i, 1000 + (i * 13) % 900000, 900000 + i % 100000, (i * 7919) % 4000000, 1000 + i % 5000))
            while rec:
                take = min(250 - block, len(rec))
                f.write(rec[:take].encode())
                rec = rec[take:]
                block += take
                if block == 250:
                    f.write(b"1A2B\x03\n\x02")
                    block = 0
        f.write(b"_" + b" " * (249 - block) + b"1A2B\x03\x04\r\n")
    return n + 1  # and the station


def gts7_job(path, n):
    """A GTS-7 job: a station every 1000 points, each side shot with its
    coordinate line and a slope-distance line."""
    with open(path, "wb") as f:
        f.write(b"JOB     BENCH,\r\nDATE    08/12/26,14:30:00\r\n")
        for i in range(1, n + 1):
            if i % 1000 == 1:
                f.write(("STN     S%d,1.550,\r\nXYZ     600000.000,200000.000,450.000\r\n" % i).encode())
            f.write(("SS      P%d,1.600,KERB\r\nXYZ     %d.123,%d.456,450.789\r\nSD      %d.12345,98.76543,%d.1234\r\n"
                     % (i, 600000 + i % 1000, 200000 + i % 777, i % 400, 10 + i % 90)).encode())
    return n + (n + 999) // 1000 + 3  # stations; project, date and time


def sdr33_job(path, n):
    """A framed SDR 33 download: header, a station every 1000 points, then
    observations (09) and coordinates (08) in turn, ETX and the checksum."""
    def field(text, left=True):
        return text.ljust(16) if left else text.rjust(16)
    total = 0
    with open(path, "wb") as f:
        def put(line):
            nonlocal total
            data = line.encode()
            total += sum(b for b in data if b not in (2, 3, 10, 13))
            f.write(data + b"\r\n")
        f.write(b"\x02\r\n")
        put("00NM" + field("SDR33    V04    ") + "0000" + field("08-DEC-26 14:30") + "111111")
        for i in range(1, n + 1):
            if i % 1000 == 1:
                put("02NM" + field("S%d" % i, False) + field("1200000.000") + field("2600000.000")
                    + field("450.000") + field("1.550") + field("STATION"))
            if i % 2:
                put("09NM" + field("S1", False) + field(str(i), False) + field("%.4f" % (10 + i % 900))
                    + field("%.5f" % (90 + (i % 1000) / 1000)) + field("%.5f" % ((i * 7) % 400))
                    + field("CODE%d" % (i % 50)))
            else:
                put("08KI" + field(str(i), False) + field("%.4f" % (1200000 + i / 1000))
                    + field("%.4f" % (2600000 + i / 1000)) + field("%.3f" % (450 + i % 100))
                    + field("CODE%d" % (i % 50)))
        f.write(b"\x03%05d\r\n" % (total % 65536))
    return n + (n + 999) // 1000 + 2  # stations; date and time


def count_lines(path):
    with open(path, "rb") as f:
        return sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))


def points_for(make, mb, tmp):
    """Points that make a file of about mb megabytes."""
    probe = os.path.join(tmp, "probe")
    make(probe, 5000)
    size = os.path.getsize(probe)
    os.remove(probe)
    return max(1, int(mb * 1e6 * 5000 / size))


def run(cmd):
    """Exit status, seconds, peak resident KiB, user seconds and standard
    error of one child."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    return proc.returncode, elapsed, usage.ru_maxrss, usage.ru_utime, err


def install_converter(build, folder):
    """veltro-convert copied into folder with the program folder's files, and
    the test family library under each catalogue library name not built."""
    app = os.path.join(build, "app")
    for name in os.listdir(app):
        if name != "veltro-convert":
            os.symlink(os.path.abspath(os.path.join(app, name)), os.path.join(folder, name))
    program = os.path.join(folder, "veltro-convert")
    shutil.copy2(os.path.join(app, "veltro-convert"), program)
    family = os.path.abspath(os.path.join(build, "tests", "testlibs", "libTestFamily.so"))
    catalogue = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "instruments",
                             "InstrumentenModulData.cpp")
    with open(catalogue, encoding="latin-1") as f:
        names = set(re.findall(r'\.dll = "([^"]+)"', f.read()))
    present = {n.lower() for n in os.listdir(folder)}
    for name in sorted(names):
        lib = "lib%s.so" % name
        if lib.lower() not in present and os.path.exists(family):
            os.symlink(family, os.path.join(folder, lib))
    return program


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--points", type=int, default=1000000)
    ap.add_argument("--build", default="build-rel")
    ap.add_argument("--mb", type=float, default=0, help="size of each file instead of --points")
    ap.add_argument("--only", default="", help="run only the files whose name contains this")
    ap.add_argument("--core", default="0")
    args = ap.parse_args()
    pin = ["taskset", "-c", args.core] if shutil.which("taskset") else []
    failed = False
    with tempfile.TemporaryDirectory() as tmp:
        install = os.path.join(tmp, "install")
        os.mkdir(install)
        convert = install_converter(args.build, install)
        settings = os.path.join(tmp, "settings.ini")
        open(settings, "a").close()
        for name, make in (("gsi16-messung.gsi", gsi16_measurements), ("gsi8-koordinaten.gsi", gsi8_coordinates),
                           ("gts6-bloecke.gt6", gts6_framed), ("gts7-job.gt7", gts7_job),
                           ("sdr33-job.sdr", sdr33_job)):
            if args.only not in name:
                continue
            src = os.path.join(tmp, name)
            points = points_for(make, args.mb, tmp) if args.mb else args.points
            expected = make(src, points)
            size_mb = os.path.getsize(src) / 1e6
            _, cat_s, _, _, _ = run(["sh", "-c", "cat '%s' > /dev/null" % src])
            out = src + ".asc"
            rc, secs, peak_kb, user_s, err = run(pin + [convert, "--quiet", "--yes", "--settings", settings, src, out])
            lines = count_lines(out) if os.path.exists(out) else 0
            # On a shared machine the user time is the steadier measure.
            print("%-22s %7.1f MB  rc=%d  %6.2f s  %7.1f MB/s  %9.0f points/s  peak %6.1f MB (%.1fx input)"
                  "  user %.2f s (%.1f MB/s)  | cat %.3f s (%.0f MB/s)"
                  % (name, size_mb, rc, secs, size_mb / secs, points / secs, peak_kb / 1024,
                     peak_kb / 1024 / size_mb, user_s, size_mb / max(user_s, 1e-9), cat_s,
                     size_mb / max(cat_s, 1e-9)))
            if rc not in (0, 1) or lines != expected:
                print("%s: exit %d, %d lines written of %d" % (name, rc, lines, expected))
                print(err.decode(errors="replace")[-2000:])
                failed = True
            if os.path.exists(out):
                os.remove(out)
            os.remove(src)
    raise SystemExit(1 if failed else 0)


if __name__ == "__main__":
    main()
