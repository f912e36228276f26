#include "app/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veltro {

RadioGroup::RadioGroup(QWidget* parent) : QGroupBox(parent), buttons_(new QButtonGroup(this)) {
  new QVBoxLayout(this);
  connect(buttons_, &QButtonGroup::idClicked, this, &RadioGroup::ItemClicked);
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent) : RadioGroup(parent) {
  setTitle(title);
  SetItems(items);
}

void RadioGroup::SetItems(const QStringList& items) {
  const int selected = ItemIndex();
  for (QAbstractButton* b : buttons_->buttons()) {
    buttons_->removeButton(b);
    delete b;
  }
  items_ = items;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    button->setObjectName(objectName() + QString::number(i));
    buttons_->addButton(button, i);
    layout()->addWidget(button);
  }
  SetItemIndex(selected < items.size() ? selected : -1);
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index) {
  if (QAbstractButton* b = buttons_->button(index)) {
    b->setChecked(true);
    return;
  }
  // An exclusive group cannot uncheck its last button directly.
  if (QAbstractButton* checked = buttons_->checkedButton()) {
    buttons_->setExclusive(false);
    checked->setChecked(false);
    buttons_->setExclusive(true);
  }
}

}  // namespace veltro
