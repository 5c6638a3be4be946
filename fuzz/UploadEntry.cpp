#include <cstring>
#include <memory>
#include <string_view>

#include "FuzzEntries.h"
#include "scores/ScoreProtocol.h"
#include "server/ScoreService.h"
#include "server/Storage.h"

namespace gh::fuzz {

namespace {

constexpr size_t Cap = 4096;  // the recording's cap here, so inputs reach past it
constexpr int64_t Now = 1700000000000;

// One service over an in-memory database for the whole run; every input
// leaves it empty again.
struct Server {
  std::unique_ptr<scores::Storage> storage = scores::OpenSqlite(":memory:");
  scores::ScoreService service{*storage, Options(), [] { return Now; }, [](const std::string&) {}};

  static scores::ServiceOptions Options() {
    scores::ServiceOptions o;
    o.versionPerMinute = o.submitPerMinute = o.uploadPerMinute = 0;
    o.maxRecordingBytes = Cap;
    return o;
  }
};

Server& TheServer() {
  static Server server;
  return server;
}

scores::HttpRequest Request(std::string method, std::string_view query) {
  scores::HttpRequest req;
  req.method = std::move(method);
  req.path = std::string(protocol::ScriptPath);
  req.peer = "127.0.0.1";
  // The query's parameters as the HTTP layer gives them: split at "&", a
  // bare word without a value.
  size_t at = 0;
  while (at <= query.size()) {
    size_t end = query.find('&', at);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view part = query.substr(at, end - at);
    const size_t eq = part.find('=');
    if (eq == std::string_view::npos) {
      req.query.push_back({std::string(part), "", false});
    } else {
      req.query.push_back(
          {std::string(part.substr(0, eq)), std::string(part.substr(eq + 1)), true});
    }
    at = end + 1;
  }
  return req;
}

std::string Field(std::string_view reply, int index) {
  for (int i = 0; i < index; ++i) {
    const size_t bar = reply.find('|');
    if (bar == std::string_view::npos) return {};
    reply.remove_prefix(bar + 1);
  }
  return std::string(reply.substr(0, reply.find('|')));
}

// A row stored by the protocol's two requests: its token and its cookie.
std::pair<std::string, std::string> StoreRow(scores::ScoreService& service) {
  const scores::HttpResponse version = service.Handle(Request("GET", protocol::VersionQuery));
  std::string cookie;
  for (const auto& [name, value] : version.headers)
    if (name == "Set-Cookie") cookie = value.substr(0, value.find(';'));
  const std::string token = Field(version.body, protocol::TokenField);
  scores::HttpRequest submit =
      Request("GET", std::string(protocol::SubmitQuery) +
                         protocol::EncodeBlocks(protocol::SubmissionText(
                             "Fuzz", 100, protocol::DefaultKey, token, "Here")));
  submit.headers.emplace_back("cookie", cookie);
  if (service.Handle(submit).status != 200) return {};
  return {token, cookie};
}

}  // namespace

std::string CheckUpload(const uint8_t* data, size_t size) {
  Server& server = TheServer();
  if (size < 2) return {};
  const uint8_t how = data[0], more = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  // The rest: a token (or any text in its place), a header value and the body,
  // separated by NUL bytes.
  const size_t cut1 = rest.find('\0');
  const std::string_view tokenText = rest.substr(0, cut1);
  rest = cut1 == std::string_view::npos ? std::string_view() : rest.substr(cut1 + 1);
  const size_t cut2 = rest.find('\0');
  const std::string_view headerText = rest.substr(0, cut2);
  std::string body(cut2 == std::string_view::npos ? std::string_view() : rest.substr(cut2 + 1));
  // Bodies past the cap without inputs that large.
  if (more & 0x80) body.resize(Cap + (more & 0x7F));

  const auto [issuedToken, issuedCookie] = StoreRow(server.service);
  if (issuedToken.empty()) return "the protocol's two requests stored no row";
  const bool useIssuedToken = how & 1;
  const int cookieChoice = (how >> 1) & 3;  // 0 none, 1 the row's, 2 another, 3 the header text
  const bool post = !(how & 8);
  const bool withProduct = !(how & 16);
  const std::string token = useIssuedToken ? issuedToken : std::string(tokenText);

  std::string query = "rec&";
  if (withProduct) query += "prg=Gravelhorn2&";
  query += "p=" + token;
  if (how & 32) query += "&" + std::string(headerText.substr(0, 64));
  scores::HttpRequest req = Request(post ? "POST" : (how & 64 ? "HEAD" : "GET"), query);
  switch (cookieChoice) {
    case 1:
      req.headers.emplace_back("cookie", issuedCookie);
      break;
    case 2:
      req.headers.emplace_back("cookie", std::string(scores::CookieName) + "=0");
      break;
    case 3:
      req.headers.emplace_back("cookie", std::string(headerText));
      break;
  }
  if (how & 128) req.headers.emplace_back("x-forwarded-for", std::string(headerText));
  req.hasBody = !body.empty();
  if (post) req.body = body;

  const scores::HttpResponse res = server.service.Handle(req);
  std::string fault;
  const bool mayTake =
      post && req.Value(protocol::ProductParam) == protocol::Product && !body.empty() &&
      body.size() <= Cap && req.Value(protocol::UploadTokenParam) == issuedToken &&
      (cookieChoice == 1 ||
       (cookieChoice == 3 && headerText.find(issuedCookie) != std::string_view::npos));
  if (res.status == 202) {
    if (!mayTake) fault = "an upload taken that had to be refused";
    const std::vector<int64_t> pending = server.storage->PendingRecordings(10);
    if (pending.size() != 1) {
      fault = "a taken upload left no pending row";
    } else if (server.storage->LoadPending(pending[0])->bytes != body) {
      fault = "the kept recording differs from the body";
    } else if (server.service.Handle(req).status != 409) {
      fault = "a second upload was not refused as already uploaded";
    }
  } else {
    if (!server.storage->PendingRecordings(10).empty())
      fault = "a refused upload left a row pending";
    if (res.status < 400 || res.status > 499)
      fault = "an upload answered " + std::to_string(res.status);
    if (body.size() > Cap && post && res.status != 413 && res.status != 400 && res.status != 405)
      fault = "a body over the cap answered " + std::to_string(res.status);
  }
  if (res.body.empty() || res.body.find('\n') != res.body.size() - 1)
    fault = "a reply that is not one line";
  // Empty again for the next input.
  server.storage->DeleteRows({});
  server.storage->PurgeTokens(INT64_MAX);
  return fault;
}

}  // namespace gh::fuzz
