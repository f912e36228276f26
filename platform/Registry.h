// The settings store: the registry's semantics over INI files.
//
// A path "Key\Sub\Name" addresses value Name of key "Key\Sub"; a path ending
// in "\" addresses the key's unnamed default value. Key and value names
// compare without regard to case (code page 1252 letters included); a name
// keeps the spelling it was first written with. Two roots: the current
// user's ($XDG_CONFIG_HOME or ~/.config, "VELTRO Marten/Surtrans.ini") and the
// machine's (first folder of $XDG_CONFIG_DIRS or /etc/xdg, same name); both
// can be pointed elsewhere, e.g. for tests or the converter's --settings FILE.
//
// File layout: one section per key, "[Software\VELTRO Marten\Surtrans]",
// then "Name=value" lines; the default value is written "@=value". Values are
// untyped text: integers as decimal text, Booleans as "1"/"0". Every byte of
// 8-bit text is kept; "%", control bytes (CR, LF, TAB ...) and blanks at
// either end are written as %HH, so multi-line texts stay on one line.
// Names escape "=" and a leading "[", ";", "#" or "@" the same way.
//
// Failures are never reported: reads answer their defaults and writes are
// skipped. A damaged file does not stop the program and is not destroyed by
// a later write: lines that are not understood (garbage, a broken section
// header and the lines under it, anything before the first section) are not
// readable but are written back verbatim when the file is rewritten.
// An existing file that cannot be read (permissions) is never replaced.
// Writes go to a temporary file that is renamed over the old one.
#pragma once

#include <string>
#include <vector>

namespace veltro {

enum class RegistryRoot { CurrentUser, LocalMachine };

// Program key and configuration root.
inline constexpr const char* kProgramKey = "Software\\VELTRO Marten\\Surtrans";
inline constexpr const char* kConfigurationKey = "Software\\VELTRO Marten\\Surtrans\\2.1.1.5\\Configuration\\";

int ReadRegInteger(RegistryRoot root, const std::string& path, int def);
// The stored integer when it lies in [min, max]; def for a missing,
// non-numeric or out-of-range value.
int ReadRegIntegerInRange(RegistryRoot root, const std::string& path, int def, int min, int max);
std::string ReadRegString(RegistryRoot root, const std::string& path, const std::string& def);
// An integer (non-zero is true) or "true"/"false"; anything else answers def.
bool ReadRegBool(RegistryRoot root, const std::string& path, bool def);

// Creates missing keys. A missing value is written; an existing one is
// overwritten only with `always` (false seeds a default without touching a
// user's value). Answer: the store holds the value afterwards (callers may
// ignore it; failures are never reported to the user).
bool WriteRegInteger(RegistryRoot root, const std::string& path, int value, bool always);
bool WriteRegString(RegistryRoot root, const std::string& path, const std::string& value, bool always);
bool WriteRegBool(RegistryRoot root, const std::string& path, bool value, bool always);

// A key exists when it was created or holds a value, or a sub-key does.
bool RegKeyExists(RegistryRoot root, const std::string& key);
void RegCreateKey(RegistryRoot root, const std::string& key);
bool RegValueExists(RegistryRoot root, const std::string& path);
// Value names of a key, in stored order; the default value's name is "".
std::vector<std::string> RegValueNames(RegistryRoot root, const std::string& key);
// Names of the direct sub-keys of a key, in stored order.
std::vector<std::string> RegSubKeyNames(RegistryRoot root, const std::string& key);
void RegDeleteValue(RegistryRoot root, const std::string& path);
// Deletes the key with all its sub-keys.
void RegDeleteKey(RegistryRoot root, const std::string& key);

// Whether two key or value names are the same name (code page 1252 letters
// compared without regard to case).
bool SameRegistryName(const std::string& a, const std::string& b);

// Where each root's file lives; an empty path restores the default location.
void SetRegistryFile(RegistryRoot root, const std::string& iniPath);
std::string RegistryFile(RegistryRoot root);

// Collects the writes to one root in memory and saves the file once when the
// last batch of that root ends (e.g. all settings written at exit).
class RegistryBatch {
 public:
  explicit RegistryBatch(RegistryRoot root);
  ~RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;

 private:
  RegistryRoot root_;
};

}  // namespace veltro
