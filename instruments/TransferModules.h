// The data modules of a transfer, created in the program's start-up order
// and registered where the engine looks them up. The program and the
// command-line converter both start from here, so a format module is added in
// this one place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/dmInitDaten.h"
#include "formats/office/ASCII.h"
#include "formats/office/Bonjour.h"
#include "formats/office/CPlan.h"
#include "formats/office/Caddy.h"
#include "formats/office/DFDefs.h"
#include "formats/office/DXF.h"
#include "formats/office/Editor.h"
#include "formats/office/Geos.h"
#include "formats/office/Geotop.h"
#include "formats/office/Homere.h"
#include "formats/office/LTOP.h"
#include "formats/office/OSQUSO.h"
#include "formats/office/SBB.h"
#include "formats/office/Topocad.h"
#include "formats/office/NewFormat.h"
#include "formats/office/Original.h"
#include "formats/instrument/AP700.h"
#include "formats/instrument/DC1.h"
#include "formats/office/CSV.h"
#include "formats/office/GeoJSON.h"
#include "formats/office/GPX.h"
#include "formats/office/KML.h"
#include "formats/office/LandXML.h"
#include "formats/instrument/DL100.h"
#include "formats/instrument/GSI.h"
#include "formats/instrument/GTS6.h"
#include "formats/instrument/GTS7.h"
#include "formats/instrument/NMEA.h"
#include "formats/instrument/OTS.h"
#include "formats/instrument/RW5.h"
#include "formats/instrument/REC500.h"
#include "formats/instrument/SDR.h"
#include "formats/instrument/TAVRIN.h"
#include "instruments/InstrumentenModul.h"
#include "instruments/LibraryBinding.h"

namespace veltro {

class TransferModules {
 public:
  // installationDirectory: where instrument and language libraries lie
  // (empty: the program's own folder).
  explicit TransferModules(const std::string& installationDirectory = {});
  ~TransferModules();
  TransferModules(const TransferModules&) = delete;
  TransferModules& operator=(const TransferModules&) = delete;

  std::unique_ptr<TDFD> dfd;
  std::unique_ptr<TGeraete> geraete;
  // The instrument library of the current instrument (LoadSettings and
  // SelectInstrument load it).
  std::unique_ptr<TLibraryBinding> binding;
  std::unique_ptr<TdmInit> init;
  std::unique_ptr<TdmASCII> ascii;
  std::unique_ptr<TdmCADDY> caddy;
  std::unique_ptr<TdmCPLAN> cplan;
  std::unique_ptr<TdmDXF> dxf;
  std::unique_ptr<TdmEditor> editor;
  std::unique_ptr<TdmGEOS> geos;
  std::unique_ptr<TdmHomere> homere;
  std::unique_ptr<TdmLTOP> ltop;
  std::unique_ptr<TdmNewFormat> newFormat;
  std::unique_ptr<TdmOriginal> original;
  std::unique_ptr<TdmOSQUSO> osquso;
  std::unique_ptr<TdmSBB> sbb;
  std::unique_ptr<TdmDL100> dl100;
  std::unique_ptr<TdmGSI> gsi;
  std::unique_ptr<TdmGTS6> gts6;
  std::unique_ptr<TdmGTS7> gts7;
  std::unique_ptr<TdmREC500> rec500;
  std::unique_ptr<TdmSDR> sdr;
  std::unique_ptr<TdmAP700> ap700;
  std::unique_ptr<TdmTopocad> topocad;
  std::unique_ptr<TdmBonjour> bonjour;
  std::unique_ptr<TdmGeotop> geotop;
  std::unique_ptr<TdmNMEA> nmea;
  std::unique_ptr<TdmTAVRIN> tavrin;
  std::unique_ptr<TdmOTS> ots;
  std::unique_ptr<TdmOGTS7> ogts7;
  std::unique_ptr<TdmMMW> mmw;
  std::unique_ptr<TdmDC1> dc1;
  std::unique_ptr<TdmRW5> rw5;
  std::unique_ptr<TdmCSV> csv;
  std::unique_ptr<TdmGeoJSON> geoJson;
  std::unique_ptr<TdmGPX> gpx;
  std::unique_ptr<TdmKML> kml;
  std::unique_ptr<TdmLandXML> landXml;

  // The office and CAD program format modules in creation order.
  std::vector<TdmOfficeFormat*> OfficeFormats() const;
  // The exchange formats of GIS and CAD tools in creation order.
  std::vector<TdmGisFormat*> GisFormats() const;
};

}  // namespace veltro
