#pragma once
// The five stored conversion definitions: four small files per slot in the data
// folder, read afresh by every operation.

#include <array>
#include <optional>
#include <string>

namespace kt {

inline constexpr int kSlotCount = 5;
inline constexpr int kPairCount = 10;

struct ReplacementPair {
  std::string Before;
  std::string After;
};

struct ConversionDefinition {
  std::array<ReplacementPair, kPairCount> Pairs;
  bool LineBreakFlag = false;
  std::string DisplayName;
};

// b: before strings, a: after strings, k: line-break flag, n: display name.
enum class DefinitionFileKind : char { Before = 'b', After = 'a', Flag = 'k', Name = 'n' };

// "brplN.rpl" and its siblings.
std::string DefinitionFileName(DefinitionFileKind kind, int slot);
// The file in the current data folder.
std::string DefinitionFilePath(DefinitionFileKind kind, int slot);

using DefinitionLines = std::array<std::string, kPairCount>;

// Ten trimmed values, empty where the file runs out; none when it does not open.
std::optional<DefinitionLines> ReadDefinitionLines(const std::string& path);

// On exactly when the first line is "1" followed by a line end; none when the
// file does not open.
std::optional<bool> ReadLineBreakFlag(const std::string& path);

// The slot's name, or "変換定義N" when its name file does not open. Shift-JIS.
std::string ReadDisplayName(int slot);
// The default name of a slot, Shift-JIS.
std::string DefaultDisplayName(int slot);

// The five names, slot 1 first.
std::array<std::string, kSlotCount> LoadDefinitionNames();

// Writes brplN, arplN, krplN, nrplN in this order, each whole and untrimmed, every
// line ended by CR LF. A file that cannot be created throws kt::Error; the files
// written before it keep their new content.
void SaveDefinition(int slot, const ConversionDefinition& definition);

}  // namespace kt
