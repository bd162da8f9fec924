#include "app/windows.h"

#include <QGuiApplication>
#include <QIcon>
#include <new>

#include "app/TAboutBox.h"
#include "app/Tfrm_main.h"
#include "batch/Tfrm_beforeittkatu.h"
#include "batch/Tfrm_henkancyu.h"
#include "batch/Tfrm_kakucyoushi.h"
#include "conversion/Tfrm_ChangeBefore.h"
#include "conversion/Tfrm_henkango.h"
#include "definitions/Tfrm_teigi.h"

Tfrm_main* frm_main = nullptr;
Tfrm_henkango* frm_henkango = nullptr;
Tfrm_teigi* frm_teigi = nullptr;
Tfrm_ChangeBefore* frm_ChangeBefore = nullptr;
TAboutBox* AboutBox = nullptr;
Tfrm_beforeittkatu* frm_beforeittkatu = nullptr;
Tfrm_kakucyoushi* frm_kakucyoushi = nullptr;
Tfrm_henkancyu* frm_henkancyu = nullptr;

static void InitResources() { Q_INIT_RESOURCE(kototsugi); }

namespace kt::ui {
namespace {

// The instance is stored in its global before its constructor runs, so a window
// may reach itself through its global while it is being built.
template <class Window>
void Create(Window*& instance) {
  void* memory = ::operator new(sizeof(Window));
  instance = static_cast<Window*>(memory);
  try {
    new (memory) Window();
  } catch (...) {
    instance = nullptr;
    ::operator delete(memory);
    throw;
  }
}

template <class Window>
void Destroy(Window*& instance) {
  delete instance;
  instance = nullptr;
}

}  // namespace

void CreateWindows() {
  InitResources();
  if (QGuiApplication::windowIcon().isNull()) {
    QGuiApplication::setWindowIcon(ProgramIcon());
  }
  Create(frm_main);
  Create(frm_henkango);
  Create(frm_teigi);
  Create(frm_ChangeBefore);
  Create(AboutBox);
  Create(frm_beforeittkatu);
  Create(frm_kakucyoushi);
  Create(frm_henkancyu);
}

void DestroyWindows() {
  Destroy(frm_henkancyu);
  Destroy(frm_kakucyoushi);
  Destroy(frm_beforeittkatu);
  Destroy(AboutBox);
  Destroy(frm_ChangeBefore);
  Destroy(frm_teigi);
  Destroy(frm_henkango);
  Destroy(frm_main);
}

QIcon ProgramIcon() {
  InitResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/kototsugi/icon32.png"), QSize(32, 32));
  icon.addFile(QStringLiteral(":/kototsugi/icon256.png"), QSize(256, 256));
  return icon;
}

}  // namespace kt::ui
