#include "core/error.h"

#include "core/cp932.h"

namespace kt {

namespace {

std::string JoinUtf8(const std::vector<MessagePiece>& pieces) {
  std::string out;
  for (const MessagePiece& piece : pieces) {
    switch (piece.kind) {
      case MessagePiece::Kind::Text:
      case MessagePiece::Kind::Path:  // the file system's encoding is UTF-8 here
        out += piece.bytes;
        break;
      case MessagePiece::Kind::ShiftJis:
        out += cp932::ToUtf8(piece.bytes);
        break;
    }
  }
  return out;
}

Error PathMessage(const char* before, const std::string& path, const char* after) {
  return Error({{MessagePiece::Kind::Text, before},
                {MessagePiece::Kind::Path, path},
                {MessagePiece::Kind::Text, after}});
}

}  // namespace

Error::Error(std::vector<MessagePiece> pieces)
    : pieces_(std::move(pieces)), utf8_(JoinUtf8(pieces_)) {}

Error::Error(std::string utf8Text)
    : Error(std::vector<MessagePiece>{{MessagePiece::Kind::Text, std::move(utf8Text)}}) {}

Error Error::CannotOpen(const std::string& path) {
  return PathMessage("ファイル ", path, " は開けません");
}

Error Error::CannotCreate(const std::string& path) {
  return PathMessage("ファイル ", path, " を作成できません");
}

Error Error::WriteFailed() { return Error(std::string("ストリームへの書き込みエラー")); }

}  // namespace kt
