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
  pugi::xml_document doc;
  pugi::xml_node w = doc.append_child("wpt");
  w.append_attribute("lat").set_value(g->lat.c_str());
  w.append_attribute("lon").set_value(g->lon.c_str());
  if (!g->height.empty()) AddText(w, "ele", g->height);
  if (!p.Punktnummer.empty()) AddText(w, "name", AnsiToUtf8(p.Punktnummer));
  if (!p.Kommentar.empty()) AddText(w, "cmt", AnsiToUtf8(p.Kommentar));
  if (!p.Code1.empty()) AddText(w, "type", AnsiToUtf8(p.Code1));
  return ElementLine(w);
}

bool TdmGPX::IsDocument(const std::string& text) const { return text.find("<gpx") != std::string::npos; }

void TdmGPX::Parse(const std::string& bytes) {
  pugi::xml_document doc;
  if (!Load(doc, bytes, "gpx")) return;
  for (pugi::xml_node n = doc.document_element().first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    const std::string name = LocalName(n);
    if (name == "rte" || name == "trk") {
      Note(kTextNotAPoint, Where(n), "<" + name + ">");
      continue;
    }
    if (name != "wpt") continue;
    GisPoint p;
    if (!FromGeographic(n.attribute("lon").value(), n.attribute("lat").value(), ChildText(n, "ele"), Where(n), p))
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
