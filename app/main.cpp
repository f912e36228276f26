// TransferVeltro, the program:
//   TransferVeltro [NewDesign|ADMIN|HINT] [--screenshot FILE.png]
// --screenshot saves a picture of the main window once it is shown and ends
// the program (tests, documentation).
#include <QApplication>
#include <QPixmap>
#include <string>
#include <vector>

#include "app/ProgramStart.h"
#include "app/TransVeltro.h"
#include "platform/MessageBox.h"
#include "platform/qt/QtMessageBox.h"

int main(int argc, char** argv) {
  using namespace veltro;
  QApplication app(argc, argv);
  std::vector<std::string> arguments;
  std::string screenshot;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--screenshot" && a + 1 < argc)
      screenshot = argv[++a];
    else
      arguments.push_back(arg);
  }
  QtMessageBox messages;
  SetMessageBoxBackend(&messages);
  InstallQtMessagePump();
  int result = 0;
  {
    TransferVeltroProgram program(arguments, screenshot.empty());
    TfrmSurtrans& window = program.MainWindow();
    messages.SetParent(&window);
    window.show();
    if (!screenshot.empty()) {
      app.processEvents();
      result = window.grab().save(QString::fromLocal8Bit(screenshot.c_str())) ? 0 : 1;
    } else {
      result = app.exec();
    }
  }
  SetMessageBoxBackend(nullptr);
  return result;
}
