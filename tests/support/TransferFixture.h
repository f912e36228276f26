// A headless set-up for whole transfers: scripted message box, texts "T<n>",
// a temporary folder, and fakes of the main window, statistics window,
// instrument side and settings.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/DatenformatDefinitionen.h"
#include "core/Messages.h"
#include "core/Transfer.h"
#include "platform/MessageBox.h"

namespace veltro::test {

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

class FakeWindow : public TransferWindow {
 public:
  std::string activePage;
  bool editorPage = false;
  std::string status;
  int focusOutput = 0;
  std::vector<std::string> saveDialogAnswers;  // consumed in order; "" = cancel
  int saveDialogs = 0;
  std::string ActivePageName() const override { return activePage; }
  bool EditorPageActive() const override { return editorPage; }
  bool runTopocad = false;
  bool RunTopocadChecked() const override { return runTopocad; }
  bool TopocadPageShown() const override { return runTopocad; }
  void SetStatusText(const std::string& s) override { status = s; }
  void FocusOutputField() override { ++focusOutput; }
  bool AskSaveFileName(std::string& name) override;
};

class FakeStatistics : public StatisticsView {
 public:
  int refreshes = 0;
  int resets = 0;
  void Reset() override { ++resets; StatisticsView::Reset(); }
  void Refresh() override { ++refreshes; }
  std::vector<std::string> statusTexts;
  void SetStatusText(const std::string& s) override { statusTexts.push_back(s); }
};

class FakeInstrument : public InstrumentSide {
 public:
  TGeraeteFormat* format = nullptr;
  InstrumentKind kind = InstrumentKind::Tachymeter;
  TextLines toReceive;       // delivered by ReceiveLines
  std::string tag = "kTEST";
  std::vector<int> receiveAnswers;  // scripted results of ReceiveLines (default 0)
  int receiveCalls = 0;
  int sendCalls = 0;
  std::string libErrors;
  TGeraeteFormat* CurrentGeraeteFormat() override { return format; }
  InstrumentKind CurrentInstrumentKind() const override { return kind; }
  int ReceiveLines(bool cont) override;
  void SendLines() override;
  std::string LibGetErrorBuf() override { return libErrors; }
};

class FakeSettings : public TransferSettings {
 public:
  int methode = 0;
  bool transOf = true;
  std::string dataPath;
  bool viewer = false;
  bool saveSource = false;
  int Methode() const override { return methode; }
  bool TransOf() const override { return transOf; }
  std::string DataPath() const override { return dataPath; }
  bool Viewer() const override { return viewer; }
  bool SaveSource() const override { return saveSource; }
};

// Installs the fakes, the scripted message box and a text provider that
// answers "T<n>" (T608 holds "%s" like the real text).
class TransferFixture : public ::testing::Test {
 protected:
  TransferFixture();
  ~TransferFixture() override;

  // Texts of all messages shown so far, in order.
  std::vector<std::string> MessageTexts() const;

  ScriptedMessageBox box;
  ScopedMessageBox boxGuard{&box};
  FakeWindow window;
  FakeStatistics statistics;
  FakeInstrument instrument;
  FakeSettings settings;
  TempDir tmp;
};

}  // namespace veltro::test
