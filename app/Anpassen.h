// The settings dialog "Anpassen": data and format folders, the current
// instrument's port, the viewer and source-saving switches and the wait time
// for the instrument library.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/Settings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace veltro {

// What the dialog edits. Folders are file-system paths ending with "/".
struct AnpassenWerte {
  std::string DataPath;
  std::string FormatPath;
  std::vector<int> Ports;  // available port numbers n ("COM" + n)
  int Port = 1;            // the current instrument's port
  bool Viewer = false;
  bool SaveSource = false;
  int WaitForRemote = kMinWaitForRemote;
};

// The dialog's settings from the store ("DataPath", "FormatPath", "Viewer",
// "Save Source", "WaitForRemote"); port and port list are the caller's.
AnpassenWerte ReadAnpassenWerte(const std::string& defaultDataPath, const std::string& defaultFormatPath);
// Writes those settings (always).
void WriteAnpassenWerte(const AnpassenWerte& werte);

// The message for a wait time that is not an integer.
std::string NotAnIntegerMessage(const std::string& text);

class TfrmAnpassen : public QDialog {
  Q_OBJECT

 public:
  // Edits werte; on Ok they are changed and written to the store at once, so
  // that the next transfer uses them.
  explicit TfrmAnpassen(AnpassenWerte& werte, QWidget* parent = nullptr);

  // Opens the port properties dialog of the current instrument.
  std::function<void()> OnEigenschaften;

 public slots:
  // Validates and stores; false (the dialog stays open) for an unknown port
  // or a wait time that is not an integer.
  bool EndeClick();
  void AbbrechenClick();

 private:
  void FormCreate();
  void ChooseFolder(QLineEdit* edit);

  AnpassenWerte& werte_;
  QLineEdit* DatenDir;
  QToolButton* DatenDirWahl;
  QLineEdit* FormatDir;
  QToolButton* FormatDirWahl;
  QComboBox* AnschlussBox;
  QCheckBox* BenutzeViewer;
  QCheckBox* SaveSource;
  QLineEdit* edWaitForRemote;
  QPushButton* Eigenschaften_Button;
  QPushButton* Ende;
  QPushButton* Abbrechen;
};

// The folder to show for path: the path when it can be entered, else its
// nearest existing parent, else the home folder; always ending with "/".
std::string EnterableFolder(const std::string& path);

}  // namespace veltro
