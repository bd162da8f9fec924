#pragma once
// The definition editor: loads one of the five slots into ten before → after rows,
// a line-break option and a name, and saves them to the slot's files.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <array>

#include "definitions/definition_files.h"
#include "platform/form.h"
#include "platform/widgets.h"

class Tfrm_teigi : public kt::ui::Form {
  Q_OBJECT
 public:
  Tfrm_teigi();

  kt::ui::SjisComboBox* Cmb_Teigi;
  QCheckBox* CBkaigyou;
  kt::ui::SjisLineEdit *bedit1, *bedit2, *bedit3, *bedit4, *bedit5, *bedit6, *bedit7,
      *bedit8, *bedit9, *bedit10;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
      *Label10;
  kt::ui::SjisLineEdit *aedit1, *aedit2, *aedit3, *aedit4, *aedit5, *aedit6, *aedit7,
      *aedit8, *aedit9, *aedit10;
  QPushButton* Button2;
  QPushButton* Button1;
  // The slot last picked from the list, as the combo index "0" to "4"; empty until
  // the first pick. Typing a new name drops the combo's selection, so the save
  // needs this to know which slot is meant.
  kt::ui::SjisLineEdit* txt_itemindex;

  using EditRow = std::array<kt::ui::SjisLineEdit*, kt::kPairCount>;
  // bedit1 … bedit10 and aedit1 … aedit10, row 1 first.
  const EditRow& BeforeEdits() const { return before_; }
  const EditRow& AfterEdits() const { return after_; }

 private slots:
  void FormCreate();
  void Cmb_Teigi_Change();
  void Button2Click();
  void Button1Click();

 private:
  EditRow before_{};
  EditRow after_{};
};
