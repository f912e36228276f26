// The statistics window "Statistik des Transfers": shows the counts that the
// formats' statistics handlers collect while lines pass, a progress bar whose
// scale grows by tens, and the cancel button of a running transfer.
//
// Repainting is throttled: Update keeps the record and the scale current on
// every call but writes the widgets at most every kRepaintIntervalMs (a timer
// catches up when the calls stop). Reset, Show, Close and ShowLast always show
// the current state, so the last counts are never lost.
//
// While the window is shown for a transfer the main window is disabled. When
// the user closes it during the transfer (second press of Abbrechen, or the
// title bar), the main window stays disabled until the engine's Close; for
// that the window answers IsVisible() until then.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "core/Transfer.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QEventLoop;

namespace veltro {

class TfrmStatistik : public QWidget, public StatisticsView {
  Q_OBJECT

 public:
  static constexpr int kRepaintIntervalMs = 100;
  static constexpr int kHeightNivellier = 322;  // pixels
  static constexpr int kHeightPunkte = 216;

  explicit TfrmStatistik(QWidget* parent = nullptr);
  ~TfrmStatistik() override;

  // StatisticsView, as the engine and the instrument side use it.
  void Reset() override;
  void Show() override;
  void Close() override;
  bool IsVisible() const override;
  void Refresh() override { Update(); }
  void SetStatusText(const std::string& text) override;
  // The label beside Methode shows the levelling method of the record key
  // read last; empty clears it. Reset brings back the design caption.
  void SetMethodCaption(const std::string& caption) override;

  // Takes the record's counts (after every statistics call).
  void Update();
  // Writes the current state into the widgets now.
  void ShowCounts();
  // Modal, with Ok instead of Abbrechen: what the last transfer counted.
  void ShowLast();

  // The window disabled while this one is shown (not owned).
  void SetMainWindow(QWidget* mainWindow) { mainWindow_ = mainWindow; }
  // Asks the instrument library to break off (set by the library binding).
  std::function<void()> LibSetBreak;

  int ProgressMaximum() const { return maximum_; }
  bool LevellingPanelShown() const { return nivPanel_; }

 public slots:
  void AbbrechenClick();
  void OkClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormActivate();
  void ReleaseMainWindow();
  bool LevellingInstrument() const;

  QLabel* Zustand;
  QProgressBar* ProgressBar;
  QLabel* TP0;
  QLabel* TP5;
  QLabel* TP10;
  QLabel* Bloecke;
  QFrame* PanelTediStatistik;
  QLabel* TransCodes;
  QLabel* TransStationen;
  QLabel* TransPunkte;
  QFrame* PanelNivStatistik;
  QLabel* StartHoehe;
  QLabel* Hoehe;
  QLabel* Endhoehe;
  QLabel* Differenz;
  QLabel* Rueckblicke;
  QLabel* Vorblicke;
  QLabel* Mittelblicke;
  QLabel* Methode;
  QLabel* LabelMethode;
  QPushButton* Abbrechen;
  QPushButton* Ok;

  QPointer<QWidget> mainWindow_;
  int maximum_ = 10;
  bool nivPanel_ = false;
  bool transferHold_ = false;  // shown by the engine, not yet closed by it
  bool pending_ = false;       // counts not yet written into the widgets
  bool counted_ = false;       // Update was called since Reset
  QElapsedTimer sinceShown_;
  QTimer catchUp_;
  QEventLoop* modalLoop_ = nullptr;
};

}  // namespace veltro
