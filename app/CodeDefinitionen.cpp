#include "app/CodeDefinitionen.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/CodeListTexts.h"
#include "app/Eingabe.h"
#include "app/TranslateForm.h"
#include "core/Messages.h"
#include "instruments/CodeListen.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

using codetexts::TextOr;

constexpr int kTextCaption = 330;
constexpr int kTextTargets = 337;
constexpr int kTextListName = 276;
constexpr int kTextNewCode = 334;
constexpr int kTextAddCode = 331;
constexpr int kTextEditCode = 332;
constexpr int kTextDeleteCode = 333;
constexpr int kTextDeleteCodeList = 313;
constexpr int kTextInvalidListName = 710;
constexpr int kTextInvalidCode = 711;

// Target names by target number, used while the language has none.
const std::vector<std::string> kTargetNames = {"Projekt",
                                               "Beobachter",
                                               "Instrument",
                                               "Datum",
                                               "Uhrzeit",
                                               "Datum und Uhrzeit",
                                               "Temperatur",
                                               "Luftdruck",
                                               "Temperatur und Luftdruck",
                                               "Stationsnummer",
                                               "Stationscode",
                                               "Instrumentenh\xF6he",
                                               "Punktcode",
                                               "Punktart",
                                               "Reflektorh\xF6he",
                                               "Querverschiebung",
                                               "L\xE4ngsverschiebung",
                                               "Vertikalverschiebung",
                                               "Nicht auswerten",
                                               "Anmerkung 1",
                                               "Anmerkung 2",
                                               "Mutationsnummer",
                                               "Kommentar"};

// The name box reloads the stored list names whenever it drops down.
class CodeListNameBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> beforePopup;
  void showPopup() override {
    if (beforePopup) beforePopup();
    QComboBox::showPopup();
  }
};

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text) {
  auto* button = new QPushButton(FromAnsi(text), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);  // Enter in the fields never closes the window
  return button;
}

bool IsReturn(QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

}  // namespace

TfrmGSICodeTabelle::TfrmGSICodeTabelle(QWidget* parent) : QDialog(parent) {
  setObjectName("TfrmGSICodeTabelle");
  SetTextNumber(this, kTextCaption);
  setWindowTitle(FromAnsi("Codedefinitionen f\xFCr GSI Datenformat"));
  askParameter = [this](int target, std::string& parameter) { return AskTargetParameter(this, target, parameter); };

  codeListe_ = new QListWidget(this);
  codeListe_->setObjectName("CodeListe");
  codeListe_->installEventFilter(this);
  newCode_ = new QLabel("Neuer Code:", this);
  newCode_->setObjectName("NewCode");
  changeCode_ = new QLabel(FromAnsi("Zu \xE4ndernder Code:"), this);
  changeCode_->setObjectName("ChangeCode");
  codeEdit_ = new QLineEdit(this);
  codeEdit_->setObjectName("CodeEdit");
  codeEdit_->installEventFilter(this);
  newCode_->setBuddy(codeEdit_);
  changeCode_->setBuddy(codeEdit_);

  auto* infos = new QGridLayout;
  for (int i = 0; i < 8; ++i) {
    editInfo_[i] = new QComboBox(this);
    editInfo_[i]->setObjectName(QString("EditInfo%1").arg(i + 1));
    editInfo_[i]->setMinimumContentsLength(24);
    editInfo_[i]->installEventFilter(this);
    editInfo_[i]->addItems(codetexts::Items(kTextTargets, kTargetNames));
    SetTextNumber(editInfo_[i], kTextTargets);
    infoLabel_[i] = new QLabel(QString("Info &%1:").arg(i + 1), this);
    infoLabel_[i]->setObjectName(QString("LabelInfo%1").arg(i + 1));
    infoLabel_[i]->setBuddy(editInfo_[i]);
    infos->addWidget(infoLabel_[i], i, 0);
    infos->addWidget(editInfo_[i], i, 1);
    const int info = i + 1;
    connect(editInfo_[i], &QComboBox::activated, this, [this, info](int) { InfoChanged(info); });
  }

  auto* nameBox = new CodeListNameBox(this);
  nameBox->beforePopup = [this] { ReloadListNames(); };
  editCodelist_ = nameBox;
  editCodelist_->setObjectName("EditCodelist");
  editCodelist_->setEditable(true);
  editCodelist_->setInsertPolicy(QComboBox::NoInsert);
  editCodelist_->lineEdit()->installEventFilter(this);
  codelistLabel_ = new QLabel("Codelisten&name:", this);
  codelistLabel_->setObjectName("LabelCodelist");
  codelistLabel_->setBuddy(editCodelist_);
  SetTextNumber(codelistLabel_, kTextListName);
  SetTextNumber(newCode_, kTextNewCode);
  connect(editCodelist_, &QComboBox::activated, this,
          [this](int index) { CodeListChosen(editCodelist_->itemText(index)); });

  addCode_ = MakeButton(this, "AddCode", "Codes &hinzuf\xFCgen");
  editCode_ = MakeButton(this, "EditCode", "Codes &\xE4ndern");
  deleteCode_ = MakeButton(this, "DeleteCode", "Code &l\xF6schen");
  deleteCodeList_ = MakeButton(this, "DeleteCodeList", "Co&deliste l\xF6schen");
  SetTextNumber(addCode_, kTextAddCode);
  SetTextNumber(editCode_, kTextEditCode);
  SetTextNumber(deleteCode_, kTextDeleteCode);
  SetTextNumber(deleteCodeList_, kTextDeleteCodeList);
  ende_ = MakeButton(this, "Ende", "&Ok");
  abbrechen_ = MakeButton(this, "Abbrechen", "Ab&brechen");
  connect(addCode_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::AddCodeClick);
  connect(editCode_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::EditCodeClick);
  connect(deleteCode_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::DeleteCodeClick);
  connect(deleteCodeList_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::DeleteCodeListClick);
  connect(ende_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::OkClick);
  connect(abbrechen_, &QPushButton::clicked, this, &TfrmGSICodeTabelle::reject);
  connect(codeListe_, &QListWidget::currentRowChanged, this, &TfrmGSICodeTabelle::ShowDefinition);
  connect(codeListe_, &QListWidget::itemDoubleClicked, this, [this] { EditCodeClick(); });

  auto* left = new QVBoxLayout;
  left->addWidget(codeListe_);
  left->addWidget(newCode_);
  left->addWidget(changeCode_);
  left->addWidget(codeEdit_);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(infos);
  auto* name = new QHBoxLayout;
  name->addWidget(codelistLabel_);
  name->addWidget(editCodelist_, 1);
  auto* buttons = new QGridLayout;
  buttons->addWidget(addCode_, 0, 0);
  buttons->addWidget(editCode_, 0, 1);
  buttons->addWidget(deleteCode_, 0, 2);
  buttons->addWidget(deleteCodeList_, 1, 0);
  buttons->addWidget(ende_, 1, 1);
  buttons->addWidget(abbrechen_, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(name);
  layout->addLayout(buttons);

  HideCodeEdit();
  ReloadListNames();
  rememberedName_ = CodeLists().CurrentList;
  editCodelist_->setEditText(FromAnsi(rememberedName_));
}

void TfrmGSICodeTabelle::Translate() { TranslateForm(this); }

void TfrmGSICodeTabelle::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;
  // The window lives as long as the program: every showing starts afresh
  // from the current list, which Cancel returns to.
  rememberedName_ = CodeLists().CurrentList;
  mode_ = CodeEditMode::None;
  HideCodeEdit();
  ReloadListNames();
  editCodelist_->setEditText(FromAnsi(rememberedName_));
  Translate();
  ShowCodeList();
}

void TfrmGSICodeTabelle::ReloadListNames() {
  const QString text = editCodelist_->currentText();
  editCodelist_->clear();
  for (const std::string& name : CodeListNames()) editCodelist_->addItem(FromAnsi(name));
  editCodelist_->setCurrentIndex(-1);
  editCodelist_->setEditText(text);
}

void TfrmGSICodeTabelle::ClearInfos() {
  for (QComboBox* box : editInfo_) box->setCurrentIndex(-1);
}

void TfrmGSICodeTabelle::HideCodeEdit() {
  newCode_->hide();
  changeCode_->hide();
  codeEdit_->hide();
}

void TfrmGSICodeTabelle::ShowCodeList() {
  ReloadCodeDefinitions();
  const QSignalBlocker block(codeListe_);
  codeListe_->clear();
  for (const std::string& definition : CodeLists().Definitions)
    codeListe_->addItem(FromAnsi(DefinitionCode(definition)));
  if (codeListe_->count() > 0) {
    codeListe_->setCurrentRow(0);
    ShowDefinition(0);
  } else {
    ClearInfos();
  }
}

void TfrmGSICodeTabelle::ShowDefinition(int index) {
  const TextLines& definitions = CodeLists().Definitions;
  if (index < 0 || index >= static_cast<int>(definitions.size())) {
    ClearInfos();
    return;
  }
  for (int i = 0; i < 8; ++i) {
    const int target = TargetNumber(TargetField(definitions[index], i + 1));
    editInfo_[i]->setCurrentIndex(target < editInfo_[i]->count() ? target : -1);
  }
}

void TfrmGSICodeTabelle::AddCodeClick() {
  mode_ = CodeEditMode::Add;
  changeCode_->hide();
  newCode_->show();
  codeEdit_->clear();
  codeEdit_->show();
  codeEdit_->setFocus();
}

void TfrmGSICodeTabelle::EditCodeClick() {
  if (codeListe_->currentRow() < 0) return;
  mode_ = CodeEditMode::Change;
  newCode_->hide();
  changeCode_->show();
  codeEdit_->setText(codeListe_->currentItem()->text());
  codeEdit_->show();
  codeEdit_->setFocus();
  codeEdit_->selectAll();
}

void TfrmGSICodeTabelle::FinishCodeEdit() {
  if (finishing_ || mode_ == CodeEditMode::None) return;
  finishing_ = true;
  const std::string code = ToAnsi(codeEdit_->text().trimmed());
  if (code.find(kCodeFieldEnd) != std::string::npos) {
    // A ";" would shift every target of the definition.
    ShowMessageBox(FormatText(TextOr(kTextInvalidCode, "Ein Code darf kein \";\" enthalten: %s"), {code}), kMsgError,
                   kBtnOk);
    finishing_ = false;
    codeEdit_->setFocus();
    return;
  }
  TextLines& definitions = CodeLists().Definitions;
  if (!code.empty()) {
    if (mode_ == CodeEditMode::Add) {
      codeListe_->addItem(FromAnsi(code));
      const int row = codeListe_->count() - 1;
      const size_t at = std::min(static_cast<size_t>(row), definitions.size());
      definitions.insert(definitions.begin() + static_cast<std::ptrdiff_t>(at), NewCodeDefinition(code));
      codeListe_->setCurrentRow(row);
      ClearInfos();
    } else {
      const int row = codeListe_->currentRow();
      if (row >= 0) {
        codeListe_->item(row)->setText(FromAnsi(code));
        if (row < static_cast<int>(definitions.size()))
          definitions[row] = ReplaceDefinitionCode(definitions[row], code);
      }
    }
    CodeLists().StationCodes = BuildStationCodes(definitions);
  }
  mode_ = CodeEditMode::None;
  HideCodeEdit();
  finishing_ = false;
}

void TfrmGSICodeTabelle::DeleteCodeClick() {
  const int row = codeListe_->currentRow();
  if (row < 0 || codeListe_->count() == 0) return;
  TextLines& definitions = CodeLists().Definitions;
  if (row < static_cast<int>(definitions.size())) definitions.erase(definitions.begin() + row);
  CodeLists().StationCodes = BuildStationCodes(definitions);
  {
    const QSignalBlocker block(codeListe_);
    delete codeListe_->takeItem(row);
  }
  const int next = std::min(row, codeListe_->count() - 1);
  if (next >= 0) {
    const QSignalBlocker block(codeListe_);
    codeListe_->setCurrentRow(next);
  }
  ShowDefinition(next);
}

void TfrmGSICodeTabelle::InfoChanged(int info) {
  const int row = codeListe_->currentRow();
  TextLines& definitions = CodeLists().Definitions;
  if (row < 0 || row >= static_cast<int>(definitions.size())) return;
  const std::string old = definitions[row];
  std::string text = DefinitionCode(old) + kCodeFieldEnd;
  for (int i = 1; i <= kCodeTargetCount; ++i) {
    const int target = editInfo_[i - 1]->currentIndex();
    std::string parameter = KeptParameter(TargetField(old, i), target);
    if (i == info && TargetHasParameter(target) && askParameter) {
      std::string asked = parameter;
      if (askParameter(target, asked)) parameter = asked;
    }
    text += TargetFieldText(target, parameter) + kCodeFieldEnd;
  }
  definitions[row] = text;
  CodeLists().StationCodes = BuildStationCodes(definitions);
}

void TfrmGSICodeTabelle::CodeListChosen(const QString& name) {
  const std::string chosen = ToAnsi(name);
  if (chosen.empty() || SameCodeListName(chosen, CodeLists().CurrentList)) return;
  SaveCodeDefinitions();
  const std::string stored = StoredCodeListName(chosen);
  CodeLists().CurrentList = stored.empty() ? chosen : stored;
  editCodelist_->setEditText(FromAnsi(CodeLists().CurrentList));
  ShowCodeList();
}

bool TfrmGSICodeTabelle::LeaveCodeListName() {
  CodeListState& state = CodeLists();
  const std::string name = ToAnsi(editCodelist_->currentText().trimmed());
  if (name.empty() || SameCodeListName(name, state.CurrentList)) {
    editCodelist_->setEditText(FromAnsi(state.CurrentList));
    return true;
  }
  if (!IsValidCodeListName(name)) {
    editCodelist_->setEditText(FromAnsi(state.CurrentList));
    ShowMessageBox(FormatText(TextOr(kTextInvalidListName,
                                     "Der Name \"%s\" kann keine Codeliste benennen: \"\\\" und \"/\" sind nicht "
                                     "erlaubt."),
                              {name}),
                   kMsgError, kBtnOk);
    editCodelist_->setFocus();
    return false;
  }
  // The list shown so far is kept before another one is shown or begun.
  SaveCodeDefinitions();
  const std::string stored = StoredCodeListName(name);
  if (!stored.empty()) {
    state.CurrentList = stored;
    editCodelist_->setEditText(FromAnsi(stored));
    ShowCodeList();
  } else {
    state.CurrentList = name;
    state.Definitions.clear();
    state.StationCodes.clear();
    const QSignalBlocker block(codeListe_);
    codeListe_->clear();
    ClearInfos();
  }
  return true;
}

void TfrmGSICodeTabelle::DeleteCodeListClick() {
  const std::string shown = ToAnsi(editCodelist_->currentText().trimmed());
  if (CodeListExists(shown)) DeleteCodeList(shown);
  CodeListState& state = CodeLists();
  state.CurrentList.clear();
  state.Definitions.clear();
  state.StationCodes.clear();
  {
    const QSignalBlocker block(codeListe_);
    codeListe_->clear();
  }
  ClearInfos();
  ReloadListNames();
  editCodelist_->setEditText(QString());
}

void TfrmGSICodeTabelle::OkClick() {
  FinishCodeEdit();
  if (mode_ != CodeEditMode::None) return;  // the code typed was refused
  if (!SameCodeListName(ToAnsi(editCodelist_->currentText()), CodeLists().CurrentList) && !LeaveCodeListName()) return;
  SaveCodeDefinitions();
  accept();
}

void TfrmGSICodeTabelle::reject() {
  // Back to the list that was current, as stored: switches and unsaved
  // changes of this session are not left in use.
  mode_ = CodeEditMode::None;
  CodeLists().CurrentList = rememberedName_;
  ReloadCodeDefinitions();
  QDialog::reject();
}

bool TfrmGSICodeTabelle::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == codeListe_) {
      const QString text = key->text();
      if (text == "-") {
        AddCodeClick();
        return true;
      }
      if (text == ".") {
        DeleteCodeClick();
        return true;
      }
      if (text == "r") {
        EditCodeClick();
        return true;
      }
    } else if (watched == codeEdit_ && IsReturn(key)) {
      FinishCodeEdit();
      if (mode_ == CodeEditMode::None) focusNextChild();
      return true;
    } else if (watched == editCodelist_->lineEdit() && IsReturn(key)) {
      LeaveCodeListName();
      return true;
    } else if (key->key() == Qt::Key_Delete) {
      for (int i = 0; i < 8; ++i) {
        if (watched == editInfo_[i]) {
          editInfo_[i]->setCurrentIndex(-1);
          InfoChanged(i + 1);
          return true;
        }
      }
    }
  } else if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    const bool leaves = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
    if (watched == codeEdit_ && leaves) FinishCodeEdit();
    if (watched == editCodelist_->lineEdit() && leaves && isVisible()) LeaveCodeListName();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace veltro
