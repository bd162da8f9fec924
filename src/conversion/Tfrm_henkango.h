#pragma once
// The result window: the converted text of the last single conversion and its
// byte count. It keeps both while hidden, until the next conversion.

#include <QLabel>
#include <QPushButton>

#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_henkango : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_henkango();

  kt::ui::ShapeRect* Shape1;
  QLabel* lbla;
  kt::ui::SjisMemo* Memob;
  QPushButton* Button2;

 private slots:
  void Button2Click();
};
