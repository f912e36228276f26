// TDM, the main data module: what several windows share. The shared file
// dialogs, the interface language chosen by the country entries, the start of
// the user's settings and the engine's settings read from the store.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "core/Niederlassung.h"
#include "core/Settings.h"

class QFileDialog;
class QWidget;

namespace veltro {

// Filters as the shared dialogs are created with ("description|pattern|...").
inline constexpr const char* kFilterCodeliste =
    "Datendateien (*.lst)|*.lst|Textdateien (*.dat)|*.dat|Alle Dateien (*.*)|*.*";
inline constexpr const char* kFilterOpenFile =
    "Datendateien (*.dat)|*.dat|Textdateien (*.txt)|*.txt|Alle Dateien (*.*)|*.*";
inline constexpr const char* kFilterSaveFile = "Inroh Dateien (in*.*)|in*.*";

// A filter text "description|pattern;pattern|..." as Qt name filters. A
// pattern ending in ".*" also matches names without extension, as it does on
// Windows ("*.*" becomes "*"); upper-case variants are added because files
// from instruments often have upper-case names.
QStringList NameFilters(const std::string& filter);

// Translation of a window by its components' text numbers, installed by the
// language module; windows call TranslateForm when they are activated.
using FormTranslator = std::function<void(QWidget& form)>;
void SetFormTranslator(FormTranslator translator);
void TranslateForm(QWidget& form);

class TTDM : public QObject {
  Q_OBJECT

 public:
  // Runs the start-up rules: the interface language from "language", then a
  // new user's configuration from the machine's.
  explicit TTDM(std::string defaultDataPath = {}, QObject* parent = nullptr);
  ~TTDM() override;

  QFileDialog* OpenDialogCodeliste() const { return openDialogCodeliste_.get(); }
  QFileDialog* OpenFileDialog() const { return openFileDialog_.get(); }
  QFileDialog* SaveFileDialog() const { return saveFileDialog_.get(); }
  // Sets the initial folder of the open and save file dialogs.
  void SetDialogFolder(const std::string& folder);

  TNiederlassung& ActiveNiederlassung() const;
  // Writes the active entry's identifier as "language" (main window's EndeClick).
  void SaveLanguage() const;

  // The engine's settings, read from the store at each use.
  RegistryTransferSettings& Settings() { return settings_; }

 private:
  std::unique_ptr<QFileDialog> openDialogCodeliste_;
  std::unique_ptr<QFileDialog> openFileDialog_;
  std::unique_ptr<QFileDialog> saveFileDialog_;
  RegistryTransferSettings settings_;
};

// The process-wide TDM (nullptr before it is created).
TTDM* TDM();

}  // namespace veltro
