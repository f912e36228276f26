#include "app/InstrumentTransferHost.h"

#include <QDialog>

#include "app/TransferStatistik.h"

namespace veltro {

void QtTransferOptionsDialog::SetTitle(const std::string& title) {
  title_ = title;
  ApplyTitle();
}

void QtTransferOptionsDialog::SetInstrument(const std::string& identification) {
  identification_ = identification;
  ApplyTitle();
}

void QtTransferOptionsDialog::ApplyTitle() {
  dialog_.SetTitle(identification_.empty() ? title_ : title_ + " - " + identification_);
}

bool QtTransferOptionsDialog::Execute() { return dialog_.exec() == QDialog::Accepted; }

void QtInstrumentTransferHost::SetIndicatorsOn(bool on) {
  if (onIndicators) onIndicators(on);
}

void QtInstrumentTransferHost::SetIndicatorColour(Indicator indicator, std::uint32_t rgb) {
  if (onIndicatorColour) onIndicatorColour(indicator, rgb);
}

void QtInstrumentTransferHost::FocusInputField() {
  if (onFocusInput) onFocusInput();
}

void QtInstrumentTransferHost::FormatChanged() {
  if (onFormatChanged) onFormatChanged();
}

std::unique_ptr<TransferOptionsDialog> QtInstrumentTransferHost::CreateTransferOptionsDialog() {
  auto dialog = std::make_unique<QtTransferOptionsDialog>(parent_);
  if (onDialog) onDialog(*dialog);
  return dialog;
}

void ConnectCancel(TfrmStatistik& statistics, TLibraryBinding& binding) {
  statistics.LibSetBreak = [&binding] { binding.LibSetBreak(); };
}

}  // namespace veltro
