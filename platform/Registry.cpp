#include "platform/Registry.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>

#include "platform/TextFile.h"

namespace veltro {
namespace {

constexpr const char* kFileName = "VELTRO Marten/Surtrans.ini";
constexpr const char* kDefaultValueName = "@";

// ---- Names ------------------------------------------------------------------

// Code page 1252 lower case: ASCII, the Latin-1 letters and the few letters
// in 0x80-0x9F that have a case partner.
unsigned char FoldChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
  switch (c) {
    case 0x8A:
      return 0x9A;  // S caron
    case 0x8C:
      return 0x9C;  // OE
    case 0x8E:
      return 0x9E;  // Z caron
    case 0x9F:
      return 0xFF;  // Y diaeresis
    default:
      return c;
  }
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldChar(static_cast<unsigned char>(a[i])) != FoldChar(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// "a\\b\" -> "a\b": empty parts dropped.
std::string NormalizeKey(const std::string& key) {
  std::string out;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out.append(key, start, end - start);
    }
    start = end + 1;
  }
  return out;
}

// key is equal to parent or lies below it.
bool IsKeyOrBelow(const std::string& key, const std::string& parent) {
  if (parent.empty()) return true;
  if (key.size() < parent.size()) return false;
  if (!SameName(key.substr(0, parent.size()), parent)) return false;
  return key.size() == parent.size() || key[parent.size()] == '\\';
}

void SplitPath(const std::string& path, std::string& key, std::string& name) {
  size_t p = path.rfind('\\');
  if (p == std::string::npos) {
    key.clear();
    name = path;
  } else {
    key = NormalizeKey(path.substr(0, p));
    name = path.substr(p + 1);
  }
}

// ---- Escapes ----------------------------------------------------------------

const char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

enum class Field { Value, Name, Key };

std::string Encode(const std::string& text, Field field) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool edge = i == 0 || i + 1 == text.size();
    bool escape = c == '%' || IsControl(c) || (edge && c == ' ');
    if (field == Field::Name) escape = escape || c == '=' || (i == 0 && (c == '[' || c == ';' || c == '#' || c == '@'));
    if (field == Field::Key) escape = escape || c == '[' || c == ']';
    if (escape)
      AppendEscaped(out, c);
    else
      out += static_cast<char>(c);
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "%HH" becomes the byte; a "%" without two hex digits stays as it is.
std::string Decode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      int hi = HexValue(text[i + 1]);
      int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string TrimSpace(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

// ---- Document ---------------------------------------------------------------

struct Entry {
  bool raw = false;  // kept verbatim: blank line, comment or not understood
  std::string line;  // raw only
  std::string name;  // "" is the default value
  std::string value;
};

struct Block {
  bool valid = false;  // a readable section; false for the prologue and broken headers
  bool hasHeader = false;
  std::string headerLine;  // verbatim, for broken headers
  std::string key;         // normalized
  std::vector<Entry> entries;
};

struct Document {
  std::vector<Block> blocks;  // blocks[0] holds the lines before the first section
};

bool ParseHeader(const std::string& line, std::string& key) {
  std::string t = TrimSpace(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  key = NormalizeKey(Decode(TrimSpace(t.substr(1, t.size() - 2))));
  return true;
}

Document Parse(const std::string& bytes) {
  Document doc;
  doc.blocks.emplace_back();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    std::string t = TrimSpace(line);
    if (!t.empty() && t.front() == '[') {
      Block b;
      b.hasHeader = true;
      b.valid = ParseHeader(line, b.key);
      if (!b.valid) b.headerLine = line;
      doc.blocks.push_back(std::move(b));
      continue;
    }
    Block& current = doc.blocks.back();
    Entry e;
    size_t eq = line.find('=');
    std::string rawName = eq == std::string::npos ? std::string() : TrimSpace(line.substr(0, eq));
    if (!current.valid || t.empty() || t.front() == ';' || t.front() == '#' || rawName.empty()) {
      e.raw = true;
      e.line = line;
    } else {
      e.name = rawName == kDefaultValueName ? std::string() : Decode(rawName);
      e.value = Decode(TrimSpace(line.substr(eq + 1)));
    }
    current.entries.push_back(std::move(e));
  }
  return doc;
}

std::string Serialize(const Document& doc) {
  std::string out;
  for (const Block& b : doc.blocks) {
    if (b.hasHeader) {
      if (b.valid)
        out += "[" + Encode(b.key, Field::Key) + "]\n";
      else
        out += b.headerLine + "\n";
    }
    for (const Entry& e : b.entries) {
      if (e.raw)
        out += e.line;
      else
        out += (e.name.empty() ? std::string(kDefaultValueName) : Encode(e.name, Field::Name)) + "=" +
               Encode(e.value, Field::Value);
      out += '\n';
    }
  }
  return out;
}

Entry* FindEntry(Document& doc, const std::string& key, const std::string& name) {
  for (Block& b : doc.blocks) {
    if (!b.valid || !SameName(b.key, key)) continue;
    for (Entry& e : b.entries)
      if (!e.raw && SameName(e.name, name)) return &e;
  }
  return nullptr;
}

Block* FindBlock(Document& doc, const std::string& key) {
  for (Block& b : doc.blocks)
    if (b.valid && SameName(b.key, key)) return &b;
  return nullptr;
}

bool KeyExistsIn(const Document& doc, const std::string& key) {
  if (key.empty()) return true;
  for (const Block& b : doc.blocks)
    if (b.valid && IsKeyOrBelow(b.key, key)) return true;
  return false;
}

Block& AddBlock(Document& doc, const std::string& key) {
  // A blank line between sections, as a person would write it.
  Block& last = doc.blocks.back();
  bool needsGap = last.hasHeader || !last.entries.empty();
  if (needsGap && (last.entries.empty() || !last.entries.back().raw || !TrimSpace(last.entries.back().line).empty())) {
    Entry gap;
    gap.raw = true;
    last.entries.push_back(gap);
  }
  Block b;
  b.valid = true;
  b.hasHeader = true;
  b.key = key;
  doc.blocks.push_back(std::move(b));
  return doc.blocks.back();
}

// Inserts a value before the blank lines that end a section.
void AddEntry(Block& block, const std::string& name, const std::string& value) {
  auto pos = block.entries.end();
  while (pos != block.entries.begin() && std::prev(pos)->raw && TrimSpace(std::prev(pos)->line).empty()) --pos;
  Entry e;
  e.name = name;
  e.value = value;
  block.entries.insert(pos, std::move(e));
}

// ---- Files ------------------------------------------------------------------

struct Signature {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtimeNs = 0;
  bool operator==(const Signature&) const = default;
};

struct Store {
  std::string overridePath;
  std::string loadedPath;
  bool loaded = false;
  bool unreadable = false;  // exists but could not be read: never replaced
  Signature sig;
  Document doc;
  int batchDepth = 0;
  bool dirty = false;  // changed in a batch, not yet saved
};

Store g_stores[2];

Store& StoreOf(RegistryRoot root) { return g_stores[root == RegistryRoot::CurrentUser ? 0 : 1]; }

std::string HomeFolder() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

std::string DefaultFile(RegistryRoot root) {
  if (root == RegistryRoot::CurrentUser) {
    const char* x = std::getenv("XDG_CONFIG_HOME");
    std::string dir = x && x[0] == '/' ? std::string(x) : HomeFolder() + "/.config";
    return dir + "/" + kFileName;
  }
  std::string dir = "/etc/xdg";
  if (const char* dirs = std::getenv("XDG_CONFIG_DIRS"); dirs && *dirs) {
    std::string all = dirs;
    size_t start = 0;
    while (start <= all.size()) {
      size_t end = all.find(':', start);
      if (end == std::string::npos) end = all.size();
      std::string d = all.substr(start, end - start);
      if (!d.empty() && d[0] == '/') {
        dir = d;
        break;
      }
      start = end + 1;
    }
  }
  return dir + "/" + kFileName;
}

Signature Stat(const std::string& path, bool& isRegular) {
  Signature s;
  struct stat st {};
  isRegular = false;
  if (::stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  isRegular = S_ISREG(st.st_mode);
  s.dev = st.st_dev;
  s.ino = st.st_ino;
  s.size = st.st_size;
  s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  return s;
}

// The document of a root, read again only when the file changed.
Store& Load(RegistryRoot root) {
  Store& s = StoreOf(root);
  std::string path = RegistryFile(root);
  if (s.dirty && s.loadedPath == path) return s;
  // Within a batch (a transfer reads settings for every record) the file is
  // taken as it was when the batch began.
  if (s.batchDepth > 0 && s.loaded && s.loadedPath == path) return s;
  bool regular = false;
  Signature sig = Stat(path, regular);
  if (s.loaded && s.loadedPath == path && sig == s.sig) return s;
  s.loaded = true;
  s.loadedPath = path;
  s.sig = sig;
  s.dirty = false;
  s.unreadable = false;
  s.doc = Document{};
  s.doc.blocks.emplace_back();
  if (!sig.exists) return s;
  std::string bytes;
  if (!regular || !LoadFileBytes(path, bytes)) {
    s.unreadable = true;
    return s;
  }
  s.doc = Parse(bytes);
  return s;
}

bool Save(Store& s) {
  if (s.batchDepth > 0) {
    s.dirty = true;
    return true;
  }
  s.dirty = false;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(s.loadedPath).parent_path(), ec);
  bool ok = SaveFileBytes(s.loadedPath, Serialize(s.doc));
  if (ok) {
    bool regular = false;
    s.sig = Stat(s.loadedPath, regular);
  } else {
    s.loaded = false;  // the file was not changed: read it again next time
  }
  return ok;
}

bool WriteText(RegistryRoot root, const std::string& path, const std::string& value, bool always) {
  Store& s = Load(root);
  if (s.unreadable) return false;
  std::string key, name;
  SplitPath(path, key, name);
  if (Entry* e = FindEntry(s.doc, key, name)) {
    if (!always || e->value == value) return true;
    e->value = value;
    return Save(s);
  }
  Block* b = FindBlock(s.doc, key);
  if (!b) b = &AddBlock(s.doc, key);
  AddEntry(*b, name, value);
  return Save(s);
}

bool ReadText(RegistryRoot root, const std::string& path, std::string& value) {
  Store& s = Load(root);
  std::string key, name;
  SplitPath(path, key, name);
  if (const Entry* e = FindEntry(s.doc, key, name)) {
    value = e->value;
    return true;
  }
  return false;
}

bool ParseInteger(const std::string& text, int& value) {
  std::string t = TrimSpace(text);
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return false;
  if (v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

int ReadRegInteger(RegistryRoot root, const std::string& path, int def) {
  std::string text;
  int v;
  if (ReadText(root, path, text) && ParseInteger(text, v)) return v;
  return def;
}

int ReadRegIntegerInRange(RegistryRoot root, const std::string& path, int def, int min, int max) {
  std::string text;
  int v;
  if (ReadText(root, path, text) && ParseInteger(text, v) && v >= min && v <= max) return v;
  return def;
}

std::string ReadRegString(RegistryRoot root, const std::string& path, const std::string& def) {
  std::string text;
  return ReadText(root, path, text) ? text : def;
}

bool ReadRegBool(RegistryRoot root, const std::string& path, bool def) {
  std::string text;
  if (!ReadText(root, path, text)) return def;
  int v;
  if (ParseInteger(text, v)) return v != 0;
  std::string t = TrimSpace(text);
  if (SameName(t, "true")) return true;
  if (SameName(t, "false")) return false;
  return def;
}

bool WriteRegInteger(RegistryRoot root, const std::string& path, int value, bool always) {
  return WriteText(root, path, std::to_string(value), always);
}

bool WriteRegString(RegistryRoot root, const std::string& path, const std::string& value, bool always) {
  return WriteText(root, path, value, always);
}

bool WriteRegBool(RegistryRoot root, const std::string& path, bool value, bool always) {
  return WriteText(root, path, value ? "1" : "0", always);
}

bool SameRegistryName(const std::string& a, const std::string& b) { return SameName(a, b); }

bool RegKeyExists(RegistryRoot root, const std::string& key) { return KeyExistsIn(Load(root).doc, NormalizeKey(key)); }

void RegCreateKey(RegistryRoot root, const std::string& key) {
  Store& s = Load(root);
  std::string k = NormalizeKey(key);
  if (s.unreadable || KeyExistsIn(s.doc, k)) return;
  AddBlock(s.doc, k);
  Save(s);
}

bool RegValueExists(RegistryRoot root, const std::string& path) {
  std::string value;
  return ReadText(root, path, value);
}

std::vector<std::string> RegValueNames(RegistryRoot root, const std::string& key) {
  Store& s = Load(root);
  std::string k = NormalizeKey(key);
  std::vector<std::string> names;
  for (const Block& b : s.doc.blocks) {
    if (!b.valid || !SameName(b.key, k)) continue;
    for (const Entry& e : b.entries) {
      if (e.raw) continue;
      bool seen = false;
      for (const auto& n : names) seen = seen || SameName(n, e.name);
      if (!seen) names.push_back(e.name);
    }
  }
  return names;
}

std::vector<std::string> RegSubKeyNames(RegistryRoot root, const std::string& key) {
  Store& s = Load(root);
  std::string k = NormalizeKey(key);
  std::vector<std::string> names;
  for (const Block& b : s.doc.blocks) {
    if (!b.valid || b.key.size() <= k.size() || !IsKeyOrBelow(b.key, k)) continue;
    size_t start = k.empty() ? 0 : k.size() + 1;
    size_t end = b.key.find('\\', start);
    std::string name = b.key.substr(start, end == std::string::npos ? std::string::npos : end - start);
    bool seen = false;
    for (const auto& n : names) seen = seen || SameName(n, name);
    if (!seen) names.push_back(name);
  }
  return names;
}

void RegDeleteValue(RegistryRoot root, const std::string& path) {
  Store& s = Load(root);
  if (s.unreadable) return;
  std::string key, name;
  SplitPath(path, key, name);
  bool changed = false;
  for (Block& b : s.doc.blocks) {
    if (!b.valid || !SameName(b.key, key)) continue;
    std::erase_if(b.entries, [&](const Entry& e) {
      bool match = !e.raw && SameName(e.name, name);
      changed = changed || match;
      return match;
    });
  }
  if (changed) Save(s);
}

void RegDeleteKey(RegistryRoot root, const std::string& key) {
  Store& s = Load(root);
  std::string k = NormalizeKey(key);
  if (s.unreadable || k.empty()) return;
  size_t before = s.doc.blocks.size();
  // blocks[0] is the prologue and never a section.
  std::erase_if(s.doc.blocks, [&](const Block& b) { return b.valid && IsKeyOrBelow(b.key, k); });
  if (s.doc.blocks.size() != before) Save(s);
}

void SetRegistryFile(RegistryRoot root, const std::string& iniPath) {
  Store& s = StoreOf(root);
  s.overridePath = iniPath;
  s.loaded = false;
  s.dirty = false;
}

std::string RegistryFile(RegistryRoot root) {
  const Store& s = StoreOf(root);
  return s.overridePath.empty() ? DefaultFile(root) : s.overridePath;
}

RegistryBatch::RegistryBatch(RegistryRoot root) : root_(root) { ++StoreOf(root).batchDepth; }

RegistryBatch::~RegistryBatch() {
  Store& s = StoreOf(root_);
  if (--s.batchDepth == 0 && s.dirty) Save(s);
}

}  // namespace veltro
