#include "app/Kommandos.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "tests/app/InstrumentDialogFixture.h"

namespace veltro::test {
namespace {

class KommandosTest : public InstrumentDialogTest {};

TEST_F(KommandosTest, Gts210ShowsBothFirmwareSequencesSideBySide) {
  SetTextProvider([](int n) -> std::string {
    if (n == 129) return "Instrument commands";
    if (n == 131) return "Topcon GTS-210\xA6" "1. MENU\xA6" "2. F3: MEMORY";
    if (n == 314) return "Topcon GPT-1000\xA6" "1. MENU\xA6" "2. F4";
    if (n == 352) return "Leica TC\xA6" "1. MENU\xA6" "2. DATA";
    return {};
  });
  Make({"itGTS210", "itTC600"});
  TfrmTachyKommandos dialog(*geraete);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Instrument commands Topcon GTS-210 / 220 / 310");
  EXPECT_EQ(dialog.Kommandoliste->width(), 204);
  EXPECT_EQ(dialog.KommandolisteNeu->width(), 204);
  EXPECT_TRUE(dialog.KommandolisteNeu->isVisible());
  EXPECT_TRUE(dialog.OldVersion->isVisible());
  EXPECT_TRUE(dialog.NewVersion->isVisible());
  EXPECT_EQ(dialog.Kommandoliste->toPlainText(), "1. MENU\n2. F3: MEMORY");
  EXPECT_EQ(dialog.KommandolisteNeu->toPlainText(), "1. MENU\n2. F4");
  EXPECT_LT(dialog.Kommandoliste->geometry().right(), dialog.KommandolisteNeu->geometry().left());
  EXPECT_EQ(dialog.Kommandoliste->geometry().top(), dialog.KommandolisteNeu->geometry().top());
  EXPECT_TRUE(dialog.OKButton->hasFocus() || dialog.focusWidget() == dialog.OKButton);
  dialog.hide();

  // Another instrument: one wide list with its own sequence, and the
  // caption names it alone.
  ASSERT_TRUE(geraete->SelectInstrument("Leica TC 600/800 Series"));
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Instrument commands Leica TC 600/800 Series");
  EXPECT_EQ(dialog.Kommandoliste->width(), 420);
  EXPECT_FALSE(dialog.KommandolisteNeu->isVisible());
  EXPECT_FALSE(dialog.OldVersion->isVisible());
  EXPECT_EQ(dialog.Kommandoliste->toPlainText(), "1. MENU\n2. DATA");
}

TEST_F(KommandosTest, WithoutLanguageTextsTheShippedGermanSequencesAreShown) {
  Make({"itGTS210"});
  TfrmTachyKommandos dialog(*geraete);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Tachymeter Kommandos Topcon GTS-210 / 220 / 310");
  const QStringList old = dialog.Kommandoliste->toPlainText().split('\n');
  ASSERT_EQ(old.size(), 9);
  EXPECT_EQ(old[4], "5. F1: MESSDATEN SENDEN ");
  EXPECT_EQ(old[5], "    F2: KOORD. LADEN ");
  EXPECT_EQ(old[8], "    F4: [NEIN]");
  const QStringList neu = dialog.KommandolisteNeu->toPlainText().split('\n');
  ASSERT_EQ(neu.size(), 15);
  EXPECT_EQ(neu[6], "          F1: MESSDATEN");
  EXPECT_EQ(neu[12], QStringLiteral("7. AUFTRAG ÖFFNEN"));
  EXPECT_EQ(neu[14], "9. F3: [JA] / F4: [NEIN]");
  EXPECT_EQ(dialog.OldVersion->text(), "Alte Version");
  EXPECT_EQ(dialog.NewVersion->text(), "Neue Version");
}

}  // namespace
}  // namespace veltro::test
