#pragma once
// The replacement engine: loads a slot's before, after and flag files and applies
// up to ten fixed replacements in order, never matching inside a double-byte
// character.

#include <optional>
#include <string>
#include <string_view>

#include "definitions/definition_files.h"

namespace kt {

struct LoadedDefinition {
  ConversionDefinition Definition;  // Pairs and LineBreakFlag; DisplayName stays empty
  std::string FlagLine;             // first line of the flag file as read, LF included
};

// Reads brplN, arplN and krplN in this order. None when no slot is given or one of
// the files does not open; failedPath (when given) then receives the path of the
// file that did not open (empty when no slot was given).
std::optional<LoadedDefinition> LoadConversionDefinition(std::optional<int> slot,
                                                         std::string* failedPath = nullptr);

// Every match of a non-empty pattern replaced, left to right, without overlap,
// never at a trail position; the search looks only up to the first NUL byte.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement);

// Pairs 1 to 10 in order; a pair with an empty Before is skipped.
std::string ApplyReplacements(const ConversionDefinition& definition, std::string_view text);

// Every CR, then every LF removed (a byte at a trail position stays).
std::string DeleteLineBreaks(std::string_view text);

// ApplyReplacements, then DeleteLineBreaks when the definition's flag is on.
std::string ConvertText(const ConversionDefinition& definition, std::string_view text);

}  // namespace kt
