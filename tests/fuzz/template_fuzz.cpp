// Template definitions from .Format files against data lines: the file is
// parsed, stored again and parsed back (units, flags and counts must survive;
// templates holding raw code bytes next to letters may not), then every line
// is classified, read with each reading section and written with every section.
// Input: .Format file NUL data lines.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/Transfer.h"
#include "formats/office/NewFormat.h"
#include "instruments/TransferModules.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "tests/fuzz/FuzzInput.h"

using namespace veltro;

namespace {

struct World {
  World() {
    SetRegistryFile(RegistryRoot::CurrentUser, "/nonexistent-veltro-fuzz/user.ini");
    SetRegistryFile(RegistryRoot::LocalMachine, "/nonexistent-veltro-fuzz/machine.ini");
    SetMessageBoxBackend(&box);
    modules = std::make_unique<TransferModules>("/nonexistent-veltro-fuzz");
    modules->geraete->WriteBackOnDestroy = false;
  }
  ScriptedMessageBox box;
  std::unique_ptr<TransferModules> modules;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  static World world;
  world.box.Clear();
  auto parts = fuzz::Parts(data, size, 2);
  TdmNewFormat& nf = *world.modules->newFormat;
  std::string name;
  TemplateFileError error;
  auto definition = ParseTemplateFile(SplitLines(parts[0]), nf.Letters, name, error);
  if (!definition) return 0;
  std::string again;
  auto back = ParseTemplateFile(TemplateFileLines(name, *definition, nf.Letters), nf.Letters, again, error);
  if (!back || again != name || back->CoordinateUnit != definition->CoordinateUnit ||
      back->CommentMarkers != definition->CommentMarkers || back->TimeFormat != definition->TimeFormat)
    std::abort();
  for (int s = 0; s < kTemplateSectionCount; ++s) {
    const TemplateSection& a = back->Sections[static_cast<size_t>(s)];
    const TemplateSection& b = definition->Sections[static_cast<size_t>(s)];
    if (a.FixedPosition != b.FixedPosition || a.TitleLines != b.TitleLines) std::abort();
  }

  TGeraete& g = *world.modules->geraete;
  const bool level = !parts[1].empty() && (parts[1][0] & 1);
  g.ForEach<TInstrument>([&](TInstrument& i) { i.Active = i.Name == (level ? "itDiNi10" : "itTPS1100"); });

  const TextLines lines = SplitLines(parts[1]);
  TransferState& t = CurrentTransfer();
  const LineList active(lines);
  t.ActiveLines = &active;
  for (size_t i = 0; i < lines.size() && i < 64; ++i) {
    nf.Definition = *definition;  // reading and writing take title lines off
    TDaten d;
    d.Konstanten.Zeile = static_cast<int>(i);
    const std::string text = TextFrom(lines, i, kFormatBufferSize);
    (void)nf.Format(lines[i], text);
    nf.KoordinatenRead(lines[i], d);
    nf.NivKoordinatenRead(lines[i], d);
    nf.QuerprofileRead(lines[i], d);
    nf.PunktcodesRead(lines[i], d);
    d.Info.Projekt = d.Punkt.Punktnummer;
    d.Info.Zeitpunkt = static_cast<double>(i) * 1.25;
    d.Station.Y = d.Punkt.Y;
    d.Punkt.Horizontalwinkel = lines[i];
    d.Messung.Satzart = std::string(1, static_cast<char>('f' + i % 9));
    d.Messung.Satzkennung = lines[i].substr(0, 2);
    d.Messung.Distanz = d.Punkt.X;
    (void)nf.KoordinatenWrite(d);
    (void)nf.QuerprofileWrite(d);
    (void)nf.PunktcodesWrite(d);
    (void)nf.InformationenWrite(d);
    (void)nf.StationenWrite(d);
    (void)nf.AnschlusspunkteWrite(d);
    (void)nf.NeupunkteWrite(d);
    (void)nf.StartdatenWrite(d);
    (void)nf.MessdatenWrite(d);
    (void)nf.EnddatenWrite(d);
    (void)nf.NivKommentareWrite(d);
  }
  t.InputLines = lines;
  nf.BeforeLoad(level);
  t.ActiveLines = nullptr;
  return 0;
}
