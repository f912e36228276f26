#include "instruments/TransferModules.h"

namespace veltro {

TransferModules::TransferModules(const std::string& installationDirectory) {
  dfd = std::make_unique<TDFD>();
  geraete = std::make_unique<TGeraete>(installationDirectory);
  SetGeraete(geraete.get());
  init = std::make_unique<TdmInit>();
  ascii = std::make_unique<TdmASCII>(*dfd);
  gsi = std::make_unique<TdmGSI>(*geraete);
  rec500 = std::make_unique<TdmREC500>(*geraete);
  sdr = std::make_unique<TdmSDR>(*geraete);
}

TransferModules::~TransferModules() {
  // Format modules go before the descriptions they are attached to.
  sdr.reset();
  rec500.reset();
  gsi.reset();
  ascii.reset();
  init.reset();
  geraete.reset();
  dfd.reset();
}

}  // namespace veltro
