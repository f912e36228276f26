// The file viewer's text as a line model: the lines of an instrument file,
// the current line (the caret's line), the instrument format in force for the
// text, and the working record that the format's reader fills and its writer
// formats. No Qt: the window TfrmViewer shows the model, the record editor
// steps through it, and tests, the benchmark and the fuzz target drive it
// directly.
//
// A line is selected up to its end, or up to its first 0x1A byte (the
// end-of-file mark); what follows the mark is never handed to a format and
// is kept when the line is written back.
#pragma once

#include <functional>
#include <string>

#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

class EditorPanelSetup;
class TGeraete;
class TGeraeteFormat;

inline constexpr char kEndOfFileMark = '\x1A';

enum class ViewerDirection { Next, Previous };

// What the viewer asks of the record editor while it prepares a line.
class ViewerEditor {
 public:
  virtual ~ViewerEditor() = default;
  // The remark text of the measurement panel is cleared.
  virtual void ClearRemark() {}
  // The prepared line is no editable record.
  virtual void ShowNoData() {}
  // Shows the editor modally on the prepared record.
  virtual void EditRecord() {}
  // The panels the format's editor handlers set up while the viewer runs
  // them (OnInitEditor, and the kind and reader of a prepared line).
  virtual EditorPanelSetup* Panels() { return nullptr; }
};

class ViewerModel {
 public:
  explicit ViewerModel(TGeraete& geraete);

  // ---- Text and caret -----------------------------------------------------------
  const LineList& Lines() const { return lines_; }
  int LineCount() const { return static_cast<int>(lines_.size()); }
  // The caret's line; 0 in an empty text.
  int CurrentLine() const { return current_; }
  // Puts the caret into line (clamped to the text).
  void SetCurrentLine(int line);
  // Length of the selectable part of a line: up to the first 0x1A or the end.
  static size_t SelectionLength(std::string_view line);
  // The selected part of the current line ("" in an empty text).
  std::string SelectedText() const;

  // ---- Moves: true when the caret moved -------------------------------------------
  // One line, wrapping from the last line to the first and back.
  bool MoveLine(ViewerDirection direction);
  // Lines in direction until the format's OnEditNext answers true; one line
  // when the format has none. After a full pass without a record the caret
  // stays where it was.
  bool MoveRecord(ViewerDirection direction);
  // The first line from the top that is a record (line 0 included) and the
  // last one; line 0 and the last line without OnEditNext.
  bool FirstRecord();
  bool LastRecord();
  // The nearest line after (before) the current one that begins with one of
  // the format's MainElement markers; without one the caret stays.
  bool MoveStation(ViewerDirection direction);

  // ---- Loading and saving ---------------------------------------------------------
  // The file filter: the current instrument's Dateifilter text followed by
  // that of the instrument's format.
  std::string FileFilter() const;
  // Its default extension ("" for a bare "*").
  std::string DefaultExtension() const;
  // name with "." + extension appended when its file part has no extension.
  static std::string WithDefaultExtension(const std::string& name, const std::string& extension);

  // Opens a file: loads its lines, recognises the format (tag stored as the
  // transfer's format tag), rewrites the text with OnPrepEditor, calls
  // OnInitEditor and goes to the first record. A file that cannot be read
  // shows message 70 and leaves text, name and format as they were.
  bool OpenFile(const std::string& path);
  // Shows lines that are no file (received lines): recognised the same way,
  // a tag is only replaced when detection finds one; OnInitEditor is called.
  void ShowLines(const LineList& lines);
  // Recognition of the current text: the tag of its first 1024 characters
  // (empty for an empty text). Replaceable for tests; by default the fixed
  // candidate list of the detection.
  std::function<std::string(const std::string& text)> detect;

  // Saves under the file name; without one askSaveName is asked (the
  // default extension is added to a name without one) and a cancelled
  // question saves nothing. The lines are written with CR LF through a
  // temporary file; a failure shows message 72 and keeps the name. True
  // when the file was written.
  bool Save();
  // Asks for a new name (offering the current one) and saves under it; a
  // cancelled question or a failure keeps the old name and saves nothing.
  bool SaveAs();
  // The save question: true and the chosen name when confirmed.
  std::function<bool(std::string& name)> askSaveName;
  // Before the text is replaced or dropped: when a file with unsaved changes
  // is shown, message 568 (Yes saves, No drops them, Cancel stays). True
  // when the caller may go on.
  bool ConfirmDiscard();

  const std::string& FileName() const { return fileName_; }
  const std::string& PreviousFileName() const { return previousFileName_; }
  bool Loaded() const { return loaded_; }
  // Changed since the window was last shown (ClearModified at each show).
  bool Modified() const { return modified_; }
  void ClearModified() { modified_ = false; }
  // Changed since the text was loaded or saved.
  bool Unsaved() const { return unsaved_; }

  // ---- Format and record ----------------------------------------------------------
  // The instrument format in force for the text (nullptr before any text).
  TGeraeteFormat* Format() const { return format_; }
  void SetFormat(TGeraeteFormat* format) { format_ = format; }

  // Prepares the current line for editing: message 614 when the format does
  // not allow editing; otherwise the working record is reset, the line's
  // kind bound and the line read (a reader consuming further lines advances
  // the record's last line). True when the line is an editable record.
  bool PrepareEdit();
  // Replaces the prepared record's lines by what the bound writer answers,
  // then selects the remembered line again. A writer with OnWriteBack gets
  // the record's lines and the record as read beside the edited one and
  // replaces all its lines; OnWrite replaces only the current line unless
  // the format has MoreLine. "Error", an empty answer or no writer leave the
  // text as it is; the user is told (message 820, unless OnWriteBack said
  // why itself). True when written.
  bool WriteBack();
  // The prepared record has a writer, so saving can replace its lines.
  bool CanWriteBack() const;
  // The working record shared with the record editor; its
  // Konstanten.Startzeile and Konstanten.Zeile are the record's first and
  // last line after PrepareEdit.
  TDaten& Record() { return record_; }
  // The record as the reader filled it (before editing, or as last written).
  const TDaten& ReadRecord() const { return read_; }
  TTransferDatenart RecordKind() const { return kind_; }
  bool RecordPrepared() const { return prepared_; }
  int RecordFirstLine() const { return first_; }
  int RecordLastLine() const { return last_; }

  // Kind of a line by the format's OnGetDatenart (tdaNone without one).
  TTransferDatenart KindOf(int line) const;

  void SetEditor(ViewerEditor* editor) { editor_ = editor; }
  ViewerEditor* Editor() const { return editor_; }

  // Told after lines first .. first + removed - 1 were replaced by `added`
  // lines, and after the whole text was replaced (first 0, removed -1).
  std::function<void(int first, int removed, int added)> onLinesChanged;

 private:
  void ReplaceText(LineList lines);
  void Recognise(bool keepTagWhenUnknown);
  bool SaveUnder(bool ask);
  std::string Selection(int line) const;
  // The selections of lines first to last, CR LF between them.
  std::string RecordText(int first, int last) const;
  bool IsRecord(int line) const;
  // The first record from the top (Next) or from the bottom (Previous).
  bool EndRecord(ViewerDirection from);
  bool StartsWithMarker(std::string_view line) const;
  EditorPanelSetup* Panels() const;

  TGeraete& geraete_;
  LineList lines_;
  int current_ = 0;
  TGeraeteFormat* format_ = nullptr;
  std::string fileName_;
  std::string previousFileName_;
  bool loaded_ = false;
  bool modified_ = false;
  bool unsaved_ = false;
  bool moving_ = false;
  // Counts replacements of the text, so a move that lets messages run
  // notices a text replaced meanwhile.
  unsigned generation_ = 0;

  TDaten record_;
  TDaten read_;
  TTransferDatenart kind_ = tdaNone;
  bool prepared_ = false;
  int first_ = 0;
  int last_ = 0;
  ViewerEditor* editor_ = nullptr;
};

}  // namespace veltro
