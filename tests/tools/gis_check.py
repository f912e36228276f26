#!/usr/bin/python3
"""The exchange-format samples read by independent readers.

    gis_check.py DATA_DIR

The samples in DATA_DIR/<format>/ are the converter's output byte for byte
(the converter tests compare them). Here GDAL's ogrinfo reads the CSV,
GeoJSON, GPX and KML files and must find the points of their GSI source
with the same names, codes and values: grid values exactly, geographic
ones turned back into the Swiss LV03 grid by PROJ's cs2cs. cs2cs takes its
own choice of the CH1903 datum shift, which lies up to a decimetre beside
the coordinate-system library's (an operation of stated accuracy), so the
grid comparison allows 0.25 m; the geographic formats must moreover give
the same longitude and latitude to 1e-9 degree. xmllint must accept the
LandXML, GPX and KML files.
"""
import re
import subprocess
import sys

DATA = sys.argv[1]
failures = []


def fail(case, text):
    failures.append("%s: %s" % (case, text))


def gsi_points(name):
    """Point number, code, easting, northing, height (None) of a GSI 16 file."""
    points = []
    for line in open("%s/office/%s" % (DATA, name), encoding="cp1252"):
        words = {w[:2]: w[6:] for w in line.lstrip("*").split()}
        def value(key):
            if key not in words:
                return None
            text = words[key]
            return int(text[1:]) * (-1 if text[0] == "-" else 1) / 1000.0
        points.append((words["11"][1:].lstrip("0"), words.get("71", "+")[1:].lstrip("0"),
                       value("81"), value("82"), value("83")))
    return points


def ogr_features(path):
    out = subprocess.run(["ogrinfo", "-ro", "-al", "-q", path], capture_output=True, text=True)
    if out.returncode != 0:
        return None, out.stderr
    features = []
    for block in re.split(r"\n(?=OGRFeature)", out.stdout):
        if not block.startswith("OGRFeature"):
            continue
        fields = dict(re.findall(r"^  (\w+) \(\w+\) = (.*)$", block, re.M))
        geometry = re.search(r"POINT(?: Z)? \(([^)]*)\)", block)
        features.append((fields, [float(v) for v in geometry.group(1).split()] if geometry else None))
    return features, ""


def to_lv03(lon, lat):
    out = subprocess.run(["cs2cs", "-f", "%.4f", "EPSG:4326", "EPSG:21781"], input="%r %r\n" % (lat, lon),
                         capture_output=True, text=True)
    y, x = out.stdout.split()[:2]
    return float(y), float(x)


GEOGRAPHIC_TOLERANCE = 0.25  # metres, between two datum shifts
seen = {}  # longitude, latitude of each point in the geographic files


def check(case, path, source, names, geographic):
    features, error = ogr_features(path)
    if features is None:
        fail(case, "ogrinfo: " + error)
        return
    # GPX files also hold empty route and track layers.
    features = [f for f in features if f[1] is not None or f[0]]
    if len(features) != len(source):
        fail(case, "%d features, %d points" % (len(features), len(source)))
        return
    for (fields, geometry), (number, code, y, x, h) in zip(features, source):
        if fields.get(names[0]) != number:
            fail(case, "name %r, expected %r" % (fields.get(names[0]), number))
        if names[1] and fields.get(names[1], "") != code:
            fail(case, "code %r, expected %r" % (fields.get(names[1]), code))
        tolerance = GEOGRAPHIC_TOLERANCE if geographic else 0.0005
        if geographic:
            first = seen.setdefault(number, geometry[:2])
            if abs(first[0] - geometry[0]) > 1e-9 or abs(first[1] - geometry[1]) > 1e-9:
                fail(case, "point %s at %r, another file has %r" % (number, geometry[:2], first))
        if geometry is None:
            values = [float(fields["easting"]), float(fields["northing"])]
            height = float(fields["height"]) if fields["height"] else None
        else:
            values = to_lv03(geometry[0], geometry[1]) if geographic else geometry[:2]
            height = geometry[2] if len(geometry) > 2 else float(fields["ele"]) if "ele" in fields else None
        if abs(values[0] - y) > tolerance or abs(values[1] - x) > tolerance:
            fail(case, "point %s at %r, expected %r" % (number, values, (y, x)))
        if (height is None) != (h is None) or (h is not None and abs(height - h) > 0.0005):
            fail(case, "point %s height %r, expected %r" % (number, height, h))


source = gsi_points("punkte-kurz.gsi")
for case, names, geographic in (("csv/koordinaten.csv", ("id", "code"), False),
                                ("geojson/koordinaten.geojson", ("id", "code"), True),
                                ("geojson/koordinaten-raster.geojson", ("id", "code"), False),
                                ("gpx/koordinaten.gpx", ("name", "type"), True),
                                ("kml/koordinaten.kml", ("Name", "code"), True)):
    check(case, "%s/%s" % (DATA, case), source, names, geographic)

for case in ("landxml/koordinaten.xml", "landxml/messung.xml", "landxml/texte.xml", "gpx/koordinaten.gpx",
             "gpx/texte.gpx", "kml/koordinaten.kml", "kml/texte.kml"):
    out = subprocess.run(["xmllint", "--noout", "%s/%s" % (DATA, case)], capture_output=True, text=True)
    if out.returncode != 0:
        fail(case, "xmllint: " + out.stderr)

for f in failures:
    print(f)
print("%d passed, %d failed" % (0 if failures else 1, len(failures)))
sys.exit(1 if failures else 0)
