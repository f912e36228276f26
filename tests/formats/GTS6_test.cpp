// The GTS-6, GTS-6x and FC-5 module: stream preparation, line kinds,
// readers and writers of every block, the hooks of a coordinate upload.
#include "formats/instrument/GTS6.h"

#include <gtest/gtest.h>

#include "tests/formats/TopconFixture.h"

namespace veltro::test {
namespace {

const std::string kStx = "\x02", kEtx = "\x03", kEot = "\x04";

// Records of a small measurement download.
const TextLines kRecords = {
    "_!JOB1_\"MEIER",
    "_'S1_(MARK_)1.550",
    "_+P1_ ?000045678m0981234+1234567g0000456001  015030   _*KERB_,1.600",
    "_+P2_ <1000000-0500000     g   _*_,",
};

std::string Joined(const TextLines& lines, const std::string& separator) {
  std::string text;
  for (const std::string& l : lines) text += l + separator;
  return text;
}

// The records back to back, cut into framed blocks of `size` characters,
// each closed by a 4-character check and ETX, LF between blocks.
std::string Framed(size_t size, const std::string& end) {
  const std::string data = Joined(kRecords, "");
  std::string text;
  for (size_t i = 0; i < data.size(); i += size) {
    std::string block = data.substr(i, size);
    const bool last = i + size >= data.size();
    if (last) block += "_" + std::string(size - block.size() + 3, ' ');
    text += kStx + block + "1A2B" + kEtx + (last ? "" : "\n");
  }
  return text + end;
}

TEST(GtsPrepareStream, FramedUnbrokenAndLinePerRecordGiveTheSameRecords) {
  const std::string expected = Joined(kRecords, "\r\n");
  const std::string wanted = expected.substr(0, expected.size() - 2);
  EXPECT_EQ(GtsPrepareStream(Joined(kRecords, "")), wanted);
  EXPECT_EQ(GtsPrepareStream(expected), expected);
  for (size_t size : {16u, 64u, 500u}) {
    EXPECT_EQ(GtsPrepareStream(Framed(size, kEot + "\r\n\r\n")), wanted) << size;
    // A capture cut short (or whose EOT the receive took) ends its last block alike.
    EXPECT_EQ(GtsPrepareStream(Framed(size, "")), wanted) << size;
    // Noise before the first STX goes, the first records stay.
    EXPECT_EQ(GtsPrepareStream("\r\nNOISE" + Framed(size, kEot)), wanted) << size;
  }
}

TEST(GtsPrepareStream, EdgesOfFramesAndFills) {
  // An ETX among the first four characters: no position below the start.
  EXPECT_EQ(GtsPrepareStream(kStx + "A1" + kEtx + "\n" + kStx + "_+P2_ ?000045678m1A2B" + kEtx + kEot),
            "_\r\n_+P2_ ?000045678m");
  // An ETX only before the first STX does not make the text framed.
  const std::string records = Joined(kRecords, "\r\n");
  EXPECT_EQ(GtsPrepareStream(kEtx + kStx + Joined(kRecords, "")), kStx + "\r\n" + records.substr(0, records.size() - 2));
  // Unframed text loses a trailing fill; EOT starts a line of its own.
  EXPECT_EQ(GtsPrepareStream(kRecords[2] + "_    " + kEot), kRecords[2] + "\r\n" + kEot);
  // A text of another format comes back unchanged.
  const std::string gsi = "110001+00001234 21.324+12345678 \r\n" + kStx + "x" + kEtx;
  EXPECT_EQ(GtsPrepareStream(gsi), gsi);
  EXPECT_EQ(GtsPrepareStream(""), "");
}

TEST(GtsCleanLine, EraseMarks) {
  EXPECT_EQ(GtsCleanLine("_+P1_*AB`C_,1.6\r\n"), "_+P1_*C_,1.6");
  EXPECT_EQ(GtsCleanLine("AB`C"), "C");
  EXPECT_EQ(GtsCleanLine("_*A`B`C"), "_*C");
  EXPECT_EQ(GtsCleanLine("_`X"), "_X");
}

TEST(GtsLineKind, TagsDecide) {
  EXPECT_EQ(GtsLineKind("kGTS6", "_+P1        _ x0001234567"), tdaKoordinate);
  EXPECT_EQ(GtsLineKind("kGTS6", "F00F000"), tdaNone);
  EXPECT_EQ(GtsLineKind("kFC5", "TOPCON    +00001.000000100000-000003S"), tdaNone);
  EXPECT_EQ(GtsLineKind("pGTS6", "_:001KERB"), tdaPunktcode);
  EXPECT_EQ(GtsLineKind("pGTS6", "_+P1"), tdaNone);
  EXPECT_EQ(GtsLineKind("dGTS6", "_!JOB"), tdaInformation);
  EXPECT_EQ(GtsLineKind("dGTS6", "_'S1"), tdaStation);
  EXPECT_EQ(GtsLineKind("dGTS6", "_+P1_ ?"), tdaNeupunkt);
  EXPECT_EQ(GtsLineKind("dGTS6", "_:001"), tdaNone);
  EXPECT_EQ(GtsLineKind("dGTS6", "_"), tdaNone);
}

class Gts6Test : public TopconTest {
 protected:
  Gts6Test() { UseFormat("GTS6"); }

  // Reads a new-point line and writes it back under the current format.
  std::string ReadWrite(const std::string& line) {
    daten = TDaten{};
    gts6.NeupunkteRead(line, daten);
    return gts6.NeupunkteWrite(daten);
  }

  TdmGTS6 gts6{*geraete};
};

TEST_F(Gts6Test, CoordinatesReadAndWritten) {
  gts6.KoordinatenRead("_+P1        _ x0001234567_ y0000765432_ z0000001000", daten);
  EXPECT_EQ(daten.Punkt.Punktnummer, "P1");
  EXPECT_EQ(daten.Punkt.X, "1234.567");
  EXPECT_EQ(daten.Punkt.Y, "765.432");
  EXPECT_EQ(daten.Punkt.Hoehe, "1.000");
  daten = TDaten{};
  gts6.KoordinatenRead("_+P1        _ x0001234567_ y0000765432", daten);
  EXPECT_EQ(daten.Punkt.Hoehe, "0");
  gts6.KoordinatenRead("_+P1        _ x0001234567_ y00007", daten);  // cut short
  EXPECT_EQ(daten.Punkt.Y, "");
  gts6.KoordinatenRead("_+P1        _ x-000000000_ y0000000005_ z+0001 2345", daten);
  EXPECT_EQ(daten.Punkt.X, "0.000");  // no sign on a zero
  EXPECT_EQ(daten.Punkt.Y, "0.005");
  EXPECT_EQ(daten.Punkt.Hoehe, "");  // a blank inside is no number
  daten = TDaten{};
  gts6.KoordinatenRead("F00F000", daten);
  EXPECT_TRUE(daten.Konstanten.Originalzeilen.empty());

  daten.Punkt.Punktnummer = "p1";
  daten.Punkt.X = "1234.567";
  daten.Punkt.Y = "-765.4321";
  daten.Punkt.Hoehe = "1";
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "_+P1        _ x+001234567_ y-000765432_ z+000001000");
  daten.Punkt.X = "1000000";  // too wide for GTS-6, not for GTS-6x
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "Error");
  UseFormat("GTS6x");
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "_+P1        _ x+01000000000_ y-00000765432_ z+00000001000");
  daten.Punkt.Punktnummer = "P1234567890";  // a point number is not cut to its field either
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "Error");
  UseFormat("FC5");
  daten.Punkt.Punktnummer = "P1";
  daten.Punkt.Code1 = "KERB";
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "Error");
  daten.Punkt.X = "12.5";
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "_+P1_ f+000012500m_ g-000765432m_ h+000001000m_*KERB");
}

TEST_F(Gts6Test, BlocksAreWrittenBackAsRead) {
  const std::string q = "_+P1_ ?+00045678m0981234+1234567g+000456001  015030   _*KERB_,1.600";
  EXPECT_EQ(ReadWrite(q), q);
  EXPECT_EQ(daten.Punkt.Messflags, 0x01E0);
  // Degrees: the unit letter after the direction stays as read.
  const std::string d = "_+P2_ ?+00045678m0981234+1234567d+000456001  015030   _*_,1.600";
  EXPECT_EQ(ReadWrite(d), d);
  const std::string w =
      "_+P3_ W+000456789m09812345+12345678g+0012345678+0007654321+00000045001  000150030   _*_,";
  EXPECT_EQ(ReadWrite(w), w);
  EXPECT_EQ(daten.Punkt.Messflags, 0x38E0);
  EXPECT_EQ(daten.Punkt.Hoehe, "0.4500");
  const std::string round = "_+P4_ (+000456789m09812345+12345678g+000456000115000300001     _*_,1.6";
  EXPECT_EQ(ReadWrite(round), round);
  EXPECT_EQ(daten.Punkt.Messflags, 0x11E0);  // contains 0x00E0, but "(" is written
  const std::string angle = "_+P5_ '10000000-05000000      g   _*_,";
  EXPECT_EQ(ReadWrite(angle), angle);
  // Blank and cut number fields give empty values.
  ReadWrite("_+P6_ ?         m1000000+000");
  EXPECT_EQ(daten.Punkt.Schraegdistanz, "");
  EXPECT_EQ(daten.Punkt.Vertikalwinkel, "100.0000");
  EXPECT_EQ(daten.Punkt.Horizontalwinkel, "");
}

TEST_F(Gts6Test, RowChoiceAndErrors) {
  TPunkt& p = daten.Punkt;
  p.Punktnummer = "P1";
  p.Horizontalwinkel = "123.4567";
  p.Vertikalwinkel = "98.1234";
  p.Horizontaldistanz = "45.6";
  p.Messflags = 0x0160;  // horizontal distance only: no block fits
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "Error");
  p.Messflags = 0x00E0;  // slope distance missing: a blank field
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "_+P1_ ?         m0981234+1234567g+00045600            _*_,");
  p.Schraegdistanz = "123456.789";  // does not fit "±99999.999"
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "Error");

  p = TPunkt{};
  p.Punktnummer = "P2";
  p.X = "1234.5678";
  p.Y = "765.4321";
  p.Hoehe = "1";
  p.Horizontalwinkel = "15";
  p.Messflags = 0x2820;
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "_+P2_ /+0012345678+0007654321+0000010000m+01500000g   _*_,");
  UseFormat("GTS6x");  // the wider pictures of rows 5 and 6 do not fit their fields
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "Error");
  p.Messflags = 0x0820;
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "Error");
  p.Messflags = 0x38E0;  // row 4: one "[", from the template
  p.Schraegdistanz = "1";
  p.Vertikalwinkel = "100";
  EXPECT_EQ(gts6.NeupunkteWrite(daten),
            "_+P2_ [W+000010000m10000000+01500000g+000012345678+000007654321+000000010000               _*_,");
  p.Messflags = 0x0260;
  EXPECT_EQ(gts6.NeupunkteWrite(daten), "_+P2_ <1000000+0150000     g   _*_,");
}

TEST_F(Gts6Test, Gts6xReadsBlocksWithAndWithoutBracket) {
  UseFormat("GTS6x");
  const std::string w =
      "_+P1_ [W+000456789m09812345+12345678g+001234567890+000076543210-0000000125001  000150030   _*BAUM_,1.6";
  EXPECT_EQ(ReadWrite(w), w);
  EXPECT_EQ(daten.Punkt.X, "123456.7890");
  EXPECT_EQ(daten.Punkt.Y, "7654.3210");
  EXPECT_EQ(daten.Punkt.Hoehe, "-1.2500");
  const std::string q = "_+P2_ ?+00045678m0981234+1234567g+000456001  015030   _*_,1.600";
  EXPECT_EQ(ReadWrite(q), q);
  ReadWrite("_+P3_ [?000045678m0981234+1234567g000045600");
  EXPECT_EQ(daten.Punkt.Schraegdistanz, "45.678");
  EXPECT_EQ(daten.Punkt.Messflags, 0x01E0);
}

TEST_F(Gts6Test, Fc5Observations) {
  UseFormat("FC5");
  const std::string a = "_+P1_ a+0451234g_ b0981234g_ c00045678m_*KERB_,1.600";
  EXPECT_EQ(ReadWrite(a), a);
  EXPECT_EQ(daten.Punkt.Messflags, 0x00E0);
  EXPECT_EQ(daten.Punkt.Horizontalwinkel, "45.1234");
  EXPECT_EQ(daten.Punkt.Schraegdistanz, "45.678");
  const std::string angle = "_+P2_ \xB4" "10000000-05000000      g   _*_,";
  EXPECT_EQ(ReadWrite(angle), angle);
  EXPECT_EQ(daten.Punkt.Messflags, 0x1260);
  EXPECT_EQ(daten.Punkt.Horizontalwinkel, "-50.00000");
}

TEST_F(Gts6Test, InformationAndStation) {
  gts6.InformationenRead("_!BAU7_\"MEIER_#GTS6 NR 12_$08/12/26_%12_&1013\r\n", daten);
  EXPECT_EQ(daten.Info.Projekt, "BAU7");
  EXPECT_EQ(daten.Info.Beobachter, "MEIER");
  EXPECT_EQ(daten.Info.Instrument, "GTS6 NR 12");
  EXPECT_EQ(FormatDate("DD.MM.YYYY", daten.Info.Zeitpunkt), "08.12.2026");
  EXPECT_EQ(daten.Station.Temperatur, "12");
  EXPECT_EQ(daten.Station.Luftdruck, "1013");
  EXPECT_EQ(gts6.InformationenWrite(daten), "_!BAU7_\"MEIER_#GTS6 NR 12_$08/12/26_%12_&1013");
  daten = TDaten{};
  gts6.InformationenRead("_!X_$12-08-26", daten);  // with "-" month first
  EXPECT_EQ(FormatDate("DD.MM.YYYY", daten.Info.Zeitpunkt), "08.12.2026");
  gts6.InformationenRead("_!X_$Dec-08-26", daten);
  EXPECT_EQ(gts6.InformationenWrite(daten), "_!X_$08/12/26");

  gts6.StationenRead("_'S2_(_)1.600", daten);  // only the instrument height
  EXPECT_EQ(daten.Station.Punktnummer, "S2");
  EXPECT_EQ(daten.Station.Instrumentenhoehe, "1.600");
  EXPECT_EQ(gts6.StationenWrite(daten), "_'S2_(_)1.600");
}

TEST_F(Gts6Test, PointCodes) {
  gts6.PunktcodesRead("_:002MAUER NORD\r\n", daten);
  EXPECT_EQ(daten.Punktcode.Code, "MAUER NORD");
  daten.Punktcode.Code = "MAUER NORD";
  daten.Konstanten.Hilfswerte[3] = 1000;
  daten.Konstanten.Zeile = 49;
  EXPECT_EQ(gts6.PunktcodesWrite(daten), "_:001MAUER NORD");  // the last three digits of 1001
  daten.Konstanten.Zeile = 50;  // the 51st code shows in the error list
  EXPECT_EQ(gts6.PunktcodesWrite(daten), "Error");
}

TEST_F(Gts6Test, StatisticsCountMarksNotLetters) {
  TTransferStatistik s;
  gts6.KoordinatenStatistik("_+FIX_ x0001_ y0002", s);
  gts6.KoordinatenStatistik("_+P1_ f+001m_ g+002m_ h+003m_*XF:", s);
  gts6.PunktcodesStatistik("_:001A:B", s);
  gts6.NeupunkteStatistik("_+P1_ ?", s);
  gts6.StationenStatistik("_'S1", s);
  EXPECT_EQ(s.Punkte, 3);
  EXPECT_EQ(s.Codes, 1);
  EXPECT_EQ(s.Fortschritt, 4);
  EXPECT_EQ(s.Stationen, 1);
}

TEST_F(Gts6Test, UploadHeaderAndCountWithAndWithoutPassThrough) {
  TGeraeteFormat& f = UseFormat("GTS6");
  LineList& lines = CurrentTransfer().ReceivedLines;
  lines = {"old"};
  f.OnSetup();
  EXPECT_TRUE(lines.empty());
  f.OnSetTDA(tdaKoordinate);
  f.OnInitWrite();
  lines.push_back("_+P1        _ x+000000001_ y+000000002_ z+000000003");
  lines.push_back("_+P2        _ x+000000001_ y+000000002_ z+000000003");
  f.OnAfterTrans();
  EXPECT_EQ(lines, (TextLines{"F00F000", "TOPCON    +00001.000000100000-000002S", std::string(lines[2]), std::string(lines[3])}));
  // Lines that do not begin with the header get no count.
  lines = {"_+P1", "_+P2"};
  f.OnAfterTrans();
  EXPECT_EQ(lines, (TextLines{"_+P1", "_+P2"}));

  Office("Original");
  lines.clear();
  f.OnInitWrite();
  EXPECT_TRUE(lines.empty());
  lines = {"_+P1", "\x04"};
  f.OnAfterTrans();
  EXPECT_EQ(lines, TextLines{"_+P1"});
  daten.Konstanten.Originalzeilen = "_+P1 as received";
  EXPECT_EQ(gts6.KoordinatenWrite(daten), "_+P1 as received");
  EXPECT_EQ(gts6.PunktcodesWrite(daten), "_+P1 as received");
}

TEST_F(Gts6Test, CatalogueHandlers) {
  TGeraeteFormat& f = UseFormat("GTS6x");
  Tag("kGTS6x");
  std::string line = "_+P1        _ x+01234567890_ y+00765432100";
  EXPECT_EQ(f.OnGetDatenart(line), tdaKoordinate);
  EXPECT_EQ(f.OnFormat(line, line), "kGTS6x");
  EXPECT_EQ(f.ReadWrite, gts6.Koordinaten);
  EXPECT_EQ(f.OnPrepEditor(kRecords[1] + kRecords[2]), kRecords[1] + "\r\n" + kRecords[2]);
  EXPECT_TRUE(f.OnEditNext("anything"));
}

}  // namespace
}  // namespace veltro::test
