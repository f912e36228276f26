#include "viewer/ViewerModel.h"

#include <gtest/gtest.h>

#include "tests/viewer/ViewerFixture.h"

namespace veltro::test {
namespace {

const std::vector<std::string> kBody = {"Baustelle Nord, Aufnahme 3",
                                        "ST 100",
                                        "PT 1 2600010.123 1200020.456 450.10",
                                        "NP 2",
                                        "  Zaunecke",
                                        "  Pfahl gesetzt",
                                        "REM Nachmessung",
                                        "STATION 200",
                                        "PT 3 2600030.500 1200040.750 451.25",
                                        "ende"};

struct LineEndSample {
  const char* file;
  std::vector<std::string> lines;
  std::vector<int> records;
};

std::vector<std::string> Doubled(const std::vector<std::string>& body) {
  std::vector<std::string> out;
  for (const auto& l : body) {
    out.push_back(l);
    out.emplace_back();
  }
  return out;
}

std::vector<std::string> WithEndMark() {
  std::vector<std::string> lines(kBody.begin(), kBody.end() - 1);
  lines.push_back("PT 9 2600090.000 1200090.000 452.00\x1A");
  return lines;
}

std::vector<std::string> AfterEmptyLine() {
  std::vector<std::string> lines{""};
  lines.insert(lines.end(), kBody.begin(), kBody.end());
  return lines;
}

void PrintTo(const LineEndSample& s, std::ostream* os) { *os << s.file; }

class ViewerLineEnds : public ViewerTest, public ::testing::WithParamInterface<LineEndSample> {};

// Every line end convention gives the same lines, every byte kept, and
// record stepping visits exactly the record lines, wrapping both ways.
TEST_P(ViewerLineEnds, StepsRecordByRecordAndWraps) {
  const LineEndSample& s = GetParam();
  Open(std::string("viewer/") + s.file);
  EXPECT_EQ(Model().Lines(), s.lines);
  EXPECT_EQ(Model().Format(), edit.format);
  EXPECT_EQ(CurrentTransfer().FormatTag, "dEdit");
  EXPECT_EQ(edit.initEditorCalls, 1);
  EXPECT_EQ(edit.prepEditorCalls, 1);

  std::vector<int> visited{Model().CurrentLine()};
  while (Model().MoveRecord(ViewerDirection::Next) && Model().CurrentLine() != s.records.front())
    visited.push_back(Model().CurrentLine());
  EXPECT_EQ(visited, s.records);
  EXPECT_EQ(Model().CurrentLine(), s.records.front());  // wrapped to the first record

  ASSERT_TRUE(Model().MoveRecord(ViewerDirection::Previous));
  EXPECT_EQ(Model().CurrentLine(), s.records.back());  // and back to the last
  ASSERT_TRUE(Model().LastRecord());
  EXPECT_EQ(Model().CurrentLine(), s.records.back());
  ASSERT_TRUE(Model().FirstRecord());
  EXPECT_EQ(Model().CurrentLine(), s.records.front());

  // Line by line: the last line wraps to the first and back.
  Model().SetCurrentLine(Model().LineCount() - 1);
  ASSERT_TRUE(Model().MoveLine(ViewerDirection::Next));
  EXPECT_EQ(Model().CurrentLine(), 0);
  ASSERT_TRUE(Model().MoveLine(ViewerDirection::Previous));
  EXPECT_EQ(Model().CurrentLine(), Model().LineCount() - 1);
  EXPECT_EQ(Model().SelectedText().find('\x1A'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Viewer, ViewerLineEnds,
                         ::testing::Values(LineEndSample{"edit-crlf.txt", kBody, {1, 2, 3, 6, 7, 8}},
                                           LineEndSample{
                                               "edit-lf-erste-leer.txt", AfterEmptyLine(), {2, 3, 4, 7, 8, 9}},
                                           LineEndSample{"edit-cr.txt", kBody, {1, 2, 3, 6, 7, 8}},
                                           LineEndSample{"edit-mehrfach-cr.txt", Doubled(kBody), {2, 4, 6, 12, 14, 16}},
                                           LineEndSample{"edit-eof.txt", WithEndMark(), {1, 2, 3, 6, 7, 8, 9}}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (c == '-' || c == '.') c = '_';
                           return name;
                         });

// A record of three lines in an LF-only file is replaced by exactly the
// written lines; every other line stays as it was.
TEST_F(ViewerTest, ViewerWriteBackReplacesTheRecordLinesOnly) {
  Open("viewer/edit-lf-erste-leer.txt");
  const TextLines before = Model().Lines().ToTextLines();
  Model().SetCurrentLine(4);
  ASSERT_TRUE(Model().PrepareEdit());
  EXPECT_EQ(editor.clearRemark, 1);
  EXPECT_EQ(Model().RecordKind(), tdaNeupunkt);
  EXPECT_EQ(Model().RecordFirstLine(), 4);
  EXPECT_EQ(Model().RecordLastLine(), 6);
  EXPECT_EQ(Model().Record().Konstanten.Zeile, 6);
  EXPECT_EQ(Model().Record().Punkt.Kommentar, "Zaunecke|Pfahl gesetzt");

  Model().Record().Punkt.Punktnummer = "2a";
  Model().Record().Punkt.Kommentar = "Zaunecke|Pfahl gesetzt|Foto 7";
  ASSERT_TRUE(Model().WriteBack());
  TextLines expected = before;
  expected[4] = "NP 2a";
  expected.insert(expected.begin() + 7, "  Foto 7");
  EXPECT_EQ(Model().Lines(), expected);
  EXPECT_EQ(Model().CurrentLine(), 4);
  EXPECT_TRUE(Model().Unsaved());

  // Saved again, the record is the written lines, not the old three.
  Model().Record().Punkt.Kommentar = "Zaunecke";
  ASSERT_TRUE(Model().WriteBack());
  expected.erase(expected.begin() + 6, expected.begin() + 8);
  EXPECT_EQ(Model().Lines(), expected);

  // Without MoreLine only the selected line is replaced.
  edit.format->MoreLine = false;
  Model().SetCurrentLine(4);
  ASSERT_TRUE(Model().PrepareEdit());
  Model().Record().Punkt.Kommentar = "Neu|Zwei";
  ASSERT_TRUE(Model().WriteBack());
  expected[4] = "NP 2a";
  expected.insert(expected.begin() + 5, {"  Neu", "  Zwei"});
  EXPECT_EQ(Model().Lines(), expected);
  EXPECT_TRUE(box.Messages().empty());
}

// The end mark behind the last record stays behind it; the file is saved
// with CR LF after every line.
TEST_F(ViewerTest, ViewerWriteBackKeepsTheEndMarkAndSavesCrLf) {
  Open("viewer/edit-eof.txt");
  ASSERT_TRUE(Model().LastRecord());
  EXPECT_EQ(Model().CurrentLine(), 9);
  EXPECT_EQ(Model().SelectedText(), "PT 9 2600090.000 1200090.000 452.00");
  ASSERT_TRUE(Model().PrepareEdit());
  EXPECT_EQ(Model().Record().Punkt.Hoehe, "452.00");
  Model().Record().Punkt.Hoehe = "452.50";
  ASSERT_TRUE(Model().WriteBack());
  EXPECT_EQ(Line(9), "PT 9 2600090.000 1200090.000 452.50\x1A");

  const std::string copy = tmp / "kopie.txt";
  Model().askSaveName = [&](std::string& name) {
    name = copy;
    return true;
  };
  ASSERT_TRUE(Model().SaveAs());
  std::string expected;
  for (std::string_view l : Model().Lines()) (expected += l) += "\r\n";
  EXPECT_EQ(ReadFile(copy), expected);
  EXPECT_EQ(Model().FileName(), copy);
  EXPECT_FALSE(Model().Unsaved());
}

// "Error", an empty answer and a kind without writer change nothing and tell
// the user; a line that is no record is not prepared at all.
TEST_F(ViewerTest, ViewerWriteBackThatCannotWriteKeepsTheText) {
  Open("viewer/edit-crlf.txt");
  const TextLines before = Model().Lines().ToTextLines();

  Model().SetCurrentLine(2);
  ASSERT_TRUE(Model().PrepareEdit());
  Model().Record().Punkt.Y.clear();  // the writer answers "Error"
  EXPECT_FALSE(Model().WriteBack());

  Model().SetCurrentLine(6);  // REM: read, but no writer
  ASSERT_TRUE(Model().PrepareEdit());
  EXPECT_EQ(Model().Record().Kommentar.Beschreibung, "Nachmessung");
  EXPECT_FALSE(Model().WriteBack());

  edit.Neupunkte->OnWrite = [](TDaten&) { return std::string(); };
  Model().SetCurrentLine(3);
  ASSERT_TRUE(Model().PrepareEdit());
  EXPECT_FALSE(Model().WriteBack());
  EXPECT_EQ(Model().Lines(), before);
  EXPECT_FALSE(Model().Unsaved());
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"T820", "T820", "T820"}));

  Model().SetCurrentLine(4);  // a remark line on its own is no record
  EXPECT_FALSE(Model().PrepareEdit());
  EXPECT_EQ(editor.noData, 1);
  EXPECT_FALSE(Model().WriteBack());
  EXPECT_EQ(box.Messages().size(), 3u);

  // A format that does not allow editing: message 614, nothing prepared.
  edit.format->Modify = false;
  Model().SetCurrentLine(2);
  EXPECT_FALSE(Model().PrepareEdit());
  EXPECT_EQ(MessageTexts().back(), "T614");
}

// Moving one record stops after one pass when no line is a record; without
// OnEditNext a record is one line; stations are found by their markers.
TEST_F(ViewerTest, ViewerMovesWithoutRecordsAndByStation) {
  ASSERT_TRUE(Model().OpenFile(Write("leer.txt", "eins\r\nzwei\r\n  drei\r\n")));
  Model().SetFormat(edit.format);
  Model().SetCurrentLine(1);
  EXPECT_FALSE(Model().MoveRecord(ViewerDirection::Next));
  EXPECT_FALSE(Model().MoveRecord(ViewerDirection::Previous));
  EXPECT_FALSE(Model().FirstRecord());
  EXPECT_FALSE(Model().LastRecord());
  EXPECT_EQ(Model().CurrentLine(), 1);

  edit.format->OnEditNext = nullptr;
  EXPECT_TRUE(Model().MoveRecord(ViewerDirection::Next));
  EXPECT_EQ(Model().CurrentLine(), 2);
  EXPECT_TRUE(Model().LastRecord());
  EXPECT_EQ(Model().CurrentLine(), 2);

  Open("viewer/edit-crlf.txt");
  Model().SetCurrentLine(0);
  std::vector<int> stations;
  while (Model().MoveStation(ViewerDirection::Next)) stations.push_back(Model().CurrentLine());
  EXPECT_EQ(stations, (std::vector<int>{1, 7}));  // "ST " and the longer "STATION "
  EXPECT_EQ(Model().CurrentLine(), 7);
  Model().SetCurrentLine(6);
  ASSERT_TRUE(Model().MoveStation(ViewerDirection::Previous));
  EXPECT_EQ(Model().CurrentLine(), 1);
  EXPECT_FALSE(Model().MoveStation(ViewerDirection::Previous));
  EXPECT_EQ(Model().CurrentLine(), 1);
  edit.format->MainElement = ";";  // empty markers mark nothing
  EXPECT_FALSE(Model().MoveStation(ViewerDirection::Next));
  EXPECT_EQ(Model().CurrentLine(), 1);
}

// An unrecognised file is shown with the default format; a file that cannot
// be read keeps what was shown; a raw stream is cut by OnPrepEditor.
TEST_F(ViewerTest, ViewerOpensRecognisesAndPrepares) {
  Open("viewer/edit-strom.txt");
  EXPECT_EQ(Model().Format(), edit.format);
  ASSERT_EQ(Model().LineCount(), 806);
  EXPECT_EQ(Line(0), "ST 1001");
  EXPECT_EQ(Line(1), "PT 2 2600003.000 1200004.500 400.02");
  EXPECT_EQ(edit.prepEditorCalls, 1);
  const TextLines stream = Model().Lines().ToTextLines();

  EXPECT_FALSE(Model().OpenFile(tmp / "fehlt.txt"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T70"});
  EXPECT_EQ(Model().Lines(), stream);
  EXPECT_EQ(Model().FileName(), Data("viewer/edit-strom.txt"));
  EXPECT_EQ(Model().Format(), edit.format);

  CurrentTransfer().FormatTag = "dGSI8";
  ASSERT_TRUE(Model().OpenFile(Write("fremd.txt", "Eine Notiz ohne jedes Format\r\nzweite Zeile\r\n")));
  EXPECT_EQ(CurrentTransfer().FormatTag, "");
  EXPECT_EQ(Model().Format(), geraete->Format("FC5"));
  EXPECT_EQ(Model().CurrentLine(), 0);

  ASSERT_TRUE(Model().OpenFile(Write("leer.txt", "")));
  EXPECT_EQ(Model().LineCount(), 0);
  EXPECT_EQ(Model().SelectedText(), "");
  EXPECT_FALSE(Model().MoveRecord(ViewerDirection::Next));
  EXPECT_FALSE(Model().MoveLine(ViewerDirection::Previous));
  EXPECT_FALSE(Model().PrepareEdit());
}

// The filter of the instrument and its format, its default extension, and
// the save rules: "save as" cancelled saves nothing and keeps the name.
TEST_F(ViewerTest, ViewerSavesByTheFilterRules) {
  EXPECT_EQ(Model().FileFilter(),
            "Tachymeterdaten (*.dat;*.txt)|*.dat;*.txt|GSI-Dateien (*.gsi)|*.gsi|Alle Dateien (*.*)|*.*");
  EXPECT_EQ(Model().DefaultExtension(), "dat");
  instrumentFilter = "Alle Dateien (*.*)|*.*|";
  EXPECT_EQ(Model().DefaultExtension(), "");
  EXPECT_EQ(ViewerModel::WithDefaultExtension("/a/b", ""), "/a/b");
  EXPECT_EQ(ViewerModel::WithDefaultExtension("/a.x/b", "dat"), "/a.x/b.dat");
  EXPECT_EQ(ViewerModel::WithDefaultExtension("/a/b.gsi", "dat"), "/a/b.gsi");
  instrumentFilter = "Tachymeterdaten (*.dat;*.txt)|*.dat;*.txt|";

  const std::string file = Write("daten.txt", "ST 1\nPT 2 1 2 3\n");
  ASSERT_TRUE(Model().OpenFile(file));
  Model().SetCurrentLine(1);
  ASSERT_TRUE(Model().PrepareEdit());
  Model().Record().Punkt.Hoehe = "4";
  ASSERT_TRUE(Model().WriteBack());

  std::vector<std::string> answers = {"", tmp / "neu"};
  std::vector<std::string> offered;
  Model().askSaveName = [&](std::string& name) {
    offered.push_back(name);
    name = answers.front();
    answers.erase(answers.begin());
    return !name.empty();
  };
  EXPECT_FALSE(Model().SaveAs());  // cancelled
  EXPECT_EQ(ReadFile(file), "ST 1\nPT 2 1 2 3\n");
  EXPECT_EQ(Model().FileName(), file);
  EXPECT_TRUE(Model().Unsaved());

  ASSERT_TRUE(Model().SaveAs());
  EXPECT_EQ(offered, (std::vector<std::string>{file, file}));
  EXPECT_EQ(Model().FileName(), tmp / "neu.dat");
  EXPECT_EQ(ReadFile(tmp / "neu.dat"), "ST 1\r\nPT 2 1 2 4\r\n");

  Model().askSaveName = [&](std::string& name) {
    name = tmp / "fehlt/datei.dat";
    return true;
  };
  EXPECT_FALSE(Model().SaveAs());  // cannot be written
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"T72"});
  EXPECT_EQ(Model().FileName(), tmp / "neu.dat");

  // Lines that are no file ask for a name; without one nothing is saved.
  Model().ShowLines({"ST 5"});
  Model().askSaveName = [](std::string&) { return false; };
  EXPECT_FALSE(Model().Save());
  EXPECT_EQ(Model().FileName(), "");
}

// Dropping a file's unsaved changes asks 568: Cancel stays, No drops them,
// Yes saves first.
TEST_F(ViewerTest, ViewerAsksBeforeDroppingChanges) {
  const std::string file = Write("daten.txt", "ST 1\r\n");
  ASSERT_TRUE(Model().OpenFile(file));
  EXPECT_TRUE(Model().ConfirmDiscard());  // nothing changed
  ASSERT_TRUE(Model().PrepareEdit());
  Model().Record().Station.Punktnummer = "7";
  ASSERT_TRUE(Model().WriteBack());

  box.Answer(kAnsCancel);
  EXPECT_FALSE(Model().ConfirmDiscard());
  box.Answer(kAnsYes);
  EXPECT_TRUE(Model().ConfirmDiscard());
  EXPECT_EQ(ReadFile(file), "ST 7\r\n");
  ASSERT_EQ(box.Messages().size(), 2u);
  EXPECT_EQ(box.Messages()[0].text, "T568");
  EXPECT_EQ(box.Messages()[0].buttons, kBtnYes | kBtnNo | kBtnCancel);

  ASSERT_TRUE(Model().PrepareEdit());
  Model().Record().Station.Punktnummer = "8";
  ASSERT_TRUE(Model().WriteBack());
  box.Answer(kAnsNo);
  EXPECT_TRUE(Model().ConfirmDiscard());
  EXPECT_EQ(ReadFile(file), "ST 7\r\n");
  EXPECT_TRUE(Model().ConfirmDiscard());  // dropped: not asked again
  EXPECT_EQ(box.Messages().size(), 3u);
}

struct GsiSample {
  const char* file;
  const char* tag;
  std::vector<TTransferDatenart> kinds;
};

void PrintTo(const GsiSample& s, std::ostream* os) { *os << s.file; }

class ViewerGsiFiles : public ViewerTest, public ::testing::WithParamInterface<GsiSample> {};

// GSI files are recognised and stepped record by record to the end, each
// line of the kind the format's OnGetDatenart answers (a coordinate file
// stops at its point lines only); their records can be edited.
TEST_P(ViewerGsiFiles, SteppedRecordByRecord) {
  const GsiSample& s = GetParam();
  Open(s.file);
  EXPECT_EQ(CurrentTransfer().FormatTag, s.tag);
  EXPECT_EQ(Model().Format(), geraete->Format(std::string(s.tag).substr(1)));
  std::vector<TTransferDatenart> kinds;
  do kinds.push_back(Model().KindOf(Model().CurrentLine()));
  while (Model().MoveRecord(ViewerDirection::Next) && Model().CurrentLine() != 0);
  EXPECT_EQ(kinds, s.kinds);
  EXPECT_TRUE(Model().PrepareEdit());
  EXPECT_TRUE(MessageTexts().empty());
}

constexpr TTransferDatenart I = tdaInformation, S = tdaStation, N = tdaNeupunkt, K = tdaKoordinate;

INSTANTIATE_TEST_SUITE_P(Viewer, ViewerGsiFiles,
                         ::testing::Values(GsiSample{"gsi/sample-messung.gsi", "dGSI8", {I, S, I, N, N, I, N}},
                                           GsiSample{"gsi/messung-gsi16.gsi", "dGSI16", {I, S, I, N, N, N, N, N}},
                                           GsiSample{"viewer/koordinaten-gsi8-eof.gsi", "kGSI8", {K, K, K}}),
                         [](const auto& info) { return std::string(info.param.tag) + std::to_string(info.index); });

}  // namespace
}  // namespace veltro::test
