#include "instruments/LibraryFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

TEST(LibraryFileTest, FindsTheLibraryWithoutRegardToCase) {
  TempDir dir;
  EXPECT_EQ(FindLibraryFile(dir.path(), "GTS700.DLL"), "");
  WriteFile(dir / "gts700.dll", "");
  EXPECT_EQ(FindLibraryFile(dir.path(), "GTS700.DLL"), dir / "gts700.dll");
  EXPECT_EQ(FindLibraryFile(dir.path() + "/", "GTS700.DLL"), dir / "gts700.dll");
  EXPECT_EQ(FindLibraryFile(dir.path(), "GTS7.DLL"), "");
  EXPECT_EQ(FindLibraryFile(dir.path(), ""), "");
}

TEST(LibraryFileTest, PrefersTheSharedObjectOfThePlatform) {
  TempDir dir;
  WriteFile(dir / "Tavrin.DLL", "");
  WriteFile(dir / "TAVRIN.so", "");
  EXPECT_EQ(FindLibraryFile(dir.path(), "TAVRIN.DLL"), dir / "TAVRIN.so");
  WriteFile(dir / "libTavrin.so", "");
  EXPECT_EQ(FindLibraryFile(dir.path(), "TAVRIN.DLL"), dir / "libTavrin.so");
}

TEST(LibraryFileTest, AFolderOrAMissingDirectoryIsNoLibrary) {
  TempDir dir;
  std::filesystem::create_directory(dir / "Dummy.DLL");
  EXPECT_EQ(FindLibraryFile(dir.path(), "Dummy.DLL"), "");
  EXPECT_EQ(FindLibraryFile(dir / "missing", "Dummy.DLL"), "");
}

}  // namespace
}  // namespace veltro::test
