// The sample corpus of each instrument format through veltro-convert: every
// sample beside its expected output, compared byte for byte. A written file
// that is a sample itself reads back to its source (round trips).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ConvertRun.h"

namespace veltro::test {
namespace {

struct CorpusCase {
  const char* input;     // in tests/data/<format>/
  const char* options;   // --from/--to
  const char* expected;  // in the same folder
};

struct FormatCorpus {
  const char* folder;
  std::vector<CorpusCase> cases;
};

const FormatCorpus kCorpus[] = {
    {"dl100",
     {
         {"nivellement-rv.l", "", "nivellement-rv.l.asc"},
         {"nivellement-rvvr.l", "--from DL100", "nivellement-rvvr.l.asc"},
         {"koordinaten.l", "", "koordinaten.l.asc"},
         {"koordinaten.asc", "--to DL100", "koordinaten.asc.l"},
         {"koordinaten.asc.l", "--from DL100", "koordinaten.asc"},
     }},
    {"ap700",
     {
         {"rohdaten.raw", "--from AP700", "rohdaten.raw.asc"},
         {"koordinaten.asc", "--to AP700", "koordinaten.asc.raw"},
         {"koordinaten.asc.raw", "--from AP700", "koordinaten.asc"},
     }},
    {"dc1",
     {
         {"messung.dc1", "", "messung.dc1.asc"},
         {"koordinaten.dc1", "", "koordinaten.dc1.asc"},
         {"koordinaten.asc", "--to DC1", "koordinaten.asc.dc1"},
         {"koordinaten.asc.dc1", "", "koordinaten.asc"},
     }},
    {"mmw",
     {
         {"aufnahme.mmw", "--from MMW --gps-system none", "aufnahme.mmw.asc"},
         {"koordinaten.asc", "--to MMW --gps-system none", "koordinaten.asc.mmw"},
         {"koordinaten.asc.mmw", "--from MMW --gps-system none", "koordinaten.asc"},
     }},
    {"nmea",
     {
         {"wegpunkte.wpt", "--gps-system none", "wegpunkte.wpt.asc"},
         {"empfaenger.log", "--from NMEA --gps-system none", "empfaenger.log.asc"},
         {"koordinaten.asc", "--to NMEA --gps-system none", "koordinaten.asc.wpt"},
         {"koordinaten.asc.wpt", "--gps-system none", "koordinaten.asc"},
     }},
    {"ots",
     {
         {"messung.ots", "", "messung.ots.asc"},
         {"koordinaten.asc", "--to OTS", "koordinaten.asc.ots"},
         {"koordinaten.asc.ots", "", "koordinaten.asc"},
     }},
    {"rw5",
     {
         {"hang7.rw5", "--gps-system none", "hang7.rw5.asc"},
         {"hang7.rw5", "--gps-system EPSG:2056", "hang7.rw5.lv95.asc"},
         {"zeilenenden.rw5", "", "zeilenenden.rw5.asc"},
         {"zeilenenden-cr.rw5", "", "zeilenenden-cr.rw5.asc"},
         {"koordinaten.asc", "--to RW5", "koordinaten.asc.rw5"},
         {"koordinaten.asc.rw5", "--from RW5", "koordinaten.asc"},
     }},
    {"tavrin",
     {
         {"promark.txt", "", "promark.txt.asc"},
         {"koordinaten.asc", "--to TAVRIN", "koordinaten.asc.txt"},
         {"koordinaten.asc.txt", "", "koordinaten.asc"},
     }},
    {"rec500",
     {
         {"recorder.rec", "", "recorder.rec.asc"},
         {"dialekt.rec", "", "dialekt.rec.asc"},
         {"koordinaten.asc", "--to REC500", "koordinaten.asc.rec"},
         {"koordinaten.asc.rec", "--from REC500", "koordinaten.asc"},
     }},
    {"sdr",
     {
         {"job-sdr33.sdr", "", "job-sdr33.sdr.asc"},
         {"job-sdr2x.sdr", "", "job-sdr2x.sdr.asc"},
         {"koordinaten.asc", "--to SDR33", "koordinaten.asc.sdr33"},
         {"koordinaten.asc.sdr33", "", "koordinaten.asc.sdr33.asc"},
         {"koordinaten.asc", "--to SDR2x", "koordinaten.asc.sdr2x"},
         {"koordinaten.asc.sdr2x", "", "koordinaten.asc.sdr2x.asc"},
     }},
};

void PrintTo(const FormatCorpus& corpus, std::ostream* os) { *os << corpus.folder; }

class Corpus : public ::testing::TestWithParam<FormatCorpus> {};

TEST_P(Corpus, SamplesGiveTheirExpectedOutput) {
  const std::string folder = std::string(VELTRO_TEST_DATA) + "/" + GetParam().folder + "/";
  for (const CorpusCase& c : GetParam().cases) {
    SCOPED_TRACE(c.input);
    TempDir tmp;
    const ConvertRun run =
        RunConverter(tmp, std::string(c.options) + " " + ShellQuote(folder + c.input) + " " + ShellQuote(tmp / "out"));
    EXPECT_EQ(run.status, 0) << run.stderrText;
    EXPECT_TRUE(SameBytes(ReadFile(folder + c.expected), ReadFile(tmp / "out")));
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, Corpus, ::testing::ValuesIn(kCorpus),
                         [](const ::testing::TestParamInfo<FormatCorpus>& info) { return info.param.folder; });

}  // namespace
}  // namespace veltro::test
