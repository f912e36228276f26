#include "instruments/TransferModules.h"

namespace veltro {

TransferModules::TransferModules(const std::string& installationDirectory) {
  dfd = std::make_unique<TDFD>();
  geraete = std::make_unique<TGeraete>(installationDirectory);
  SetGeraete(geraete.get());
  init = std::make_unique<TdmInit>();
  ascii = std::make_unique<TdmASCII>(*dfd);
  gsi = std::make_unique<TdmGSI>(*geraete);
  gts6 = std::make_unique<TdmGTS6>(*geraete);
  gts7 = std::make_unique<TdmGTS7>(*geraete);
  ogts7 = std::make_unique<TdmOGTS7>(*geraete);
}

TransferModules::~TransferModules() {
  // Format modules go before the descriptions they are attached to.
  ogts7.reset();
  gts7.reset();
  gts6.reset();
  gsi.reset();
  ascii.reset();
  init.reset();
  geraete.reset();
  dfd.reset();
}

}  // namespace veltro
