#include "app/FormatChoiceDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/Messages.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

// Geometry in pixels.
constexpr int kMargin = 16;
constexpr int kBoxesTop = 44;
constexpr int kColumnWidth = 180;
constexpr int kBoxHeight = 24;
constexpr int kButtonHeight = 28;
constexpr int kButtonGap = 8;

}  // namespace

TfrmDatenformate::TfrmDatenformate(const std::vector<std::string>& pageCaptions, int mask, int selectedPage,
                                   QWidget* parent)
    : QDialog(parent),
      choice_(mask, static_cast<int>(pageCaptions.size()), selectedPage),
      mask_(mask) {
  setObjectName("frmDatenformate");
  setWindowTitle("Datenformate");

  auto* caption = new QLabel("Benutzung der Datenformate aktivieren:", this);
  caption->setObjectName("lbDatenformate");
  caption->setGeometry(kMargin, kMargin, 2 * kColumnWidth, kBoxHeight);

  for (int n = 1; n <= choice_.Boxes(); ++n) {
    auto* box = new QCheckBox(FromAnsi(pageCaptions[static_cast<size_t>(n)]), this);
    box->setObjectName(QString("cbFormat%1").arg(n));
    const int row = (n - 1) / 2;
    const int column = (n - 1) % 2;
    box->setGeometry(kMargin + column * kColumnWidth, kBoxesTop + row * kRowSpacing, kColumnWidth - kButtonGap,
                     kBoxHeight);
    box->setChecked(choice_.Checked(n));
    connect(box, &QCheckBox::toggled, this, [this, n](bool checked) { BoxToggled(n, checked); });
    boxes_.push_back(box);
  }

  const int rows = (choice_.Boxes() + 1) / 2;
  const int buttonsTop = kBoxesTop + rows * kRowSpacing + kButtonGap;
  auto* ok = new QPushButton("Ok", this);
  ok->setObjectName("Ok");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Abbrechen", this);
  cancel->setObjectName("Abbrechen");
  neuesFormat_ = new QPushButton("Neues Format definieren", this);
  neuesFormat_->setObjectName("NeuesFormat");
  neuesFormat_->setEnabled(false);
  const int wide = kColumnWidth - kButtonGap;
  const int narrow = (kColumnWidth - kButtonGap) / 2;
  neuesFormat_->setGeometry(kMargin, buttonsTop, wide, kButtonHeight);
  ok->setGeometry(kMargin + kColumnWidth, buttonsTop, narrow, kButtonHeight);
  cancel->setGeometry(kMargin + kColumnWidth + narrow + kButtonGap, buttonsTop, narrow, kButtonHeight);
  connect(ok, &QPushButton::clicked, this, [this] { OkClick(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(neuesFormat_, &QPushButton::clicked, this, [this] { NeuesFormatClick(); });

  setFixedSize(2 * kMargin + 2 * kColumnWidth, buttonsTop + kButtonHeight + kMargin);
}

void TfrmDatenformate::SetDefineFormatHandler(DefineFormatHandler handler) {
  defineFormat_ = std::move(handler);
  neuesFormat_->setEnabled(static_cast<bool>(defineFormat_));
}

void TfrmDatenformate::SetTemplateFormats(const std::string& name, const std::vector<std::string>& list) {
  templateName_ = name;
  templateList_ = list;
}

// The page in use keeps its tab: unchecking its box is refused.
void TfrmDatenformate::BoxToggled(int box, bool checked) {
  if (choice_.SetChecked(box, checked)) return;
  QCheckBox* widget = boxes_[static_cast<size_t>(box - 1)];
  {
    const QSignalBlocker blocker(widget);
    widget->setChecked(true);
  }
  ShowMessageBox(GetText(kTextSelectedPageStays), kMsgWarning, kBtnOk);
}

void TfrmDatenformate::OkClick() {
  mask_ = choice_.Mask();
  accept();
}

void TfrmDatenformate::NeuesFormatClick() {
  if (defineFormat_) defineFormat_(templateName_, templateList_);
}

}  // namespace veltro
