// veltro-convert: the transfer engine without a window.
//
//   veltro-convert [--instrument CAPTION] [--from FORMAT|auto] [--to FORMAT] [--yes|--no]
//                  [--settings FILE] [--option NAME=VALUE]... [--quiet] INPUT OUTPUT
//                  [--settings FILE] [--template FILE|NAME] [--quiet] INPUT OUTPUT
//   veltro-convert --receive --instrument CAPTION --port DEVICE [--to OFFICE] OUTPUT
//   veltro-convert --send --instrument CAPTION --port DEVICE [--from OFFICE] INPUT
//   veltro-convert --list
//
// Every transfer runs through the instrument's library, offline from and
// into instrument files, with --receive/--send over the serial device. The
// port settings are the instrument's (catalogue, then settings file),
// overridden by --baud, --data-bits, --parity, --stop-bits, --flow, --eol
// and --read-time; --gps-system chooses the coordinate system of the run.
//
// Exactly one side is an instrument data format of the catalogue (GSI8,
// GSI16, ...), the other an office format (ASCII, ...). Instrument -> office
// runs as a receive (direction 0), office -> instrument as a send (direction
// 1), both in offline mode and through both phases of the engine. Messages go
// to standard error; questions are answered by --yes/--no (default: the
// answer that loses nothing). Office format options are read from the
// settings and can be set for the run with --option (settings name = value).
// answer that loses nothing). The template format NewFormat uses the
// definition named by --template (a .Format file is loaded into the settings
// first), else the one chosen in the settings ("NewFormat\Active Format").
//
// Exit status: 0 output written, no line listed as an error; 1 output written
// with errors listed; 2 nothing written; 64 usage error.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <chrono>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <vector>

#include "core/Language.h"
#include "core/Messages.h"
#include "core/Niederlassung.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/GTS6.h"
#include "instruments/CodeListen.h"
#include "instruments/TransferModules.h"
#include "instruments/TransferSequence.h"
#include "platform/CodePage1252.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "platform/MessagePump.h"
#include "platform/Registry.h"
#include "platform/SerialDevices.h"
#include "platform/TextFile.h"

using namespace veltro;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitErrorsListed = 1;
constexpr int kExitNothingWritten = 2;
constexpr int kExitUsage = 64;

// Texts of the converter.
constexpr int kTextHelp = 710;
constexpr int kTextUnknownFormat = 711;       // %s format name
constexpr int kTextNotRecognised = 712;       // %s input
constexpr int kTextNoData = 713;              // %s input, %s format
constexpr int kTextOtherFormat = 714;         // %s input, %s detected, %s asked
constexpr int kTextOneInstrumentSide = 715;
constexpr int kTextNoTarget = 716;
constexpr int kTextCannotRead = 717;          // %s input
constexpr int kTextProgress = 718;            // %s lines
constexpr int kTextNothingWritten = 719;      // %s output
constexpr int kTextReadOnly = 893;            // %s format
constexpr int kTextUnknownOption = 894;       // %s option
constexpr int kTextNoReadableData = 915;      // %s format caption
constexpr int kTextHelpTemplate = 815;
constexpr int kTextHelpInstrument = 771;
constexpr int kTextUnknownInstrument = 772;    // %s caption
constexpr int kTextLineNeedsInstrument = 773;
constexpr int kTextInvalidValue = 774;         // %s value, %s option
constexpr int kTextFormatNotTaken = 775;       // %s caption, %s format
constexpr int kTextListInstruments = 776;
constexpr int kTextListInstrumentFormats = 777;
constexpr int kTextListOfficeFormats = 778;
constexpr int kTextListNotInstalled = 779;
constexpr int kTextHelpStatistics = 853;
constexpr int kTextMethodeEinfach = 390;
constexpr int kTextMethodeDoppelt = 391;
constexpr int kTextNotOfFormat = 742;        // %s input, %s format, %s recognised
constexpr int kTextSameFile = 743;           // %s file
constexpr int kTextNoSettingsFile = 744;     // %s file
constexpr int kTextCannotOpen = 745;         // %s file, %s reason
constexpr int kTextWrongArgument = 746;      // %s argument
constexpr int kTextRecognisedNone = 748;
constexpr int kTextHelpChecks = 749;

volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) {
  g_interrupted = 1;
  signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

void PrintText(const std::string& ansi) {
  std::string text = ansi;
  ReplaceAll(text, "\r\n", "\n");
  std::fputs(AnsiToUtf8(text).c_str(), stderr);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
}

// Answers questions by policy and writes every message to standard error
// with its kind.
class ConsoleMessageBox : public MessageBoxBackend {
 public:
  int yesNoAnswer = kAnsNo;
  int errors = 0;
  int Show(const std::string& title, const std::string& text, int kind, int buttons) override {
    if (kind == kMsgError) ++errors;
    PrintText(title + ": " + text);
    if ((buttons & kBtnYes) && (buttons & kBtnNo)) return yesNoAnswer;
    return ScriptedMessageBox::DefaultAnswer(buttons);
  }
};

void Report(int number, std::initializer_list<std::string> args, int kind = kMsgError) {
  ShowMessageBox(FormatText(GetText(number), args), kind, kBtnOk);
}

// Counts lines while the instrument side classifies them, and shows a
// progress line on a terminal.
class ConsoleStatistics : public StatisticsView {
 public:
  bool progress = false;
  void Refresh() override {
    if (!progress) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    std::string line = FormatText(GetText(kTextProgress), {std::to_string(stat_.Fortschritt)});
    std::fprintf(stderr, "\r%s", AnsiToUtf8(line).c_str());
    shown_ = true;
  }
  void Close() override {
    StatisticsView::Close();
    if (shown_) std::fputc('\n', stderr);
    shown_ = false;
  }

 private:
  std::chrono::steady_clock::time_point last_{};
  bool shown_ = false;
};

class ConverterSettings : public TransferSettings {
 public:
  int methode = 0;
  bool offline = true;
  int Methode() const override { return methode; }
  bool TransOf() const override { return offline; }
};

struct FileStamp {
  bool exists = false;
  ino_t inode = 0;
  long long mtime = 0;
  off_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp Stamp(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {true, st.st_ino, static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec, st.st_size};
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return path;
  return std::string(buf) + "/" + path;
}

std::string ExecutableDirectory() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = '\0';
  return ExtractFilePath(buf);
}

TGeraeteFormat* FindInstrumentFormat(TGeraete& g, const std::string& name) {
  TGeraeteFormat* found = nullptr;
  g.ForEach<TGeraeteFormat>([&](TGeraeteFormat& f) {
    if (!found && Upper(f.Name) == Upper(name)) found = &f;
  });
  return found;
}

TDatenformatDefinitionen* FindOfficeFormat(TDFD& dfd, const std::string& name) {
  TDatenformatDefinitionen* found = nullptr;
  dfd.ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
    if (!found && Upper(d.Name) == Upper(name)) found = &d;
  });
  return found;
}

// A format that is only read: no component of its module writes.
bool IsReadOnly(const TDFD& dfd, const TDatenformatDefinitionen& d) {
  const TDataModule* module = dfd.ModuleOf(d);
  if (!module) return false;
  bool writes = false;
  module->ForEach<TReadWriteDaten>([&](const TReadWriteDaten& rw) { writes = writes || static_cast<bool>(rw.OnWrite); });
  return !writes;
}

// The office options from the settings, then those of the command line.
bool ApplyOfficeOptions(const TransferModules& modules,
                        const std::vector<std::pair<std::string, std::string>>& officeOptions) {
  for (TdmOfficeFormat* module : modules.OfficeFormats()) module->ReadOptions();
  modules.dxf->ReadOptions();
  for (TdmGisFormat* module : modules.GisFormats()) module->ReadOptions();
  for (const auto& [name, value] : officeOptions) {
    bool known = modules.dxf->SetOption(name, value);
    for (TdmGisFormat* module : modules.GisFormats()) known = module->SetOption(name, value) || known;
    for (TdmOfficeFormat* module : modules.OfficeFormats()) known = module->SetOption(name, value) || known;
    if (!known) {
      Report(kTextUnknownOption, {name});
      return false;
    }
  }
  return true;
}

// A format some component of whose module reads.
bool ReadsOffice(const TDFD& dfd, const TDatenformatDefinitionen& d) {
  const TDataModule* module = dfd.ModuleOf(d);
  if (!module) return true;
  bool reads = false;
  module->ForEach<TReadWriteDaten>([&](const TReadWriteDaten& rw) { reads = reads || static_cast<bool>(rw.OnRead); });
  return reads;
}

bool AcceptsFormat(const TInstrument& i, const TGeraeteFormat& f) {
  return i.GeraeteFormat == &f || AcceptsGeraeteFormat(i, f.Name);
}

TInstrument* FindInstrument(TGeraete& g, const std::string& caption) {
  TInstrument* found = nullptr;
  g.ForEach<TInstrument>([&](TInstrument& i) {
    if (!found && Upper(i.Caption) == Upper(caption)) found = &i;
  });
  return found;
}

// Makes an instrument that speaks format the current one, its library
// loaded: the one named, else the instrument current in the settings (its
// offsets apply), else the first whose library is installed, else the first
// that takes the format. Null (reported) when the named one is unknown or
// does not take the format.
TInstrument* UseFormat(TGeraete& g, TGeraeteFormat& format, const std::string& caption) {
  TInstrument* chosen = nullptr;
  if (!caption.empty()) {
    chosen = FindInstrument(g, caption);
    if (!chosen) {
      Report(kTextUnknownInstrument, {caption});
      return nullptr;
    }
    if (!AcceptsFormat(*chosen, format)) {
      Report(kTextFormatNotTaken, {chosen->Caption, format.Name});
      return nullptr;
    }
  }
  g.ForEach<TInstrument>([&](TInstrument& i) {
    if (!chosen && i.Active && AcceptsFormat(i, format)) chosen = &i;
  });
  g.ForEach<TInstrument>([&](TInstrument& i) {
    if (!chosen && AcceptsFormat(i, format) && g.LibraryInstalled(i)) chosen = &i;
  });
  g.ForEach<TInstrument>([&](TInstrument& i) {
    if (!chosen && AcceptsFormat(i, format)) chosen = &i;
  });
  g.ForEach<TInstrument>([&](TInstrument& i) {
    if (!chosen) chosen = &i;
  });
  // Current before the switch, so that no fallback to another is sought.
  chosen->Active = true;
  g.SelectInstrument(chosen->Caption);
  chosen->GeraeteFormat = &format;
  return chosen;
}

// Formats whose files hold coordinates only: a file no detector claims is
// read as their coordinate list.
bool IsCoordinateListFormat(const std::string& name) { return name == "MMW" || name == "NMEA" || name == "TAVRIN"; }

// ---- Port settings of the run ----------------------------------------------------------

template <class E, size_t N>
bool ValueByName(const std::string& text, const char* const (&names)[N], E& out) {
  for (size_t n = 0; n < N; ++n)
    if (Upper(text) == Upper(names[n])) {
      out = static_cast<E>(n);
      return true;
    }
  return false;
}

bool Number(const std::string& text, long& out) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::stol(text);
  return true;
}

// One port option (--baud 9600, --parity even, ...); false and reported when
// the value names no setting.
bool ApplyPortOption(TInstrument& i, const std::string& option, const std::string& value) {
  static const char* const kParities[] = {"none", "odd", "even", "mark", "space"};
  static const char* const kFlows[] = {"none", "xonxoff", "ctsrts", "dsrdtr", "acknak", "gsi", "rec500"};
  static const char* const kLineEnds[] = {"none", "cr", "lf", "crlf", "lfcr"};
  long n = 0;
  bool ok = false;
  if (option == "--baud") {
    ok = Number(value, n);
    if (ok) {
      ok = false;
      for (int b = 0; b < EnumCount<TBaudRate>(); ++b)
        if (BaudRateValue(static_cast<TBaudRate>(b)) == n) {
          i.BaudRate = static_cast<TBaudRate>(b);
          ok = true;
        }
    }
  } else if (option == "--data-bits") {
    ok = Number(value, n) && n >= 4 && n <= 8;
    if (ok) i.DataBits = static_cast<TDataBits>(n - 4);
  } else if (option == "--stop-bits") {
    ok = value == "1" || value == "2";
    if (ok) i.StopBits = value == "1" ? tsbOne : tsbTwo;
  } else if (option == "--parity") {
    ok = ValueByName(value, kParities, i.Parity);
  } else if (option == "--flow") {
    ok = ValueByName(value, kFlows, i.FlowControl);
  } else if (option == "--eol") {
    ok = ValueByName(value, kLineEnds, i.EndofLine);
  } else if (option == "--read-time") {
    // The library counts its times in 16 bits.
    ok = Number(value, n) && n >= 1 && n <= 65535;
    if (ok) i.Lesezeit = static_cast<std::uint32_t>(n);
  }
  if (!ok) Report(kTextInvalidValue, {value, option});
  return ok;
}

// "COM<n>" is port n; a device path becomes the device of the first port
// whose device the settings do not name.
void UsePort(TInstrument& i, const std::string& device) {
  const std::string u = Upper(device);
  if (u.size() == 4 && u.rfind("COM", 0) == 0 && u[3] >= '1' && u[3] <= '8') {
    i.Port = static_cast<TPort>(u[3] - '0');
    return;
  }
  int n = 1;
  while (n < EnumCount<TPort>() - 1 &&
         !ReadRegString(RegistryRoot::CurrentUser, SerialDeviceSetting(n), "").empty())
    ++n;
  ::setenv(("VELTRO_COM" + std::to_string(n)).c_str(), device.c_str(), 1);
  i.Port = static_cast<TPort>(n);
}

void StartLanguage() {
  TNiederlassung& entry = ActivateNiederlassung(StartLanguageId());
  if (const TSprache* sprache = FindSprache(entry.Sprache)) {
    if (!LoadLanguage(*sprache)) {
      if (const TSprache* english = FindSprache("Englisch")) LoadLanguage(*english);
    }
  }
  LoadMessageTitles(entry.LanguageID);
}

struct Options {
  std::string from = "auto";
  std::string to;
  int answer = kAnsNo;
  std::string settings;
  std::vector<std::pair<std::string, std::string>> officeOptions;
  std::string templ;  // --template: a .Format file or a stored name
  bool quiet = false;
  bool statistics = false;  // --statistics: the statistics window's values on standard output
  std::string input;
  std::string output;
  // The instrument side of the run.
  std::string instrument;  // caption
  bool receive = false;    // over the serial line
  bool send = false;
  bool list = false;
  std::string port;
  std::vector<std::pair<std::string, std::string>> portOptions;  // in the order given
  std::optional<std::string> gpsSystem;
  bool force = false;           // --force: read the input as --from says, recognised or not
  bool createSettings = false;  // --create-settings: a missing --settings file is created
  std::string via = "GSI16";    // --via: the instrument format between two office formats
  std::string badArgument;      // the argument a usage error is about
  std::vector<std::string> passOn;  // every argument but the files, --from, --to and --via
};

void PrintHelp(std::FILE* to) {
  std::string help = ExpandTextEscapes(GetText(kTextHelp));
  ReplaceAll(help, "\r\n", "\n");
  if (help.empty())
    help =
        "veltro-convert [--from FORMAT|auto] [--to FORMAT] [--yes|--no] [--settings FILE] [--option NAME=VALUE] "
        "[--quiet] INPUT OUTPUT\n";
  std::fputs(AnsiToUtf8(help).c_str(), to);
  if (help.back() != '\n') std::fputc('\n', to);
  for (int text : {kTextHelpTemplate, kTextHelpInstrument, kTextHelpStatistics, kTextHelpChecks}) {
    std::string more = ExpandTextEscapes(GetText(text));
    ReplaceAll(more, "\r\n", "\n");
    std::fputs(AnsiToUtf8(more).c_str(), to);
  }
}

// A usage error: which argument is wrong, and the usage line of the help.
void PrintUsage(const std::string& argument) {
  if (!argument.empty()) Report(kTextWrongArgument, {argument});
  std::string help = ExpandTextEscapes(GetText(kTextHelp));
  ReplaceAll(help, "\r\n", "\n");
  const std::string usage = help.substr(0, help.find('\n'));
  std::fprintf(stderr, "%s\n", AnsiToUtf8(usage.empty() ? std::string("veltro-convert --help") : usage).c_str());
}

// The system's reason why a file cannot be opened for reading (write:
// for writing, created when missing); empty when it can.
std::string OpenFailure(const std::string& path, bool write) {
  errno = 0;
  const int fd = write ? ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0666) : ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::strerror(errno);
  struct stat st{};
  const bool directory = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  ::close(fd);
  return directory ? std::strerror(EISDIR) : std::string();
}

// Both names are the same file (also through links).
bool SameFile(const std::string& a, const std::string& b) {
  struct stat x{}, y{};
  if (::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0) return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
  return a == b;
}

// One line Name=value for each value of the statistics window, named by its
// component, as the window shows it.
void PrintStatistics(const TTransferStatistik& s) {
  const std::pair<const char*, std::string> values[] = {
      {"TransCodes", std::to_string(s.Codes)},
      {"TransStationen", std::to_string(s.Stationen)},
      {"TransPunkte", std::to_string(s.Punkte)},
      {"StartHoehe", s.Starthoehe},
      {"Hoehe", s.BerechneteHoehe},
      {"Endhoehe", s.Endhoehe},
      {"Differenz", s.Differenz},
      {"Rueckblicke", std::to_string(s.Rueckblicke)},
      {"Vorblicke", std::to_string(s.Vorblicke)},
      {"Mittelblicke", std::to_string(s.Mittelblicke)},
      {"Methode", GetText(s.Methode ? kTextMethodeDoppelt : kTextMethodeEinfach)},
  };
  for (const auto& [name, value] : values) std::printf("%s=%s\n", name, AnsiToUtf8(value).c_str());
  std::fflush(stdout);
}

// The template format's definition for this run: a .Format file (loaded as
// the editor loads one, into the settings), a stored name, or the chosen one.
// Answers whether the transfer may run.
bool LoadTemplate(TdmNewFormat& module, const std::string& choice) {
  std::string name = choice.empty() ? ActiveTemplateName() : choice;
  const bool file = FileExists(choice) || (choice.size() > 7 && Upper(choice.substr(choice.size() - 7)) == ".FORMAT");
  if (file) {
    module.Letters = ReadFieldLetters();
    std::string stored;
    switch (module.LoadFromFile(Absolute(choice), &stored)) {
      case TemplateLoad::Failed: return false;
      case TemplateLoad::Declined:
        Report(kTextTemplateNotLoaded, {stored, choice});
        return false;
      case TemplateLoad::Loaded: break;
    }
    name = stored;
  }
  return module.LoadForTransfer(name);
}

// 0 parsed, 1 help shown, -1 usage error.
int ParseArguments(int argc, char** argv, Options& o) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    o.badArgument = a;
    const bool sideOption = a == "--from" || a == "--to" || a == "--via";
    if (!sideOption && (a.size() > 1 && a[0] == '-' && a != "-")) o.passOn.push_back(a);
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      o.badArgument = a + " " + target;
      if (!sideOption) o.passOn.push_back(target);
      return true;
    };
    if (a == "--help" || a == "-h") return 1;
    if (a == "--from") {
      if (!value(o.from)) return -1;
    } else if (a == "--to") {
      if (!value(o.to)) return -1;
    } else if (a == "--settings") {
      if (!value(o.settings)) return -1;
    } else if (a == "--option") {
      std::string option;
      if (!value(option)) return -1;
      const size_t eq = option.find('=');
      if (eq == std::string::npos || eq == 0) return -1;
      o.officeOptions.emplace_back(option.substr(0, eq), option.substr(eq + 1));
    } else if (a == "--template") {
      if (!value(o.templ) || o.templ.empty()) return -1;
    } else if (a == "--yes") {
      o.answer = kAnsYes;
    } else if (a == "--no") {
      o.answer = kAnsNo;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--instrument") {
      if (!value(o.instrument) || o.instrument.empty()) return -1;
    } else if (a == "--receive" || a == "--send" || a == "--list") {
      (a == "--receive" ? o.receive : a == "--send" ? o.send : o.list) = true;
    } else if (a == "--port") {
      if (!value(o.port) || o.port.empty()) return -1;
    } else if (a == "--baud" || a == "--data-bits" || a == "--parity" || a == "--stop-bits" || a == "--flow" ||
               a == "--eol" || a == "--read-time") {
      std::string v;
      if (!value(v)) return -1;
      o.portOptions.emplace_back(a, v);
    } else if (a == "--gps-system") {
      std::string v;
      if (!value(v) || v.empty()) return -1;
      o.gpsSystem = v;
    } else if (a == "--statistics") {
      o.statistics = true;
    } else if (a == "--force") {
      o.force = true;
    } else if (a == "--create-settings") {
      o.createSettings = true;
    } else if (a == "--via") {
      if (!value(o.via) || o.via.empty()) return -1;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      return -1;
    } else {
      files.push_back(a);
    }
  }
  o.badArgument.clear();
  if (o.receive && o.send) {
    o.badArgument = "--send";
    return -1;
  }
  const std::string extra = files.empty() ? std::string() : files.back();
  if (o.list) {
    o.badArgument = extra;
    return files.empty() ? 0 : -1;
  }
  if (o.receive || o.send) {
    // One file: what is received, or what is sent.
    if (files.size() != 1) {
      o.badArgument = extra;
      return -1;
    }
    (o.receive ? o.output : o.input) = files[0];
    return 0;
  }
  if (files.size() != 2) {
    o.badArgument = files.size() > 2 ? extra : std::string();
    return -1;
  }
  o.input = files[0];
  o.output = files[1];
  return 0;
}

// The coordinate system and the port settings of this run.
bool ApplyRunSettings(TransferModules& modules, const Options& o) {
  TInstrument& i = modules.geraete->CurrentInstrument();
  for (const auto& [option, value] : o.portOptions)
    if (!ApplyPortOption(i, option, value)) return false;
  TCoordinateSystem& cs = modules.binding->CoordinateSystem();
  if (o.gpsSystem && Upper(*o.gpsSystem) == "NONE")
    cs.SetDisabled(true);
  else
    cs.SetSystemOverride(o.gpsSystem);
  return true;
}

// One whole transfer through the instrument library; the exit status.
int RunTransfer(TransferModules& modules, const Options& o, ConsoleMessageBox& box, int direction, bool offline,
                const std::string& input, const std::string& output, const std::string& assumedTag) {
  const FileStamp before = Stamp(output);
  ConsoleStatistics statistics;
  statistics.progress = !o.quiet && ::isatty(2);
  TInstrumentTransfer side(*modules.geraete, *modules.binding);
  side.SetAssumedTag(assumedTag);
  ConverterSettings settings;
  settings.methode = direction;
  settings.offline = offline;
  TransferWindow window;
  window.SetInputFileField(input);
  window.SetOutputFileField(output);
  SetTransferEnvironment({&window, &statistics, &side, &settings});

  // Ctrl-C: the library breaks off its read or write (a second break closes
  // the port when the instrument has fallen silent), the transfer stops.
  signal(SIGINT, OnInterrupt);
  TLibraryBinding* binding = modules.binding.get();
  SetMessagePump([binding] {
    if (!g_interrupted) return;
    binding->LibSetBreak();
    CurrentTransfer().StopFlag = true;
  });
  Transfer_startenClick();
  if (o.statistics) PrintStatistics(statistics.Statistik());
  SetTransferEnvironment({});
  SetMessagePump(nullptr);

  if (direction == 1 && !offline) return !side.SentAll() ? kExitNothingWritten : box.errors > 0 ? kExitErrorsListed : kExitOk;
  const FileStamp after = Stamp(output);
  if (!after.exists || after == before) {
    if (!o.quiet) Report(kTextNothingWritten, {o.output}, kMsgInformation);
    return kExitNothingWritten;
  }
  return box.errors > 0 ? kExitErrorsListed : kExitOk;
}

// Runs this program again with arguments; its exit status.
int RunSelf(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  const std::string self = "/proc/self/exe";
  argv.push_back(const_cast<char*>(self.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return kExitNothingWritten;
  if (pid == 0) {
    ::execv(self.c_str(), argv.data());
    ::_exit(kExitNothingWritten);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : kExitNothingWritten;
}

// The first lines of a file, loaded as LoadTextFile loads them, from its
// first kHeadBytes; whole when the file ended within them. The lines kept
// hold at least the recognition text, else the file is loaded whole.
constexpr size_t kHeadBytes = 1 << 20;

bool LoadHeadLines(const std::string& path, LineList& lines, bool& whole) {
  if (!LoadTextHead(path, lines, kHeadBytes, whole)) return false;
  if (whole || TextFrom(lines, 0, kFormatBufferSize).size() >= kFormatBufferSize) return true;
  whole = true;
  return LoadTextFile(path, lines);
}

// Office to office: the input is sent into the instrument format --via
// names (a file in a private temporary folder), which is then received into
// the target. Whatever the intermediate format cannot hold is listed by
// its writer.
int RunVia(const Options& o) {
  const char* base = std::getenv("TMPDIR");
  std::string folder = std::string(base && *base ? base : "/tmp") + "/veltro-via-XXXXXX";
  if (!::mkdtemp(folder.data())) {
    Report(kTextCannotOpen, {folder, std::strerror(errno)});
    return kExitNothingWritten;
  }
  const std::string between = folder + "/via." + o.via;
  std::vector<std::string> first = o.passOn;
  first.insert(first.end(), {"--from", o.from, "--to", o.via, Absolute(o.input), between});
  const int sent = RunSelf(first);
  int status = sent;
  if (sent == kExitOk || sent == kExitErrorsListed) {
    std::vector<std::string> second = o.passOn;
    second.insert(second.end(), {"--from", o.via, "--to", o.to, between, Absolute(o.output)});
    const int received = RunSelf(second);
    status = received == kExitOk ? sent : received;
  }
  ::unlink(between.c_str());
  ::rmdir(folder.c_str());
  return status;
}

// --receive / --send: the instrument over the serial device.
int RunOverLine(TransferModules& modules, const Options& o, ConsoleMessageBox& box) {
  if (o.instrument.empty() || o.port.empty()) {
    Report(kTextLineNeedsInstrument, {});
    return kExitUsage;
  }
  TInstrument* instrument = FindInstrument(*modules.geraete, o.instrument);
  if (!instrument) {
    Report(kTextUnknownInstrument, {o.instrument});
    return kExitUsage;
  }
  instrument->Active = true;
  modules.geraete->SelectInstrument(instrument->Caption);
  if (!ApplyRunSettings(modules, o)) return kExitUsage;
  std::string why;
  if (!modules.geraete->CheckPortSettings(why)) {
    ShowMessageBox(why, kMsgError, kBtnOk);
    return kExitUsage;
  }
  UsePort(*instrument, o.port);

  TDatenformatDefinitionen* office = nullptr;
  if (o.receive) {
    const std::string to = o.to.empty() ? "ASCII" : o.to;
    office = FindOfficeFormat(*modules.dfd, to);
    if (!office || IsReadOnly(*modules.dfd, *office)) {
      Report(office ? kTextReadOnly : kTextUnknownFormat, {to});
      return kExitUsage;
    }
  } else if (Upper(o.from) != "AUTO") {
    office = FindOfficeFormat(*modules.dfd, o.from);
    if (!office) {
      Report(kTextUnknownFormat, {o.from});
      return kExitUsage;
    }
  } else {
    TextLines lines;
    if (!LoadTextFile(Absolute(o.input), lines)) {
      Report(kTextCannotRead, {o.input});
      return kExitNothingWritten;
    }
    const std::string name = RecogniseSource(*modules.dfd, lines);
    office = name.empty() ? nullptr : FindOfficeFormat(*modules.dfd, name);
    if (!office) {
      Report(kTextNotRecognised, {o.input});
      return kExitNothingWritten;
    }
  }
  if (office == modules.dfd->NewFormat && !LoadTemplate(*modules.newFormat, o.templ)) return kExitNothingWritten;
  ActivateFormat(*office);
  return o.receive ? RunTransfer(modules, o, box, 0, false, "", Absolute(o.output), "")
                   : RunTransfer(modules, o, box, 1, false, Absolute(o.input), "", "");
}

// --list: instruments (caption, library, formats), instrument formats and
// office formats by the names the options take.
void PrintList(TransferModules& modules) {
  auto line = [](const std::string& text) { std::printf("%s\n", AnsiToUtf8(text).c_str()); };
  TGeraete& g = *modules.geraete;
  line(GetText(kTextListInstruments));
  g.ForEach<TInstrument>([&](const TInstrument& i) {
    std::string formats = i.GeraeteFormat ? i.GeraeteFormat->Name : std::string();
    if (!i.ValidGeraeteFormate.empty() && i.ValidGeraeteFormate != formats) formats = i.ValidGeraeteFormate;
    line("  " + i.Caption + " | " + TGeraete::InstrumentLibraryName(i.InstrumentDLL) + " | " + formats +
         (g.LibraryInstalled(i) ? std::string() : " (" + GetText(kTextListNotInstalled) + ")"));
  });
  line(GetText(kTextListInstrumentFormats));
  g.ForEach<TGeraeteFormat>([&](const TGeraeteFormat& f) { line("  " + f.Name + " | " + f.Caption); });
  line(GetText(kTextListOfficeFormats));
  modules.dfd->ForEach<TDatenformatDefinitionen>([&](const TDatenformatDefinitionen& d) {
    line("  " + d.Name + (d.Caption.empty() ? std::string() : " | " + d.Caption));
  });
}

}  // namespace

int main(int argc, char** argv) {
  InitLocale();
  Options o;
  int parsed = ParseArguments(argc, argv, o);

  // A mistyped settings name must not silently run on empty settings.
  const bool settingsMissing = !o.settings.empty() && !FileExists(Absolute(o.settings));
  if (settingsMissing && o.createSettings && parsed == 0) SaveFileBytes(Absolute(o.settings), "");
  if (!o.settings.empty() && !(settingsMissing && !o.createSettings)) {
    SetRegistryFile(RegistryRoot::CurrentUser, Absolute(o.settings));
    SetRegistryFile(RegistryRoot::LocalMachine, Absolute(o.settings) + ".machine-unused");
  }
  SetInstallationDirectory(ExecutableDirectory());
  ConsoleMessageBox box;
  box.yesNoAnswer = o.answer;
  SetMessageBoxBackend(&box);
  StartLanguage();

  if (parsed == 1) {
    PrintHelp(stdout);
    return kExitOk;
  }
  if (parsed < 0) {
    PrintUsage(o.badArgument);
    return kExitUsage;
  }
  if (settingsMissing && !o.createSettings) {
    Report(kTextNoSettingsFile, {o.settings});
    return kExitUsage;
  }

  TransferModules modules(ExecutableDirectory());
  modules.geraete->WriteBackOnDestroy = false;
  modules.geraete->ReadSettingsOnly();
  if (!ApplyOfficeOptions(modules, o.officeOptions)) return kExitUsage;
  // The code-list options of the settings apply to every transfer.
  ReadCodeListSettings();
  ReloadCodeDefinitions();

  if (o.list) {
    PrintList(modules);
    return kExitOk;
  }
  if (o.receive || o.send) return RunOverLine(modules, o, box);

  const std::string input = Absolute(o.input);
  const std::string output = Absolute(o.output);
  if (SameFile(input, output)) {
    Report(kTextSameFile, {o.input});
    return kExitUsage;
  }
  if (const std::string why = OpenFailure(input, false); !why.empty()) {
    Report(kTextCannotOpen, {o.input, why});
    return kExitNothingWritten;
  }
  {
    const bool existed = FileExists(output);
    const std::string why = OpenFailure(output, true);
    if (!existed) ::unlink(output.c_str());
    if (!why.empty()) {
      Report(kTextCannotOpen, {o.output, why});
      return kExitNothingWritten;
    }
  }

  // The loaded source, as recognisers see it: the transfer's input lines.
  // Detection and the check for one record of a receive need only its first
  // lines; the office recognisers get the whole file.
  LineList& lines = CurrentTransfer().InputLines;
  bool whole = false;
  if (!LoadHeadLines(input, lines, whole)) {
    Report(kTextCannotRead, {o.input});
    return kExitNothingWritten;
  }
  auto loadWhole = [&]() {
    if (!whole) whole = LoadTextFile(input, lines);
    if (!whole) Report(kTextCannotRead, {o.input});
    return whole;
  };
  const std::string head = TextFrom(lines, 0, kFormatBufferSize);
  // A named instrument format is the preferred candidate of the detection.
  const TGeraeteFormat* named = Upper(o.from) == "AUTO" ? nullptr : FindInstrumentFormat(*modules.geraete, o.from);
  const std::string rawTag = DetectFormat(head, named ? named->Name : std::string());

  // Which side is which.
  TGeraeteFormat* instrument = nullptr;
  TDatenformatDefinitionen* office = nullptr;
  int direction = 0;
  bool templateLoaded = false;
  // What the input was recognised as, for the messages that refuse it.
  auto recognised = [&]() -> std::string {
    if (!rawTag.empty()) return rawTag.substr(1);
    loadWhole();
    const std::string name = RecogniseSource(*modules.dfd, lines);
    return name.empty() ? GetText(kTextRecognisedNone) : name;
  };
  if (Upper(o.from) == "AUTO") {
    // With an instrument format as the target the input is office data,
    // with an office format as the target instrument data.
    const bool toInstrument = !o.to.empty() && FindInstrumentFormat(*modules.geraete, o.to);
    const bool toOffice = !o.to.empty() && !toInstrument && FindOfficeFormat(*modules.dfd, o.to);
    if (!rawTag.empty() && !toInstrument) instrument = FindInstrumentFormat(*modules.geraete, rawTag.substr(1));
    if (!instrument && toOffice) {
      Report(kTextNotRecognised, {o.input});
      return kExitNothingWritten;
    }
    if (!instrument) {
      // A named template takes part in recognising the office format.
      if (!o.templ.empty()) {
        if (!LoadTemplate(*modules.newFormat, o.templ)) return kExitNothingWritten;
        templateLoaded = true;
      }
      if (!loadWhole()) return kExitNothingWritten;
      std::string name = RecogniseSource(*modules.dfd, lines);
      office = name.empty() ? nullptr : FindOfficeFormat(*modules.dfd, name);
      if (!office) {
        Report(kTextNotRecognised, {o.input});
        return kExitNothingWritten;
      }
      direction = 1;
    }
  } else if ((instrument = FindInstrumentFormat(*modules.geraete, o.from))) {
    direction = 0;
  } else if ((office = FindOfficeFormat(*modules.dfd, o.from))) {
    direction = 1;
    if (!loadWhole()) return kExitNothingWritten;
    if (!ReadsOffice(*modules.dfd, *office)) {
      Report(kTextNoReadableData, {office->Caption.empty() ? office->Name : office->Caption});
      return kExitUsage;
    }
    // The file must be what --from says: the pass-through format holds the
    // target's instrument lines, any other its own.
    if (!o.force) {
      bool accepted;
      if (office == modules.dfd->Original) {
        accepted = !rawTag.empty() && !o.to.empty() && Upper(rawTag.substr(1)) == Upper(o.to);
      } else {
        accepted = !RecogniseFormat(*office, lines).empty();
      }
      if (!accepted && office != modules.dfd->NewFormat) {
        Report(kTextNotOfFormat, {o.input, office->Name, recognised()});
        return kExitNothingWritten;
      }
    }
  } else {
    Report(kTextUnknownFormat, {o.from});
    return kExitUsage;
  }

  // GTS-6 and FC-5 downloads may come framed in blocks or without line
  // breaks: one record per line first, as the viewer shows them.
  std::string tag = rawTag;
  if (instrument && direction == 0 && IsGtsStreamFormat(instrument->Name)) {
    lines.clear();
    std::string bytes;
    if (!LoadFileBytes(input, bytes)) {
      Report(kTextCannotRead, {o.input});
      return kExitNothingWritten;
    }
    bytes = GtsPrepareStream(std::move(bytes));
    AppendTextLines(lines, bytes);
    whole = true;
    std::string().swap(bytes);
    tag = DetectFormat(TextFrom(lines, 0, kFormatBufferSize));
    if (Upper(o.from) == "AUTO" && !tag.empty())
      if (TGeraeteFormat* detected = FindInstrumentFormat(*modules.geraete, tag.substr(1))) instrument = detected;
  }

  if (direction == 0) {
    std::string to = o.to.empty() ? "ASCII" : o.to;
    office = FindOfficeFormat(*modules.dfd, to);
    if (office && IsReadOnly(*modules.dfd, *office)) {
      Report(kTextReadOnly, {office->Name});
      return kExitUsage;
    }
    if (!office) {
      if (FindInstrumentFormat(*modules.geraete, to)) {
        Report(kTextOneInstrumentSide, {});
      } else {
        Report(kTextUnknownFormat, {to});
      }
      return kExitUsage;
    }
  } else {
    if (o.to.empty()) {
      Report(kTextNoTarget, {});
      return kExitUsage;
    }
    instrument = FindInstrumentFormat(*modules.geraete, o.to);
    if (!instrument) {
      if (!FindOfficeFormat(*modules.dfd, o.to)) {
        Report(kTextUnknownFormat, {o.to});
        return kExitUsage;
      }
      TGeraeteFormat* via = FindInstrumentFormat(*modules.geraete, o.via);
      if (!via) {
        Report(kTextUnknownFormat, {o.via});
        return kExitUsage;
      }
      if (office == modules.dfd->Original) {
        Report(kTextOneInstrumentSide, {});
        return kExitUsage;
      }
      return RunVia(o);
    }
  }

  // A format without a line classifier in the catalogue (Rec E) has nothing
  // a transfer could read or write.
  if (TGeraete::FormatHandlerName(instrument->Name, FormatEvent::OnGetDatenart).empty()) {
    Report(kTextNoReadableData, {instrument->Caption});
    return kExitNothingWritten;
  }
  if (office == modules.dfd->NewFormat && !templateLoaded && !LoadTemplate(*modules.newFormat, o.templ))
    return kExitNothingWritten;
  // The DXF page's options and its chosen entity template.
  if (office == modules.dfd->DXF && !modules.dxf->PrepareTransfer(direction == 0)) return kExitUsage;

  if (!UseFormat(*modules.geraete, *instrument, o.instrument)) return kExitUsage;
  if (!ApplyRunSettings(modules, o)) return kExitUsage;
  ActivateFormat(*office);

  std::string fileTag;
  if (direction == 0) {
    fileTag = tag;
    // FC-6 files are recognised as GTS-7 files.
    if (Upper(instrument->Name) == "FC6" && fileTag.size() > 1 && fileTag.substr(1) == "GTS7")
      fileTag = fileTag.substr(0, 1) + instrument->Name;
    // The file must hold data of the format it is read as.
    if (!fileTag.empty() && Upper(fileTag.substr(1)) != Upper(instrument->Name)) {
      Report(kTextOtherFormat, {o.input, fileTag.substr(1), instrument->Name});
      return kExitNothingWritten;
    }
    // Nothing detected: a named format reads the file when its own line
    // classifier finds a record in it (files the detection has no rule for,
    // such as coordinate uploads), and refuses it otherwise.
    const bool assumed = fileTag.empty() && Upper(o.from) != "AUTO" && !o.force;
    if (fileTag.empty()) fileTag = (IsCoordinateListFormat(instrument->Name) ? "k" : "d") + instrument->Name;
    CurrentTransfer().FormatTag = fileTag;
    if (instrument->OnSetup) instrument->OnSetup();
    // One record is enough; the engine classifies every line itself. A
    // record of the first lines counts when the lines a classifier may read
    // ahead follow it; else the whole file is looked at.
    constexpr size_t kReadAheadLines = 16;
    bool hasRecord = false;
    CurrentTransfer().ActiveLines = &lines;
    for (size_t i = 0; i < lines.size() && !hasRecord && instrument->OnGetDatenart; ++i) {
      if (!whole && i + kReadAheadLines >= lines.size()) {
        if (!loadWhole()) return kExitNothingWritten;
      }
      CurrentTransfer().Daten.Konstanten.Zeile = static_cast<int>(i);
      std::string s(lines[i]);
      hasRecord = instrument->OnGetDatenart(s) != tdaNone;
    }
    CurrentTransfer().ActiveLines = nullptr;
    CurrentTransfer().Daten.Konstanten.Zeile = 0;
    if (!hasRecord) {
      // A detection without a single record was a guess (an office listing
      // with colons is no DC1 data): the file is not recognised.
      if (Upper(o.from) == "AUTO")
        Report(kTextNotRecognised, {o.input});
      else if (assumed)
        Report(kTextNotOfFormat,
               {o.input, instrument->Caption.empty() ? instrument->Name : instrument->Caption, recognised()});
      else
        Report(kTextNoData, {o.input, instrument->Caption});
      return kExitNothingWritten;
    }
    // A receive reads no office source: the file's lines do not stay.
    lines.clear();
  }
  // A send converts the lines loaded here (they are the whole file); the
  // instrument library reads a receive's input file itself.
  if (direction == 1 && whole) CurrentTransfer().LoadedInputFile = input;
  return RunTransfer(modules, o, box, direction, true, input, output, fileTag);
}
