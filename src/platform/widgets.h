#pragma once
// The controls the windows rely on, with the behaviour the program expects of
// them and Shift-JIS bytes at their interface.

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string>
#include <string_view>
#include <vector>

namespace kt::ui {

// Bytes set into a widget, kept beside the text shown for them: while the text is
// unchanged the bytes come back as they were, even CP932's duplicate codes and
// bytes that form no character, which a decode-encode round trip would change.
struct KeptBytes {
  QString shown;
  std::string bytes;
  std::string For(const QString& current) const;
};

// "ＭＳ Ｐゴシック" (or "ＭＳ ゴシック" when fixedPitch) at the given pixel size, with
// fallbacks to the Japanese fonts of a Debian desktop.
QFont DesignFont(int pixelSize = 12, bool fixedPitch = false);

// A push button at a fixed place. It is never an auto-default button, so Enter
// does not press it unless it is made the window's default.
QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top,
                        int width, int height);

// A filled rectangle with a 1-pixel outline.
class ShapeRect : public QWidget {
  Q_OBJECT
 public:
  ShapeRect(QWidget* parent, const QColor& fill, const QColor& outline);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
  QColor outline_;
};

// A single-line edit. Typed or pasted characters that CP932 cannot hold become '?'.
class SjisLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit SjisLineEdit(QWidget* parent = nullptr);
  std::string Text() const;
  void SetText(std::string_view sjis);

 private:
  KeptBytes kept_;
};

// A memo. Line breaks read back as CR LF. Text set through SetText comes back
// byte for byte while the user has not edited it, even bytes that are no CP932
// character or one of CP932's duplicate codes.
class SjisMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit SjisMemo(QWidget* parent = nullptr);
  std::string Text() const;
  void SetText(std::string_view sjis);
  void Clear();

 protected:
  // Typed, composed and pasted text is cut down to what CP932 can hold before
  // it reaches the document, so what is shown is what is saved and converted.
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  std::string bytes_;
  bool pristine_ = true;
  bool settingText_ = false;
};

// An editable combo box with an unsorted list and no auto-completion.
// Changed fires when the user picks an item and on every edit typed into the text
// field; never when the list is refilled or set from code.
class SjisComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit SjisComboBox(QWidget* parent = nullptr);
  // Replaces the items; the text field keeps its text and no item is selected.
  template <class Names>
  void SetItems(const Names& names) {
    SetItemList(std::vector<std::string>(std::begin(names), std::end(names)));
  }
  void SetItemList(const std::vector<std::string>& sjisNames);
  // The selected item, or -1. Setting -1 only drops the selection; the text stays.
  int ItemIndex() const;
  void SetItemIndex(int index);
  std::string Text() const;
  void SetText(std::string_view sjis);
  std::vector<std::string> Items() const;

 signals:
  void Changed();

 private:
  void DropSelectionKeepText();
  void KeepItemText(int index);
  KeptBytes kept_;
};

// A single-selection list of byte strings.
class SjisListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit SjisListBox(QWidget* parent = nullptr);
  void SetItems(const std::vector<std::string>& sjisEntries);
  std::vector<std::string> Items() const;
  void Add(std::string_view sjis);
  void Delete(int index);
  int ItemIndex() const;  // -1 when nothing is selected
  void SetItemIndex(int index);
};

}  // namespace kt::ui
