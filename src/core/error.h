#pragma once
// The one error type of the program. It is what the toolkit's standard error
// report shows: every handler runs inside a guard that catches it.

#include <exception>
#include <string>
#include <vector>

namespace kt {

// A message is kept in pieces, each in its own encoding, until it is shown: the
// program's own texts, Shift-JIS data, and paths in the file system's encoding
// (UTF-8 on Linux). So a Japanese file name never turns into mojibake.
struct MessagePiece {
  enum class Kind { Text, ShiftJis, Path };
  Kind kind;
  std::string bytes;  // Text: UTF-8; ShiftJis: CP932 bytes; Path: file-system bytes
};

class Error : public std::exception {
 public:
  explicit Error(std::vector<MessagePiece> pieces);
  explicit Error(std::string utf8Text);

  // "ファイル %s は開けません"
  static Error CannotOpen(const std::string& path);
  // "ファイル %s を作成できません"
  static Error CannotCreate(const std::string& path);
  // "ストリームへの書き込みエラー"
  static Error WriteFailed();

  const std::vector<MessagePiece>& pieces() const { return pieces_; }

  // The whole message as UTF-8, for a terminal or a widget.
  const std::string& Utf8() const { return utf8_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::vector<MessagePiece> pieces_;
  std::string utf8_;
};

}  // namespace kt
