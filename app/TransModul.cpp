#include "app/TransModul.h"

#include <QFile>
#include <QFileDialog>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

FormTranslator g_translator;
TTDM* g_tdm = nullptr;

std::unique_ptr<QFileDialog> MakeDialog(const char* name, const char* filter, QFileDialog::AcceptMode mode) {
  auto dialog = std::make_unique<QFileDialog>();
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setAcceptMode(mode);
  dialog->setNameFilters(NameFilters(filter));
  return dialog;
}

std::string QtPattern(std::string p) {
  if (p.size() >= 2 && p.compare(p.size() - 2, 2, ".*") == 0) {
    p.resize(p.size() - 2);
    if (p.empty() || p.back() != '*') p += '*';
  }
  return p;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

QStringList NameFilters(const std::string& filter) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  QStringList result;
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    std::string description = TrimBlanks(parts[i]);
    const std::string& patterns = parts[i + 1];
    // The description usually repeats the patterns in parentheses; Qt reads
    // the patterns from there, so they are written once, in Qt's form.
    size_t open = description.rfind('(');
    if (open != std::string::npos && description.back() == ')') description = TrimBlanks(description.substr(0, open));
    std::vector<std::string> qt;
    auto add = [&](const std::string& p) {
      if (!p.empty() && std::find(qt.begin(), qt.end(), p) == qt.end()) qt.push_back(p);
    };
    size_t s = 0;
    for (;;) {
      size_t semi = patterns.find(';', s);
      std::string p =
          QtPattern(TrimBlanks(patterns.substr(s, semi == std::string::npos ? std::string::npos : semi - s)));
      add(p);
      add(Upper(p));
      if (semi == std::string::npos) break;
      s = semi + 1;
    }
    std::string joined;
    for (const auto& p : qt) joined += (joined.empty() ? "" : " ") + p;
    result << FromAnsi(description + " (" + joined + ")");
  }
  return result;
}

void SetFormTranslator(FormTranslator translator) { g_translator = std::move(translator); }

void TranslateForm(QWidget& form) {
  if (g_translator) g_translator(form);
}

TTDM::TTDM(std::string defaultDataPath, QObject* parent)
    : QObject(parent),
      openDialogCodeliste_(MakeDialog("OpenDialogCodeliste", kFilterCodeliste, QFileDialog::AcceptOpen)),
      openFileDialog_(MakeDialog("OpenFileDialog", kFilterOpenFile, QFileDialog::AcceptOpen)),
      saveFileDialog_(MakeDialog("SaveFileDialog", kFilterSaveFile, QFileDialog::AcceptSave)),
      settings_(std::move(defaultDataPath)) {
  setObjectName(QStringLiteral("TDM"));
  // The language rule looks at the user's program key, which the
  // configuration copy creates: it runs first.
  ActivateNiederlassung(StartLanguageId());
  StartUserConfiguration();
  SetDialogFolder(settings_.DataPath());
  g_tdm = this;
}

TTDM::~TTDM() {
  if (g_tdm == this) g_tdm = nullptr;
}

void TTDM::SetDialogFolder(const std::string& folder) {
  if (folder.empty()) return;
  // Paths are file-system bytes, not program text.
  openFileDialog_->setDirectory(QFile::decodeName(folder.c_str()));
  saveFileDialog_->setDirectory(QFile::decodeName(folder.c_str()));
}

TNiederlassung& TTDM::ActiveNiederlassung() const { return veltro::ActiveNiederlassung(); }

void TTDM::SaveLanguage() const { WriteLanguageId(ActiveNiederlassung().LanguageID); }

TTDM* TDM() { return g_tdm; }

}  // namespace veltro
