// The shipped catalogue against a pinned listing, and the consistency of its
// tables. Regenerate the listing with VELTRO_UPDATE_REFERENCE=1 and review
// the difference line by line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "instruments/InstrumentenModul.h"
#include "platform/TextFile.h"
#include "tests/instruments/CatalogueFixture.h"

namespace veltro::test {
namespace {

const char* const kParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
const char* const kFlowNames[] = {"None", "XONXOFF", "CTSRTS", "DSRDTR", "ACKNAK", "GSI", "REC500"};
const char* const kEndofLineNames[] = {"None", "CR", "LF", "CRLF", "LFCR"};

template <class E, class Set, class Name>
std::string List(const Set& set, Name name) {
  std::string out;
  for (int n = 0; n < EnumCount<E>(); ++n)
    if (set.Contains(static_cast<E>(n))) out += (out.empty() ? "" : ",") + name(static_cast<E>(n));
  return out.empty() ? "-" : out;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Listing(const TGeraete& g) {
  std::ostringstream out;
  for (const auto& c : g.Components()) {
    if (const auto* m = dynamic_cast<const THersteller*>(c.get())) {
      out << "maker " << m->Name << " MenuName=" << m->MenuName << " MenuCaption=" << Quoted(m->MenuCaption)
          << " Order=" << m->Order << "\n";
    } else if (const auto* t = dynamic_cast<const TInstrumententyp*>(c.get())) {
      out << "type " << t->Name << " Caption=" << Quoted(t->Caption) << " Kind=" << static_cast<int>(t->Kind)
          << " Pictures=" << t->OriginalPicture.Resource << "," << t->TransferPicture.Resource << "\n";
    } else if (const auto* i = dynamic_cast<const TInstrument*>(c.get())) {
      out << "instrument " << i->Name << " Caption=" << Quoted(i->Caption) << " Maker=" << i->Hersteller->Name
          << " Type=" << i->Instrumententyp->Name << " Library=" << TGeraete::InstrumentLibraryName(i->InstrumentDLL)
          << "\n  Port=" << static_cast<int>(i->Port) << " Baud=" << BaudRateValue(i->BaudRate)
          << " Parity=" << kParityNames[i->Parity] << " DataBits=" << DataBitsName(i->DataBits)
          << " StopBits=" << StopBitsName(i->StopBits) << " Flow=" << kFlowNames[i->FlowControl]
          << " EndofLine=" << kEndofLineNames[i->EndofLine] << " Format=" << i->GeraeteFormat->Name
          << " Times=" << i->Lesezeit << "/" << i->Schreibzeit << "/" << i->WaitAfterCmd
          << "\n  CmdStrTag=" << i->CmdStrTag << " Dateifilter=" << i->Dateifilter
          << " NoNewTrans=" << (i->NoNewTrans ? "yes" : "no") << " TabOrder=" << i->TabOrder
          << " TransferMethode=" << i->TransferMethode << " Offsets=" << i->OffsetY() << "/" << i->OffsetX()
          << " Active=" << (i->Active ? "yes" : "no") << " OnSetup="
          << (TGeraete::InstrumentSetupName(i->Name).empty() ? "-" : TGeraete::InstrumentSetupName(i->Name))
          << "\n  ValidBaud="
          << List<TBaudRate>(i->ValidBaudRate, [](TBaudRate b) { return std::to_string(BaudRateValue(b)); })
          << " ValidDataBits=" << List<TDataBits>(i->ValidDataBits, DataBitsName)
          << " ValidStopBits=" << List<TStopBits>(i->ValidStopBits, StopBitsName)
          << " ValidParity=" << List<TParity>(i->ValidParity, [](TParity p) { return std::string(kParityNames[p]); })
          << "\n  ValidFlow="
          << List<TFlowControl>(i->ValidFlowControl, [](TFlowControl f) { return std::string(kFlowNames[f]); })
          << " ValidEndofLine="
          << List<TEndofLine>(i->ValidEndofLine, [](TEndofLine e) { return std::string(kEndofLineNames[e]); })
          << " ValidGeraeteFormate=" << Quoted(i->ValidGeraeteFormate)
          << " Pictures=" << i->ShownOriginalPicture().Resource << "," << i->ShownTransferPicture().Resource << "\n";
    } else if (const auto* f = dynamic_cast<const TGeraeteFormat*>(c.get())) {
      std::string flags;
      auto flag = [&](bool set, const char* name) {
        if (set) flags += (flags.empty() ? "" : ",") + std::string(name);
      };
      flag(f->Active, "Active");
      flag(f->KoordinatenUnit, "KoordinatenUnit");
      flag(f->NoTransPCtoInst, "NoTransPCtoInst");
      flag(f->Modify, "Modify");
      flag(f->OEMConvert, "OEMConvert");
      flag(f->MoreLine, "MoreLine");
      out << "format " << f->Name << " Order=" << f->Order << " Caption=" << Quoted(f->Caption)
          << " Maker=" << f->Hersteller->Name << " Dateifilter=" << f->Dateifilter
          << " TransferDatenart=" << static_cast<int>(f->TransferDatenart)
          << "\n  Datumsformat=" << Quoted(f->Datumsformat) << " Uhrzeitformat=" << Quoted(f->Uhrzeitformat)
          << " Flags=" << (flags.empty() ? "-" : flags) << " MainElement=" << Quoted(f->MainElement)
          << "\n  Files=" << Quoted(f->KoordinatenDateiname) << "," << Quoted(f->MessungenDateiname) << ","
          << Quoted(f->PunktcodeDateiname) << "," << Quoted(f->QuerprofileDateiname) << "\n  Handlers=";
      std::string handlers;
      for (int e = 0; e < kFormatEventCount; ++e) {
        const std::string h = TGeraete::FormatHandlerName(f->Name, static_cast<FormatEvent>(e));
        if (!h.empty())
          handlers +=
              (handlers.empty() ? "" : " ") + std::string(FormatEventName(static_cast<FormatEvent>(e))) + "=" + h;
      }
      out << handlers << "\n";
    }
  }
  return out.str();
}

TEST_F(CatalogueTest, ShippedCatalogueMatchesThePinnedListing) {
  const std::string listing = Listing(Make());
  const std::string reference = std::string(VELTRO_TEST_DATA) + "/catalogue/listing.txt";
  if (std::getenv("VELTRO_UPDATE_REFERENCE")) {
    ASSERT_TRUE(SaveFileBytes(reference, listing));
    GTEST_SKIP() << "reference written: " << reference;
  }
  const std::string expected = ReadFile(reference);
  if (listing == expected) return;
  const TextLines a = SplitLines(listing);
  const TextLines b = SplitLines(expected);
  for (size_t n = 0; n < std::max(a.size(), b.size()); ++n) {
    const std::string got = n < a.size() ? a[n] : "<end>";
    const std::string want = n < b.size() ? b[n] : "<end>";
    if (got != want) FAIL() << "first difference in line " << n + 1 << "\n  got:  " << got << "\n  want: " << want;
  }
  FAIL() << "line ends differ";
}

TEST_F(CatalogueTest, TablesAreConsistent) {
  TGeraete& g = Make();
  std::set<std::string> captions;
  g.ForEach<TInstrument>([&](const TInstrument& i) {
    EXPECT_TRUE(captions.insert(i.Caption).second) << "caption twice: " << i.Caption;
    EXPECT_NE(i.GeraeteFormat, nullptr) << i.Name;
    EXPECT_NE(i.Hersteller, nullptr) << i.Name;
    EXPECT_NE(i.Instrumententyp, nullptr) << i.Name;
    // The shipped format is one the instrument may switch to, and every
    // format it may switch to exists.
    std::string rest = i.ValidGeraeteFormate;
    bool own = false;
    while (!rest.empty()) {
      const size_t semi = rest.find(';');
      const std::string name = rest.substr(0, semi);
      rest = semi == std::string::npos ? "" : rest.substr(semi + 1);
      EXPECT_NE(g.Format(name), nullptr) << i.Name << ": " << name;
      own = own || (i.GeraeteFormat && name == i.GeraeteFormat->Name);
    }
    EXPECT_TRUE(own) << i.Name;
  });
  std::set<int> orders;
  std::set<std::string> formatCaptions;
  g.ForEach<TGeraeteFormat>([&](const TGeraeteFormat& f) {
    EXPECT_TRUE(orders.insert(f.Order).second) << f.Name;
    EXPECT_TRUE(formatCaptions.insert(f.Caption).second) << f.Name;  // captions are stored as the format's key
    EXPECT_FALSE(TGeraete::FormatHandlerName(f.Name, FormatEvent::OnSetup).empty()) << f.Name;
  });
  EXPECT_EQ(orders.size(), 20u);
  EXPECT_EQ(*orders.rbegin(), 19);
  std::set<int> makerOrders;
  g.ForEach<THersteller>([&](const THersteller& m) { makerOrders.insert(m.Order); });
  EXPECT_EQ(makerOrders.size(), 8u);
}

}  // namespace
}  // namespace veltro::test
