// The built coordinate-system library, loaded the way the program loads it
// ("WGSXYZ.DLL" from the installation directory), with its exports.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/DynamicLibrary.h"
#include "wgsxyz/CoordinateBlock.h"
#include "wgsxyz/WGSXYZ.h"

namespace veltro::test {

class WgsxyzLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = FindLibrary("WGSXYZ.DLL", VELTRO_BUILD_DIR "/app/");
    ASSERT_FALSE(path.empty());
    ASSERT_TRUE(library_.Load(path)) << library_.Error();
    setLanguageStrings = library_.Export<WGSXYZSetLanguageStringsFn>("SetLanguageStrings");
    getAktivSystem = library_.Export<WGSXYZGetAktivSystemFn>("GetAktivSystem");
    showParams = library_.Export<WGSXYZShowParamsFn>("ShowParams");
    toGrid = library_.Export<WGSXYZConvertFn>("WGS84ToXYZ");
    toGeographic = library_.Export<WGSXYZConvertFn>("XYZToWGS84");
    ASSERT_TRUE(setLanguageStrings && getAktivSystem && showParams && toGrid && toGeographic);
  }

  wgsxyz::CoordinateBlock Active(const char* system, const char* directory = "") {
    wgsxyz::CoordinateBlock block;
    getAktivSystem(block.Data(), directory, system, 0);
    return block;
  }
  wgsxyz::Triple Grid(wgsxyz::CoordinateBlock& block, int32_t mode, double lon, double lat, double height) {
    block.SetMode(mode);
    block.SetGeographic(lon, lat, height);
    toGrid(block.Data());
    return block.Grid();
  }
  wgsxyz::Triple Geographic(wgsxyz::CoordinateBlock& block, int32_t mode, double y, double x, double height) {
    block.SetMode(mode);
    block.SetGrid(y, x, height);
    toGeographic(block.Data());
    return block.Geographic();
  }

  WGSXYZSetLanguageStringsFn setLanguageStrings = nullptr;
  WGSXYZGetAktivSystemFn getAktivSystem = nullptr;
  WGSXYZShowParamsFn showParams = nullptr;
  WGSXYZConvertFn toGrid = nullptr;
  WGSXYZConvertFn toGeographic = nullptr;

 private:
  DynamicLibrary library_;
};

}  // namespace veltro::test
