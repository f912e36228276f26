#!/usr/bin/env python3
"""Converts a generated NMEA log (one sentence in ten a waypoint) and an RW5
job, each of about SIZE MB (default 100), into ASCII with veltro-convert:
without a coordinate system (--gps-system none) and with a grid (LV95
through the coordinate-system library, chosen in the settings file this
script writes), pinned to one core (taskset). Checks the output's line count
and reports MB/s, waypoints per second (wall clock and CPU) and peak memory against the input
size, beside the time `cat` needs to read the same file.

    python3 bench/gps_bench.py [--size MB] [--build build-rel] [--only NAME] [--core C]

Build first:  cmake --build build-rel --target veltro-convert WGSXYZ TestFamily
The instrument libraries of the GPS receivers are not part of the program:
the test family library (tests/testlibs) plays them, as in the tests.
"""
import argparse
import functools
import os
import re
import shutil
import subprocess
import tempfile
import time


def checksum(body):
    return "%02X" % functools.reduce(lambda a, c: a ^ ord(c), body, 0)


def sentence(body):
    return "$%s*%s\r\n" % (body, checksum(body))


def nmea_log(path, size):
    """Fixes, satellites and time sentences; every tenth a waypoint near Bern."""
    waypoints = 0
    with open(path, "w", newline="") as f:
        i = 0
        while f.tell() < size:
            i += 1
            if i % 10 == 0:
                waypoints += 1
                lat = 4650.0 + (i % 9000) / 1000.0
                lon = 720.0 + (i % 9000) / 1000.0
                f.write(sentence("PMGNWPL,%010.5f,N,%011.5f,E,%07d,M,WP%d,Punkt %d,a"
                                 % (lat, lon, 500 + i % 300, waypoints, waypoints)))
            elif i % 10 in (1, 4, 7):
                f.write(sentence("GPGGA,1015%02d.00,4657.%08d,N,00726.%08d,E,2,09,0.9,512.3,M,47.4,M,,"
                                 % (i % 60, i % 10**8, (i * 7) % 10**8)))
            elif i % 10 in (2, 5):
                f.write(sentence("GPGSV,3,1,09,05,42,067,45,12,61,133,47,15,22,298,40,18,12,041,38"))
            else:
                f.write(sentence("GPRMC,1015%02d.00,A,4657.%08d,N,00726.%08d,E,0.02,0.0,091226,,,D"
                                 % (i % 60, i % 10**8, (i * 7) % 10**8)))
    return waypoints


def rw5_job(path, size):
    """A station every 500 shots; side shots, their notes, GPS positions and
    the commented grid of each. Answers the records and the lines the ASCII
    output holds."""
    points = 0
    lines = 4  # project, date, time, units
    with open(path, "w", newline="") as f:
        f.write("JB,NMBENCH,DT12-09-2026,TM08:00:00\r\nMO,AD0,UN2,SF1.00000000,EC0,EO0.0,AU0\r\n")
        i = 0
        while f.tell() < size:
            i += 1
            if i % 500 == 1:
                f.write("OC,OP%d,N 1200000.000,E 2600000.000,EL500.000,--Stand\r\nLS,HI1.550000,HR1.800000\r\n"
                        "BK,OP%d,BP%d,BS0.0000,BC0.0000\r\n" % (i, i, i + 1))
                lines += 2  # the station's coordinates and the backsight
            if i % 4 == 0:
                f.write("GPS,PN%d,LA46.5703%05d,LN7.2618%05d,EL%.3f,--\r\n--GS,PN%d,N %.3f,E %.3f,EL%.3f\r\n"
                        % (i, i % 10**5, (i * 3) % 10**5, 550 + i % 100, i, 1200000 + i % 999, 2600000 + i % 777,
                           500 + i % 100))
                lines += 2  # the point and the note
            else:
                f.write("SS,OP1,FP%d,AR%.4f,ZE%.4f,SD%.6f,--Code %d\r\n" % (i, (i * 7) % 360, 90 + i % 10, 10 + i % 90,
                                                                          i % 50))
                lines += 1
            points += 1
    return points, lines


# A waypoint or GPS point converted to LV95: easting, then northing, 5 decimals.
LV95_POINT = re.compile(rb"\|2[5-8]\d{5}\.\d{5}\|1[0-3]\d{5}\.\d{5}\|")


def in_grid(path):
    """Whether the output's first points are LV95 grid coordinates."""
    with open(path, "rb") as f:
        return LV95_POINT.search(f.read(1 << 16)) is not None


def count_lines(path):
    with open(path, "rb") as f:
        return sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))


def run(cmd, env):
    """Exit status, seconds, peak resident KiB, CPU seconds (user and
    system) and the end of standard error."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    return (os.waitstatus_to_exitcode(status), time.perf_counter() - start, usage.ru_maxrss,
            usage.ru_utime + usage.ru_stime, err)


def install(build, folder):
    """The converter beside its libraries, the family library under the
    receivers' library names."""
    app = os.path.join(build, "app")
    for name in os.listdir(app):
        if name.endswith(".so"):
            os.symlink(os.path.abspath(os.path.join(app, name)), os.path.join(folder, name))
    shutil.copy(os.path.join(app, "veltro-convert"), folder)
    family = os.path.abspath(os.path.join(build, "tests", "testlibs", "libTestFamily.so"))
    for name in ("ProMark2", "SurvCE"):
        target = os.path.join(folder, "lib%s.so" % name)
        if os.path.lexists(target):
            os.remove(target)  # a built receiver library: the family library stands in all the same
        os.symlink(family, target)
    return os.path.join(folder, "veltro-convert")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--size", type=float, default=100, help="MB per generated file")
    ap.add_argument("--build", default="build-rel")
    ap.add_argument("--only", default="", help="run only the cases whose name contains this")
    ap.add_argument("--core", default="0")
    args = ap.parse_args()
    pin = ["taskset", "-c", args.core] if shutil.which("taskset") else []
    failed = False
    size = int(args.size * 1e6)
    with tempfile.TemporaryDirectory() as tmp:
        convert = install(args.build, tmp)
        settings = os.path.join(tmp, "settings.ini")
        with open(settings, "w") as f:
            f.write("[Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration]\nGPSSystem=EPSG:2056\n")
        env = dict(os.environ, XDG_CONFIG_HOME=tmp)
        files = {}
        for name, make in (("log.nmea", nmea_log), ("job.rw5", rw5_job)):
            if args.only and not any(args.only in case for case in (name + " none", name + " grid")):
                continue
            path = os.path.join(tmp, name)
            made = make(path, size)
            files[name] = (path, made) if isinstance(made, tuple) else (path, (made, made))
        for name, (path, (records, expected)) in files.items():
            mb = os.path.getsize(path) / 1e6
            _, cat_s, _, _, _ = run(["sh", "-c", "cat '%s' > /dev/null" % path], env)
            for system in ("none", "grid"):
                case = "%s %s" % (name, system)
                if args.only and args.only not in case:
                    continue
                out = path + ".asc"
                cmd = [convert, "--quiet", "--yes", "--settings", settings, "--from", "NMEA" if name == "log.nmea" else "RW5"]
                if system == "none":
                    cmd += ["--gps-system", "none"]
                rc, secs, peak_kb, cpu, err = run(pin + cmd + [path, out], env)
                lines = count_lines(out) if os.path.exists(out) else 0
                unit = "waypoints" if name == "log.nmea" else "records"
                # By the wall clock, and by CPU time (which depends less on a shared machine's load).
                print("%-14s %6.1f MB  rc=%d  wall %6.2f s %7.1f MB/s %9.0f %s/s  cpu %6.2f s %7.1f MB/s %9.0f/s"
                      "  peak %6.1f MB (%.2fx input)  | cat %.0f MB/s"
                      % (case, mb, rc, secs, mb / secs, records / secs, unit, cpu, mb / cpu, records / cpu,
                         peak_kb / 1024, peak_kb / 1024 / mb, mb / max(cat_s, 1e-9)))
                if system == "grid" and lines and not in_grid(out):
                    print("%s: the points are not in the LV95 grid" % case)
                    failed = True
                if rc not in (0, 1) or lines != expected:
                    print("%s: exit %d, %d lines written of %d" % (case, rc, lines, expected))
                    print(err.decode(errors="replace")[-2000:])
                    failed = True
                if os.path.exists(out):
                    os.remove(out)
    raise SystemExit(1 if failed else 0)


if __name__ == "__main__":
    main()
