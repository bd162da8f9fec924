#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/widgets.h"

// The batch settings window: source and target folders, the extension list and
// the definition of a batch run, which its "変　換" starts.
class Tfrm_beforeittkatu : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_beforeittkatu();

  QFrame* Shape1;
  QLabel* Label1;
  QGroupBox* GroupBox1;
  kt::ui::SjisLineEdit* BEdit;  // a file-system path, not Shift-JIS
  QPushButton* Button1;
  QGroupBox* GroupBox2;
  kt::ui::SjisLineEdit* AEdit;  // likewise
  QPushButton* Button2;
  QGroupBox* GroupBox3;
  kt::ui::SjisListBox* ListBox1;
  QPushButton* Button3;
  QPushButton* btn_del;
  QGroupBox* GroupBox4;
  kt::ui::SjisComboBox* Cmb_Teigi;
  QPushButton* btn_henkan;
  QPushButton* btn_cancel;

  // The names of the source folder's regular files found by the last run's
  // checks; emptied at the start of each run and left filled afterwards.
  std::vector<std::string> LBFileList;

 protected:
  void OnActivate() override;

 private:
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void btn_delClick();
  void btn_henkanClick();
  void btn_cancelClick();
};
