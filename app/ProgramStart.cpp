#include "app/ProgramStart.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/StartBild.h"
#include "app/TransModul.h"
#include "app/TransVeltro.h"
#include "app/TransferStatistik.h"
#include "core/Settings.h"
#include "core/TextUtils.h"
#include "instruments/CoordinateSystem.h"
#include "instruments/TransferModules.h"
#include "platform/DynamicLibrary.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"
#include "viewer/Viewer.h"
#include "viewer/dmEditDaten.h"

namespace veltro {
namespace {

namespace fs = std::filesystem;

struct UserFolder {
  const char* setting;
  const char* folder;  // below the user's data folder
  const char* shipped;  // installation folder copied into a new one; nullptr: none
};
constexpr UserFolder kUserFolders[] = {
    {kSettingDataPath, "Data", nullptr},
    {"DXFPath", "DXF", "DXF"},
    {kSettingFormatPath, "Format", "Format"},
    {kSettingGpsPath, "GPS", nullptr},
};

void CopyShipped(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_directory(from, ec)) return;
  for (const fs::directory_entry& e : fs::directory_iterator(from, ec))
    if (e.is_regular_file(ec)) fs::copy_file(e.path(), to / e.path().filename(), fs::copy_options::skip_existing, ec);
}

}  // namespace

std::string UserDataFolder() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && home[0]) {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  return IncludeTrailingSeparator(base) + "VELTRO Marten/Surtrans/";
}

void PrepareUserFolders(const std::string& installationDirectory) {
  const std::string base = UserDataFolder();
  for (const UserFolder& f : kUserFolders) {
    const std::string path = ConfigPath(f.setting);
    if (RegValueExists(RegistryRoot::CurrentUser, path)) continue;
    const fs::path folder = fs::path(base) / f.folder;
    std::error_code ec;
    const bool existed = fs::is_directory(folder, ec);
    if (!existed && !fs::create_directories(folder, ec)) continue;
    if (!existed && f.shipped) CopyShipped(fs::path(installationDirectory) / f.shipped, folder);
    WriteRegString(RegistryRoot::CurrentUser, path, IncludeTrailingSeparator(folder.string()), false);
  }
}

TransferVeltroProgram::TransferVeltroProgram(const std::vector<std::string>& arguments, bool splash) {
  QApplication::setApplicationName(QStringLiteral("TransferVeltro"));
  QApplication::setApplicationDisplayName(FromAnsi("Datentransfer f\xFCr Tachymeter"));
  if (splash) ShowStartPicture();
  const std::string installation = InstallationDirectory();
  tdm_ = std::make_unique<TTDM>(UserDataFolder() + "Data/");
  PrepareUserFolders(installation);
  tdm_->SetDialogFolder(tdm_->Settings().DataPath());
  modules_ = std::make_unique<TransferModules>(installation);
  window_ = std::make_unique<TfrmSurtrans>(*modules_, *tdm_, ParseStartArguments(arguments));
  editors_ = std::make_unique<TdmEditDaten>();
  statistik_ = std::make_unique<TfrmStatistik>();
  viewer_ = std::make_unique<TfrmViewer>(*modules_->geraete, window_.get());
  window_->AttachWindows(*statistik_, *viewer_);
}

TransferVeltroProgram::~TransferVeltroProgram() {
  SetTransferEnvironment({});
  viewer_.reset();
  statistik_.reset();
  editors_.reset();
  window_.reset();
  modules_.reset();
  tdm_.reset();
}

}  // namespace veltro
