#include "platform/codec_qt.h"

#include <QFile>

#include "core/cp932.h"

namespace kt::ui {

QString FromSjis(std::string_view sjis) {
  const std::u16string text = kt::cp932::Decode(sjis);
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToSjis(const QString& text) {
  return kt::cp932::Encode(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size())));
}

QString MakeRepresentable(const QString& text) {
  const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
  const qsizetype n = text.size();
  QString out;
  bool changed = false;
  for (qsizetype i = 0; i < n;) {
    const qsizetype len =
        (QChar::isHighSurrogate(units[i]) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) ? 2
                                                                                              : 1;
    const std::u16string_view one(units + i, static_cast<size_t>(len));
    // ASCII is always representable; asking the table only for the rest keeps
    // typing in long texts cheap.
    const bool fine = (len == 1 && units[i] < 0x80) || kt::cp932::CanEncode(one);
    if (!fine && !changed) {
      out.reserve(n);
      out.append(QStringView(text).left(i));
      changed = true;
    }
    if (changed) {
      if (fine) {
        out.append(QStringView(text).mid(i, len));
      } else {
        out.append(QLatin1Char('?'));
      }
    }
    i += len;
  }
  return changed ? out : text;
}

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString MessageText(const kt::Error& error) {
  if (error.pieces().empty()) {
    return QString::fromStdString(error.Utf8());
  }
  QString text;
  for (const kt::MessagePiece& piece : error.pieces()) {
    switch (piece.kind) {
      case kt::MessagePiece::Kind::Text:
        text += QString::fromUtf8(piece.bytes.data(), static_cast<qsizetype>(piece.bytes.size()));
        break;
      case kt::MessagePiece::Kind::ShiftJis:
        text += FromSjis(piece.bytes);
        break;
      case kt::MessagePiece::Kind::Path:
        text += FromPath(piece.bytes);
        break;
    }
  }
  return text;
}

}  // namespace kt::ui
