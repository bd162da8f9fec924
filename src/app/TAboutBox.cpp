#include "app/TAboutBox.h"

#include <QPixmap>

#include "platform/guard.h"
#include "platform/widgets.h"

TAboutBox::TAboutBox() {
  SetFixedBorder();
  SetCaption(QStringLiteral("バージョン情報"));
  SetClientSize(320, 267);

  // A lowered outer bevel around a raised inner one.
  Panel1 = new QFrame(this);
  Panel1->setGeometry(8, 8, 305, 217);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setLineWidth(1);
  auto* inner = new QFrame(Panel1);
  inner->setGeometry(1, 1, 303, 215);
  inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
  inner->setLineWidth(1);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setGeometry(24, 16, 51, 51);
  ProgramIcon->setScaledContents(true);
  ProgramIcon->setPixmap(QPixmap(QStringLiteral(":/kototsugi/picture51.png")));

  ProductName = new QLabel(Panel1);
  ProductName->setTextFormat(Qt::PlainText);
  ProductName->setWordWrap(true);
  ProductName->setText(QStringLiteral("ことつぎ Ver") + QStringLiteral(KOTOTSUGI_VERSION));
  ProductName->setGeometry(96, 13, 61, ProductName->heightForWidth(61));

  OKButton = kt::ui::MakeButton(this, QStringLiteral("OK"), 239, 236, 75, 25);
  OKButton->setDefault(true);
  kt::ui::OnClick(OKButton, this, &TAboutBox::OKButtonClick);
}

void TAboutBox::OKButtonClick() { CloseForm(); }
