// The main window's side of the instrument transfer sequence: the
// transfer-options dialog of the instrument set-up, the transfer indicators
// and the statistics window's cancel button.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/TransferOptions.h"
#include "instruments/LibraryBinding.h"
#include "instruments/TransferSequence.h"

class QWidget;

namespace veltro {

class TfrmStatistik;

// TfrmTransferOptions as the set-up handlers use it.
class QtTransferOptionsDialog : public TransferOptionsDialog {
 public:
  explicit QtTransferOptionsDialog(QWidget* parent = nullptr) : dialog_(parent) {}
  void SetSelection(int value) override { dialog_.SetSelection(value); }
  void SetPcToInstrument(bool pcToInstrument) override { dialog_.SetPcToInstrument(pcToInstrument); }
  void SetProjectsSupported(bool supported) override { dialog_.SetProjectsSupported(supported); }
  void SetTitle(const std::string& title) override;
  // The connected instrument's identification follows the title.
  void SetInstrument(const std::string& identification) override;
  void SetProjects(const std::vector<std::string>& lines) override { dialog_.SetProjects(lines); }
  void SetCodeLists(const std::vector<std::string>& lines) override { dialog_.SetCodeLists(lines); }
  bool Execute() override;
  int Selection() const override { return dialog_.Selection(); }
  std::string TargetName() const override { return dialog_.TargetName(); }
  std::vector<std::string> SelectedLines() const override { return dialog_.SelectedLines(); }
  int ProjectCount() const override { return dialog_.ProjectCount(); }
  int CodeListCount() const override { return dialog_.CodeListCount(); }
  TfrmTransferOptions& Window() { return dialog_; }

 private:
  void ApplyTitle();
  TfrmTransferOptions dialog_;
  std::string title_;
  std::string identification_;
};

class QtInstrumentTransferHost : public InstrumentTransferHost {
 public:
  explicit QtInstrumentTransferHost(QWidget* parent = nullptr) : parent_(parent) {}
  std::function<void(bool on)> onIndicators;
  std::function<void(Indicator, std::uint32_t rgb)> onIndicatorColour;
  std::function<void()> onFocusInput;
  std::function<void()> onFormatChanged;
  // Every dialog this host created, before it is shown (tests answer it).
  std::function<void(QtTransferOptionsDialog&)> onDialog;

  void SetIndicatorsOn(bool on) override;
  void SetIndicatorColour(Indicator indicator, std::uint32_t rgb) override;
  void FocusInputField() override;
  void FormatChanged() override;
  std::unique_ptr<TransferOptionsDialog> CreateTransferOptionsDialog() override;

 private:
  QWidget* parent_;
};

// The statistics window's cancel button (and closing it during a transfer)
// breaks off the library's running read or write.
void ConnectCancel(TfrmStatistik& statistics, TLibraryBinding& binding);

}  // namespace veltro
