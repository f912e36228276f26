#include "app/Anpassen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/TransModul.h"
#include "core/Messages.h"
#include "platform/TextFile.h"
#include "platform/qt/QtMessageBox.h"

namespace veltro {
namespace {

constexpr int kTextUnknownPort = 52;
constexpr RegistryRoot kUser = RegistryRoot::CurrentUser;

QString PathText(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string PathBytes(const QString& text) { return QFile::encodeName(text).toStdString(); }

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The number after "COM" in a port text ("COM3" -> 3), or 0.
int PortNumber(const QString& text) {
  bool ok = false;
  int n = text.mid(3).toInt(&ok);
  return ok ? n : 0;
}

}  // namespace

AnpassenWerte ReadAnpassenWerte(const std::string& defaultDataPath, const std::string& defaultFormatPath) {
  AnpassenWerte w;
  w.DataPath = ReadRegString(kUser, ConfigPath(kSettingDataPath), defaultDataPath);
  w.FormatPath = ReadRegString(kUser, ConfigPath(kSettingFormatPath), defaultFormatPath);
  w.Viewer = ReadRegBool(kUser, ConfigPath(kSettingViewer), false);
  w.SaveSource = ReadRegBool(kUser, ConfigPath(kSettingSaveSource), false);
  w.WaitForRemote = WaitForRemote();
  return w;
}

void WriteAnpassenWerte(const AnpassenWerte& w) {
  RegistryBatch batch(kUser);
  WriteRegString(kUser, ConfigPath(kSettingDataPath), w.DataPath, true);
  WriteRegString(kUser, ConfigPath(kSettingFormatPath), w.FormatPath, true);
  WriteRegBool(kUser, ConfigPath(kSettingViewer), w.Viewer, true);
  WriteRegBool(kUser, ConfigPath(kSettingSaveSource), w.SaveSource, true);
  WriteRegInteger(kUser, ConfigPath(kSettingWaitForRemote), w.WaitForRemote, true);
}

std::string NotAnIntegerMessage(const std::string& text) {
  return FormatText("'%s' ist kein g\xFCltiger Integerwert", {text});
}

std::string EnterableFolder(const std::string& path) {
  QDir dir(PathText(path));
  if (!path.empty()) {
    QString p = dir.absolutePath();
    while (!QDir(p).exists()) {
      QString parent = QFileInfo(p).path();
      if (parent == p) break;
      p = parent;
    }
    if (QDir(p).exists()) return IncludeTrailingSeparator(PathBytes(p));
  }
  return IncludeTrailingSeparator(PathBytes(QDir::homePath()));
}

TfrmAnpassen::TfrmAnpassen(AnpassenWerte& werte, QWidget* parent) : QDialog(parent), werte_(werte) {
  setObjectName(QStringLiteral("frmAnpassen"));
  setWindowTitle(QStringLiteral("Anpassen"));

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  auto folderRow = [&](const char* editName, const char* buttonName, QLineEdit*& edit, QToolButton*& button) {
    auto* row = new QHBoxLayout;
    edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(editName));
    edit->setMinimumWidth(280);
    button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(buttonName));
    button->setText(QStringLiteral("..."));
    row->addWidget(edit, 1);
    row->addWidget(button);
    QLineEdit* target = edit;
    connect(button, &QToolButton::clicked, this, [this, target] { ChooseFolder(target); });
    return row;
  };
  form->addRow(QStringLiteral("Datenverzeichnis:"), folderRow("DatenDir", "DatenDirWahl", DatenDir, DatenDirWahl));
  form->addRow(QStringLiteral("Formatverzeichnis:"), folderRow("FormatDir", "FormatDirWahl", FormatDir, FormatDirWahl));

  auto* portRow = new QHBoxLayout;
  AnschlussBox = new QComboBox(this);
  AnschlussBox->setObjectName(QStringLiteral("AnschlussBox"));
  AnschlussBox->setEditable(true);
  AnschlussBox->setInsertPolicy(QComboBox::NoInsert);
  Eigenschaften_Button = new QPushButton(QStringLiteral("&Schnittstelle"), this);
  Eigenschaften_Button->setObjectName(QStringLiteral("Eigenschaften_Button"));
  portRow->addWidget(AnschlussBox, 1);
  portRow->addWidget(Eigenschaften_Button);
  form->addRow(QStringLiteral("Anschluss:"), portRow);

  auto* waitRow = new QHBoxLayout;
  edWaitForRemote = new QLineEdit(this);
  edWaitForRemote->setObjectName(QStringLiteral("edWaitForRemote"));
  waitRow->addWidget(edWaitForRemote, 1);
  waitRow->addWidget(new QLabel(QStringLiteral("ms"), this));
  form->addRow(QStringLiteral("Wartezeit:"), waitRow);
  layout->addLayout(form);

  BenutzeViewer = new QCheckBox(QStringLiteral("Sourcedaten vor Transformation bearbeiten?"), this);
  BenutzeViewer->setObjectName(QStringLiteral("BenutzeViewer"));
  SaveSource = new QCheckBox(QStringLiteral("Sourcedaten speichern?"), this);
  SaveSource->setObjectName(QStringLiteral("SaveSource"));
  layout->addWidget(BenutzeViewer);
  layout->addWidget(SaveSource);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  Ende = new QPushButton(QStringLiteral("&Ok"), this);
  Ende->setObjectName(QStringLiteral("Ende"));
  Ende->setDefault(true);
  Abbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
  Abbrechen->setObjectName(QStringLiteral("Abbrechen"));
  buttons->addWidget(Ende);
  buttons->addWidget(Abbrechen);
  layout->addLayout(buttons);

  connect(Ende, &QPushButton::clicked, this, &TfrmAnpassen::EndeClick);
  connect(Abbrechen, &QPushButton::clicked, this, &TfrmAnpassen::AbbrechenClick);
  connect(Eigenschaften_Button, &QPushButton::clicked, this, [this] {
    if (OnEigenschaften) OnEigenschaften();
  });
  FormCreate();
}

void TfrmAnpassen::FormCreate() {
  TranslateForm(*this);
  // A folder that cannot be entered is shown as the nearest one that can;
  // Ok stores what is shown.
  DatenDir->setText(PathText(EnterableFolder(werte_.DataPath)));
  FormatDir->setText(PathText(EnterableFolder(werte_.FormatPath)));
  AnschlussBox->clear();
  for (int n : werte_.Ports) AnschlussBox->addItem(QStringLiteral("COM%1").arg(n));
  int current = AnschlussBox->findText(QStringLiteral("COM%1").arg(werte_.Port));
  if (current >= 0)
    AnschlussBox->setCurrentIndex(current);
  else
    AnschlussBox->setEditText(QStringLiteral("COM%1").arg(werte_.Port));
  BenutzeViewer->setChecked(werte_.Viewer);
  SaveSource->setChecked(werte_.SaveSource);
  edWaitForRemote->setText(QString::number(werte_.WaitForRemote));
}

void TfrmAnpassen::ChooseFolder(QLineEdit* edit) {
  QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), edit->text());
  if (!chosen.isEmpty()) edit->setText(chosen);
}

bool TfrmAnpassen::EndeClick() {
  // 1. The port must be one of the list (any case). Without any port there
  // is nothing to choose and the port stays as it is.
  const QString port = AnschlussBox->currentText().trimmed();
  int portNumber = werte_.Port;
  if (AnschlussBox->count() > 0 || !port.isEmpty()) {
    int found = AnschlussBox->findText(port, Qt::MatchFixedString);  // case-insensitive
    if (found < 0) {
      ShowMessageBox(GetText(kTextUnknownPort), kMsgWarning, kBtnOk);
      AnschlussBox->setFocus();
      return false;
    }
    portNumber = PortNumber(AnschlussBox->itemText(found));
  }
  // 2. The wait time is checked before anything is stored.
  const std::string waitText = ToAnsi(edWaitForRemote->text());
  std::optional<int> wait = ParseWaitForRemote(waitText);
  if (!wait) {
    ShowMessageBox(NotAnIntegerMessage(TrimBlanks(waitText)), kMsgError, kBtnOk);
    edWaitForRemote->setText(QString::number(std::max(werte_.WaitForRemote, kMinWaitForRemote)));
    edWaitForRemote->setFocus();
    return false;
  }

  werte_.DataPath = IncludeTrailingSeparator(PathBytes(DatenDir->text().trimmed()));
  werte_.FormatPath = IncludeTrailingSeparator(PathBytes(FormatDir->text().trimmed()));
  if (TTDM* tdm = TDM()) tdm->SetDialogFolder(werte_.DataPath);
  if (portNumber > 0) werte_.Port = portNumber;
  werte_.Viewer = BenutzeViewer->isChecked();
  werte_.SaveSource = SaveSource->isChecked();
  werte_.WaitForRemote = *wait;
  edWaitForRemote->setText(QString::number(*wait));
  WriteAnpassenWerte(werte_);
  accept();
  return true;
}

void TfrmAnpassen::AbbrechenClick() { reject(); }

}  // namespace veltro
