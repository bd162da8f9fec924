#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "platform/form.h"
#include "platform/widgets.h"

// The main window: the memo the user works in, the byte count of the text last
// sent to conversion, and the buttons that open every other window.
class Tfrm_main : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_main();

  kt::ui::ShapeRect* Shape1;
  QLabel* lblb;
  kt::ui::SjisMemo* Memob;
  QPushButton* Button3;
  QPushButton* Button5;
  QPushButton* Button1;
  QPushButton* Button6;
  QPushButton* Button2;
  QPushButton* Button4;

  // State of a single conversion, as Shift-JIS bytes; the conversion dialog
  // reads and writes it.
  std::string Textb;
  std::string Texta;
  std::string Kaigyou;

  // A text larger than this is not loaded into the memo: its widget needs about
  // ten times the file's size in memory.
  static constexpr long long kMemoLimitBytes = 64LL * 1024 * 1024;

  // Loads dropped files, given as local paths, the way a drop onto the window
  // does. Public so that tests reach it without a window system's drag.
  void OnDropFiles(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private slots:
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
};
