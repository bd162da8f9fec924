#pragma once
// The list of file extensions a batch run converts, kept in "changelist.rpl" in
// the data folder. Entries are Shift-JIS, stored exactly as typed.

#include <string>
#include <string_view>
#include <vector>

namespace kt {

inline constexpr const char* kExtensionListFileName = "changelist.rpl";

// ".txt", ".html", ".htm", ".php": the list while no file exists.
std::vector<std::string> DefaultExtensionList();

std::string ExtensionListPath();

// Splits at CR LF, a lone LF and a lone CR; a line end at the very end makes no
// empty last entry; nothing is trimmed.
std::vector<std::string> SplitListLines(std::string_view bytes);

// The entries of the file, or the defaults when it does not open (nothing is
// written then). A file that opens but cannot be read whole throws
// Error::CannotOpen.
std::vector<std::string> LoadExtensionList();

// Every entry followed by CR LF, written atomically; an empty list gives an empty
// file. A file that cannot be created throws Error::CannotCreate.
void SaveExtensionList(const std::vector<std::string>& entries);

// An entry that is empty once trimmed is refused by the add dialog.
bool IsBlankEntry(std::string_view entry);

}  // namespace kt
