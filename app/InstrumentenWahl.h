// TfrmTachyWahl: the choice of the current instrument, one page per maker
// with the maker's installed instruments and its data formats (lists built
// by the catalogue), the coordinate offsets, the character set of the
// format, the Leica code-list options and the Magellan coordinate system.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "instruments/InstrumentenModul.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace veltro {

class RadioGroup;

class TfrmTachyWahl : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmTachyWahl(TGeraete& geraete, QWidget* parent = nullptr);
  ~TfrmTachyWahl() override;

  // The active coordinate-system text (preset from the setting "GPSSystem";
  // the caller stores it back afterwards).
  const std::string& AktivSystem() const { return aktivSystem_; }
  void SetAktivSystem(std::string system) { aktivSystem_ = std::move(system); }
  // Handed to the coordinate-system library (program started with "ADMIN").
  void SetAdministrator(bool administrator) { administrator_ = administrator; }
  // Caption of the format chosen on the format lists.
  const std::string& ChosenFormat() const { return chosenFormat_; }

  void FormActivate();
  void InstrumentClick(const std::string& caption);
  void FormatClick(const std::string& caption);
  void ZeichensatzClick();
  // Leaving an offset field: a number (or nothing) is taken, anything else
  // is replaced by the stored offset.
  void OffsetExit(QLineEdit* edit);
  void SystemwahlClick();
  void EndeClick();

  QTabWidget* Hersteller;
  QPushButton* EditCode;
  QPushButton* CodeTab;
  RadioGroup* Attribute;
  QCheckBox* GSICodierung;
  QPushButton* btSystemwahl;
  QLabel* Offsets;
  QLineEdit* EditY;
  QLineEdit* EditX;
  QCheckBox* DataMerging;
  QGroupBox* Zeichensatz;
  QRadioButton* ASCII;
  QRadioButton* Ansi;
  QPushButton* Ende;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct ListButton {
    QRadioButton* widget;
    int page;
    bool instrument;  // in the instrument list, else in the format list
    std::string name;
    std::string caption;
  };
  void BuildLists();
  void SyncFormatLists();
  void SyncInstrumentLists();
  void ShowOffsets();
  void UpdateDataMerging();
  void ShowZeichensatz();

  TGeraete& geraete_;
  TPageControl pages_;
  std::vector<ListButton> buttons_;
  std::string chosenFormat_;
  std::string aktivSystem_;
  bool administrator_ = false;
};

}  // namespace veltro
