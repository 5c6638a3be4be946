#include "scores/WebScores.h"

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/System.h"
#include "scores/ScoreProtocol.h"
#include "settings/Settings.h"

#ifndef GH_SCORE_SERVER
#define GH_SCORE_SERVER "http://scores.gravelhorn2.net"
#endif
#ifdef GH_SCORE_KEY
static_assert(sizeof(GH_SCORE_KEY) == 2 && GH_SCORE_KEY[0] >= 'A' && GH_SCORE_KEY[0] <= 'Z',
              "GH_SCORE_KEY must be one capital letter");
constexpr char ScoreKey = GH_SCORE_KEY[0];
#else
constexpr char ScoreKey = gh::protocol::DefaultKey;
#endif

namespace gh {

const char* const SymbolAlphabet = protocol::SymbolAlphabet.data();

namespace {

const std::string ScriptPath = std::string(protocol::ScriptPath) + "?";
const std::string VersionQuery(protocol::VersionQuery);
const std::string SubmitQuery(protocol::SubmitQuery);
const std::string PageQuery(protocol::PageQuery);

// Set by SetScoreServerAddress; until then the run-time override or the build's address.
std::optional<std::string> ServerAddress;
// libcurl is loaded when the first score is sent, not at start: the game needs it
// for nothing else, and loading it (and what it brings) would delay the first
// picture. The calls keep their names; each is bound from the loaded library.
#define GH_CURL_CALLS(X)                                                               \
  X(curl_global_init)                                                                  \
  X(curl_easy_init)                                                                    \
  X(curl_easy_cleanup)                                                                 \
  X(curl_easy_setopt) X(curl_easy_perform) X(curl_slist_append) X(curl_slist_free_all) \
      X(curl_easy_getinfo)

#define GH_CURL_SLOT(name) decltype(&::name) name = nullptr;
GH_CURL_CALLS(GH_CURL_SLOT)
#undef GH_CURL_SLOT

// Binds every call once; false when the library or a call is missing (the score
// then counts as not sent, as when the server cannot be reached).
bool BindCurl() {
  static const bool bound = [] {
    std::string error;
    void* lib = OpenModule(GH_CURL_LIBRARY, error);
    if (!lib) return false;
    bool all = true;
#define GH_CURL_BIND(name)                                              \
  name = reinterpret_cast<decltype(&::name)>(ModuleSymbol(lib, #name)); \
  all = all && name != nullptr;
    GH_CURL_CALLS(GH_CURL_BIND)
#undef GH_CURL_BIND
    if (all) curl_global_init(CURL_GLOBAL_DEFAULT);
    return all;  // the library stays loaded for the process
  }();
  return bound;
}

long ConnectTimeoutMs = 4000;
long TotalTimeoutMs = 10000;

struct EasyDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

struct Reply {
  std::string text;
  bool cut = false;
};

// Keeps at most MaxReplyBytes of the body and then stops the transfer, so an
// endless reply cannot hold the game; the cut reply counts as received.
size_t KeepReply(char* data, size_t size, size_t count, void* user) {
  auto* reply = static_cast<Reply*>(user);
  const size_t bytes = size * count;
  if (!reply) return bytes;  // read and dropped
  const size_t room = MaxReplyBytes - reply->text.size();
  if (bytes <= room) {
    reply->text.append(data, bytes);
    return bytes;
  }
  reply->text.append(data, room);
  reply->cut = true;
  return 0;
}

// One GET on the shared handle; false for any error, a time-out included, and
// for every status but 2xx: a redirect (moved server, http to https) is not
// followed, and its page holds no token.
bool Get(CURL* curl, const std::string& query, Reply* reply) {
  const std::string url = ScoreServerAddress() + ScriptPath + query;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &KeepReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, reply);
  const CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && reply && reply->cut)) return false;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status >= 200 && status <= 299;
}

}  // namespace

std::optional<std::string> CheckedServerAddress(std::string text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  const size_t end = text.find_last_not_of(" \t\r\n");
  text = start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
  while (!text.empty() && text.back() == '/') text.pop_back();
  const size_t scheme = text.rfind("http://", 0) == 0 ? 7 : text.rfind("https://", 0) == 0 ? 8 : 0;
  if (scheme == 0 || text.size() == scheme || text.size() > 200) return std::nullopt;
  for (unsigned char c : text)
    if (c <= ' ' || c >= 0x7F || c == '?' || c == '#') return std::nullopt;
  return text;
}

std::string ScoreServerAddress() {
  if (ServerAddress) return *ServerAddress;
  // A player points an installed game at another server (a LAN party's) with
  // the environment variable or a one-line file beside the program; anything
  // that is not an http(s) address is reported and the build's address kept.
  std::string source, value;
  if (const char* env = std::getenv(ScoreServerVariable)) {
    source = std::string("the environment variable ") + ScoreServerVariable;
    value = env;
  } else if (std::ifstream file(ScoreServerFile); file) {
    source = std::string("the file ") + ScoreServerFile;
    std::getline(file, value);
  }
  if (!source.empty()) {
    if (auto address = CheckedServerAddress(value)) return *address;
    std::fprintf(stderr, "Gravelhorn 2: %s holds no http:// address; using %s\n", source.c_str(),
                 GH_SCORE_SERVER);
  }
  return GH_SCORE_SERVER;
}

void SetScoreServerAddress(const std::string& address) {
  std::string text = address;
  while (!text.empty() && text.back() == '/') text.pop_back();
  if (text.empty()) {
    ServerAddress.reset();
  } else {
    ServerAddress = text;
  }
}

std::string ScorePageAddress() { return ScoreServerAddress() + ScriptPath + PageQuery; }

void SetScoreTimeouts(long connectMs, long totalMs) {
  ConnectTimeoutMs = connectMs > 0 ? connectMs : 1;
  TotalTimeoutMs = totalMs > 0 ? totalMs : 1;
}

std::string ToBitText(const std::string& text) {
  std::string bits;
  bits.reserve(text.size() * 8);
  for (unsigned char b : text)
    for (int bit = 7; bit >= 0; --bit) bits.push_back((b >> bit & 1) ? '1' : '0');
  return bits;
}

std::string BitTextToSymbols(std::string bits) {
  if (bits.size() % 5 != 0) bits.insert(0, 5 - bits.size() % 5, '0');
  std::string symbols;
  symbols.reserve(bits.size() / 5);
  for (size_t i = 0; i < bits.size(); i += 5) {
    int v = 0;
    for (size_t k = 0; k < 5; ++k) v = v << 1 | (bits[i + k] != '0' ? 1 : 0);
    symbols.push_back(SymbolAlphabet[v]);
  }
  return symbols;
}

std::string EncodeSubmission(const std::string& text) { return BitTextToSymbols(ToBitText(text)); }

std::string TokenFromReply(std::string reply) {
  std::string token;
  for (int pass = 0; pass < 5; ++pass) {
    const size_t bar = reply.find('|');
    if (bar == std::string::npos) {
      token.clear();
    } else {
      token = reply.substr(0, bar);
      reply.erase(0, bar + 1);
    }
  }
  return token;
}

std::string SubmissionText(const std::string& name, int score, const std::string& token,
                           const std::string& country) {
  return protocol::SubmissionText(name, score, ScoreKey, token, country);
}

bool SubmitScore(const std::string& name, int score, const std::string& country) {
  if (!BindCurl()) return false;
  std::unique_ptr<CURL, EasyDeleter> curl(curl_easy_init());
  if (!curl) return false;
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const char* h : {"Accept: text/html, */*", "Content-Type: text/html",
                        "User-Agent: Mozilla/3.0 (compatible; Indy Library)"}) {
    curl_slist* more = curl_slist_append(headers.get(), h);
    if (!more) return false;
    headers.release();
    headers.reset(more);
  }
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_COOKIEFILE, "");  // cookies live on this handle only
  curl_easy_setopt(c, CURLOPT_PROXY, "");       // no proxy, whatever the environment says
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  if (const char* ca = std::getenv(ScoreCaVariable); ca && *ca)
    curl_easy_setopt(c, CURLOPT_CAINFO, ca);

  Reply reply;
  if (!Get(c, VersionQuery, &reply)) return false;
  const std::string text = SubmissionText(name, score, TokenFromReply(reply.text), country);
  // The server's answer to the submission, and any failure of it, is not used.
  Get(c, SubmitQuery + EncodeSubmission(text), nullptr);
  return true;
}

}  // namespace gh
