// Which device stands behind "COM"n: a test override, else the user's setting
// "Ports\COM<n>" below the configuration root (a path such as a stable
// /dev/serial/by-id/ name, or a name in /dev such as "ttyUSB0"), else the
// environment variable VELTRO_COM<n>, else the n-th serial device of the
// system (/dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM*, in that order, numerically
// within each group).
#pragma once

#include <string>
#include <vector>

namespace veltro {

// The device path for port n (from 1); "" when no device is configured.
std::string SerialDevicePath(int n);

// Settings path of port n's device.
std::string SerialDeviceSetting(int n);

// The device port n has without a setting of its own: the environment
// variable VELTRO_COM<n>, else the n-th serial device of the system; "" when
// there is none.
std::string AutomaticSerialDevicePath(int n);

// True when the device path for port n names an existing file.
bool SerialDeviceExists(int n);

// Overrides port n with path for tests; "" means "no device". Overrides win
// over the environment and the system list until cleared.
void SetSerialDeviceOverride(int n, const std::string& path);
void ClearSerialDeviceOverrides();

// The system's serial devices in port order. Legacy ttyS nodes whose driver
// reports no UART behind them are left out.
std::vector<std::string> SystemSerialDevices();

// devices with each one that has a stable name in byIdFolder (a link there
// that resolves to the same device, as udev makes for USB adapters) given
// by that name instead, so the choice survives replugging.
std::vector<std::string> StableSerialDeviceNames(const std::vector<std::string>& devices,
                                                 const std::string& byIdFolder = "/dev/serial/by-id");

}  // namespace veltro
