#include "formats/office/TemplateDefinition.h"

#include <gtest/gtest.h>

#include "core/Settings.h"
#include "formats/office/NewFormat.h"
#include "instruments/TransferModules.h"
#include "platform/Registry.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

// A definition that uses every part of the stored forms.
TemplateDefinition Sample() {
  TemplateDefinition d;
  d.AngleUnit = 5;
  d.DistanceUnit = 1;
  d.HeightUnit = 2;
  d.CoordinateUnit = 3;
  d.PointHeightUnit = 4;
  d.MeasureUnit = 5;
  d.DeviationUnit = 1;
  d.DateFormat = "MM.DD.YY";
  d.TimeFormat = "HH:MM";
  d.CommentMarkers = "#\r\n//";
  TemplateSection& k = d.Sections[tsKoordinaten];
  k.Template = "Nr;Y;X\r\n\r\n[PPPP];[YYYY.YY];[XX\xBB;\xBBXX.XX];<KKKK>";
  k.FixedPosition = false;
  k.TitleLines = 2;
  d.Sections[tsAnschlusspunkt].Template = "[QQQ]x[AAA.AAAA].";  // Q: field 7, code 0xBB
  d.Sections[tsInformationen].Template = "[PPPP].[DDDDDDDDDD]";
  d.Sections[tsBeschreibung].Template = "X\r\nY";  // one-letter header line "\xE2"
  return d;
}

class TemplateStoreTest : public TransferFixture {
 protected:
  TemplateStoreTest() {
    modules.geraete->ForEach<TInstrument>([&](TInstrument& i) { i.Active = i.Name == "itTPS1100"; });
  }
  std::string Path(const std::string& name) const { return tmp / name; }
  void WriteLines(const std::string& name, const TextLines& lines) { ASSERT_TRUE(SaveTextFile(Path(name), lines)); }

  TempSettings store;
  TransferModules modules{tmp.path() + "/"};
  TdmNewFormat& nf = *modules.newFormat;
  FieldLetters letters = FieldLetters::Default();
};

TEST(TemplateDefinitionTest, CodesAndLettersConvertOnlyInsideRuns) {
  const FieldLetters f = FieldLetters::Default();
  EXPECT_EQ(InternalCodes(tsKoordinaten), "\xD7\xB6\xB7\xB8\xB9\xBA");
  EXPECT_EQ(InternalCodes(tsBeschreibung), "\xE2");
  // Letters outside runs, the markers and '.' stay; '»' continues a run.
  EXPECT_EQ(LettersToCodes("P:[PPP.P] Y<YY> \xBBYY]", tsKoordinaten, f),
            "P:[\xD7\xD7\xD7.\xD7] Y<\xB7\xB7> \xBB\xB7\xB7]");
  EXPECT_EQ(CodesToLetters("\xB7[\xD7\xD7]", tsKoordinaten, f), "\xB7[PP]");
  // 0xBB after '[' is the code of field 7, elsewhere the follow marker.
  const std::string stored = LettersToCodes("[QQ\xBBQ]", tsAnschlusspunkt, f);
  EXPECT_EQ(stored, "[\xBB\xBB\xBB\xBB]");
  EXPECT_EQ(CodesToLetters(stored, tsAnschlusspunkt, f), "[QQQQ]");

  // "Controlcodes": 17 strings of distinct letters and the markers.
  const std::string codes = f.ToControlcodes();
  EXPECT_EQ(codes.substr(0, codes.find(';')), "PBIDZEUMHN[]<>");
  EXPECT_EQ(FieldLetters::FromControlcodes(codes), f);
  EXPECT_FALSE(FieldLetters::FromControlcodes(""));
  EXPECT_FALSE(FieldLetters::FromControlcodes(codes.substr(0, codes.rfind(';'))));
  std::string repeated = codes;
  repeated[1] = 'P';
  EXPECT_FALSE(FieldLetters::FromControlcodes(repeated));
  std::string marker = codes;
  marker[1] = '[';
  EXPECT_FALSE(FieldLetters::FromControlcodes(marker));
}

TEST(TemplateDefinitionTest, DefinitionNames) {
  for (const char* bad : {"", ".", "..", "a;b", "a\\b", "../x", "a\r\nb"})
    EXPECT_FALSE(IsValidTemplateName(bad)) << bad;
  for (const char* good : {"Büro 1", "a.b", ".Format", "GEOS-Export"}) EXPECT_TRUE(IsValidTemplateName(good)) << good;
}

TEST_F(TemplateStoreTest, SettingsAndFilesKeepTheDefinitionUnchanged) {
  const TemplateDefinition d = Sample();
  ASSERT_TRUE(WriteStoredTemplate("Demo", d, letters));
  EXPECT_EQ(ReadStoredTemplate("DEMO", letters), d);
  EXPECT_EQ(ReadRegString(RegistryRoot::CurrentUser, ConfigPath("NewFormat\\Demo\\Co-ordinates\\Definition"), ""),
            LettersToCodes(d.Sections[tsKoordinaten].Template, tsKoordinaten, letters));
  EXPECT_EQ(ReadRegInteger(RegistryRoot::CurrentUser, ConfigPath("NewFormat\\Demo\\Co-ordinates\\Position"), -1), 0);
  ASSERT_TRUE(WriteStoredTemplate("demo", d, letters));  // the same name in other letters
  ASSERT_TRUE(WriteStoredTemplate("Zweite", TemplateDefinition{}, letters));
  EXPECT_EQ(StoredTemplateNames(), (std::vector<std::string>{"Demo", "Zweite"}));
  EXPECT_EQ(ReadRegString(RegistryRoot::CurrentUser, ConfigPath("NewFormat\\Format list"), ""), "Demo;Zweite;");
  EXPECT_FALSE(WriteStoredTemplate("a\\b", d, letters));

  const TextLines file = TemplateFileLines("Demo", d, letters);
  EXPECT_EQ(file[0], "Demo");
  EXPECT_EQ(file[1], InternalCodes(tsKoordinaten));  // Koordinaten first
  EXPECT_EQ(file[2], "0");
  EXPECT_EQ(file[3], "2");
  EXPECT_EQ(file[4], "Nr;Y;X");
  EXPECT_EQ(file[5], "");
  EXPECT_EQ(file[7], InternalCodes(tsInformationen));
  EXPECT_EQ(file[file.size() - 11], "Units");
  EXPECT_EQ(TextLines(file.end() - 10, file.end()),
            (TextLines{"5", "1", "2", "3", "MM.DD.YY", "HH:MM", "4", "5", "1", "#\xA6//"}));
  std::string name;
  TemplateFileError error;
  auto back = ParseTemplateFile(file, letters, name, error);
  ASSERT_TRUE(back);
  EXPECT_EQ(name, "Demo");
  EXPECT_EQ(*back, d);

  DeleteStoredTemplate("DEMO");
  EXPECT_EQ(StoredTemplateNames(), std::vector<std::string>{"Zweite"});
  EXPECT_FALSE(RegKeyExists(RegistryRoot::CurrentUser, ConfigPath("NewFormat\\Demo")));
}

TEST_F(TemplateStoreTest, DamagedFormatFilesLoadNothing) {
  const TextLines good = TemplateFileLines("Demo", Sample(), letters);
  auto parse = [&](TextLines lines) {
    std::string name;
    TemplateFileError error;
    return ParseTemplateFile(lines, letters, name, error) ? 0 : error.text * 1000 + error.line;
  };
  EXPECT_EQ(parse(good), 0);
  TextLines lines = good;
  lines[3] = "zwei";
  EXPECT_EQ(parse(lines), kTextTitleCountNotInteger * 1000 + 4);
  lines[3] = "-1";
  EXPECT_EQ(parse(lines), kTextTemplateFileDamaged * 1000 + 4);
  lines = good;
  lines[2] = "ja";
  EXPECT_EQ(parse(lines), kTextTemplateFileDamaged * 1000 + 3);
  lines = good;
  lines[lines.size() - 7] = "5";  // co-ordinate unit beyond "0.1 mm"
  EXPECT_EQ(parse(lines), kTextTemplateFileDamaged * 1000 + static_cast<int>(lines.size()) - 6);
  lines = good;
  lines.resize(lines.size() - 11);  // no "Units"
  EXPECT_GT(parse(lines), 0);
  EXPECT_GT(parse({}), 0);
  EXPECT_GT(parse({"Demo", "kein Kopf"}), 0);

  // A template ends only at a header line or "Units": empty and short lines
  // (and lines holding a part of a header) belong to it.
  lines = {"Demo",     InternalCodes(tsKoordinaten),
           "1",        "0",
           "",         "\xB7",
           "Uni",      "[\xD7\xD7]",
           "Units",    "0",
           "0",        "0",
           "0",        "DD.MM.YYYY",
           "HH:MM:SS", "0",
           "0",        "0"};
  std::string name;
  TemplateFileError error;
  auto d = ParseTemplateFile(lines, letters, name, error);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Sections[tsKoordinaten].Template, "\r\n\xB7\r\nUni\r\n[PP]");
  EXPECT_EQ(d->CommentMarkers, "");
}

TEST_F(TemplateStoreTest, LoadingAFileAsksBeforeReplacingAStoredDefinition) {
  WriteLines("Demo.Format", TemplateFileLines("Demo", Sample(), letters));
  ASSERT_EQ(nf.LoadFromFile(Path("Demo.Format")), TemplateLoad::Loaded);
  EXPECT_EQ(nf.DefinitionName, "Demo");
  EXPECT_EQ(ReadStoredTemplate("Demo", letters), Sample());
  EXPECT_TRUE(box.Messages().empty());
  // The same definition again: nothing to replace, nothing asked.
  ASSERT_EQ(nf.LoadFromFile(Path("Demo.Format")), TemplateLoad::Loaded);
  EXPECT_TRUE(box.Messages().empty());

  TemplateDefinition other = Sample();
  other.CoordinateUnit = 0;
  WriteLines("other.Format", TemplateFileLines("DEMO", other, letters));
  box.Answer(kAnsNo);
  EXPECT_EQ(nf.LoadFromFile(Path("other.Format")), TemplateLoad::Declined);
  ASSERT_EQ(MessageTexts(), std::vector<std::string>{"T266"});
  EXPECT_EQ(ReadStoredTemplate("Demo", letters).CoordinateUnit, 3);
  box.Answer(kAnsYes);
  EXPECT_EQ(nf.LoadFromFile(Path("other.Format")), TemplateLoad::Loaded);
  EXPECT_EQ(ReadStoredTemplate("Demo", letters).CoordinateUnit, 0);
  EXPECT_EQ(StoredTemplateNames(), std::vector<std::string>{"Demo"});

  // Names that would split the list, nest keys or leave the format directory.
  WriteLines("bad.Format", TemplateFileLines("../../etc/x", other, letters));
  box.Clear();
  EXPECT_EQ(nf.LoadFromFile(Path("bad.Format")), TemplateLoad::Failed);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T811"});
  EXPECT_EQ(nf.LoadFromFile(Path("missing.Format")), TemplateLoad::Failed);
  EXPECT_EQ(StoredTemplateNames(), std::vector<std::string>{"Demo"});
}

TEST_F(TemplateStoreTest, LoadingBeforeATransferAndSavingToAFile) {
  EXPECT_FALSE(nf.LoadForTransfer(""));
  EXPECT_FALSE(nf.LoadForTransfer("Nirgends"));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T213", "T810"}));

  // Stored with other letters: the transfer reads them from "Controlcodes".
  FieldLetters own = FieldLetters::Default();
  ASSERT_TRUE(own.SetLetters(tsKoordinaten, "NCOEHK"));
  TemplateDefinition d;
  d.Sections[tsKoordinaten].Template = "[NNN]/[OOO.O]";
  ASSERT_TRUE(WriteStoredTemplate("Eigen", d, own));
  ASSERT_TRUE(nf.LoadForTransfer("eigen"));
  EXPECT_EQ(nf.Letters, own);
  EXPECT_EQ(nf.Definition, d);
  // Malformed letters fall back to the default table.
  WriteRegString(RegistryRoot::CurrentUser, ConfigPath("NewFormat\\Controlcodes"), "PP;", true);
  ASSERT_TRUE(nf.LoadForTransfer("Eigen"));
  EXPECT_EQ(nf.Letters, FieldLetters::Default());
  EXPECT_EQ(nf.Definition.Sections[tsKoordinaten].Template, "[PPP]/[YYY.Y]");

  box.Clear();
  ASSERT_TRUE(nf.SaveToFile(tmp.path()));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T33"});
  EXPECT_EQ(ReadFile(Path("Eigen.Format")), JoinLines(TemplateFileLines("Eigen", nf.Definition, nf.Letters)));
  nf.DefinitionName.clear();
  EXPECT_FALSE(nf.SaveToFile(tmp.path()));
}

}  // namespace
}  // namespace veltro::test
