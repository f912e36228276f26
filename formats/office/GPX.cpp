#include "formats/office/GPX.h"

#include "platform/CodePage1252.h"

namespace veltro {
namespace {

constexpr int kTextNotAPoint = 876;  // %s caption, %s line, %s type

}  // namespace

TdmGPX::TdmGPX(TDFD& dfd) : TdmGisXmlFormat("dmGPX", dfd, *dfd.GPX) {}

std::vector<std::string> TdmGPX::Head() {
  return {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
          "<gpx version=\"1.1\" creator=\"TransferVeltro\" xmlns=\"http://www.topografix.com/GPX/1/1\">"};
}

std::string TdmGPX::PointElement(const GisPoint& p) {
  auto g = ToGeographic(p);
  if (!g) return kWriteError;
  XmlElement w;
  w.name = "wpt";
  w.Set("lat", g->lat).Set("lon", g->lon);
  if (!g->height.empty()) AddText(w, "ele", g->height);
  if (!p.Punktnummer.empty()) AddText(w, "name", AnsiToUtf8(p.Punktnummer));
  if (!p.Kommentar.empty()) AddText(w, "cmt", AnsiToUtf8(p.Kommentar));
  if (!p.Code1.empty()) AddText(w, "type", AnsiToUtf8(p.Code1));
  return w.Print();
}

bool TdmGPX::IsDocument(const std::string& text) const { return text.find("<gpx") != std::string::npos; }

void TdmGPX::Parse(const std::string& bytes) {
  XmlElement root;
  if (!Load(root, bytes, "gpx")) return;
  for (const XmlElement& n : root.children) {
    const std::string name = LocalName(n);
    if (name == "rte" || name == "trk") {
      Note(kTextNotAPoint, Where(n), "<" + name + ">");
      continue;
    }
    if (name != "wpt") continue;
    GisPoint p;
    if (!FromGeographic(n.Attribute("lon"), n.Attribute("lat"), ChildText(n, "ele"), Where(n), p))
      continue;
    p.Punktnummer = Text(ChildText(n, "name"), n);
    p.Kommentar = FromUtf8(ChildText(n, "cmt"), Where(n));
    if (p.Kommentar.empty()) p.Kommentar = FromUtf8(ChildText(n, "desc"), Where(n));
    p.Code1 = Text(ChildText(n, "type"), n);
    if (p.Code1.empty()) p.Code1 = Text(ChildText(n, "sym"), n);
    Emit(p);
  }
}

}  // namespace veltro
