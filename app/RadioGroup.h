// A titled box of mutually exclusive radio buttons built from a list of
// item texts (the radio group of a dialog). The window translation replaces
// the items when the language text of the group holds a list.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace veltro {

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit RadioGroup(QWidget* parent = nullptr);
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  // Replaces the radio buttons; the selected index is kept when the new list
  // still has it, otherwise nothing is selected.
  void SetItems(const QStringList& items);
  QStringList Items() const { return items_; }

  // Index of the selected item, -1 when none.
  int ItemIndex() const;
  void SetItemIndex(int index);

 Q_SIGNALS:
  void ItemClicked(int index);

 private:
  QButtonGroup* buttons_;
  QStringList items_;
};

}  // namespace veltro
