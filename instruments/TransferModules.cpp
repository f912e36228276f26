#include "instruments/TransferModules.h"

namespace veltro {

TransferModules::TransferModules(const std::string& installationDirectory) {
  dfd = std::make_unique<TDFD>();
  geraete = std::make_unique<TGeraete>(installationDirectory);
  SetGeraete(geraete.get());
  binding = std::make_unique<TLibraryBinding>(*geraete);
  init = std::make_unique<TdmInit>();
  ascii = std::make_unique<TdmASCII>(*dfd);
  caddy = std::make_unique<TdmCADDY>(*dfd);
  cplan = std::make_unique<TdmCPLAN>(*dfd);
  dxf = std::make_unique<TdmDXF>(*dfd);
  editor = std::make_unique<TdmEditor>(*dfd);
  geos = std::make_unique<TdmGEOS>(*dfd);
  homere = std::make_unique<TdmHomere>(*dfd);
  ltop = std::make_unique<TdmLTOP>(*dfd);
  newFormat = std::make_unique<TdmNewFormat>(*dfd, *geraete);
  original = std::make_unique<TdmOriginal>(*dfd, *geraete);
  osquso = std::make_unique<TdmOSQUSO>(*dfd);
  sbb = std::make_unique<TdmSBB>(*dfd);
  dl100 = std::make_unique<TdmDL100>(*geraete);
  gsi = std::make_unique<TdmGSI>(*geraete);
  gts6 = std::make_unique<TdmGTS6>(*geraete);
  gts7 = std::make_unique<TdmGTS7>(*geraete);
  rec500 = std::make_unique<TdmREC500>(*geraete);
  sdr = std::make_unique<TdmSDR>(*geraete);
  ap700 = std::make_unique<TdmAP700>(*geraete);
  topocad = std::make_unique<TdmTopocad>(*dfd);
  bonjour = std::make_unique<TdmBonjour>(*dfd);
  geotop = std::make_unique<TdmGeotop>(*dfd);
  nmea = std::make_unique<TdmNMEA>(*geraete);
  tavrin = std::make_unique<TdmTAVRIN>(*geraete);
  ots = std::make_unique<TdmOTS>(*geraete);
  ogts7 = std::make_unique<TdmOGTS7>(*geraete);
  mmw = std::make_unique<TdmMMW>(*geraete);
  dc1 = std::make_unique<TdmDC1>(*geraete);
  rw5 = std::make_unique<TdmRW5>(*geraete);
  csv = std::make_unique<TdmCSV>(*dfd);
  geoJson = std::make_unique<TdmGeoJSON>(*dfd);
  gpx = std::make_unique<TdmGPX>(*dfd);
  kml = std::make_unique<TdmKML>(*dfd);
  landXml = std::make_unique<TdmLandXML>(*dfd);
}

std::vector<TdmGisFormat*> TransferModules::GisFormats() const {
  return {csv.get(), geoJson.get(), gpx.get(), kml.get(), landXml.get()};
}

std::vector<TdmOfficeFormat*> TransferModules::OfficeFormats() const {
  return {caddy.get(), cplan.get(), editor.get(), geos.get(), homere.get(),  ltop.get(),
          osquso.get(), sbb.get(),  topocad.get(), bonjour.get(), geotop.get()};
}

TransferModules::~TransferModules() {
  // Modules go in the reverse order of their creation, format modules
  // before the descriptions they are attached to.
  landXml.reset();
  kml.reset();
  gpx.reset();
  geoJson.reset();
  csv.reset();
  rw5.reset();
  dc1.reset();
  mmw.reset();
  ogts7.reset();
  ots.reset();
  tavrin.reset();
  nmea.reset();
  geotop.reset();
  bonjour.reset();
  topocad.reset();
  ap700.reset();
  sdr.reset();
  rec500.reset();
  gts7.reset();
  gts6.reset();
  gsi.reset();
  dl100.reset();
  sbb.reset();
  osquso.reset();
  original.reset();
  newFormat.reset();
  ltop.reset();
  homere.reset();
  geos.reset();
  editor.reset();
  dxf.reset();
  cplan.reset();
  caddy.reset();
  ascii.reset();
  init.reset();
  binding.reset();
  geraete.reset();
  dfd.reset();
}

}  // namespace veltro
