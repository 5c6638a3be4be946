// The non-picture files of the pack: font, quad model and help text.
#pragma once
#include <string>

namespace assets {

bool WriteFont(const std::string& dataDir, std::string& error);
bool WriteModel(const std::string& dataDir, std::string& error);
bool WriteHelpText(const std::string& dataDir, std::string& error);
// "version.txt": a 64-bit digest (16 hex digits) of every other file under
// dataDir, by path in byte order, so that a recording can tell whether it was
// played with the same data.
bool WriteDataVersion(const std::string& dataDir, std::string& error);
// The help text's lines, as written to Help.txt.
const char* const* HelpLines(int& count);

}  // namespace assets
