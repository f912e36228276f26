#include "instruments/TransferModules.h"

namespace veltro {

TransferModules::TransferModules(const std::string& installationDirectory) {
  dfd = std::make_unique<TDFD>();
  geraete = std::make_unique<TGeraete>(installationDirectory);
  SetGeraete(geraete.get());
  init = std::make_unique<TdmInit>();
  ascii = std::make_unique<TdmASCII>(*dfd);
  caddy = std::make_unique<TdmCADDY>(*dfd);
  cplan = std::make_unique<TdmCPLAN>(*dfd);
  dxf = std::make_unique<TdmDXF>(*dfd);
  editor = std::make_unique<TdmEditor>(*dfd);
  geos = std::make_unique<TdmGEOS>(*dfd);
  homere = std::make_unique<TdmHomere>(*dfd);
  ltop = std::make_unique<TdmLTOP>(*dfd);
  osquso = std::make_unique<TdmOSQUSO>(*dfd);
  sbb = std::make_unique<TdmSBB>(*dfd);
  gsi = std::make_unique<TdmGSI>(*geraete);
  topocad = std::make_unique<TdmTopocad>(*dfd);
  bonjour = std::make_unique<TdmBonjour>(*dfd);
  geotop = std::make_unique<TdmGeotop>(*dfd);
}

std::vector<TdmOfficeFormat*> TransferModules::OfficeFormats() const {
  return {caddy.get(), cplan.get(), editor.get(), geos.get(), homere.get(),  ltop.get(),
          osquso.get(), sbb.get(),  topocad.get(), bonjour.get(), geotop.get()};
}

TransferModules::~TransferModules() {
  // Format modules go before the descriptions they are attached to.
  geotop.reset();
  bonjour.reset();
  topocad.reset();
  gsi.reset();
  sbb.reset();
  osquso.reset();
  ltop.reset();
  homere.reset();
  geos.reset();
  editor.reset();
  dxf.reset();
  cplan.reset();
  caddy.reset();
  ascii.reset();
  init.reset();
  geraete.reset();
  dfd.reset();
}

}  // namespace veltro
