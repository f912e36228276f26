// The start picture: shown while the program starts, hidden and released by
// a timer after kStartPictureMs. The picture is drawn at run time.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QSplashScreen>
#include <QTimer>

namespace veltro {

inline constexpr int kStartPictureMs = 2000;

// The program's start picture: title, an instrument on its tripod, version.
QPixmap DrawStartPicture(const QSize& size = QSize(480, 300));

class TfrmStartBild : public QSplashScreen {
  Q_OBJECT

 public:
  TfrmStartBild();
  const QTimer& Timer() const { return timer_; }
  void StartTimer() { timer_.start(); }

 public slots:
  // Hides the window and releases it.
  void Finish();

 private:
  QTimer timer_;
};

// Shows the start picture; it releases itself after kStartPictureMs.
TfrmStartBild* ShowStartPicture();

}  // namespace veltro
