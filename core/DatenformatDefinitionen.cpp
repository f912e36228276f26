#include "core/DatenformatDefinitionen.h"

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
  description.ReadWrite = nullptr;
  module.ForEach<TReadWriteDaten>([&](TReadWriteDaten& rw) {
    if (rw.TransferDatenart == tda) {
      description.ReadWrite = &rw;
      description.TransferDatenart = tda;
    }
  });
  description.Init = nullptr;
  if (g_dmInit) {
    g_dmInit->ForEach<TInitDaten>([&](TInitDaten& init) {
      if (init.TransferDatenart == tda) description.Init = &init;
    });
  }
  if (auto* instrumentFormat = dynamic_cast<TGeraeteFormat*>(&description)) {
    instrumentFormat->Edit = nullptr;
    if (g_dmEditDaten && g_editorKind) {
      for (const auto& c : g_dmEditDaten->Components())
        if (g_editorKind(*c, tda)) instrumentFormat->Edit = c.get();
    }
  }
  return description.Name;
}

TDatenformatDefinitionen* FindActiveFormat() {
  TDatenformatDefinitionen* active = nullptr;
  if (g_dfd)
    g_dfd->ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
      if (d.Active) active = &d;
    });
  return active;
}

TDatenformatDefinitionen& ActiveFormat() {
  if (auto* active = FindActiveFormat()) return *active;
  ShowMessageBox("Es ist kein Transferformat aktiv!", kMsgError, kBtnOk);
  FatalExit(1);
}

TDatenformatDefinitionen* ActivateFormat(TDatenformatDefinitionen& format) {
  TDatenformatDefinitionen* previous = FindActiveFormat();
  if (previous) previous->Active = false;
  format.Active = true;
  return previous;
}

TDatenformatDefinitionen* FindFormatByName(const std::string& name, std::string* page, std::string* caption) {
  if (page) page->clear();
  if (caption) caption->clear();
  TDatenformatDefinitionen* found = nullptr;
  if (g_dfd)
    g_dfd->ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) {
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

void InitialiseAll(TDaten& daten) {
  if (!g_dmInit) return;
  g_dmInit->ForEach<TInitDaten>([&](TInitDaten& init) {
    if (init.OnInit) init.OnInit(daten);
  });
}

std::string ListFormats() {
  std::string out;
  if (g_dfd)
    g_dfd->ForEach<TDatenformatDefinitionen>([&](TDatenformatDefinitionen& d) { out += d.Name + "\r\n"; });
  return out;
}

}  // namespace veltro
