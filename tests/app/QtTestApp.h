// The one QApplication of the GUI test program (offscreen), created on first
// use and shared by every test.
#pragma once

#include <QApplication>

namespace veltro::test {

inline QApplication& QtTestApp() {
  static int argc = 1;
  static char name[] = "tests_app";
  static char* argv[] = {name, nullptr};
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace veltro::test
