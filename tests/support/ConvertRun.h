// Runs the built veltro-convert with its own settings file in a temporary
// folder, and compares files byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TransferFixture.h"

namespace veltro::test {

std::string ShellQuote(const std::string& s);

// veltro-convert installed in a temporary folder beside the built libraries,
// with the test family library for every instrument library not built.
const std::string& InstalledConverter();

struct ConvertRun {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string stdoutText;
  std::string stderrText;
};

// veltro-convert with the arguments (already quoted), the settings file
// tmp/settings.ini and XDG_CONFIG_HOME in tmp.
ConvertRun RunConverter(const TempDir& tmp, const std::string& args);

// Equal bytes; otherwise the first differing line of each and a hex view of
// both from there.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

}  // namespace veltro::test
