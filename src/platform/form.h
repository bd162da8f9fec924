#pragma once
// A window of the program: fixed pixel layout, centred on the screen each time it
// is shown, modal or not, with show and activation handlers that run through the
// guard. Closing a window only hides it; it lives until the program ends.

#include <QDialog>

namespace kt::ui {

class Form : public QDialog {
  Q_OBJECT
 public:
  explicit Form(QWidget* parent = nullptr);

  void SetCaption(const QString& caption);
  // Outer size as the Windows design gives it; the client area is this less the
  // classic frame (8 pixels of border across, 34 of border and caption down).
  void SetOuterSize(int width, int height);
  void SetClientSize(int width, int height);
  // A dialog border: fixed size, no minimise or maximise button.
  void SetFixedBorder();
  // A sizeable border with minimise and maximise buttons, as a main window has.
  void SetSizeableBorder();

  // Centres the window, shows it modally and returns when it has been closed.
  int ShowModal();
  // Centres the window if it is hidden, shows it and brings it to the front.
  void ShowNonModal();
  // Hides the window and ends its modal showing, if any.
  void CloseForm();

  // Shows the main window and runs the message loop until that window is closed,
  // whatever other windows are still open.
  static int RunMessageLoop(Form& mainWindow);

  // Centres the window on the screen before it becomes visible, and runs the
  // activation handler once it is.
  void setVisible(bool visible) override;

 protected:
  // Each time the window is shown.
  virtual void OnShow() {}
  // Each time the window becomes the program's active window: when it is shown,
  // and when a window of the program shown modally over it closes. Message boxes
  // and the folder browser do not count.
  virtual void OnActivate() {}

  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;  // Escape closes nothing

 private:
  void CentreOnScreen();
  void RunOnActivate();

  bool fixedBorder_ = false;
};

}  // namespace kt::ui
