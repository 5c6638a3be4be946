// The checks behind the fuzz targets, shared with the tests that replay the
// corpora. Each takes one input and returns what went wrong, or "" when the
// input was handled as it should be.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace gh::fuzz {

// A "Config.cfg" of these bytes: read, written back and read again.
std::string CheckConfigBytes(const uint8_t* data, size_t size);
// A version reply: the token taken from it and the submission built with it.
std::string CheckVersionReply(const uint8_t* data, size_t size);
// A picture file of these bytes (the first byte picks ".png" or ".jpg"): the
// size read from its header, or the read error it reports.
std::string CheckImageHeader(const uint8_t* data, size_t size);
// The help file of these bytes: the lines the scrolling text shows.
std::string CheckHelpText(const uint8_t* data, size_t size);
// A session at the text box: the text it starts with, then one typed character
// and the keys clicked in each frame. Runs the real widget on a stand-in engine
// that reads the program's Data/ from `dataFolder` (set once per process).
void SetEditDataFolder(const std::string& dataFolder);
std::string CheckEditTyping(const uint8_t* data, size_t size);
// A score server's `inf` value, and a decoded submission text: decoded, split
// into fields, and the fields cleaned for the table and the page.
std::string CheckSubmission(const uint8_t* data, size_t size);
// A request's peer (picked by the first byte) and its X-Forwarded-For value (the
// rest): the client address taken from them and its rate group.
std::string CheckClientAddress(const uint8_t* data, size_t size);
// A recording's upload after a stored row: the method, the token (the row's
// or the input's), the cookie, extra query words, headers and the body picked
// by the input, handled by the score service over an in-memory database.
std::string CheckUpload(const uint8_t* data, size_t size);

// A recording file of these bytes: refused with a reason, or decoded within
// the limits, and then written and read back the same; tighter limits refuse it.
std::string CheckRecordingBytes(const uint8_t* data, size_t size);

}  // namespace gh::fuzz
