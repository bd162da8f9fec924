#include "app/TAboutBox.h"

#include <QPainter>
#include <QPixmap>

#include "platform/guard.h"
#include "platform/widgets.h"

namespace {

// A panel with a lowered outer and a raised inner bevel, one pixel each, drawn
// in the classic colours whatever the widget style.
class BevelPanel : public QFrame {
 public:
  using QFrame::QFrame;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    Edge(painter, rect(), shadow, light);
    Edge(painter, rect().adjusted(1, 1, -1, -1), light, shadow);
  }

 private:
  static void Edge(QPainter& painter, const QRect& r, const QColor& topLeft,
                   const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
  }
};

}  // namespace

TAboutBox::TAboutBox() {
  SetFixedBorder();
  SetCaption(QStringLiteral("バージョン情報"));
  SetClientSize(320, 267);

  Panel1 = new BevelPanel(this);
  Panel1->setGeometry(8, 8, 305, 217);

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
