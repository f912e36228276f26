#include "app/StartBild.h"

#include <QApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QScreen>

namespace veltro {
namespace {

// Total station on its tripod, standing at (x, ground) and scaled by s.
void DrawInstrument(QPainter& p, qreal x, qreal ground, qreal s) {
  const qreal head = ground - 120 * s;
  p.setPen(QPen(QColor(70, 55, 40), 4 * s, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(x, head), QPointF(x - 38 * s, ground));
  p.drawLine(QPointF(x, head), QPointF(x + 38 * s, ground));
  p.drawLine(QPointF(x, head), QPointF(x + 6 * s, ground + 4 * s));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 60));
  p.drawRect(QRectF(x - 22 * s, head - 6 * s, 44 * s, 8 * s));  // tribrach
  p.setBrush(QColor(240, 190, 30));
  p.drawRoundedRect(QRectF(x - 16 * s, head - 44 * s, 32 * s, 38 * s), 4 * s, 4 * s);  // standards
  p.setBrush(QColor(40, 40, 40));
  p.drawRoundedRect(QRectF(x - 10 * s, head - 36 * s, 20 * s, 14 * s), 3 * s, 3 * s);  // display
  p.save();
  p.translate(x, head - 48 * s);
  p.rotate(-4);
  p.setBrush(QColor(30, 30, 30));
  p.drawRoundedRect(QRectF(-6 * s, -10 * s, 40 * s, 16 * s), 3 * s, 3 * s);  // telescope
  p.setBrush(QColor(120, 170, 220));
  p.drawEllipse(QRectF(30 * s, -8 * s, 6 * s, 12 * s));
  p.restore();
}

// Prism pole at (x, ground).
void DrawPrism(QPainter& p, qreal x, qreal ground, qreal s) {
  const qreal top = ground - 110 * s;
  for (int i = 0; i < 5; ++i) {
    p.setPen(Qt::NoPen);
    p.setBrush(i % 2 ? QColor(220, 30, 30) : QColor(245, 245, 245));
    p.drawRect(QRectF(x - 2 * s, top + i * 22 * s, 4 * s, 22 * s));
  }
  p.setBrush(QColor(240, 190, 30));
  p.drawEllipse(QPointF(x, top - 6 * s), 9 * s, 9 * s);
  p.setBrush(QColor(190, 220, 250));
  p.drawEllipse(QPointF(x, top - 6 * s), 5 * s, 5 * s);
}

}  // namespace

QPixmap DrawStartPicture(const QSize& size) {
  QPixmap pixmap(size);
  const qreal w = size.width();
  const qreal h = size.height();
  const qreal s = h / 300.0;
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0, QColor(22, 68, 128));
  sky.setColorAt(0.7, QColor(120, 175, 220));
  p.fillRect(QRectF(0, 0, w, h), sky);

  // Hills and ground.
  const qreal ground = h * 0.86;
  QPainterPath hills;
  hills.moveTo(0, ground - 40 * s);
  hills.cubicTo(w * 0.25, ground - 90 * s, w * 0.45, ground - 20 * s, w * 0.7, ground - 60 * s);
  hills.cubicTo(w * 0.85, ground - 85 * s, w * 0.95, ground - 50 * s, w, ground - 55 * s);
  hills.lineTo(w, h);
  hills.lineTo(0, h);
  hills.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 120, 60));
  p.drawPath(hills);
  p.setBrush(QColor(95, 140, 70));
  p.drawRect(QRectF(0, ground, w, h - ground));

  // The sight from the instrument to the prism, with a distance marker.
  const qreal ix = w * 0.2;
  const qreal px = w * 0.8;
  p.setPen(QPen(QColor(255, 80, 60, 200), 1.5 * s, Qt::DashLine));
  p.drawLine(QPointF(ix + 34 * s, ground - 168 * s), QPointF(px, ground - 116 * s));
  DrawInstrument(p, ix, ground, s);
  DrawPrism(p, px, ground, s);

  // Title.
  p.setPen(Qt::white);
  QFont title = QApplication::font();
  title.setPixelSize(static_cast<int>(26 * s));
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRectF(0, 14 * s, w, 36 * s), Qt::AlignHCenter, QStringLiteral("Datentransfer für Tachymeter"));
  QFont small = QApplication::font();
  small.setPixelSize(static_cast<int>(13 * s));
  p.setFont(small);
  p.drawText(QRectF(0, 52 * s, w, 20 * s), Qt::AlignHCenter, QStringLiteral("VELTRO Marten  ·  Surtrans 2.1.1.5"));
  p.setPen(QPen(QColor(255, 255, 255, 160), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
  return pixmap;
}

TfrmStartBild::TfrmStartBild() : QSplashScreen(DrawStartPicture()) {
  setObjectName(QStringLiteral("frmStartBild"));
  setAttribute(Qt::WA_DeleteOnClose);
  timer_.setSingleShot(true);
  timer_.setInterval(kStartPictureMs);
  connect(&timer_, &QTimer::timeout, this, &TfrmStartBild::Finish);
}

void TfrmStartBild::Finish() {
  timer_.stop();
  close();
}

TfrmStartBild* ShowStartPicture() {
  auto* window = new TfrmStartBild;
  window->show();
  window->raise();
  window->StartTimer();
  return window;
}

}  // namespace veltro
