#pragma once
// Helpers shared by the conversion and editor window tests.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/cp932.h"
#include "gui_support.h"

namespace kt::test {

inline std::string Sjis(const char* utf8) { return kt::cp932::FromUtf8(utf8); }
inline std::string Sjis(const QString& text) { return Sjis(text.toUtf8().constData()); }

inline std::vector<std::string> Names(std::initializer_list<const char*> utf8) {
  std::vector<std::string> names;
  for (const char* name : utf8) names.push_back(Sjis(name));
  return names;
}

inline std::string CrLfs(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "\r\n";
  return text;
}

inline void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Opens the drop-down list and picks an item with the keyboard, as a user does.
inline void PickItem(QComboBox* combo, int index) {
  combo->showPopup();
  QAbstractItemView* list = combo->view();
  list->setCurrentIndex(combo->model()->index(index, 0));
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_FALSE(list->isVisible()) << "the list did not close";
  EXPECT_EQ(combo->currentIndex(), index);
}

// Selects the whole text field and deletes it, as typed edits.
inline void ClearText(QComboBox* combo) {
  QLineEdit* field = combo->lineEdit();
  field->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), QString());
}

class ConversionUiTest : public GuiTest {
 protected:
  bool FolderIsEmpty() const {
    return QDir(QString::fromStdString(data.Path())).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  int FileCount() const {
    return static_cast<int>(QDir(QString::fromStdString(data.Path())).entryList(QDir::Files).size());
  }
};

}  // namespace kt::test
