// Opens the instrument selection, port settings or key-sequence dialog on
// its own, with the program's catalogue, library binding and German texts,
// until the main window opens them from its actions:
//   veltro-dialogs instruments|port|commands [--instrument CAPTION]
//                  [--library-folder DIR] [--screenshot FILE.png]
// --library-folder names the folder whose instrument libraries count as
// installed (default: the program's folder); --screenshot saves a picture of
// the dialog instead of waiting for the user.
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/ComDialog.h"
#include "app/InstrumentenWahl.h"
#include "app/Kommandos.h"
#include "core/Language.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "instruments/CodeListen.h"
#include "instruments/CoordinateSystem.h"
#include "instruments/LibraryBinding.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"

namespace {

constexpr int kGermanLanguageId = 7;

int Usage() {
  std::fputs(
      "usage: veltro-dialogs instruments|port|commands [--instrument CAPTION] [--library-folder DIR] "
      "[--screenshot FILE.png]\n",
      stderr);
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace veltro;
  if (argc < 2) return Usage();
  const std::string which = argv[1];
  std::string instrument, folder, screenshot;
  for (int a = 2; a < argc; ++a) {
    const std::string arg = argv[a];
    if (a + 1 >= argc) return Usage();
    if (arg == "--instrument")
      instrument = argv[++a];
    else if (arg == "--library-folder")
      folder = argv[++a];
    else if (arg == "--screenshot")
      screenshot = argv[++a];
    else
      return Usage();
  }

  QApplication app(argc, argv);
  QtMessageBox messages;
  SetMessageBoxBackend(&messages);
  InstallQtMessagePump();
  if (const TSprache* german = FindSprache("Deutsch")) LoadLanguage(*german);
  LoadMessageTitles(kGermanLanguageId);

  TGeraete geraete(folder.empty() ? std::string() : IncludeTrailingSeparator(folder));
  SetGeraete(&geraete);
  TLibraryBinding binding(geraete);
  geraete.LoadSettings();
  ReadCodeListSettings();
  if (!instrument.empty() && !geraete.SelectInstrument(instrument)) {
    std::fprintf(stderr, "unknown instrument: %s\n", instrument.c_str());
    return 64;
  }

  std::unique_ptr<QDialog> dialog;
  TfrmTachyWahl* wahl = nullptr;
  if (which == "instruments") {
    auto* d = new TfrmTachyWahl(geraete);
    d->DataMerging->setChecked(ReadRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingDataMerging), false));
    wahl = d;
    dialog.reset(d);
  } else if (which == "port") {
    dialog = std::make_unique<TfrmEigenschaften>(geraete);
  } else if (which == "commands") {
    dialog = std::make_unique<TfrmTachyKommandos>(geraete);
  } else {
    return Usage();
  }

  if (!screenshot.empty()) {
    dialog->show();
    app.processEvents();
    return dialog->grab().save(QString::fromLocal8Bit(screenshot.c_str())) ? 0 : 1;
  }
  if (dialog->exec() == QDialog::Accepted && wahl) {
    // What the main window does after the selection dialog.
    WriteRegBool(RegistryRoot::CurrentUser, ConfigPath(kSettingDataMerging), wahl->DataMerging->isChecked(), true);
    WriteRegString(RegistryRoot::CurrentUser, ConfigPath(kSettingGpsSystem), wahl->AktivSystem(), true);
  }
  dialog.reset();
  UnloadLanguage();
  SetMessageBoxBackend(nullptr);
  return 0;
}
