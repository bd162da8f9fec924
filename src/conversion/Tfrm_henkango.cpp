#include "conversion/Tfrm_henkango.h"

#include <QPalette>

#include "platform/guard.h"

Tfrm_henkango::Tfrm_henkango() {
  SetCaption(QStringLiteral("変換後"));
  SetOuterSize(481, 519);
  SetFixedBorder();

  Shape1 = new kt::ui::ShapeRect(this, QColor(0xA6, 0xCA, 0xF0), Qt::black);
  Shape1->setObjectName(QStringLiteral("Shape1"));
  Shape1->setGeometry(8, 8, 449, 33);

  // Created after the shape so that it is drawn over it; it has no background of
  // its own, so the shape shows through.
  lbla = new QLabel(this);
  lbla->setObjectName(QStringLiteral("lbla"));
  lbla->setFont(kt::ui::DesignFont(13, true));
  lbla->setTextFormat(Qt::PlainText);
  lbla->move(16, 16);
  lbla->setAutoFillBackground(false);
  lbla->setAttribute(Qt::WA_TranslucentBackground);
  QPalette labelPalette = lbla->palette();
  labelPalette.setColor(QPalette::WindowText, labelPalette.color(QPalette::Highlight));
  lbla->setPalette(labelPalette);
  lbla->adjustSize();

  Memob = new kt::ui::SjisMemo(this);
  Memob->setObjectName(QStringLiteral("Memob"));
  Memob->setGeometry(8, 52, 449, 381);
  Memob->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memob->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memob->setReadOnly(false);

  Button2 = kt::ui::MakeButton(this, QStringLiteral("閉じる"), 360, 440, 97, 33);
  Button2->setObjectName(QStringLiteral("Button2"));
  kt::ui::OnClick(Button2, this, &Tfrm_henkango::Button2Click);

  setTabOrder(Memob, Button2);
}

void Tfrm_henkango::Button2Click() { CloseForm(); }
