#include "app/Tfrm_main.h"

#include <sys/stat.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "app/TAboutBox.h"
#include "app/windows.h"
#include "batch/Tfrm_beforeittkatu.h"
#include "conversion/Tfrm_ChangeBefore.h"
#include "core/bytes.h"
#include "core/error.h"
#include "core/files.h"
#include "definitions/Tfrm_teigi.h"
#include "platform/codec_qt.h"
#include "platform/guard.h"
#include "platform/ui_services.h"

using kt::ui::MakeButton;
using kt::ui::OnClick;

Tfrm_main::Tfrm_main() {
  SetSizeableBorder();
  SetCaption(QStringLiteral("ことつぎ"));
  SetOuterSize(479, 557);

  Shape1 = new kt::ui::ShapeRect(this, QColor(192, 220, 192), Qt::black);
  Shape1->setGeometry(8, 8, 449, 33);
  lblb = new QLabel(this);
  lblb->setFont(kt::ui::DesignFont(12, true));
  lblb->setTextFormat(Qt::PlainText);
  lblb->move(16, 16);
  lblb->adjustSize();

  // Created in tab order, which Qt takes as the focus chain.
  Memob = new kt::ui::SjisMemo(this);
  Memob->setGeometry(8, 52, 449, 381);
  Button3 = MakeButton(this, QStringLiteral("変換定義指定"), 176, 440, 89, 33);
  Button5 = MakeButton(this, QStringLiteral("クリア"), 272, 440, 89, 33);
  Button1 = MakeButton(this, QStringLiteral("変　　換"), 368, 440, 89, 33);
  Button6 = MakeButton(this, QStringLiteral("一括変換"), 272, 480, 89, 33);
  Button2 = MakeButton(this, QStringLiteral("終　　了"), 368, 480, 89, 33);
  Button4 = MakeButton(this, QStringLiteral("バージョン情報"), 8, 440, 89, 33);

  OnClick(Button1, this, &Tfrm_main::Button1Click);
  OnClick(Button2, this, &Tfrm_main::Button2Click);
  OnClick(Button3, this, &Tfrm_main::Button3Click);
  OnClick(Button4, this, &Tfrm_main::Button4Click);
  OnClick(Button5, this, &Tfrm_main::Button5Click);
  OnClick(Button6, this, &Tfrm_main::Button6Click);

  setAcceptDrops(true);
}

void Tfrm_main::Button1Click() {
  Textb = Memob->Text();
  lblb->setText(kt::ui::FromSjis(kt::ByteCountText(Textb)));
  lblb->adjustSize();
  frm_ChangeBefore->Cmb_Teigi->SetItemIndex(-1);
  frm_ChangeBefore->Cmb_Teigi->SetText("");
  frm_ChangeBefore->ShowModal();
}

void Tfrm_main::Button2Click() { CloseForm(); }

void Tfrm_main::Button3Click() { frm_teigi->ShowModal(); }

void Tfrm_main::Button4Click() { AboutBox->ShowNonModal(); }

void Tfrm_main::Button5Click() { Memob->Clear(); }

void Tfrm_main::Button6Click() {
  frm_beforeittkatu->ListBox1->clear();
  frm_beforeittkatu->BEdit->SetText("");
  frm_beforeittkatu->AEdit->SetText("");
  frm_beforeittkatu->Cmb_Teigi->SetItemIndex(-1);
  frm_beforeittkatu->Cmb_Teigi->SetText("");
  frm_beforeittkatu->ShowModal();
}

void Tfrm_main::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Tfrm_main::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Tfrm_main::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  event->acceptProposedAction();
  OnDropFiles(paths);
}

void Tfrm_main::OnDropFiles(const QStringList& paths) {
  kt::ui::Guarded([&] {
    if (paths.size() > 1) {
      kt::ui::ShowSystemError(QStringLiteral("複数のファイルを表示する事はできません。"));
      return;
    }
    if (paths.isEmpty()) return;

    const std::string path = kt::Trim(kt::ui::ToPath(paths.constFirst()));
    const kt::Error tooLarge(std::string("文字列の大きさが メモ の制限を越えました"));
    // The size is judged before reading, so a huge file is never read into memory;
    // anything but a regular file (a folder, a device, a pipe) does not open.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      throw kt::Error::CannotOpen(path);
    }
    if (st.st_size > kMemoLimitBytes) throw tooLarge;

    const std::string text = kt::NormalizeLineEnds(kt::fs::ReadWholeFileOrThrow(path));
    if (static_cast<long long>(text.size()) > kMemoLimitBytes) throw tooLarge;
    Memob->SetText(text);
  });
}
