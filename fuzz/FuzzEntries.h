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

}  // namespace gh::fuzz
