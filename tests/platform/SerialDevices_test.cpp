#include "platform/SerialDevices.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/TextUtils.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

// Sets an environment variable for the life of the guard.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~EnvGuard() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SerialDevicesTest : public ::testing::Test {
 protected:
  ~SerialDevicesTest() override { ClearSerialDeviceOverrides(); }
  TempSettings settings;
  TempDir tmp;
};

TEST_F(SerialDevicesTest, OverrideNamesTheDevice) {
  WriteFile(tmp / "pty1", "");
  SetSerialDeviceOverride(1, tmp / "pty1");
  EXPECT_EQ(SerialDevicePath(1), tmp / "pty1");
  EXPECT_TRUE(SerialDeviceExists(1));
  EXPECT_TRUE(PortExists(1));
  SetSerialDeviceOverride(1, tmp / "gone");
  EXPECT_FALSE(SerialDeviceExists(1));
  EXPECT_FALSE(PortExists(1));
}

TEST_F(SerialDevicesTest, EmptyOverrideMeansNoDevice) {
  EnvGuard env("VELTRO_COM2", "/dev/null");
  SetSerialDeviceOverride(2, "");
  EXPECT_EQ(SerialDevicePath(2), "");
  EXPECT_FALSE(PortExists(2));
}

TEST_F(SerialDevicesTest, EnvironmentVariableNamesTheDevice) {
  WriteFile(tmp / "link", "");
  EnvGuard env("VELTRO_COM7", (tmp / "link").c_str());
  EXPECT_EQ(SerialDevicePath(7), tmp / "link");
  EXPECT_TRUE(PortExists(7));
  SetSerialDeviceOverride(7, tmp / "other");  // the test override wins
  EXPECT_EQ(SerialDevicePath(7), tmp / "other");
  EXPECT_FALSE(PortExists(7));
  ClearSerialDeviceOverrides();
  EXPECT_EQ(SerialDevicePath(7), tmp / "link");
}

TEST_F(SerialDevicesTest, SettingNamesTheDeviceBeforeTheEnvironment) {
  WriteFile(tmp / "by-id", "");
  EnvGuard env("VELTRO_COM4", "/nowhere");
  WriteRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(4), tmp / "by-id", true);
  EXPECT_EQ(SerialDeviceSetting(4), "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\Ports\\COM4");
  EXPECT_EQ(SerialDevicePath(4), tmp / "by-id");
  EXPECT_TRUE(PortExists(4));
  WriteRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(4), "ttyUSB3", true);
  EXPECT_EQ(SerialDevicePath(4), "/dev/ttyUSB3");
  WriteRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(4), "", true);
  EXPECT_EQ(SerialDevicePath(4), "/nowhere");
  // The automatic device ignores the setting.
  WriteRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(4), "ttyUSB3", true);
  EXPECT_EQ(AutomaticSerialDevicePath(4), "/nowhere");
}

TEST_F(SerialDevicesTest, DevicesWithAStableNameAreOfferedByThatName) {
  namespace fs = std::filesystem;
  WriteFile(tmp / "ttyUSB0", "");
  WriteFile(tmp / "ttyUSB1", "");
  fs::create_directory(tmp / "by-id");
  fs::create_symlink("../ttyUSB1", tmp / "by-id/usb-FTDI_FT232R_A1-if00-port0");
  fs::create_symlink("../gone", tmp / "by-id/usb-dangling");
  const std::vector<std::string> devices = {tmp / "ttyUSB0", tmp / "ttyUSB1", "/nonexistent/ttyS7"};
  EXPECT_EQ(StableSerialDeviceNames(devices, tmp / "by-id"),
            (std::vector<std::string>{tmp / "ttyUSB0", tmp / "by-id/usb-FTDI_FT232R_A1-if00-port0",
                                      "/nonexistent/ttyS7"}));
  EXPECT_EQ(StableSerialDeviceNames(devices, tmp / "missing"), devices);
}

TEST_F(SerialDevicesTest, EmptyEnvironmentVariableMeansNoDevice) {
  EnvGuard env("VELTRO_COM3", "");
  EXPECT_EQ(SerialDevicePath(3), "");
  EXPECT_FALSE(PortExists(3));
}

TEST_F(SerialDevicesTest, WithoutSettingThePortIsTheNthSystemDevice) {
  EnvGuard env("VELTRO_COM1", nullptr);
  std::vector<std::string> devices = SystemSerialDevices();
  if (devices.empty()) {
    EXPECT_EQ(SerialDevicePath(1), "");
    EXPECT_FALSE(PortExists(1));
  } else {
    EXPECT_EQ(SerialDevicePath(1), devices[0]);
    EXPECT_TRUE(PortExists(1));
  }
  EXPECT_EQ(SerialDevicePath(0), "");
  EXPECT_EQ(SerialDevicePath(-3), "");
}

TEST_F(SerialDevicesTest, SystemDevicesAreGroupedAndNumericallySorted) {
  auto rank = [](const std::string& path) {
    if (path.rfind("/dev/ttyS", 0) == 0) return 0;
    if (path.rfind("/dev/ttyUSB", 0) == 0) return 1;
    if (path.rfind("/dev/ttyACM", 0) == 0) return 2;
    return 3;
  };
  auto number = [](const std::string& path) {
    size_t digits = path.find_first_of("0123456789");
    return std::stol(path.substr(digits));
  };
  std::vector<std::string> devices = SystemSerialDevices();
  for (size_t i = 0; i < devices.size(); ++i) {
    EXPECT_LT(rank(devices[i]), 3) << devices[i];
    if (i == 0) continue;
    const std::string& a = devices[i - 1];
    const std::string& b = devices[i];
    EXPECT_TRUE(rank(a) < rank(b) || (rank(a) == rank(b) && number(a) < number(b))) << a << " before " << b;
  }
}

}  // namespace
}  // namespace veltro::test
