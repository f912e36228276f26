#include <gtest/gtest.h>

#include <stdexcept>

#include "core/DatenformatDefinitionen.h"
#include "core/Fatal.h"
#include "tests/support/TestFormats.h"
#include "tests/support/TransferFixture.h"

namespace veltro::test {
namespace {

class ComponentsTest : public TransferFixture {
 protected:
  TestFormats formats;
};

TEST_F(ComponentsTest, SelectingAnUnhandledKindKeepsTheOldKind) {
  formats.lines->OnSetTDA(tdaKommentar);
  EXPECT_EQ(formats.lines->TransferDatenart, tdaKommentar);
  EXPECT_EQ(formats.lines->OnSetTDA(tdaQuerprofil), "Lines");
  EXPECT_EQ(formats.lines->ReadWrite, nullptr);
  EXPECT_EQ(formats.lines->TransferDatenart, tdaKommentar);
  ASSERT_NE(formats.lines->Init, nullptr);
  EXPECT_EQ(formats.lines->Init->TransferDatenart, tdaQuerprofil);
}

TEST_F(ComponentsTest, LaterComponentOfTheSameKindWins) {
  auto& second = formats.linesModule.Add<TReadWriteDaten>("Koordinaten2");
  second.TransferDatenart = tdaKoordinate;
  formats.lines->OnSetTDA(tdaKoordinate);
  EXPECT_EQ(formats.lines->ReadWrite, &second);
}

// The engine keeps the components of each type, not the binding: a
// component added or a kind changed after a selection counts at the next.
TEST_F(ComponentsTest, SelectionFollowsComponentsAddedOrChangedSinceTheLast) {
  formats.lines->OnSetTDA(tdaKoordinate);
  TReadWriteDaten* first = formats.lines->ReadWrite;
  ASSERT_NE(first, nullptr);
  auto& second = formats.linesModule.Add<TReadWriteDaten>("Koordinaten2");
  second.TransferDatenart = tdaKoordinate;
  formats.lines->OnSetTDA(tdaKoordinate);
  EXPECT_EQ(formats.lines->ReadWrite, &second);
  second.TransferDatenart = tdaQuerprofil;
  formats.lines->OnSetTDA(tdaKoordinate);
  EXPECT_EQ(formats.lines->ReadWrite, first);
  formats.lines->OnSetTDA(tdaQuerprofil);
  EXPECT_EQ(formats.lines->ReadWrite, &second);
  EXPECT_EQ(formats.lines->TransferDatenart, tdaQuerprofil);
}

TEST_F(ComponentsTest, InitForLaengsprofilHasNoHandler) {
  formats.inst->OnSetTDA(tdaLaengsprofil);
  ASSERT_NE(formats.inst->Init, nullptr);
  EXPECT_FALSE(formats.inst->Init->OnInit);
}

TEST_F(ComponentsTest, TemplateListsAreCopies) {
  TStringList list{"a", "b"};
  formats.lines->Detailpunkt = list;
  list[0] = "changed";
  EXPECT_EQ(formats.lines->Detailpunkt[0], "a");
}

TEST_F(ComponentsTest, ActivateFindAndList) {
  EXPECT_EQ(&ActiveFormat(), formats.lines);
  EXPECT_EQ(ActivateFormat(*formats.other), formats.lines);
  EXPECT_EQ(&ActiveFormat(), formats.other);
  EXPECT_FALSE(formats.lines->Active);
  std::string page, caption;
  EXPECT_EQ(FindFormatByName("Lines", &page, &caption), formats.lines);
  EXPECT_EQ(page, "Lines_Blatt");
  EXPECT_EQ(caption, "Zeilen");
  EXPECT_EQ(FindFormatByName("lines", &page, &caption), nullptr);
  EXPECT_EQ(page, "");
  EXPECT_EQ(ListFormats(), "Lines\r\nOther\r\n");
}

TEST_F(ComponentsTest, LastActiveFormatWins) {
  formats.other->Active = true;
  EXPECT_EQ(&ActiveFormat(), formats.other);
}

TEST_F(ComponentsTest, NoActiveFormatEndsTheProgram) {
  formats.lines->Active = false;
  SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
  EXPECT_THROW(
      {
        try {
          ActiveFormat();
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
}

TEST_F(ComponentsTest, InitialiseAllRunsEveryResetInOrder) {
  TDaten d;
  d.Punkt.Y = "1";
  d.Konstanten.Code = "X";
  d.Messung.Lattenablesung = "";
  InitialiseAll(d);
  EXPECT_EQ(d.Punkt.Y, "");
  EXPECT_EQ(d.Konstanten.Code, "");
  EXPECT_EQ(d.Messung.Lattenablesung, "0");
  EXPECT_EQ(formats.initCalls[tdaLaengsprofil], 0);
  EXPECT_EQ(formats.initCalls[tdaKoordinate], 1);
}

TEST(RecordModel, KindIsOneByteWithFixedOrdinals) {
  EXPECT_EQ(sizeof(TTransferDatenart), 1u);
  EXPECT_EQ(static_cast<int>(tdaKonstanten), 14);
  EXPECT_EQ(static_cast<int>(tdaNone), 15);
  EXPECT_STREQ(TransferDatenartName(tdaNivKommentar), "tdaNivKommentar");
}

TEST(RecordModel, LevellingValuesStartAtZeroText) {
  TDaten d;
  EXPECT_EQ(d.Messung.Lattenablesung, "0");
  EXPECT_EQ(d.Messung.AnzahlMessungen, "0");
  EXPECT_EQ(d.Ende.Totaldistanz, "0");
  EXPECT_EQ(d.Start.Bodenhoehe, "0");
  EXPECT_EQ(d.Punkt.Y, "");
  EXPECT_EQ(d.Info.Zeitpunkt, 0.0);
}

TEST(RecordModel, WritersTestWholeCombinations) {
  std::uint16_t flags = mfHzVzSd | mfKoordinaten;
  EXPECT_TRUE(HasFlags(flags, mfHzVzSd));
  EXPECT_FALSE(HasFlags(flags, mfHzVzHd));
  EXPECT_TRUE(HasFlags(0x01E0, mfHzVzHd));
  EXPECT_TRUE(HasFlags(0x01E0, mfHzVzSd));
}

}  // namespace
}  // namespace veltro::test
