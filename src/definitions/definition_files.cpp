#include "definitions/definition_files.h"

#include "core/bytes.h"
#include "core/files.h"
#include "core/line_reader.h"

namespace kt {

std::string DefinitionFileName(DefinitionFileKind kind, int slot) {
  std::string name;
  name += static_cast<char>(kind);
  name += "rpl";
  name += std::to_string(slot);
  name += ".rpl";
  return name;
}

std::string DefinitionFilePath(DefinitionFileKind kind, int slot) {
  return fs::JoinPath(fs::CurrentDirectory(), DefinitionFileName(kind, slot));
}

std::optional<DefinitionLines> ReadDefinitionLines(const std::string& path) {
  std::optional<TextModeLineReader> reader = TextModeLineReader::Open(path);
  if (!reader) return std::nullopt;
  DefinitionLines values;
  for (std::string& value : values) {
    std::optional<std::string> line = reader->NextLine();
    if (!line) break;
    value = Trim(*line);
  }
  return values;
}

std::optional<bool> ReadLineBreakFlag(const std::string& path) {
  std::optional<TextModeLineReader> reader = TextModeLineReader::Open(path);
  if (!reader) return std::nullopt;
  const std::optional<std::string> line = reader->NextLine();
  return line && *line == "1\n";
}

std::string DefaultDisplayName(int slot) {
  // "変換定義" and the full-width digit, in Shift-JIS.
  std::string name = "\x95\xCF\x8A\xB7\x92\xE8\x8B\x60\x82";
  name += static_cast<char>(0x4F + slot);
  return name;
}

std::string ReadDisplayName(int slot) {
  std::optional<TextModeLineReader> reader =
      TextModeLineReader::Open(DefinitionFilePath(DefinitionFileKind::Name, slot));
  if (!reader) return DefaultDisplayName(slot);
  // A name file that opens but holds no line names the slot with the empty name,
  // as an empty first line does.
  const std::optional<std::string> line = reader->NextLine();
  return line ? Trim(*line) : std::string();
}

std::array<std::string, kSlotCount> LoadDefinitionNames() {
  std::array<std::string, kSlotCount> names;
  for (int slot = 1; slot <= kSlotCount; ++slot) names[slot - 1] = ReadDisplayName(slot);
  return names;
}

void SaveDefinition(int slot, const ConversionDefinition& definition) {
  std::string before;
  std::string after;
  for (const ReplacementPair& pair : definition.Pairs) {
    before += pair.Before;
    before += "\r\n";
    after += pair.After;
    after += "\r\n";
  }
  // Written in this order; a failure stops the save and keeps the files done so far.
  fs::WriteFileAtomically(DefinitionFilePath(DefinitionFileKind::Before, slot), before);
  fs::WriteFileAtomically(DefinitionFilePath(DefinitionFileKind::After, slot), after);
  fs::WriteFileAtomically(DefinitionFilePath(DefinitionFileKind::Flag, slot),
                          definition.LineBreakFlag ? "1\r\n" : "0\r\n");
  fs::WriteFileAtomically(DefinitionFilePath(DefinitionFileKind::Name, slot),
                          definition.DisplayName + "\r\n");
}

}  // namespace kt
