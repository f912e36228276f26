#include "tests/support/TransferFixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "platform/Clock.h"
#include "core/DateTime.h"

namespace veltro::test {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto candidate = base / ("veltro-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate.string();
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

bool FakeWindow::AskSaveFileName(std::string& name) {
  ++saveDialogs;
  if (saveDialogAnswers.empty()) return false;
  std::string answer = saveDialogAnswers.front();
  saveDialogAnswers.erase(saveDialogAnswers.begin());
  if (answer.empty()) return false;
  name = answer;
  return true;
}

int FakeInstrument::ReceiveLines(bool) {
  int answer = receiveCalls < static_cast<int>(receiveAnswers.size()) ? receiveAnswers[static_cast<size_t>(receiveCalls)] : 0;
  ++receiveCalls;
  TransferState& t = CurrentTransfer();
  t.ReceivedLines = toReceive;
  t.FormatTag = tag;
  return answer;
}

void FakeInstrument::SendLines() {
  ++sendCalls;
  TransferState& t = CurrentTransfer();
  t.OutputLines = t.ReceivedLines;
  SaveOutputFile();
}

TransferFixture::TransferFixture() {
  SetTextProvider([](int n) { return n == 608 ? std::string("T608 %s") : "T" + std::to_string(n); });
  SetTransferEnvironment({&window, &statistics, &instrument, &settings});
  settings.dataPath = tmp.path();
  FreezeClock(EncodeDate(2026, 12, 8));
  TransferState& t = CurrentTransfer();
  t = TransferState{};
}

TransferFixture::~TransferFixture() {
  SetTransferEnvironment({});
  SetTextProvider(nullptr);
  FreezeClock(0);
}

std::vector<std::string> TransferFixture::MessageTexts() const {
  std::vector<std::string> out;
  for (const auto& m : box.Messages()) out.push_back(m.text);
  return out;
}

}  // namespace veltro::test
