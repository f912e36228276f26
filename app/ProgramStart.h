// The start of the program TransferVeltro: its data modules and windows in
// their start-up order, each living until the program ends, and the user's
// folders on this platform.
//
// The installation folder ("StdPath") is read-only: the program, its
// libraries and the shipped data. The folders the program writes into
// ("DataPath", "DXFPath", "FormatPath", "GPSPath") default to folders below
// the user's data folder, created at the first start; the shipped DXF
// definitions and formats are copied there once.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace veltro {

class TTDM;
class TdmEditDaten;
class TfrmStatistik;
class TfrmSurtrans;
class TfrmViewer;
class TransferModules;

// $XDG_DATA_HOME (or ~/.local/share) + "/VELTRO Marten/Surtrans/".
std::string UserDataFolder();

// Creates the user's folders and seeds the four folder settings with them
// where they are not set; a DXF or format folder created now gets copies of
// the installation's files. Failures leave a setting unset.
void PrepareUserFolders(const std::string& installationDirectory);

class TransferVeltroProgram {
 public:
  // arguments: the command line after the program name. splash: show the
  // start picture.
  explicit TransferVeltroProgram(const std::vector<std::string>& arguments, bool splash = true);
  ~TransferVeltroProgram();
  TransferVeltroProgram(const TransferVeltroProgram&) = delete;
  TransferVeltroProgram& operator=(const TransferVeltroProgram&) = delete;

  TfrmSurtrans& MainWindow() { return *window_; }
  TransferModules& Modules() { return *modules_; }
  TfrmStatistik& Statistik() { return *statistik_; }
  TfrmViewer& Viewer() { return *viewer_; }

 private:
  std::unique_ptr<TTDM> tdm_;
  std::unique_ptr<TransferModules> modules_;
  std::unique_ptr<TfrmSurtrans> window_;
  std::unique_ptr<TdmEditDaten> editors_;
  std::unique_ptr<TfrmStatistik> statistik_;
  std::unique_ptr<TfrmViewer> viewer_;
};

}  // namespace veltro
