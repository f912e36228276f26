#include "app/Kommandos.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/NamedWidget.h"
#include "core/Messages.h"
#include "instruments/InstrumentenModul.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr int kTextCaption = 129;
constexpr int kTextKommandoliste = 131;
constexpr int kTextKommandolisteNeu = 314;
constexpr int kTextOldVersion = 309;
constexpr int kTextNewVersion = 310;
constexpr int kTextKommandos = 789;
constexpr int kTextOk = 98;

constexpr int kWideMemo = 420;    // one sequence
constexpr int kNarrowMemo = 204;  // two sequences side by side
constexpr int kMemoHeight = 300;

// The German sequences as shipped, shown when no language text replaces them.
const char* const kShippedOld[] = {
    "1. MENU", "2. F3: SPEICHER/COM", "3. F4", "4. F1: DATENTRANSFER", "5. F1: MESSDATEN SENDEN ",
    "    F2: KOORD. LADEN ", "    F3: KOORD. SENDEN", "6. F3: [JA]", "    F4: [NEIN]",
};
const char* const kShippedNew[] = {
    "1. MENU",
    "2. F3: SPEICHER/COM",
    "3. F4",
    "4. F4",
    "5. F1: DATENTRANSFER",
    "6. F1: DATEN SENDEN ",
    "          F1: MESSDATEN",
    "          F2: KOORDINATEN",
    "          F3: CODEVERZEICHN",
    "    F2: DATEN EMPFANGEN",
    "          F1: KOORDINATEN",
    "          F2: CODEVERZEICHN",
    "7. AUFTRAG \326FFNEN",  // \326: O umlaut in code page 1252
    "8. F4: ENTER",
    "9. F3: [JA] / F4: [NEIN]",
};

template <size_t N>
QString Lines(const char* const (&lines)[N]) {
  QStringList list;
  for (const char* line : lines) list << FromAnsi(line);
  return list.join(QLatin1Char('\n'));
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, int text) {
  auto* memo = MakeNamed<QPlainTextEdit>(parent, name, text, "");
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setFixedHeight(kMemoHeight);
  return memo;
}

}  // namespace

TfrmTachyKommandos::TfrmTachyKommandos(TGeraete& geraete, QWidget* parent)
    : QDialog(parent), geraete_(geraete), shippedOld_(Lines(kShippedOld)), shippedNew_(Lines(kShippedNew)) {
  setObjectName(QStringLiteral("TfrmTachyKommandos"));
  SetTextNumber(this, kTextCaption);

  Kommandos = MakeNamed<QLabel>(this, "Kommandos", kTextKommandos, "Tastenfolge am Instrument:");
  OldVersion = MakeNamed<QLabel>(this, "OldVersion", kTextOldVersion, "Alte Version");
  NewVersion = MakeNamed<QLabel>(this, "NewVersion", kTextNewVersion, "Neue Version");
  Kommandoliste = MakeMemo(this, "Kommandoliste", kTextKommandoliste);
  KommandolisteNeu = MakeMemo(this, "KommandolisteNeu", kTextKommandolisteNeu);
  KommandolisteNeu->setFixedWidth(kNarrowMemo);
  OKButton = MakeNamed<QPushButton>(this, "OKButton", kTextOk, "&Ok");
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout;
  grid->addWidget(OldVersion, 0, 0);
  grid->addWidget(NewVersion, 0, 1);
  grid->addWidget(Kommandoliste, 1, 0, Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(KommandolisteNeu, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  grid->setColumnStretch(2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Kommandos);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmTachyKommandos::showEvent(QShowEvent* event) {
  FormActivate();
  QDialog::showEvent(event);
}

void TfrmTachyKommandos::FormActivate() {
  TInstrument& instrument = geraete_.CurrentInstrument();
  const bool twoVersions = &instrument == geraete_.Instrument("itGTS210");
  // Each activation starts from the shipped texts, so a sequence of another
  // instrument shown before never stays behind when no text replaces it.
  Kommandoliste->setPlainText(shippedOld_);
  KommandolisteNeu->setPlainText(shippedNew_);
  SetTextNumber(Kommandoliste, instrument.CmdStrTag);
  Kommandoliste->setFixedWidth(twoVersions ? kNarrowMemo : kWideMemo);
  OldVersion->setVisible(twoVersions);
  NewVersion->setVisible(twoVersions);
  KommandolisteNeu->setVisible(twoVersions);
  setWindowTitle(QStringLiteral("Tachymeter Kommandos"));
  TranslateForm(this);
  setWindowTitle(windowTitle() + QLatin1Char(' ') + FromAnsi(instrument.Caption));
  OKButton->setFocus();
}

}  // namespace veltro
