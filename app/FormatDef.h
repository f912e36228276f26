// TfrmFormatDef, "Formatdefinition": draws, names, stores, loads and deletes
// the line templates of the template format. It edits the template format's
// current definition one section page at a time (point sections or
// levelling sections), inserts field runs from the field tool bars
//
//   Y button, both alignment buttons up:   [YYYYY.YY]
//   "Linksbündig" down:                     <YYYYY.YY]
//
// and shows a column ruler over up to 20 lines of a sample file. The field
// letters are the accelerator letters of the field buttons. Definitions go
// to the settings ("NewFormat\<name>\") and to "<name>.Format" files.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "formats/office/TemplateDefinition.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QMainWindow;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QTextEdit;
class QToolBar;

namespace veltro {

class TdmNewFormat;
class TGeraete;

class TfrmFormatDef : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSampleLines = 20;
  static constexpr int kToolbarCount = 11;
  static constexpr int kMinSampleHeight = 40;  // pixels
  static constexpr int kMinEditorHeight = 70;

  // name: the definition shown first (may be empty).
  TfrmFormatDef(TdmNewFormat& module, const std::string& name, QWidget* parent = nullptr);
  ~TfrmFormatDef() override;

  // Whether the selected instrument is a levelling instrument (the window
  // then opens on the levelling sections). Default: no.
  std::function<bool()> levellingInstrument;
  // File choices; true and the path when confirmed.
  std::function<bool(std::string& path)> chooseSampleFile;
  std::function<bool(std::string& path)> chooseFormatFile;

  // ---- Actions ---------------------------------------------------------------
  void NewClick();
  void ClearClick();
  void DeleteClick();
  // Stores the page and the definition under the name box's name; false
  // (nothing saved) without a usable name.
  bool SaveClick();
  bool SaveToFileClick();
  void LoadFromFileClick();
  // The first 20 lines of the file into the sample view; false (view
  // unchanged) when it cannot be read.
  bool LoadSample(const std::string& path);
  // Stores the visible page and shows the other page set.
  bool SwitchPageSet();
  // Units dialog; its closing marks the definition as changed.
  void UnitsClick();
  void OkClick();
  void CancelClick();
  // Inserts the run of field `field` of the active section at the cursor.
  void InsertField(int field);

  // ---- State -----------------------------------------------------------------
  std::string Name() const;
  bool Changed() const { return changed_; }
  bool LevellingShown() const { return levelling_; }
  int CurrentSection() const { return section_; }
  // Leaves the active page for another section of the visible set; false
  // (page stays) when its title-line count is unusable.
  bool ShowSection(int section);
  // Translates the window; the Y and X buttons exchange their captions where
  // the axes are named the other way round. Done on activation.
  void Translate();
  // Rebuilds the field letters from the button captions (done on activation).
  void RebuildLetters();
  QToolBar* FieldToolbar(int section) const;
  QAction* FieldButton(int section, int field) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void done(int result) override;

 private:
  struct Page {
    QWidget* tab = nullptr;
    QPlainTextEdit* editor = nullptr;
    QCheckBox* fixed = nullptr;
    QLineEdit* titleLines = nullptr;
  };
  struct ToolbarPlace {
    int left = 0, top = 0, width = 0, height = 0;  // relative to the window
    int state = 0;                                 // 0 docked, 1 float when entered, 2 floating now
  };

  void BuildFieldToolbars();
  void Load(const std::string& name);
  void FillPage(int section);
  bool StorePage(int section);
  void EnterPage(int section);
  void LeavePage(int section);
  void SetChanged(bool changed);
  void RefreshNames();
  bool CheckedName(std::string& name);
  // Unsaved changes: asks 208, Yes saves; false when the caller must stop.
  bool OfferToSave();
  void NameChosen(int index);
  QTabWidget* Pages() const;
  void ReadToolbarPlaces();
  void WriteWindowSettings();
  void RestoreToolbar(int toolbar);
  void NoteToolbar(int toolbar);

  TdmNewFormat& module_;
  std::string initialName_;
  std::string loadedName_;
  bool changed_ = false;
  bool levelling_ = false;
  bool filling_ = false;
  int section_ = -1;
  std::array<Page, kTemplateSectionCount> pages_{};
  std::array<std::vector<QAction*>, kTemplateSectionCount> buttons_{};
  std::array<QToolBar*, kToolbarCount> toolbars_{};
  std::array<ToolbarPlace, kToolbarCount> places_{};
  QComboBox* nameBox_ = nullptr;
  QMainWindow* host_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QTabWidget* pointPages_ = nullptr;
  QTabWidget* levelPages_ = nullptr;
  QPlainTextEdit* comments_ = nullptr;
  QTextEdit* sample_ = nullptr;
  QWidget* columnLine_ = nullptr;
  QAction* actSave_ = nullptr;
  QAction* actLeft_ = nullptr;
  QAction* actRight_ = nullptr;
  QAction* actColumnLine_ = nullptr;
};

// Opens the window modally on the template format's definition `name` (the
// "Neues Format definieren" button, a double click on the template page's
// format box). On return name is the name shown last and names holds the
// stored definition names.
void ShowFormatDef(TdmNewFormat& module, TGeraete& geraete, std::string& name, std::vector<std::string>& names,
                   QWidget* parent = nullptr);

}  // namespace veltro
