#include "instruments/TransferModules.h"

namespace veltro {

TransferModules::TransferModules(const std::string& installationDirectory) {
  dfd = std::make_unique<TDFD>();
  geraete = std::make_unique<TGeraete>(installationDirectory);
  SetGeraete(geraete.get());
  init = std::make_unique<TdmInit>();
  ascii = std::make_unique<TdmASCII>(*dfd);
  newFormat = std::make_unique<TdmNewFormat>(*dfd, *geraete);
  original = std::make_unique<TdmOriginal>(*dfd, *geraete);
  gsi = std::make_unique<TdmGSI>(*geraete);
}

TransferModules::~TransferModules() {
  // Format modules go before the descriptions they are attached to.
  gsi.reset();
  original.reset();
  newFormat.reset();
  ascii.reset();
  init.reset();
  geraete.reset();
  dfd.reset();
}

}  // namespace veltro
