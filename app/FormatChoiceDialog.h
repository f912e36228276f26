// The dialog "Datenformate": which format pages of the main window are
// offered. One check box per page from page 1 on ("cbFormat1", ...), in two
// columns; the model and its rules are FormatChoice (Qt-free).
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "formats/office/FormatChoice.h"

class QCheckBox;
class QPushButton;

namespace veltro {

class TfrmDatenformate : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRowSpacing = 32;  // pixels between check box rows

  // pageCaptions: the captions of all format pages in page order (page 0
  // included, it gets no box); selectedPage: the page shown at the moment.
  TfrmDatenformate(const std::vector<std::string>& pageCaptions, int mask, int selectedPage,
                   QWidget* parent = nullptr);

  // The edited mask after Ok; the mask passed in otherwise.
  int Mask() const { return mask_; }

  // The format definition editor, called by "Neues Format definieren" with
  // the current template-format name and list, which it may change. Without
  // one the button is disabled.
  using DefineFormatHandler = std::function<void(std::string& name, std::vector<std::string>& list)>;
  void SetDefineFormatHandler(DefineFormatHandler handler);
  void SetTemplateFormats(const std::string& name, const std::vector<std::string>& list);
  const std::string& TemplateFormatName() const { return templateName_; }
  const std::vector<std::string>& TemplateFormatList() const { return templateList_; }

 private:
  void BoxToggled(int box, bool checked);
  void OkClick();
  void NeuesFormatClick();

  FormatChoice choice_;
  int mask_;
  std::vector<QCheckBox*> boxes_;
  QPushButton* neuesFormat_ = nullptr;
  DefineFormatHandler defineFormat_;
  std::string templateName_;
  std::vector<std::string> templateList_;
};

}  // namespace veltro
