// The settings store: the registry's semantics over INI files.
//
// A path "Key\Sub\Name" addresses value Name of key "Key\Sub"; a path ending
// in "\" addresses the key's unnamed default value. Key and value names
// compare without regard to case. Two roots: the current user's (under
// $XDG_CONFIG_HOME) and the machine's (under the system configuration folder;
// both overridable, e.g. for tests or the converter's --settings FILE).
// Failures are never reported: reads answer their defaults, writes are
// skipped, and a corrupt file is never destroyed by a later write.
#pragma once

#include <string>
#include <vector>

namespace veltro {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Program key and configuration root.
inline constexpr const char* kProgramKey = "Software\\VELTRO Marten\\Surtrans";
inline constexpr const char* kConfigurationKey = "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\";

int ReadRegInteger(RegistryRoot root, const std::string& path, int def);
std::string ReadRegString(RegistryRoot root, const std::string& path, const std::string& def);
bool ReadRegBool(RegistryRoot root, const std::string& path, bool def);
void WriteRegInteger(RegistryRoot root, const std::string& path, int value, bool always);
void WriteRegString(RegistryRoot root, const std::string& path, const std::string& value, bool always);
void WriteRegBool(RegistryRoot root, const std::string& path, bool value, bool always);
bool RegKeyExists(RegistryRoot root, const std::string& key);
void RegCreateKey(RegistryRoot root, const std::string& key);
bool RegValueExists(RegistryRoot root, const std::string& path);
// Value names of a key, in stored order.
std::vector<std::string> RegValueNames(RegistryRoot root, const std::string& key);
void RegDeleteValue(RegistryRoot root, const std::string& path);
void RegDeleteKey(RegistryRoot root, const std::string& key);

// Where each root's file lives.
void SetRegistryFile(RegistryRoot root, const std::string& iniPath);
std::string RegistryFile(RegistryRoot root);

}  // namespace veltro
