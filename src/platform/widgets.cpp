#include "platform/widgets.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>

#include "platform/codec_qt.h"

namespace kt::ui {
namespace {

// Replaces what CP932 cannot hold by '?' in a line edit the user has just
// changed, keeping the caret where it was.
void KeepRepresentable(QLineEdit* edit) {
  const QString text = edit->text();
  const QString fixed = MakeRepresentable(text);
  if (fixed == text) return;
  const int caret = edit->cursorPosition() - (text.size() - fixed.size());
  const QSignalBlocker blocker(edit);
  edit->setText(fixed);
  edit->setCursorPosition(std::max(0, caret));
}

// Item data that holds an item's own bytes.
constexpr int kBytesRole = Qt::UserRole;

QByteArray AsByteArray(std::string_view bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The item's own bytes, or its text encoded when it was added without them.
std::string ItemBytes(const QVariant& data, const QString& text) {
  if (!data.isValid()) return ToSjis(text);
  const QByteArray bytes = data.toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

std::string KeptBytes::For(const QString& current) const {
  return current == shown ? bytes : ToSjis(current);
}

QFont DesignFont(int pixelSize, bool fixedPitch) {
  QFont font;
  if (fixedPitch) {
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans Mono CJK JP")});
    font.setFixedPitch(true);
  } else {
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
  }
  font.setPixelSize(pixelSize);
  return font;
}

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setGeometry(left, top, width, height);
  return button;
}

ShapeRect::ShapeRect(QWidget* parent, const QColor& fill, const QColor& outline)
    : QWidget(parent), fill_(fill), outline_(outline) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeRect::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), fill_);
  painter.setPen(QPen(outline_, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------------------

SjisLineEdit::SjisLineEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, [this] { KeepRepresentable(this); });
}

std::string SjisLineEdit::Text() const { return kept_.For(text()); }

void SjisLineEdit::SetText(std::string_view sjis) {
  kept_ = {FromSjis(sjis), std::string(sjis)};
  setText(kept_.shown);
}

// ---------------------------------------------------------------------------

SjisMemo::SjisMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  // Tab moves on to the next control, as the tab order of the windows expects.
  setTabChangesFocus(true);
  // Files dropped on the memo belong to its window, which loads them.
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);
  connect(document(), &QTextDocument::contentsChanged, this, [this] {
    if (!settingText_) pristine_ = false;
  });
}

std::string SjisMemo::Text() const {
  if (pristine_) return bytes_;
  QString text = toPlainText();
  text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToSjis(text);
}

void SjisMemo::SetText(std::string_view sjis) {
  // A memo holds no NUL: its text ends at the first one.
  const size_t nul = sjis.find('\0');
  if (nul != std::string_view::npos) sjis = sjis.substr(0, nul);
  bytes_.assign(sjis);
  QString text = FromSjis(bytes_);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  settingText_ = true;
  setPlainText(text);
  settingText_ = false;
  pristine_ = true;
}

void SjisMemo::Clear() { SetText({}); }

void SjisMemo::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const QString fixed = MakeRepresentable(text);
  if (fixed == text) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  QKeyEvent replaced(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                     event->nativeVirtualKey(), event->nativeModifiers(), fixed,
                     event->isAutoRepeat(), static_cast<quint16>(event->count()));
  QPlainTextEdit::keyPressEvent(&replaced);
  event->setAccepted(replaced.isAccepted());
}

void SjisMemo::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  const QString fixed = MakeRepresentable(commit);
  if (fixed == commit) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  QInputMethodEvent replaced(event->preeditString(), event->attributes());
  replaced.setCommitString(fixed, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&replaced);
  event->setAccepted(replaced.isAccepted());
}

void SjisMemo::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    QPlainTextEdit::insertFromMimeData(source);
    return;
  }
  QMimeData plain;
  plain.setText(MakeRepresentable(source->text()));
  QPlainTextEdit::insertFromMimeData(&plain);
}

// ---------------------------------------------------------------------------

SjisComboBox::SjisComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(true);
  setCompleter(nullptr);
  setMaxVisibleItems(8);
  // Qt picks the item whose text the field holds when editing finishes; here an
  // item is selected only by the user's pick.
  disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);
  connect(this, &QComboBox::activated, this, [this](int index) {
    KeepItemText(index);
    emit Changed();
  });
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
    KeepRepresentable(lineEdit());
    DropSelectionKeepText();
    emit Changed();
  });
}

void SjisComboBox::SetItemList(const std::vector<std::string>& sjisNames) {
  const QString text = lineEdit()->text();
  const int caret = lineEdit()->cursorPosition();
  const QSignalBlocker comboBlocker(this);
  const QSignalBlocker editBlocker(lineEdit());
  clear();
  for (const std::string& name : sjisNames) addItem(FromSjis(name), AsByteArray(name));
  setCurrentIndex(-1);
  lineEdit()->setText(text);
  lineEdit()->setCursorPosition(caret);
}

int SjisComboBox::ItemIndex() const { return currentIndex(); }

void SjisComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) {
    DropSelectionKeepText();
    return;
  }
  const QSignalBlocker comboBlocker(this);
  setCurrentIndex(index);
  KeepItemText(index);
}

std::string SjisComboBox::Text() const { return kept_.For(lineEdit()->text()); }

void SjisComboBox::SetText(std::string_view sjis) {
  const QString text = FromSjis(sjis);
  if (currentIndex() >= 0 && itemText(currentIndex()) != text) DropSelectionKeepText();
  const QSignalBlocker editBlocker(lineEdit());
  lineEdit()->setText(text);
  kept_ = {text, std::string(sjis)};
}

std::vector<std::string> SjisComboBox::Items() const {
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) items.push_back(ItemBytes(itemData(i, kBytesRole), itemText(i)));
  return items;
}

void SjisComboBox::KeepItemText(int index) {
  if (index < 0 || index >= count()) return;
  kept_ = {itemText(index), ItemBytes(itemData(index, kBytesRole), itemText(index))};
}

void SjisComboBox::DropSelectionKeepText() {
  if (currentIndex() < 0) return;
  // QComboBox empties the text field along with the selection; put it back.
  const QString text = lineEdit()->text();
  const int caret = lineEdit()->cursorPosition();
  const QSignalBlocker comboBlocker(this);
  const QSignalBlocker editBlocker(lineEdit());
  setCurrentIndex(-1);
  lineEdit()->setText(text);
  lineEdit()->setCursorPosition(caret);
}

// ---------------------------------------------------------------------------

SjisListBox::SjisListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
}

void SjisListBox::SetItems(const std::vector<std::string>& sjisEntries) {
  clear();
  for (const std::string& entry : sjisEntries) Add(entry);
}

std::vector<std::string> SjisListBox::Items() const {
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(count()));
  for (int i = 0; i < count(); ++i) items.push_back(ItemBytes(item(i)->data(kBytesRole), item(i)->text()));
  return items;
}

void SjisListBox::Add(std::string_view sjis) {
  auto* entry = new QListWidgetItem(FromSjis(sjis));
  entry->setData(kBytesRole, AsByteArray(sjis));
  addItem(entry);
}

void SjisListBox::Delete(int index) {
  if (index < 0 || index >= count()) return;
  delete takeItem(index);
}

int SjisListBox::ItemIndex() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? -1 : row(selected.constFirst());
}

void SjisListBox::SetItemIndex(int index) {
  if (index < 0 || index >= count()) {
    clearSelection();
    setCurrentRow(-1);
    return;
  }
  setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
}

}  // namespace kt::ui
