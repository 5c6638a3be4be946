#include "scores/WebScores.h"

#include <curl/curl.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/System.h"
#include "scores/ScoreProtocol.h"

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
const std::string UploadQuery(protocol::UploadQuery);

// Set by SetScoreServerAddress; until then the run-time override or the build's address.
std::optional<std::string> ServerAddress;
// libcurl is loaded when the first score is sent, not at start: the game needs it
// for nothing else, and loading it (and what it brings) would delay the first
// picture. The calls keep their names; each is bound from the loaded library.
// One call a line (clang-format lays such a list out differently on each run).
// clang-format off
#define GH_CURL_CALLS(X) \
  X(curl_global_init) \
  X(curl_easy_init) \
  X(curl_easy_cleanup) \
  X(curl_easy_setopt) \
  X(curl_slist_append) \
  X(curl_slist_free_all) \
  X(curl_easy_getinfo) \
  X(curl_multi_init) \
  X(curl_multi_cleanup) \
  X(curl_multi_add_handle) \
  X(curl_multi_remove_handle) \
  X(curl_multi_perform) \
  X(curl_multi_poll) \
  X(curl_multi_wakeup) \
  X(curl_multi_info_read)
// clang-format on

#define GH_CURL_SLOT(name) decltype(&::name) name = nullptr;
GH_CURL_CALLS(GH_CURL_SLOT)
#undef GH_CURL_SLOT

// Binds every call once; false when the library or a call is missing (the score
// then counts as not sent, as when the server cannot be reached).
bool BindCurl() {
  static const bool bound = [] {
    const Result<void*> opened = OpenModule(GH_CURL_LIBRARY);
    if (!opened) return false;
    void* lib = *opened;
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

// The first word of our server's answer to a submission it did not take (it
// comes with an error status, but a proxy or an older server may pass it on
// with 200).
constexpr const char* RefusalReply = "refused";

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

// Everything one exchange needs, taken on the thread that starts it: the
// exchange itself may run on another.
struct Request {
  std::string server;
  long connectMs = 0;
  long totalMs = 0;
  std::string caFile;  // a private CA in place of the system's, or ""
  std::string name;
  int score = 0;
  std::string country;
  std::optional<std::string> recording;  // uploaded after a taken score
};

Request MakeRequest(const std::string& name, int score, const std::string& country,
                    std::optional<std::string> recording) {
  const char* ca = std::getenv(ScoreCaVariable);
  return Request{
      ScoreServerAddress(), ConnectTimeoutMs, TotalTimeoutMs, ca ? ca : "", name, score, country,
      std::move(recording)};
}

// Lets another thread end an exchange at once: the transfer under way is woken
// and abandoned.
struct SendControl {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> submitted{false};  // the server took the score
  std::mutex mutex;
  CURLM* transfer = nullptr;  // the transfer under way, if any
  RecordingUpload upload;     // under `mutex`

  void SetUpload(RecordingUpload::State state, std::string reason = {}) {
    std::lock_guard<std::mutex> lock(mutex);
    // A cancel's "not verified" stands.
    if (upload.state == RecordingUpload::State::NotVerified) return;
    upload = {state, std::move(reason)};
  }

  void Cancel() {
    cancelled = true;
    std::lock_guard<std::mutex> lock(mutex);
    if (transfer) curl_multi_wakeup(transfer);
  }
  void Attach(CURLM* multi) {
    std::lock_guard<std::mutex> lock(mutex);
    transfer = multi;
  }
};

// One transfer of `curl`, ended early by a cancel. The wait between steps
// ends on the socket, on curl's own timers (the time-outs) or on the cancel.
CURLcode Perform(CURL* curl, SendControl& control) {
  CURLM* multi = curl_multi_init();
  if (!multi) return CURLE_OUT_OF_MEMORY;
  if (curl_multi_add_handle(multi, curl) != CURLM_OK) {
    curl_multi_cleanup(multi);
    return CURLE_FAILED_INIT;
  }
  control.Attach(multi);
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  while (!control.cancelled) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      result = CURLE_GOT_NOTHING;
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) {
          result = message->data.result;
        }
      }
      break;
    }
    if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  control.Attach(nullptr);
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return control.cancelled ? CURLE_ABORTED_BY_CALLBACK : result;
}

// One GET on the shared handle; false for any error, a time-out or a cancel
// included, and for every status but 2xx: a redirect (moved server, http to
// https) is not followed, and its page holds no token.
bool Get(CURL* curl, const std::string& url, Reply& reply, SendControl& control) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &KeepReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  const CURLcode result = Perform(curl, control);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && reply.cut)) return false;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status >= 200 && status <= 299;
}

// Whether a 2xx answer to the submission took it: anything but a refusal. Our
// server answers "OK"; the servers the protocol began with answered what they
// liked, and their 2xx is believed.
bool Accepted(const std::string& reply) {
  const size_t start = reply.find_first_not_of(" \t\r\n");
  return start == std::string::npos ||
         reply.compare(start, std::strlen(RefusalReply), RefusalReply) != 0;
}

// The first line of a reply, printable and short, for a player to read.
std::string ReasonOf(const std::string& reply) {
  std::string line;
  for (const char c : reply.substr(0, reply.find('\n'))) {
    if (line.size() >= 160) break;
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) line.push_back(c);
  }
  return line;
}

// Our server gives its reasons as plain text; another's error page is no reason.
bool PlainText(CURL* c) {
  const char* type = nullptr;
  curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type);
  return type && std::strncmp(type, "text/plain", 10) == 0;
}

// Everything but the characters a query value may hold as they are.
std::string QueryValue(const std::string& text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(digits[u >> 4]);
      out.push_back(digits[u & 15]);
    }
  }
  return out;
}

// The recording's upload on the handle that sent the score (its cookie, its
// time limits). Only our server's 202 counts as taken: a server that does not
// know the request answers anything else, a page with 200 included.
void UploadRecording(CURL* c, const Request& request, const std::string& token,
                     SendControl& control) {
  std::unique_ptr<curl_slist, ListDeleter> headers;
  for (const char* h : {"Accept: text/plain, */*", "Content-Type: application/octet-stream",
                        "User-Agent: Mozilla/3.0 (compatible; Indy Library)", "Expect:"}) {
    curl_slist* more = curl_slist_append(headers.get(), h);
    if (!more) {
      control.SetUpload(RecordingUpload::State::NotVerified, "out of memory");
      return;
    }
    headers.release();
    headers.reset(more);
  }
  const std::string& body = *request.recording;
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_URL,
                   (request.server + ScriptPath + UploadQuery + QueryValue(token)).c_str());
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  // The server's reason comes with its error status.
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 0L);
  Reply reply;
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &KeepReply);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &reply);
  const CURLcode result = Perform(c, control);
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, nullptr);
  if (control.cancelled) {
    control.SetUpload(RecordingUpload::State::NotVerified, "the upload was cancelled");
    return;
  }
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && reply.cut)) {
    control.SetUpload(RecordingUpload::State::NotVerified,
                      status > 0 ? "the upload broke off (HTTP " + std::to_string(status) + ")"
                                 : "the upload failed");
  } else if (status == 202) {
    control.SetUpload(RecordingUpload::State::Uploaded);
  } else if (status >= 400 && status <= 499 && PlainText(c) && !ReasonOf(reply.text).empty()) {
    control.SetUpload(RecordingUpload::State::NotVerified, ReasonOf(reply.text));
  } else {
    control.SetUpload(
        RecordingUpload::State::NotVerified,
        "the server does not verify recordings (HTTP " + std::to_string(status) + ")");
  }
}

// Both requests, then the recording's upload; true only when the server took
// the submission.
bool Exchange(const Request& request, SendControl& control) {
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
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, request.connectMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, request.totalMs);
  curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  // A private CA (a LAN party's own certificate) in place of the system's; the
  // host name is still checked.
  if (!request.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, request.caFile.c_str());

  const std::string script = request.server + ScriptPath;
  Reply version;
  if (!Get(c, script + VersionQuery, version, control)) return false;
  const std::string text =
      SubmissionText(request.name, request.score, TokenFromReply(version.text), request.country);
  // A submission counts only when the server answered it and did not refuse it.
  Reply answer;
  if (!Get(c, script + SubmitQuery + EncodeSubmission(text), answer, control) ||
      !Accepted(answer.text))
    return false;
  control.submitted = true;
  if (request.recording) {
    control.SetUpload(RecordingUpload::State::Pending);
    UploadRecording(c, request, TokenFromReply(version.text), control);
    const RecordingUpload upload = [&] {
      std::lock_guard<std::mutex> lock(control.mutex);
      return control.upload;
    }();
    if (upload.state == RecordingUpload::State::NotVerified)
      std::fprintf(stderr, "Gravelhorn 2: the recording was not verified: %s\n",
                   upload.reason.c_str());
  }
  return true;
}

}  // namespace

Result<std::string> CheckedServerAddress(std::string text) {
  const Error notAnAddress{"holds no http:// address", {}};
  const size_t start = text.find_first_not_of(" \t\r\n");
  const size_t end = text.find_last_not_of(" \t\r\n");
  text = start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
  while (!text.empty() && text.back() == '/') text.pop_back();
  const size_t scheme = text.rfind("http://", 0) == 0 ? 7 : text.rfind("https://", 0) == 0 ? 8 : 0;
  if (scheme == 0 || text.size() == scheme || text.size() > 200) return notAnAddress;
  for (unsigned char c : text)
    if (c <= ' ' || c >= 0x7F || c == '?' || c == '#') return notAnAddress;
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
    const Result<std::string> address = CheckedServerAddress(value);
    if (address) return *address;
    std::fprintf(stderr, "Gravelhorn 2: %s %s; using %s\n", source.c_str(),
                 address.error().message.c_str(), GH_SCORE_SERVER);
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

std::string RecordingUploadAddress(const std::string& token) {
  return ScoreServerAddress() + ScriptPath + UploadQuery + QueryValue(token);
}

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

bool SubmitScore(const std::string& name, int score, const std::string& country,
                 const std::optional<std::string>& recording, RecordingUpload* upload) {
  SendControl control;
  const bool sent = Exchange(MakeRequest(name, score, country, recording), control);
  if (upload) *upload = control.upload;
  return sent;
}

struct ScoreSend::Shared {
  SendControl control;
  mutable std::mutex mutex;
  mutable std::condition_variable ended;
  Result result = Result::Pending;

  void End(Result r) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (result == Result::Pending) result = r;
    }
    ended.notify_all();
  }
};

ScoreSend::ScoreSend(const std::string& name, int score, const std::string& country,
                     std::optional<std::string> recording)
    : shared_(std::make_unique<Shared>()) {
  Shared* shared = shared_.get();
  try {
    thread_ =
        std::thread([shared, request = MakeRequest(name, score, country, std::move(recording))] {
          const bool sent = Exchange(request, shared->control);
          shared->End(sent ? Result::Sent : Result::Failed);
        });
  } catch (const std::system_error&) {
    shared->End(Result::Failed);  // no thread to send with: not sent
  }
}

ScoreSend::~ScoreSend() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

ScoreSend::Result ScoreSend::Poll() const {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  return shared_->result;
}

RecordingUpload ScoreSend::Upload() const {
  std::lock_guard<std::mutex> lock(shared_->control.mutex);
  return shared_->control.upload;
}

void ScoreSend::Cancel() {
  {
    std::lock_guard<std::mutex> lock(shared_->control.mutex);
    if (shared_->control.upload.state == RecordingUpload::State::Pending)
      shared_->control.upload = {RecordingUpload::State::NotVerified, "the upload was cancelled"};
  }
  shared_->End(shared_->control.submitted ? Result::Sent : Result::Failed);
  shared_->control.Cancel();
}

bool ScoreSend::WaitFor(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->ended.wait_for(lock, limit,
                                 [this] { return shared_->result != Result::Pending; });
}

}  // namespace gh
