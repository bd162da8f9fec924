#include "batch/Tfrm_henkancyu.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWindow>

Tfrm_henkancyu::Tfrm_henkancyu() {
  SetCaption(QStringLiteral("一括変換中"));
  SetOuterSize(392, 94);
  SetFixedBorder();
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setGeometry(12, 19, 360, 22);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
}

void Tfrm_henkancyu::ShowOver(QWidget* owner) {
  // A modal window blocks every window but those it is the transient parent of.
  winId();
  owner->winId();
  windowHandle()->setTransientParent(owner->windowHandle());
  ShowNonModal();
}

void Tfrm_henkancyu::SetPosition(int percent) {
  ProgressBar1->setValue(percent);
  // Lets the window system map and expose the window without taking any user
  // input: a run cannot be interrupted.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  ProgressBar1->repaint();
}
