// The data modules of a transfer, created in the program's start-up order
// and registered where the engine looks them up. The program and the
// command-line converter both start from here, so a format module is added in
// this one place.
#pragma once

#include <memory>
#include <string>

#include "core/dmInitDaten.h"
#include "formats/office/ASCII.h"
#include "formats/office/DFDefs.h"
#include "formats/office/NewFormat.h"
#include "formats/office/Original.h"
#include "formats/instrument/GSI.h"
#include "instruments/InstrumentenModul.h"

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
  std::unique_ptr<TdmInit> init;
  std::unique_ptr<TdmASCII> ascii;
  std::unique_ptr<TdmNewFormat> newFormat;
  std::unique_ptr<TdmOriginal> original;
  std::unique_ptr<TdmGSI> gsi;
};

}  // namespace veltro
