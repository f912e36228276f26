// DXF drawings of any shape through DXFBeforeLoad and DXFTransform, each
// point line read and written again through the entity template. The input
// is a DXF.DEF text and a drawing, separated by a NUL byte; the DXF.DEF text's
// first section, when usable, is the template.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/Transfer.h"
#include "platform/TextFile.h"
#include "tests/fuzz/FuzzModules.h"
#include "tests/fuzz/FuzzInput.h"

using namespace veltro;

namespace {

constexpr size_t kMaxPoints = 100000;

using World = fuzz::FuzzModules;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  static World world;
  world.box.Clear();
  TdmDXF& dxf = *world.modules->dxf;
  TDFD& dfd = *world.modules->dfd;
  const std::vector<std::string> parts = fuzz::Parts(data, size, 2);

  const TextLines def = SplitLines(parts[0]);
  const std::vector<std::string> names = DefinitionSectionNames(def);
  DefinitionSection section;
  if (!names.empty()) section = FindDefinitionSection(def, names[0]);
  dxf.SetTemplate(section.state == DefinitionSection::State::Found ? section.lines : TdmDXF::BuiltInTemplate());

  TransferState& t = CurrentTransfer();
  t.InputLines = SplitLines(parts[1]);
  dfd.Recognise(*dfd.DXF, t.InputLines.ToTextLines());
  dfd.DXFBeforeLoad(false);
  TDaten d;
  std::string line;
  for (size_t n = 0; n < kMaxPoints && dfd.DXFTransform(line); ++n) {
    if (dfd.DXFFormat(line, line).empty()) std::abort();  // every point line is taken back
    d.Punkt = TPunkt{};
    dxf.KoordinatenRead(line, d);
    d.Punkt.Messflags = static_cast<std::uint16_t>(n & 1 ? 0x2800 : 0x0800);
    dxf.KoordinatenWrite(d);
    dxf.NeupunkteWrite(d);
  }
  return 0;
}
