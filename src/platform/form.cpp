#include "platform/form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <vector>

#include "platform/guard.h"
#include "platform/widgets.h"

namespace kt::ui {
namespace {

// The windows shown through ShowModal, innermost last. The window that opened a
// modal window is the one whose activation handler runs again when it closes;
// message boxes and the folder browser never enter here.
std::vector<Form*>& ModalStack() {
  static std::vector<Form*> stack;
  return stack;
}

// Outer size less client size of the classic window frame.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 34;

}  // namespace

Form::Form(QWidget* parent) : QDialog(parent) {
  setFont(DesignFont());
  setSizeGripEnabled(false);
}

void Form::SetCaption(const QString& caption) { setWindowTitle(caption); }

void Form::SetOuterSize(int width, int height) {
  SetClientSize(width - kFrameWidth, height - kFrameHeight);
}

void Form::SetClientSize(int width, int height) {
  if (fixedBorder_) {
    setFixedSize(width, height);
  } else {
    resize(width, height);
  }
}

void Form::SetFixedBorder() {
  fixedBorder_ = true;
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(size());
}

void Form::SetSizeableBorder() {
  fixedBorder_ = false;
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

int Form::ShowModal() {
  auto& stack = ModalStack();
  Form* opener = stack.empty() ? qobject_cast<Form*>(QApplication::activeWindow()) : stack.back();
  if (opener == this) opener = nullptr;
  stack.push_back(this);
  setWindowModality(Qt::ApplicationModal);
  const int result = exec();
  stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
  // Closing a modal window gives the activation back to its opener.
  if (opener != nullptr && opener->isVisible()) {
    opener->activateWindow();
    opener->RunOnActivate();
  }
  return result;
}

void Form::ShowNonModal() {
  if (!isVisible()) {
    setWindowModality(Qt::NonModal);
    show();
  }
  raise();
  activateWindow();
}

void Form::CloseForm() { done(QDialog::Rejected); }

int Form::RunMessageLoop(Form& mainWindow) {
  QApplication::setQuitOnLastWindowClosed(false);
  // exit() rather than quit(): it ends every running loop, the nested loops of
  // modal windows included, and asks no other window whether it may close.
  const QMetaObject::Connection ending =
      connect(&mainWindow, &QDialog::finished, qApp, [] { QCoreApplication::exit(0); });
  mainWindow.ShowNonModal();
  const int result = QApplication::exec();
  disconnect(ending);
  return result;
}

void Form::setVisible(bool visible) {
  const bool showing = visible && !isVisible();
  QSize outer;
  if (showing) {
    CentreOnScreen();
    outer = frameGeometry().size();
  }
  QDialog::setVisible(visible);
  if (!showing || !isVisible()) return;
  // The frame is known only once the window is on screen the first time.
  if (frameGeometry().size() != outer) CentreOnScreen();
  RunOnActivate();
}

void Form::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) {
    Guarded([this] { OnShow(); });
  }
}

void Form::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void Form::CentreOnScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize outer = frameGeometry().size();
  move(area.x() + (area.width() - outer.width()) / 2,
       area.y() + (area.height() - outer.height()) / 2);
}

void Form::RunOnActivate() {
  Guarded([this] { OnActivate(); });
}

}  // namespace kt::ui
