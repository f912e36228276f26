#include "formats/office/DFDefs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "core/DateTime.h"
#include "core/Fatal.h"
#include "core/Settings.h"
#include "core/Transfer.h"
#include "core/dmInitDaten.h"
#include "formats/office/ASCII.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class DFDTest : public TransferFixture {
 protected:
  // A stand-in format module with one coordinate reader and a recogniser
  // that accepts lines beginning with `mark` and counts its calls.
  struct FakeModule : TDataModule {
    explicit FakeModule(std::string mark) : TDataModule("dmFake"), mark(std::move(mark)) {
      Add<TReadWriteDaten>("Koordinaten").TransferDatenart = tdaKoordinate;
      Add<TReadWriteDaten>("Kommentare").TransferDatenart = tdaKommentar;
    }
    OfficeModuleHooks Hooks() {
      OfficeModuleHooks h;
      h.isKoordinate = [this](const std::string& s) {
        ++calls;
        seen.push_back(s);
        return !mark.empty() && s.rfind(mark, 0) == 0;
      };
      return h;
    }
    std::string mark;
    int calls = 0;
    std::vector<std::string> seen;
  };

  TdmInit init;
  TDFD dfd;
};

TEST_F(DFDTest, DefinitionsInComponentOrderAndRegistered) {
  EXPECT_EQ(dfd.FormatList(),
            "Editor\r\nASCII\r\nCPlan\r\nDXF\r\nGeos\r\nGeotop\r\nHomere\r\nLTOP\r\nNewFormat\r\nOSQUSO\r\nSBB\r\n"
            "TopoCad\r\nBonjour\r\nCaddy\r\nOriginal\r\nCSV\r\nGeoJSON\r\nGPX\r\nKML\r\nLandXML\r\n");
  EXPECT_EQ(DFD(), &dfd);
  EXPECT_EQ(ListFormats(), dfd.FormatList());
}

struct ExpectedDefinition {
  const char* name;
  const char* caption;
  int filter;
  bool active, listBox, levels;
  TTransferDatenart tda;
  const char *koord, *mess, *code, *profil;
};

TEST_F(DFDTest, PublishedValuesOfEveryDefinition) {
  const ExpectedDefinition expected[] = {
      {"Editor", "Editor", 370, false, false, false, tdaInformation, "Koord*.nez", "", "Code*.cod", ""},
      {"ASCII", "ASCII", 58, true, false, true, tdaInformation, "Koord*.asc", "Mess*.asc", "Code*.asc", "Profil*.asc"},
      {"CPlan", "C-Plan", 20, false, false, false, tdaKoordinate, "Koordi*", "Inroh*", "", ""},
      {"DXF", "DXF", 22, false, true, false, tdaInformation, "Koord*.dxf", "Mess*.dxf", "Code*.dxf", "Profil*.dxf"},
      {"Geos", "Geos", 24, false, false, false, tdaInformation, "Batch.tra", "Batch.tra", "", ""},
      {"Geotop", "Geotop", 624, false, false, false, tdaInformation, "Koord*.gco", "Mess*.gme", "", ""},
      {"Homere", "Homere", 26, false, false, false, tdaInformation, "Koord*.hom", "Mess*.cv", "", ""},
      {"LTOP", "LTOP", 359, false, false, false, tdaInformation, "Koord*.ltop", "", "", ""},
      {"NewFormat", "", 59, false, false, true, tdaInformation, "Koord*.dat", "Mess*.dat", "Code*.dat", "Profil*.dat"},
      {"OSQUSO", "OSQUSO", 372, false, false, false, tdaInformation, "Koord*.osq", "Mess*.osq", "Code*.osq",
       "Profil*.osq"},
      {"SBB", "SBB CFF FFS", 178, false, false, false, tdaInformation, "Koord*.sbb", "Mess*.sbb", "Code*.sbb",
       "Profil*.sbb"},
      {"TopoCad", "Topocad", 57, false, false, false, tdaInformation, "Koord*.pxy", "Mess*.tsx", "", ""},
      {"Bonjour", "Topo Bonjour", 622, false, false, false, tdaInformation, "Koord*.yx", "Mess*.de", "", ""},
      {"Caddy", "CADdy", 167, false, false, false, tdaInformation, "Koord*.kor", "Mess*.mes", "", ""},
      {"Original", "", 19, false, false, false, tdaInformation, "", "", "", ""},
      {"CSV", "CSV", 870, false, false, false, tdaInformation, "Koord*.csv", "Mess*.csv", "", ""},
      {"GeoJSON", "GeoJSON", 871, false, false, false, tdaInformation, "Koord*.geojson", "Mess*.geojson", "", ""},
      {"GPX", "GPX", 872, false, false, false, tdaInformation, "Koord*.gpx", "Mess*.gpx", "", ""},
      {"KML", "KML", 873, false, false, false, tdaInformation, "Koord*.kml", "Mess*.kml", "", ""},
      {"LandXML", "LandXML", 874, false, false, false, tdaInformation, "Koord*.xml", "Mess*.xml", "", ""},
  };
  size_t i = 0;
  dfd.ForEach<TDatenformatDefinitionen>([&](const TDatenformatDefinitionen& d) {
    ASSERT_LT(i, std::size(expected));
    const ExpectedDefinition& e = expected[i++];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(d.Name, e.name);
    EXPECT_EQ(d.Caption, e.caption);
    EXPECT_EQ(d.Dateifilter, e.filter);
    EXPECT_EQ(d.Active, e.active);
    EXPECT_EQ(d.ListBox, e.listBox);
    EXPECT_EQ(d.UsedForLevels, e.levels);
    EXPECT_EQ(d.TransferDatenart, e.tda);
    EXPECT_EQ(d.KoordinatenDateiname, e.koord);
    EXPECT_EQ(d.MessungenDateiname, e.mess);
    EXPECT_EQ(d.PunktcodeDateiname, e.code);
    EXPECT_EQ(d.QuerprofileDateiname, e.profil);
  });
  EXPECT_EQ(i, std::size(expected));
}

TEST_F(DFDTest, LayoutsOfTheDefinitions) {
  const TDatenformatDefinitionen& a = *dfd.ASCII;
  EXPECT_EQ(a.Informationen, TStringList{"%-15.15s%s"});
  EXPECT_EQ(a.Koordinaten, "%s|%s|%s|%s|%s|%s");
  ASSERT_EQ(a.Anschlusspunkt.size(), 1u);
  EXPECT_EQ(a.Anschlusspunkt[0].rfind("%-15.15s|%s|", 0), 0u);
  EXPECT_EQ(std::count(a.Anschlusspunkt[0].begin(), a.Anschlusspunkt[0].end(), '|'), 22);
  EXPECT_EQ(a.Detailpunkt, a.Anschlusspunkt);
  EXPECT_EQ(a.Kommentare, (TStringList{"%-15.15s|%s", "%s"}));
  EXPECT_EQ(a.Startdaten, (TStringList{"%s \t%s", "%s \t%s\t%s", "%s\t%s\t%s\t%s\t%s\t%s", "%s\t\t\t\t\t%s"}));
  EXPECT_EQ(a.Enddaten, TStringList{"%s\t\t\t\t\t%s"});
  EXPECT_EQ(a.Messdaten, (TStringList{"%s\t%s\t%s", "%s\t%s\t\t\t%s", "%s\t%s\t\t%s"}));
  EXPECT_EQ(dfd.Editor->Koordinaten, "%s;%1.4f;%1.4f;%1.4f;%s;%s");
  EXPECT_EQ(dfd.Editor->Punktcodes, "%s\xA6%d\xA6%s");
  EXPECT_EQ(dfd.CPlan->Ende.size(), 80u);
  EXPECT_EQ(dfd.CPlan->Ende, "999" + std::string(77, ' '));
  EXPECT_EQ(dfd.LTOP->Start, "$$PK");
  EXPECT_TRUE(dfd.NewFormat->Koordinaten.empty());
  EXPECT_TRUE(dfd.Original->Informationen.empty());
}

TEST_F(DFDTest, EventBindings) {
  dfd.ForEach<TDatenformatDefinitionen>([&](const TDatenformatDefinitionen& d) {
    SCOPED_TRACE(d.Name);
    EXPECT_TRUE(d.OnAttribute);
    EXPECT_TRUE(d.OnFormat);
    EXPECT_TRUE(d.OnSetTDA);
    // The document formats have all four file events.
    const bool document = &d == dfd.CSV || &d == dfd.GeoJSON || &d == dfd.GPX || &d == dfd.KML || &d == dfd.LandXML;
    const bool dxf = &d == dfd.DXF || document;
    EXPECT_EQ(static_cast<bool>(d.OnTransform), dxf);
    EXPECT_EQ(static_cast<bool>(d.OnAfterSave), dxf);
    EXPECT_EQ(static_cast<bool>(d.OnBeforeLoad), dxf || &d == dfd.NewFormat || &d == dfd.TopoCad);
    EXPECT_EQ(static_cast<bool>(d.OnBeforeSave), dxf || &d == dfd.SBB || &d == dfd.TopoCad);
  });
}

TEST_F(DFDTest, AttributeAnswersPageAndCaption) {
  const std::pair<const char*, const char*> pages[] = {
      {"Editor", "Editor_Blatt"}, {"ASCII", "ASCII_Blatt"},     {"CPlan", "CPLAN_Blatt"},   {"DXF", "DXF_Blatt"},
      {"Geos", "GEOS_Blatt"},     {"Geotop", "Geotop_Blatt"},   {"Homere", "Homere_Blatt"}, {"LTOP", "LTOP_Blatt"},
      {"NewFormat", "Neues_Format"}, {"OSQUSO", "OSQUSO_Blatt"}, {"SBB", "SBB_Blatt"},     {"TopoCad", "Topocad_Blatt"},
      {"Bonjour", "Bonjour_Blatt"}, {"Caddy", "CADDY_Blatt"},   {"Original", "NoTrans_Blatt"}, {"CSV", "CSV_Blatt"},
      {"GeoJSON", "GeoJSON_Blatt"}, {"GPX", "GPX_Blatt"},       {"KML", "KML_Blatt"},       {"LandXML", "LandXML_Blatt"}};
  for (const auto& [name, page] : pages) {
    std::string p, caption;
    ASSERT_TRUE(dfd.Attribute(name, p, caption)) << name;
    EXPECT_EQ(p, page);
  }
  std::string page, caption;
  dfd.Attribute("CPlan", page, caption);
  EXPECT_EQ(caption, "C-Plan");
  dfd.Attribute("NewFormat", page, caption);
  EXPECT_EQ(caption, "T216");
  dfd.Attribute("Original", page, caption);
  EXPECT_EQ(caption, "T307");
  EXPECT_FALSE(dfd.Attribute("ascii", page, caption));  // names compare exactly
  EXPECT_TRUE(page.empty());
  EXPECT_TRUE(caption.empty());
}

TEST_F(DFDTest, ActiveActivateRememberRestore) {
  EXPECT_EQ(&dfd.Active(), dfd.ASCII);
  EXPECT_EQ(dfd.Activate(*dfd.DXF), dfd.ASCII);
  int active = 0;
  dfd.ForEach<TDatenformatDefinitionen>([&](const TDatenformatDefinitionen& d) { active += d.Active; });
  EXPECT_EQ(active, 1);
  EXPECT_EQ(&dfd.Active(), dfd.DXF);

  dfd.Remember();
  dfd.Activate(*dfd.Original);
  dfd.Restore();
  EXPECT_EQ(&dfd.Active(), dfd.DXF);
  EXPECT_FALSE(dfd.Original->Active);
}

TEST_F(DFDTest, NoActiveDefinitionEndsTheProgram) {
  dfd.ASCII->Active = false;
  SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
  EXPECT_THROW(
      {
        try {
          dfd.Active();
        } catch (const std::runtime_error& e) {
          EXPECT_STREQ(e.what(), "exit 1");
          throw;
        }
      },
      std::runtime_error);
  SetFatalExitHandler(nullptr);
  ASSERT_EQ(box.Messages().size(), 1u);
  EXPECT_EQ(box.Messages()[0].text, "Es ist kein Transferformat aktiv!");
  EXPECT_EQ(box.Messages()[0].kind, kMsgError);
  EXPECT_EQ(box.Messages()[0].buttons, kBtnOk);
}

TEST_F(DFDTest, SetTDAWithoutModuleBindsNoReader) {
  EXPECT_EQ(dfd.Caddy->OnSetTDA(tdaKoordinate), "Caddy");
  EXPECT_EQ(dfd.Caddy->ReadWrite, nullptr);
  EXPECT_EQ(dfd.Caddy->TransferDatenart, tdaInformation);
  ASSERT_NE(dfd.Caddy->Init, nullptr);
  EXPECT_EQ(dfd.Caddy->Init, init.Koordinaten);
}

TEST_F(DFDTest, SetTDAWithModuleFollowsTheCommonRule) {
  FakeModule module("K");
  dfd.AttachModule(*dfd.Caddy, module, module.Hooks());
  EXPECT_EQ(dfd.Caddy->OnSetTDA(tdaKommentar), "Caddy");
  EXPECT_EQ(dfd.Caddy->ReadWrite->Name, "Kommentare");
  EXPECT_EQ(dfd.Caddy->TransferDatenart, tdaKommentar);
  EXPECT_EQ(dfd.Caddy->Init, init.Kommentare);
  dfd.Caddy->OnSetTDA(tdaStation);
  EXPECT_EQ(dfd.Caddy->ReadWrite, nullptr);
  EXPECT_EQ(dfd.Caddy->TransferDatenart, tdaKommentar);
  EXPECT_EQ(dfd.Caddy->Init, init.Stationen);
  dfd.DetachModule(*dfd.Caddy);
  EXPECT_EQ(dfd.ModuleOf(*dfd.Caddy), nullptr);
}

TEST_F(DFDTest, RecognitionStopsAfterLine49) {
  FakeModule module("K");
  dfd.AttachModule(*dfd.Caddy, module, module.Hooks());
  TextLines source(50, "junk");
  source.push_back("K 1");
  EXPECT_EQ(dfd.Recognise(*dfd.Caddy, source), "");
  EXPECT_EQ(module.calls, 50);
  source[49] = "K 49";
  EXPECT_EQ(dfd.Recognise(*dfd.Caddy, source), "Caddy");
  EXPECT_EQ(dfd.Caddy->TransferDatenart, tdaKoordinate);
  EXPECT_EQ(dfd.Recognise(*dfd.Caddy, {}), "");
}

TEST_F(DFDTest, DefinitionWithoutModuleRecognisesNothing) {
  EXPECT_EQ(dfd.Recognise(*dfd.Geos, {"PT whatever"}), "");
  EXPECT_EQ(dfd.RecogniseSource({"100|12|1|2|3|"}), "");
}

TEST_F(DFDTest, ComponentOrderWins) {
  TdmASCII ascii(dfd);
  FakeModule later("1");  // SBB would take the same line
  dfd.AttachModule(*dfd.SBB, later, later.Hooks());
  EXPECT_EQ(dfd.RecogniseSource({"100|12|600000.000|200000.000|450.00|"}), "ASCII");
  EXPECT_EQ(later.calls, 0);
  EXPECT_EQ(dfd.RecogniseSource({"1 no bars"}), "SBB");
}

TEST_F(DFDTest, DXFRecognisesTheTextNotTheLine) {
  FakeModule module("  0");
  dfd.AttachModule(*dfd.DXF, module, module.Hooks());
  TextLines source{"999", "  0", "SECTION"};
  EXPECT_EQ(dfd.Recognise(*dfd.DXF, source), "");  // the text starts with "999"
  source[0] = "  0";
  EXPECT_EQ(dfd.Recognise(*dfd.DXF, source), "DXF");
  EXPECT_EQ(module.seen.back(), "  0\r\n  0\r\nSECTION\r\n");
}

TEST_F(DFDTest, RecognitionTextIsTheFirst1024Characters) {
  FakeModule module("K");
  dfd.AttachModule(*dfd.DXF, module, module.Hooks());
  TextLines source(200, std::string(20, 'x'));
  dfd.Recognise(*dfd.DXF, source);
  ASSERT_FALSE(module.seen.empty());
  EXPECT_EQ(module.seen[0].size(), kFormatBufferSize);
}

TEST_F(DFDTest, CPlanCommentsAndEmptyLines) {
  FakeModule module("K");
  dfd.AttachModule(*dfd.CPlan, module, module.Hooks());
  // A guess takes a '*' line only beside a coordinate line; a transfer
  // reading its source takes every '*' line as a comment.
  EXPECT_EQ(dfd.CPlan->OnFormat("* Bemerkung", ""), "");
  EXPECT_EQ(dfd.CPlan->OnFormat("* Bemerkung", "* Bemerkung\r\nK 1\r\n"), "CPlan");
  EXPECT_EQ(dfd.CPlan->TransferDatenart, tdaKommentar);
  CurrentTransfer().ActiveLines = &CurrentTransfer().InputLines;
  EXPECT_EQ(dfd.CPlan->OnFormat("* Bemerkung", ""), "CPlan");
  CurrentTransfer().ActiveLines = nullptr;
  EXPECT_EQ(dfd.CPlan->OnFormat("", ""), "");
  EXPECT_EQ(dfd.CPlan->OnFormat("K 1", ""), "CPlan");
  EXPECT_EQ(dfd.CPlan->TransferDatenart, tdaKoordinate);
  EXPECT_EQ(dfd.CPlan->OnFormat("x", ""), "");
}

TEST_F(DFDTest, EditorTriesCoordinatesThenPointCodes) {
  FakeModule module("K");
  module.Add<TReadWriteDaten>("Punktcodes").TransferDatenart = tdaPunktcode;
  OfficeModuleHooks hooks = module.Hooks();
  hooks.isPunktcode = [](const std::string& s) { return s.find('\xA6') != std::string::npos; };
  dfd.AttachModule(*dfd.Editor, module, hooks);
  EXPECT_EQ(dfd.Editor->OnFormat("K\xA6", ""), "Editor");
  EXPECT_EQ(dfd.Editor->TransferDatenart, tdaKoordinate);
  EXPECT_EQ(dfd.Editor->OnFormat("C\xA6" "1\xA6L", ""), "Editor");
  EXPECT_EQ(dfd.Editor->TransferDatenart, tdaPunktcode);
  EXPECT_EQ(dfd.Editor->OnFormat("C", ""), "");
}

TEST_F(DFDTest, NewFormatAndOriginalClassifyThroughTheirModule) {
  EXPECT_EQ(dfd.NewFormat->OnFormat("x", "x"), "");
  EXPECT_FALSE(dfd.IsComment("#x"));
  FakeModule module("");
  OfficeModuleHooks hooks;
  hooks.format = [this](const std::string& s, const std::string&) {
    return s == "x" ? dfd.NewFormat->OnSetTDA(tdaKoordinate) : std::string();
  };
  hooks.isComment = [](const std::string& s) { return s.rfind("#", 0) == 0; };
  dfd.AttachModule(*dfd.NewFormat, module, hooks);
  EXPECT_EQ(dfd.NewFormat->OnFormat("x", "x"), "NewFormat");
  EXPECT_TRUE(dfd.IsComment("#x"));
  EXPECT_EQ(dfd.Original->OnFormat("x", "x"), "");
}

TEST_F(DFDTest, RegisterFileFilters) {
  TempSettings settingsFiles;
  dfd.RegisterFileFilters(ConfigPath(""));
  EXPECT_EQ(ReadRegString(RegistryRoot::CurrentUser, ConfigPath("ASCII\\File filter"), ""), "T58");
  EXPECT_EQ(ReadRegString(RegistryRoot::CurrentUser, ConfigPath("Original\\File filter"), ""), "T19");
  EXPECT_EQ(RegValueNames(RegistryRoot::CurrentUser, ConfigPath("TopoCad")), std::vector<std::string>{"File filter"});
}

// ---- DXF frame ---------------------------------------------------------------

class DXFFrameTest : public DFDTest {
 protected:
  DXFFrameTest() {
    WriteRegString(RegistryRoot::CurrentUser, ConfigPath("DXFPath"), tmp.path(), true);
    CurrentTransfer().OutputLines = {"stale"};
  }
  LineList& Output() { return CurrentTransfer().OutputLines; }
  TempSettings settingsFiles;
};

TEST_F(DXFFrameTest, HeadWithoutTrailingBlankLines) {
  WriteFile(tmp / "HEAD.DXF", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n\r\n  \r\n\r\n");
  dfd.DXFBeforeSave();
  EXPECT_EQ(Output(), (TextLines{"  0", "SECTION", "  2", "HEADER"}));
}

TEST_F(DXFFrameTest, EmptyOrMissingHeadGivesTheBuiltInLines) {
  const TextLines builtIn{"  0", "SECTION", "  2", "ENTITIES"};
  dfd.DXFBeforeSave();
  EXPECT_EQ(Output(), builtIn);
  WriteFile(tmp / "HEAD.DXF", "");
  dfd.DXFBeforeSave();
  EXPECT_EQ(Output(), builtIn);
  WriteFile(tmp / "HEAD.DXF", "\r\n\r\n");
  dfd.DXFBeforeSave();
  EXPECT_EQ(Output(), builtIn);
}

TEST_F(DXFFrameTest, EndIsAppendedAndTrailingBlankLinesRemoved) {
  Output() = {"  0", "POINT", ""};
  WriteFile(tmp / "END.DXF", "  0\r\nENDSEC\r\n  0\r\nEOF\r\n\r\n\r\n");
  dfd.DXFAfterSave();
  EXPECT_EQ(Output(), (TextLines{"  0", "POINT", "", "  0", "ENDSEC", "  0", "EOF"}));
}

TEST_F(DXFFrameTest, MissingEndGivesTheBuiltInLines) {
  Output() = {"  0", "POINT"};
  dfd.DXFAfterSave();
  EXPECT_EQ(Output(), (TextLines{"  0", "POINT", "  0", "ENDSEC", "  0", "EOF"}));
}

TEST_F(DXFFrameTest, DirectoryFromTheSettings) {
  EXPECT_EQ(dfd.DXFDirectory(), tmp.path() + "/");
  RegDeleteValue(RegistryRoot::CurrentUser, ConfigPath("DXFPath"));
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("StdPath"), "/opt/veltro/", true);
  EXPECT_EQ(dfd.DXFDirectory(), "/opt/veltro/DXF/");
}

// ---- SBB code list -------------------------------------------------------------

TEST_F(DFDTest, SBBCodesSkipHeightCodesAndBlankLines) {
  dfd.SBBCodeFile = tmp / "codes.txt";
  WriteFile(dfd.SBBCodeFile, "ab,Grenzstein\r\n\r\n   \r\ncd,Mauer h\r\n ef ,Baum\r\nxyz\r\n,leer\r\n");
  dfd.SBBBeforeSave();
  EXPECT_EQ(dfd.SBBCodes, "AB;EF;XYZ;");
  EXPECT_TRUE(dfd.IsSBBCode("ab"));
  EXPECT_TRUE(dfd.IsSBBCode("EF  "));
  EXPECT_FALSE(dfd.IsSBBCode("A"));   // whole codes only
  EXPECT_FALSE(dfd.IsSBBCode("B;E"));
  EXPECT_FALSE(dfd.IsSBBCode("CD"));
  EXPECT_FALSE(dfd.IsSBBCode(""));
}

TEST_F(DFDTest, SBBCodesAreReadForEveryTransfer) {
  dfd.SBBCodeFile = tmp / "codes.txt";
  WriteFile(dfd.SBBCodeFile, "AB,x\r\n");
  dfd.SBBBeforeSave();
  WriteFile(dfd.SBBCodeFile, "CD,x\r\n");
  dfd.SBBBeforeSave();
  EXPECT_EQ(dfd.SBBCodes, "CD;");
  dfd.SBBCodeFile = tmp / "missing.txt";
  dfd.SBBBeforeSave();
  EXPECT_EQ(dfd.SBBCodes, "");
}

// ---- Topocad header --------------------------------------------------------------

TEST_F(DFDTest, TopoCadHeaderForCoordinateFiles) {
  CurrentTransfer().FormatTag = "kGSI8";
  dfd.TopoCadBeforeSave();
  EXPECT_EQ(dfd.TopoCad->Start, "XYZ-COORD-FILE  ,V1.00,2026-12-08,\r\n");
  EXPECT_EQ(CurrentTransfer().Daten.Info.Zeitpunkt, EncodeDate(2026, 12, 8));

  CurrentTransfer().FormatTag = "dGSI8";
  dfd.TopoCadBeforeSave();
  EXPECT_EQ(dfd.TopoCad->Start, "");
}

TEST_F(DFDTest, TopoCadHeaderIsNotReadAsData) {
  LineList& input = CurrentTransfer().InputLines;
  input = {"XYZ-COORD-FILE  ,V1.00,2019-03-01,", "1           ,data"};
  dfd.TopoCadBeforeLoad(false);
  // The header's empty last line must not take the data line with it.
  EXPECT_EQ(input, TextLines{"1           ,data"});

  input = {"1           ,data"};
  dfd.TopoCadBeforeLoad(false);
  EXPECT_EQ(input, TextLines{"1           ,data"});

  input.clear();
  dfd.TopoCadBeforeLoad(false);
  EXPECT_TRUE(input.empty());
}

}  // namespace
}  // namespace veltro::test
