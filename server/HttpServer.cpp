#include "server/HttpServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include "server/ClientAddress.h"

namespace gh::scores {

namespace {

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One open connection, for the head's time limit.
struct Connection {
  int fd = -1;
  int64_t since = 0;  // when its head began: the connection's start or the last reply
  bool busy = false;  // a whole head came and is being answered
  bool cut = false;
  bool body = false;  // a POST's body is being read since `since`
};

// One request, from its head to its end.
struct RequestState {
  bool answered = false;
  bool reading = false;  // a POST's body is being read
  std::string body;
  size_t reserved = 0;  // of the bodies' budget
};

std::string Lower(const char* text) {
  std::string s(text ? text : "");
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string PeerText(const sockaddr* addr) {
  if (!addr) return {};
  char text[INET6_ADDRSTRLEN] = {};
  if (addr->sa_family == AF_INET) {
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(addr)->sin_addr, text, sizeof text);
  } else if (addr->sa_family == AF_INET6) {
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(addr)->sin6_addr, text, sizeof text);
  }
  // An IPv4 client of a dual-stack socket is named as IPv4.
  const auto ip = ParseIp(text);
  return ip ? FormatIp(*ip) : std::string(text);
}

}  // namespace

struct HttpServer::State {
  Handler handler;
  HttpLimits limits;
  Log log;
  MHD_Daemon* daemon = nullptr;

  std::mutex mutex;
  std::unordered_set<Connection*> open;
  std::condition_variable wake;
  bool stopping = false;
  std::thread reaper;
  std::atomic<int64_t> headTimeouts{0};
  std::atomic<size_t> bodiesHeld{0};  // reserved by the bodies being read

  static void Notify(void* cls, MHD_Connection* c, void** socketContext,
                     MHD_ConnectionNotificationCode code) {
    auto* self = static_cast<State*>(cls);
    std::lock_guard lock(self->mutex);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      auto* conn = new Connection;
      const MHD_ConnectionInfo* info =
          MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
      conn->fd = info ? info->connect_fd : -1;
      conn->since = NowMs();
      *socketContext = conn;
      self->open.insert(conn);
    } else {
      // Called before the library closes the socket: the reaper never
      // shuts down a number that another connection has taken since.
      auto* conn = static_cast<Connection*>(*socketContext);
      self->open.erase(conn);
      delete conn;
      *socketContext = nullptr;
    }
  }

  static Connection* Of(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<Connection*>(info->socket_context) : nullptr;
  }

  static void Completed(void* cls, MHD_Connection* c, void** requestContext,
                        MHD_RequestTerminationCode) {
    auto* self = static_cast<State*>(cls);
    if (auto* st = static_cast<RequestState*>(*requestContext)) self->bodiesHeld -= st->reserved;
    delete static_cast<RequestState*>(*requestContext);
    *requestContext = nullptr;
    std::lock_guard lock(self->mutex);
    if (Connection* conn = Of(c)) {
      conn->busy = false;
      conn->body = false;
      conn->since = NowMs();  // the next head's time starts now
    }
  }

  static MHD_Result Reply(MHD_Connection* c, RequestState& st, const HttpResponse& res) {
    st.answered = true;
    st.reading = false;
    st.body.clear();
    st.body.shrink_to_fit();
    MHD_Response* reply = MHD_create_response_from_buffer(
        res.body.size(), const_cast<char*>(res.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!reply) return MHD_NO;
    MHD_add_response_header(reply, "Content-Type", res.contentType.c_str());
    for (const auto& [name, value] : res.headers)
      MHD_add_response_header(reply, name.c_str(), value.c_str());
    if (res.close) MHD_add_response_header(reply, "Connection", "close");
    const MHD_Result queued = MHD_queue_response(c, static_cast<unsigned>(res.status), reply);
    MHD_destroy_response(reply);
    return queued;
  }

  // Over the cap: answered at once, and the rest is never read.
  static MHD_Result TooLarge(MHD_Connection* c, RequestState& st, size_t cap) {
    HttpResponse res;
    res.headers.emplace_back("X-Content-Type-Options", "nosniff");
    res.Set(413, "text/plain", "the body is over " + std::to_string(cap) + " bytes\n");
    res.close = true;
    return Reply(c, st, res);
  }

  // Takes `bytes` more of the bodies' budget for `st`; false when it is spent.
  bool Reserve(RequestState& st, size_t bytes) {
    size_t held = bodiesHeld.load();
    do {
      if (bytes > limits.bodiesBytes - std::min(held, limits.bodiesBytes)) return false;
    } while (!bodiesHeld.compare_exchange_weak(held, held + bytes));
    st.reserved += bytes;
    return true;
  }

  static MHD_Result Access(void* cls, MHD_Connection* c, const char* url, const char* method,
                           const char*, const char* uploadData, size_t* uploadSize,
                           void** requestContext) {
    auto* self = static_cast<State*>(cls);
    // The first call comes with the head; the request is answered on a later
    // one, once the library has the whole of it: a reply queued earlier would
    // close the connection and lose any request pipelined behind. A POST's
    // body comes in between, in pieces.
    auto* st = static_cast<RequestState*>(*requestContext);
    if (!st) {
      st = new RequestState;
      *requestContext = st;
      {
        std::lock_guard lock(self->mutex);
        if (Connection* conn = Of(c)) conn->busy = true;
      }
      const char* length = MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Content-Length");
      const bool body = (length && std::string(length) != "0") ||
                        MHD_lookup_connection_value(c, MHD_HEADER_KIND, "Transfer-Encoding");
      if (!body) return MHD_YES;
      if (method && std::string(method) == "POST") {
        // A length over the cap is refused before a byte of the body is read.
        const size_t declared = length ? std::strtoull(length, nullptr, 10) : 0;
        if (declared > self->limits.bodyBytes) return TooLarge(c, *st, self->limits.bodyBytes);
        if (!self->Reserve(*st, declared)) {
          HttpResponse res;
          res.headers.emplace_back("X-Content-Type-Options", "nosniff");
          res.headers.emplace_back("Retry-After", "5");
          res.Set(503, "text/plain", "too many uploads at once, try again\n");
          res.close = true;
          return Reply(c, *st, res);
        }
        st->body.reserve(declared);
        st->reading = true;
        std::lock_guard lock(self->mutex);
        if (Connection* conn = Of(c)) {
          conn->body = true;
          conn->since = NowMs();
        }
        return MHD_YES;
      }
      // Another method's body is never read: answered now (see below).
    } else if (st->answered) {
      *uploadSize = 0;  // a body left unread
      return MHD_YES;
    } else if (*uploadSize != 0) {
      if (!st->reading) {
        *uploadSize = 0;
        return MHD_YES;
      }
      const size_t reserveMore = st->body.size() + *uploadSize > st->reserved
                                     ? st->body.size() + *uploadSize - st->reserved
                                     : 0;
      if (*uploadSize > self->limits.bodyBytes - st->body.size() ||
          !self->Reserve(*st, reserveMore)) {
        // A body without a length (chunked) that runs past the cap or the
        // bodies' budget: the library takes no reply in the middle of a body,
        // so the connection is closed and nothing more is read.
        st->answered = true;
        st->body.clear();
        st->body.shrink_to_fit();
        return MHD_NO;
      }
      st->body.append(uploadData, *uploadSize);
      *uploadSize = 0;
      return MHD_YES;
    }
    HttpRequest req;
    req.method = method ? method : "";
    req.path = url ? url : "";
    MHD_get_connection_values(
        c, MHD_GET_ARGUMENT_KIND,
        [](void* out, MHD_ValueKind, const char* key, const char* value) -> MHD_Result {
          static_cast<HttpRequest*>(out)->query.push_back(
              {key ? key : "", value ? value : "", value != nullptr});
          return MHD_YES;
        },
        &req);
    MHD_get_connection_values(
        c, MHD_HEADER_KIND,
        [](void* out, MHD_ValueKind, const char* key, const char* value) -> MHD_Result {
          static_cast<HttpRequest*>(out)->headers.emplace_back(Lower(key), value ? value : "");
          return MHD_YES;
        },
        &req);
    const std::string length = req.Header("content-length");
    req.hasBody = (!length.empty() && length != "0") || !req.Header("transfer-encoding").empty();
    const bool bodyRead = st->reading;
    req.body = std::move(st->body);
    const MHD_ConnectionInfo* peer = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    req.peer = PeerText(peer ? peer->client_addr : nullptr);

    HttpResponse res;
    try {
      res = self->handler(req);
    } catch (const std::exception& e) {
      if (self->log) self->log(std::string("error: ") + e.what());
      res = HttpResponse{};
      res.Set(500, "text/plain", "server error\n");
    }
    // A body not read could only be taken for the next request.
    if (req.hasBody && !bodyRead) res.close = true;
    return Reply(c, *st, res);
  }

  // Cuts connections whose head has taken too long: the library's own
  // time-out counts from the last byte, so one byte a second would hold a
  // connection for ever.
  void Reap() {
    std::unique_lock lock(mutex);
    int64_t reported = 0, nextReport = NowMs() + 60000;
    while (!stopping) {
      wake.wait_for(lock, std::chrono::milliseconds(200));
      const int64_t now = NowMs();
      const int64_t limit = int64_t(limits.headSeconds) * 1000;
      const int64_t bodyLimit = int64_t(limits.bodySeconds) * 1000;
      for (Connection* conn : open) {
        if (conn->cut) continue;
        if (conn->body ? now - conn->since <= bodyLimit : conn->busy || now - conn->since <= limit)
          continue;
        shutdown(conn->fd, SHUT_RDWR);
        conn->cut = true;
        ++headTimeouts;
      }
      if (now >= nextReport) {
        nextReport = now + 60000;
        const int64_t total = headTimeouts.load();
        if (total != reported && log)
          log(std::to_string(total - reported) +
              " connections closed in the last minute for a slow or missing request head");
        reported = total;
      }
    }
  }
};

HttpServer::HttpServer(Handler handler, HttpLimits limits, Log log)
    : state_(std::make_unique<State>()) {
  state_->handler = std::move(handler);
  state_->limits = limits;
  state_->log = std::move(log);
}

HttpServer::~HttpServer() { Stop(); }

int HttpServer::Start(const std::string& address, int port) {
  State& s = *state_;
  sockaddr_storage where{};
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    auto* a = reinterpret_cast<sockaddr_in*>(&where);
    a->sin_family = AF_INET;
    a->sin_port = htons(static_cast<uint16_t>(port));
    a->sin_addr = v4;
  } else if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&where);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(static_cast<uint16_t>(port));
    a->sin6_addr = v6;
    flags |= MHD_USE_IPv6;
  } else {
    throw std::runtime_error("\"" + address + "\" is not an IP address to listen on");
  }
  const HttpLimits& l = s.limits;
  s.daemon = MHD_start_daemon(
      flags, static_cast<uint16_t>(port), nullptr, nullptr, &State::Access, &s,
      MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&where), MHD_OPTION_THREAD_POOL_SIZE,
      static_cast<unsigned>(l.threads), MHD_OPTION_CONNECTION_LIMIT,
      static_cast<unsigned>(l.connections), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      static_cast<unsigned>(l.perAddress), MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(l.idleSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT, l.headBytes,
      MHD_OPTION_CONNECTION_MEMORY_INCREMENT, std::min<size_t>(1024, l.headBytes / 4),
      MHD_OPTION_LISTEN_BACKLOG_SIZE, static_cast<unsigned>(l.backlog),
      MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_NOTIFY_CONNECTION, &State::Notify, &s,
      MHD_OPTION_NOTIFY_COMPLETED, &State::Completed, &s, MHD_OPTION_END);
  if (!s.daemon)
    throw std::runtime_error("cannot listen on " + address + ":" + std::to_string(port) + ": " +
                             std::strerror(errno));
  const MHD_DaemonInfo* info = MHD_get_daemon_info(s.daemon, MHD_DAEMON_INFO_BIND_PORT);
  {
    std::lock_guard lock(s.mutex);
    s.stopping = false;
  }
  s.reaper = std::thread([&s] { s.Reap(); });
  return info ? info->port : port;
}

void HttpServer::Stop() {
  State& s = *state_;
  if (s.reaper.joinable()) {
    {
      std::lock_guard lock(s.mutex);
      s.stopping = true;
    }
    s.wake.notify_all();
    s.reaper.join();
  }
  if (s.daemon) {
    MHD_stop_daemon(s.daemon);
    s.daemon = nullptr;
  }
}

int64_t HttpServer::HeadTimeouts() const { return state_->headTimeouts.load(); }

}  // namespace gh::scores
