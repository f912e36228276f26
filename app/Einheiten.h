// TfrmEinheiten, "Einheiten für:": the units, date and time formats of a
// template definition. The list index of a unit is its unit byte. The lists
// of the page set that is not shown are disabled.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;

namespace veltro {

struct TemplateDefinition;

class TfrmEinheiten : public QDialog {
  Q_OBJECT

 public:
  // levelling: the levelling page set is shown (the point lists are
  // disabled), else the point set (the levelling lists are).
  TfrmEinheiten(TemplateDefinition& definition, const std::string& name, bool levelling, QWidget* parent = nullptr);

  // "&Ok": every value into the definition.
  void OkClick();

 private:

  TemplateDefinition& definition_;
  QComboBox* richtungen_;
  QComboBox* distanzen_;
  QComboBox* hoehen_;
  QComboBox* koordinaten_;
  QComboBox* messungen_;
  QComboBox* punkthoehen_;
  QComboBox* standardabweichung_;
  QComboBox* datumsformat_;
  QComboBox* zeitformat_;
};

}  // namespace veltro
