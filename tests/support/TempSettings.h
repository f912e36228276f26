// Points both settings roots at files in a fresh temporary folder for the
// life of the object and back at their default locations afterwards, so no
// test reads or writes the real user or machine settings.
#pragma once

#include <string>

#include "platform/Registry.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {

class TempSettings {
 public:
  TempSettings();
  ~TempSettings();
  TempSettings(const TempSettings&) = delete;
  TempSettings& operator=(const TempSettings&) = delete;

  const std::string& UserFile() const { return user_; }
  const std::string& MachineFile() const { return machine_; }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string user_;
  std::string machine_;
};

}  // namespace veltro::test
