#include "platform/DynamicLibrary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>

#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

const std::string kProgramDir = VELTRO_BUILD_DIR "/app/";
const std::string kTestLibDir = VELTRO_BUILD_DIR "/lang/testlibs/";

using LoadStrRes = const char* (*)(int32_t);

class DynamicLibraryTest : public ::testing::Test {
 protected:
  ~DynamicLibraryTest() override { SetInstallationDirectory(""); }
};

TEST_F(DynamicLibraryTest, DllNamesMapToSharedObjectNames) {
  EXPECT_EQ(LibraryFileName("LANGDES.DLL"), "libLANGDES.so");
  EXPECT_EQ(LibraryFileName("Dummy.dll"), "libDummy.so");
  EXPECT_EQ(LibraryFileName("CALCNIV"), "libCALCNIV.so");
  EXPECT_EQ(LibraryFileName("sub/Tavrin.Dll"), "libTavrin.so");
  EXPECT_EQ(LibraryFileName(".DLL"), "lib.DLL.so");
}

TEST_F(DynamicLibraryTest, FindIgnoresLetterCaseButNotFolders) {
  TempDir tmp;
  std::filesystem::copy_file(kProgramDir + "libLANGENG.so", tmp / "libLangEng.so");
  ASSERT_EQ(mkdir((tmp / "libFOLDER.so").c_str(), 0700), 0);

  EXPECT_EQ(FindLibrary("LANGENG.DLL", tmp.path()), tmp / "libLangEng.so");
  EXPECT_EQ(FindLibrary("langeng.dll", tmp.path() + "/"), tmp / "libLangEng.so");
  EXPECT_EQ(FindLibrary("FOLDER.DLL", tmp.path()), "");
  EXPECT_EQ(FindLibrary("LANGFIN.DLL", tmp.path()), "");
  EXPECT_EQ(FindLibrary("", tmp.path()), "");
  EXPECT_EQ(FindLibrary("LANGENG.DLL", tmp / "missing"), "");
  // A name with a folder is looked up there.
  EXPECT_EQ(FindLibrary(tmp / "LANGENG.DLL", "/nowhere"), tmp / "libLangEng.so");
}

TEST_F(DynamicLibraryTest, InstallationDirectoryDefaultsToTheProgramFolder) {
  std::string dir = InstallationDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path(), std::filesystem::canonical(dir));

  SetInstallationDirectory(kProgramDir + "..");
  EXPECT_EQ(InstallationDirectory(), kProgramDir + "../");
  EXPECT_TRUE(LibraryExists("LANGDES.DLL") == false);
  SetInstallationDirectory(kProgramDir);
  EXPECT_TRUE(LibraryExists("LANGDES.DLL"));
  SetInstallationDirectory("");
  EXPECT_EQ(InstallationDirectory(), dir);
}

TEST_F(DynamicLibraryTest, LoadLookUpAndFree) {
  DynamicLibrary lib;
  EXPECT_FALSE(lib.IsLoaded());
  EXPECT_EQ(lib.Symbol("LoadStrRes"), nullptr);

  ASSERT_TRUE(lib.Load(kProgramDir + "libLANGDES.so")) << lib.Error();
  EXPECT_TRUE(lib.IsLoaded());
  EXPECT_NE(lib.Handle(), nullptr);
  auto load = lib.Export<LoadStrRes>("LoadStrRes");
  ASSERT_NE(load, nullptr);
  EXPECT_STREQ(load(98), "&Ok");
  EXPECT_EQ(lib.Symbol("loadstrres"), nullptr);  // exports match exactly
  EXPECT_EQ(lib.Symbol(nullptr), nullptr);

  DynamicLibrary moved = std::move(lib);
  EXPECT_FALSE(lib.IsLoaded());
  EXPECT_TRUE(moved.IsLoaded());
  moved.Free();
  EXPECT_FALSE(moved.IsLoaded());
  moved.Free();
}

TEST_F(DynamicLibraryTest, FailedLoadsReportAndKeepNothingOrThePrevious) {
  DynamicLibrary lib;
  EXPECT_FALSE(lib.Load(kProgramDir + "libMISSING.so"));
  EXPECT_FALSE(lib.IsLoaded());
  EXPECT_FALSE(lib.Error().empty());

  TempDir tmp;
  WriteFile(tmp / "libBROKEN.so", "not a shared object");
  EXPECT_FALSE(lib.Load(tmp / "libBROKEN.so"));

  SetInstallationDirectory(kProgramDir);
  ASSERT_TRUE(LoadLibraryByName("LANGENG.DLL", lib));
  EXPECT_FALSE(LoadLibraryByName("LANGXXX.DLL", lib));
  SetInstallationDirectory(tmp.path());
  EXPECT_FALSE(LoadLibraryByName("BROKEN.DLL", lib));
  ASSERT_TRUE(lib.IsLoaded());
  EXPECT_STREQ(lib.Export<LoadStrRes>("LoadStrRes")(98), "&OK");
}

TEST_F(DynamicLibraryTest, TwoLibrariesWithTheSameExportStayApart) {
  DynamicLibrary de, en;
  ASSERT_TRUE(de.Load(kProgramDir + "libLANGDES.so"));
  ASSERT_TRUE(en.Load(kProgramDir + "libLANGENG.so"));
  EXPECT_STREQ(de.Export<LoadStrRes>("LoadStrRes")(99), "Ab&brechen");
  EXPECT_STREQ(en.Export<LoadStrRes>("LoadStrRes")(99), "&Cancel");
}

TEST_F(DynamicLibraryTest, MissingExportIsNull) {
  DynamicLibrary lib;
  ASSERT_TRUE(lib.Load(kTestLibDir + "libLANGNOEXPORT.so")) << lib.Error();
  EXPECT_EQ(lib.Symbol("LoadStrRes"), nullptr);
  EXPECT_NE(lib.Symbol("LoadStrResource"), nullptr);
}

}  // namespace
}  // namespace veltro::test
