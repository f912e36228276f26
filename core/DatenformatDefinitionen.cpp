#include "core/DatenformatDefinitionen.h"

#include <algorithm>

#include "core/Fatal.h"
#include "core/Messages.h"

namespace veltro {
namespace {
TDataModule* g_dmInit = nullptr;
TDataModule* g_dfd = nullptr;
TDataModule* g_dmEditDaten = nullptr;
EditorKindOf g_editorKind = nullptr;
}  // namespace

TDataModule* DmInit() { return g_dmInit; }
void SetDmInit(TDataModule* module) { g_dmInit = module; }
TDataModule* DFD() { return g_dfd; }
void SetDFD(TDataModule* module) { g_dfd = module; }
TDataModule* DmEditDaten() { return g_dmEditDaten; }
void SetDmEditDaten(TDataModule* module) { g_dmEditDaten = module; }
void SetEditorKindTest(EditorKindOf test) { g_editorKind = test; }

std::string SelectKind(FormatDescriptor& description, const TDataModule& module, TTransferDatenart tda) {
  description.ReadWrite =
      module.FindLast<TReadWriteDaten>([tda](const TReadWriteDaten& rw) { return rw.TransferDatenart == tda; });
  if (description.ReadWrite) description.TransferDatenart = tda;
  description.Init =
      g_dmInit ? g_dmInit->FindLast<TInitDaten>([tda](const TInitDaten& init) { return init.TransferDatenart == tda; })
               : nullptr;
  if (TComponent** edit = description.EditBinding()) {
    *edit = nullptr;
    if (g_dmEditDaten && g_editorKind) {
      const auto& components = g_dmEditDaten->Components();
      for (auto it = components.rbegin(); it != components.rend() && !*edit; ++it)
        if (g_editorKind(**it, tda)) *edit = it->get();
    }
  }
  return description.Name;
}

TDatenformatDefinitionen* FindActiveFormat(const TDataModule& dfd) {
  return dfd.FindLast<TDatenformatDefinitionen>([](const TDatenformatDefinitionen& d) { return d.Active; });
}

TDatenformatDefinitionen* FindActiveFormat() { return g_dfd ? FindActiveFormat(*g_dfd) : nullptr; }

TDatenformatDefinitionen& ActiveFormat(const TDataModule& dfd) {
  if (auto* active = FindActiveFormat(dfd)) return *active;
  ShowMessageBox("Es ist kein Transferformat aktiv!", kMsgError, kBtnOk);
  FatalExit(1);
}

TDatenformatDefinitionen& ActiveFormat() {
  if (g_dfd) return ActiveFormat(*g_dfd);
  ShowMessageBox("Es ist kein Transferformat aktiv!", kMsgError, kBtnOk);
  FatalExit(1);
}

TDatenformatDefinitionen* ActivateFormat(const TDataModule& dfd, TDatenformatDefinitionen& format) {
  TDatenformatDefinitionen* previous = FindActiveFormat(dfd);
  if (previous) previous->Active = false;
  format.Active = true;
  return previous;
}

TDatenformatDefinitionen* ActivateFormat(TDatenformatDefinitionen& format) {
  TDatenformatDefinitionen* previous = FindActiveFormat();
  if (previous) previous->Active = false;
  format.Active = true;
  return previous;
}

TDatenformatDefinitionen* FindFormatByName(const TDataModule& dfd, const std::string& name, std::string* page,
                                           std::string* caption) {
  if (page) page->clear();
  if (caption) caption->clear();
  TDatenformatDefinitionen* found = nullptr;
  dfd.ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
    if (!found && d.Name == name) found = &d;
  });
  if (found && found->OnAttribute) {
    std::string p;
    std::string c = found->OnAttribute(p);
    if (page) *page = p;
    if (caption) *caption = c;
  }
  return found;
}

TDatenformatDefinitionen* FindFormatByName(const std::string& name, std::string* page, std::string* caption) {
  if (!g_dfd) {
    if (page) page->clear();
    if (caption) caption->clear();
    return nullptr;
  }
  return FindFormatByName(*g_dfd, name, page, caption);
}

void InitialiseAll(TDaten& daten) {
  if (!g_dmInit) return;
  g_dmInit->ForEach<TInitDaten>([&](TInitDaten& init) {
    if (init.OnInit) init.OnInit(daten);
  });
}

std::string ListFormats(const TDataModule& dfd) {
  std::string out;
  dfd.ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) { out += d.Name + "\r\n"; });
  return out;
}

std::string ListFormats() { return g_dfd ? ListFormats(*g_dfd) : std::string(); }

namespace {
template <typename List>
void TextFromLines(const List& lines, size_t from, size_t limit, std::string& buf) {
  buf.clear();
  for (size_t i = from; i < lines.size() && buf.size() < limit; ++i) {
    const std::string_view line = lines[i];
    buf.append(line, 0, std::min(line.size(), limit - buf.size()));
    buf += "\r\n";
  }
  if (buf.size() > limit) buf.resize(limit);
}

template <typename List>
std::string RecogniseLines(TDatenformatDefinitionen& format, const List& source) {
  if (source.empty() || !format.OnFormat) return {};
  const std::string head = TextFrom(source, 0, kFormatBufferSize);
  const size_t lines = std::min(source.size(), kRecognitionLines);
  std::string line;
  for (size_t i = 0; i < lines; ++i) {
    line = source[i];
    std::string answer = format.OnFormat(line, head);
    if (!answer.empty()) return answer;
  }
  return {};
}

template <typename List>
std::string RecogniseSourceLines(const TDataModule& dfd, const List& source) {
  std::string answer;
  dfd.ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
    if (answer.empty()) answer = RecogniseFormat(d, source);
  });
  return answer;
}
}  // namespace

std::string TextFrom(const std::vector<std::string>& lines, size_t from, size_t limit) {
  std::string buf;
  TextFromLines(lines, from, limit, buf);
  return buf;
}
std::string TextFrom(const LineList& lines, size_t from, size_t limit) {
  std::string buf;
  TextFromLines(lines, from, limit, buf);
  return buf;
}
void TextFrom(const std::vector<std::string>& lines, size_t from, size_t limit, std::string& buf) {
  TextFromLines(lines, from, limit, buf);
}
void TextFrom(const LineList& lines, size_t from, size_t limit, std::string& buf) {
  TextFromLines(lines, from, limit, buf);
}
std::string RecogniseFormat(TDatenformatDefinitionen& format, const std::vector<std::string>& source) {
  return RecogniseLines(format, source);
}
std::string RecogniseFormat(TDatenformatDefinitionen& format, const LineList& source) {
  return RecogniseLines(format, source);
}
std::string RecogniseSource(const TDataModule& dfd, const std::vector<std::string>& source) {
  return RecogniseSourceLines(dfd, source);
}
std::string RecogniseSource(const TDataModule& dfd, const LineList& source) { return RecogniseSourceLines(dfd, source); }

}  // namespace veltro
