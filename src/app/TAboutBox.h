#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "platform/form.h"

// The About window: the program's picture, its name and version.
class TAboutBox : public kt::ui::Form {
  Q_OBJECT
 public:
  TAboutBox();

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProductName;
  QPushButton* OKButton;

 private slots:
  void OKButtonClick();
};
