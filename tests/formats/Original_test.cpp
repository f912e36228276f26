#include "formats/office/Original.h"

#include <gtest/gtest.h>

#include "instruments/TransferModules.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class OriginalTest : public TransferFixture {
 protected:
  OriginalTest() {
    modules.geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = i.Name == "itTPS1100"; });
    modules.geraete->Instrument("itTPS1100")->GeraeteFormat = modules.geraete->Format("GSI8");
  }
  TempSettings store;
  TransferModules modules{tmp.path() + "/"};
  TDatenformatDefinitionen& def = *modules.dfd->Original;
};

TEST_F(OriginalTest, EveryKindPassesTheLineThrough) {
  // The instrument format classifies and binds Original to the same kind.
  const std::string point = "110001+00001234 81..10+00012345 82..10+00067890 ";
  CurrentTransfer().FormatTag = "kGSI8";
  EXPECT_EQ(def.OnFormat(point, point), "kGSI8");
  EXPECT_EQ(def.ReadWrite, modules.original->Koordinaten);
  EXPECT_EQ(def.OnFormat("kein GSI", "kein GSI"), "");

  // Levelling kinds too, so that a levelling file is copied whole.
  for (TTransferDatenart kind : {tdaInformation, tdaStation, tdaNeupunkt, tdaKoordinate, tdaPunktcode, tdaKommentar,
                                 tdaNivKoordinate, tdaStartdaten, tdaMessdaten, tdaEnddaten, tdaNivKommentar}) {
    SCOPED_TRACE(TransferDatenartName(kind));
    def.OnSetTDA(kind);
    ASSERT_NE(def.ReadWrite, nullptr);
    TDaten d;
    def.ReadWrite->OnRead("a line  \xB4 ", d);
    EXPECT_EQ(def.ReadWrite->OnWrite(d), "a line  \xB4 ");
  }

  // Statistics: points and stations counted here, coordinates by the
  // instrument format's own handler.
  TTransferStatistik stat;
  modules.original->Neupunkte->OnStatistik("x", stat);
  modules.original->Stationen->OnStatistik("x", stat);
  EXPECT_EQ(stat.Punkte, 1);
  EXPECT_EQ(stat.Stationen, 1);
  TGeraeteFormat& gsi8 = *modules.geraete->Format("GSI8");
  gsi8.OnSetTDA(tdaKoordinate);
  modules.original->Koordinaten->OnStatistik(point, stat);
  EXPECT_EQ(stat.Punkte, 2);
}

}  // namespace
}  // namespace veltro::test
