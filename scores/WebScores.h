// The score server client: the version request, the encoded submission and the
// address of the online score page.
#pragma once
#include <string>

namespace gh {

extern const char* const SymbolAlphabet;  // 32 symbols, value 0 first

// Sends the running game's result; false only when the version request failed.
bool SubmitScore();
// The same exchange with explicit values (what SubmitScore sends for the game).
bool SubmitScore(const std::string& name, int score, const std::string& country);

std::string ToBitText(const std::string& text);
std::string BitTextToSymbols(std::string bits);
std::string EncodeSubmission(const std::string& text);
// The text between the fourth and the fifth "|" of a version reply, or empty.
std::string TokenFromReply(std::string reply);
// The submission text before encoding, padded to a multiple of 5.
std::string SubmissionText(const std::string& name, int score, const std::string& token,
                           const std::string& country);

// Where requests go: "http://host[:port]"; a build setting, changeable by tests.
std::string ScoreServerAddress();
void SetScoreServerAddress(const std::string& address);
// The online score table's address, opened in the browser.
std::string ScorePageAddress();

}  // namespace gh
