#include "wgsxyz/SystemDialog.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>
#include <memory>

#include "platform/CodePage1252.h"
#include "wgsxyz/CoordinateSystems.h"
#include "wgsxyz/Texts.h"

namespace veltro::wgsxyz {
namespace {

constexpr int kTextRole = Qt::UserRole;       // system text of a row
constexpr int kEvaluatedRole = Qt::UserRole + 1;
constexpr int kGroupCount = static_cast<int>(Group::Epsg) + 1;
enum Column { kColumnText, kColumnName, kColumnAccuracy, kColumnHeights, kColumnCount };

QString Q(const std::string& ansi) { return QString::fromUtf8(AnsiToUtf8(ansi).c_str()); }

class SystemDialog {
 public:
  SystemDialog(const std::string& active, int centreX, int top) {
    dialog_.setObjectName("TfrmSystemwahl");
    dialog_.setWindowTitle(Q(Text(kTextCaption)));
    auto* layout = new QVBoxLayout(&dialog_);

    tree_ = new QTreeWidget(&dialog_);
    tree_->setObjectName("lvSysteme");
    tree_->setColumnCount(kColumnCount);
    QStringList headers;
    std::vector<std::string> columns = TextParts(kTextColumns);
    for (int c = 0; c < kColumnCount; ++c) headers << (c < static_cast<int>(columns.size()) ? Q(columns[c]) : QString());
    tree_->setHeaderLabels(headers);
    tree_->setRootIsDecorated(true);
    tree_->setMinimumSize(620, 320);
    layout->addWidget(tree_);

    note_ = new QLabel(&dialog_);
    note_->setObjectName("lbHinweis");
    note_->setWordWrap(true);
    layout->addWidget(note_);

    auto* epsgRow = new QHBoxLayout;
    auto* epsgLabel = new QLabel(Q(Text(kTextEpsgLabel)), &dialog_);
    epsgLabel->setObjectName("lbEPSG");
    epsgEdit_ = new QLineEdit(&dialog_);
    epsgEdit_->setObjectName("EditEPSG");
    epsgLabel->setBuddy(epsgEdit_);
    auto* add = new QPushButton(Q(Text(kTextAdd)), &dialog_);
    add->setObjectName("btHinzufuegen");
    epsgRow->addWidget(epsgLabel);
    epsgRow->addWidget(epsgEdit_, 1);
    epsgRow->addWidget(add);
    layout->addLayout(epsgRow);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton(Q(Text(kTextOk)), &dialog_);
    ok_->setObjectName("btOK");
    ok_->setDefault(true);
    auto* cancel = new QPushButton(Q(Text(kTextCancel)), &dialog_);
    cancel->setObjectName("btAbbrechen");
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    std::vector<std::string> groupNames = TextParts(kTextGroups);
    for (int g = 0; g < kGroupCount; ++g) {
      auto* item = new QTreeWidgetItem(tree_);
      item->setText(kColumnText, g < static_cast<int>(groupNames.size()) ? Q(groupNames[g]) : QString());
      item->setFlags(Qt::ItemIsEnabled);
      item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
      groups_[g] = item;
    }
    for (const CatalogueEntry& e : Catalogue()) AddRow(e.group, e.text, e.name);

    QObject::connect(tree_, &QTreeWidget::itemExpanded, [this](QTreeWidgetItem* item) { Evaluate(item); });
    QObject::connect(tree_, &QTreeWidget::currentItemChanged, [this](QTreeWidgetItem*, QTreeWidgetItem*) { ShowCurrent(); });
    QObject::connect(tree_, &QTreeWidget::itemDoubleClicked, [this](QTreeWidgetItem*, int) {
      if (ok_->isEnabled()) dialog_.accept();
    });
    QObject::connect(add, &QPushButton::clicked, [this] { AddTyped(); });
    QObject::connect(epsgEdit_, &QLineEdit::returnPressed, [this] { AddTyped(); });
    QObject::connect(ok_, &QPushButton::clicked, &dialog_, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog_, &QDialog::reject);

    Select(active);
    for (int c = 0; c < kColumnCount; ++c) tree_->resizeColumnToContents(c);
    dialog_.adjustSize();
    if (centreX > 0 || top > 0) dialog_.move(centreX - dialog_.width() / 2, top);
  }

  bool Run(std::string& chosen) {
    if (dialog_.exec() != QDialog::Accepted) return false;
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !item->data(0, kTextRole).isValid()) return false;
    chosen = item->data(0, kTextRole).toString().toStdString();
    return true;
  }

 private:
  QTreeWidgetItem* AddRow(Group group, const std::string& text, const std::string& name) {
    auto* item = new QTreeWidgetItem(groups_[static_cast<int>(group)]);
    item->setText(kColumnText, Q(text));
    item->setText(kColumnName, Q(name));
    item->setData(0, kTextRole, QString::fromStdString(text));
    return item;
  }

  QTreeWidgetItem* FindRow(const std::string& text) const {
    const QString wanted = QString::fromStdString(text);
    for (QTreeWidgetItem* group : groups_)
      for (int i = 0; i < group->childCount(); ++i)
        if (group->child(i)->data(0, kTextRole).toString() == wanted) return group->child(i);
    return nullptr;
  }

  // Fills the accuracy and height columns of a row, or of every row of a
  // group, on first sight.
  void Evaluate(QTreeWidgetItem* item) {
    if (!item->data(0, kTextRole).isValid()) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      for (int i = 0; i < item->childCount(); ++i) Evaluate(item->child(i));
      QApplication::restoreOverrideCursor();
      return;
    }
    if (item->data(0, kEvaluatedRole).toBool()) return;
    item->setData(0, kEvaluatedRole, true);
    const SystemInfo& info = Systems().Describe(item->data(0, kTextRole).toString().toStdString());
    if (!info.name.empty()) item->setText(kColumnName, Q(info.name));
    if (info.Usable()) {
      item->setText(kColumnAccuracy, QString::number(info.accuracy, 'g', 4) + " m");
      item->setText(kColumnHeights, Q(info.heightName.empty() ? Text(kTextEllipsoidal) : info.heightName));
    } else {
      item->setText(kColumnAccuracy, QString::fromUtf8("\u2013"));
      for (int c = 0; c < kColumnCount; ++c) item->setForeground(c, tree_->palette().brush(QPalette::Disabled, QPalette::Text));
    }
  }

  void ShowCurrent() {
    QTreeWidgetItem* item = tree_->currentItem();
    const bool isSystem = item && item->data(0, kTextRole).isValid();
    if (!isSystem) {
      note_->clear();
      ok_->setEnabled(false);
      return;
    }
    Evaluate(item);
    const SystemInfo& info = Systems().Describe(item->data(0, kTextRole).toString().toStdString());
    std::string note;
    if (info.problem == Problem::UnknownSystem)
      note = TextWith(kTextUnknownSystem, info.text);
    else if (info.problem == Problem::NoTransformation)
      note = Text(kTextNotUsable);
    else if (info.heightName.empty())
      note = Text(kTextEllipsoidalNote);
    else
      note = TextWith(kTextGeoidNote, info.heightName);
    note_->setText(Q(note));
    ok_->setEnabled(info.Usable());
  }

  // Selects the row of text, adding a known "EPSG:" system to its group
  // first; false, with a note, for an unknown text.
  bool Select(const std::string& text) {
    const std::string normalised = NormaliseSystemText(text);
    QTreeWidgetItem* item = FindRow(normalised);
    if (!item) {
      const SystemInfo& info = Systems().Describe(normalised);
      if (info.problem == Problem::UnknownSystem) {
        note_->setText(Q(TextWith(kTextUnknownSystem, normalised)));
        return false;
      }
      item = AddRow(Group::Epsg, normalised, info.name);
    }
    item->parent()->setExpanded(true);
    Evaluate(item);
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
    ShowCurrent();
    return true;
  }

  void AddTyped() {
    std::string typed = epsgEdit_->text().trimmed().toStdString();
    if (typed.empty()) return;
    if (typed.find_first_not_of("0123456789") == std::string::npos) typed = "EPSG:" + typed;
    if (Select(typed)) epsgEdit_->clear();
  }

  QDialog dialog_;
  QTreeWidget* tree_ = nullptr;
  QLabel* note_ = nullptr;
  QLineEdit* epsgEdit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QTreeWidgetItem* groups_[kGroupCount] = {};
};

bool DisplayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

bool ChooseSystem(const std::string& active, int centreX, int top, std::string& chosen) {
  std::unique_ptr<QApplication> own;
  if (!QCoreApplication::instance()) {
    if (!DisplayAvailable()) return false;
    static int argc = 1;
    static char name[] = "WGSXYZ";
    static char* argv[] = {name, nullptr};
    own = std::make_unique<QApplication>(argc, argv);
  } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    return false;
  }
  SystemDialog dialog(active, centreX, top);
  return dialog.Run(chosen);
}

}  // namespace veltro::wgsxyz
