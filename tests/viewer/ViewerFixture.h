// The viewer on a real catalogue with the GSI module and the test format
// "Edit", dmInit, the office formats, temporary settings and the scripted
// message box; the window exists but is not shown unless a test shows it.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Fatal.h"
#include "core/TextUtils.h"
#include "core/Transfer.h"
#include "core/dmInitDaten.h"
#include "formats/instrument/CheckFormate.h"
#include "formats/instrument/GSI.h"
#include "formats/office/ASCII.h"
#include "formats/office/DFDefs.h"
#include "instruments/CodeListen.h"
#include "instruments/InstrumentenModul.h"
#include "tests/app/QtTestApp.h"
#include "tests/support/EditFormat.h"
#include "tests/support/TempSettings.h"
#include "tests/support/TransferFixture.h"
#include "viewer/Viewer.h"

namespace veltro::test {

// Records what the viewer asks of the record editor.
class RecordingEditor : public ViewerEditor {
 public:
  int clearRemark = 0;
  int noData = 0;
  int edits = 0;
  void ClearRemark() override { ++clearRemark; }
  void ShowNoData() override { ++noData; }
  void EditRecord() override { ++edits; }
};

class ViewerTest : public TransferFixture {
 protected:
  ViewerTest() {
    QtTestApp();
    SetFatalExitHandler([](int code) { throw std::runtime_error("exit " + std::to_string(code)); });
    SetSystemSeparators('.', '.', ':');
    ResetCodeLists();
    InstallTestTexts();
    geraete->WriteBackOnDestroy = false;
    geraete->ForEach<TInstrument>([](TInstrument& i) { i.Active = false; });
    Leica().Active = true;
    Leica().GeraeteFormat = geraete->Format("GSI8");
    ActivateFormat(*dfd.ASCII);
    SetTransferEnvironment({&window, &statistics, &side, &settings});
    CurrentTransfer().FormatTag.clear();
    viewer = std::make_unique<TfrmViewer>(*geraete);
    // The test format, then the fixed detection (which takes "Edit" lines
    // for GTS-7 point codes).
    Model().detect = [](const std::string& text) {
      std::string tag = EditFormat::Detect(text);
      return tag.empty() ? DetectFormat(text) : tag;
    };
    Model().SetEditor(&editor);
  }
  ~ViewerTest() override {
    viewer.reset();
    gsi.reset();
    geraete.reset();
    ResetCodeLists();
    CurrentTransfer().FormatTag.clear();
    SetTransferEnvironment({});
    SetFatalExitHandler(nullptr);
  }

  // Texts "T<n>", and the two file filters the viewer's dialogs use.
  void InstallTestTexts() {
    SetTextProvider([this](int n) -> std::string {
      if (n == 19) return instrumentFilter;
      if (n == 375) return "GSI-Dateien (*.gsi)|*.gsi|Alle Dateien (*.*)|*.*";
      return "T" + std::to_string(n);
    });
  }
  ViewerModel& Model() { return viewer->Model(); }
  TInstrument& Leica() { return *geraete->Instrument("itTPS1100"); }
  static std::string Data(const std::string& name) { return std::string(VELTRO_TEST_DATA) + "/" + name; }
  void Open(const std::string& name) { ASSERT_TRUE(Model().OpenFile(Data(name))); }
  // A file with these bytes in the temporary folder.
  std::string Write(const std::string& name, const std::string& bytes) {
    WriteFile(tmp / name, bytes);
    return tmp / name;
  }
  std::string Line(int i) { return std::string(Model().Lines().at(static_cast<size_t>(i))); }

  std::string instrumentFilter = "Tachymeterdaten (*.dat;*.txt)|*.dat;*.txt|";
  TempSettings store;
  TdmInit init;
  TDFD dfd;
  TdmASCII ascii{dfd};
  std::unique_ptr<TGeraete> geraete = std::make_unique<TGeraete>(tmp.path() + "/");
  std::unique_ptr<TdmGSI> gsi = std::make_unique<TdmGSI>(*geraete);
  EditFormat edit{*geraete};
  CatalogueInstrumentSide side{*geraete};
  RecordingEditor editor;
  std::unique_ptr<TfrmViewer> viewer;
};

}  // namespace veltro::test
