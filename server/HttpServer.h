// The HTTP side of the score server: an event-driven server (libmicrohttpd on
// epoll) that hands whole requests to a handler. Slow and idle clients cost a
// connection, never a worker: a request head has a time limit, heads and
// per-connection memory are capped (an oversized head is answered 431), and
// connections are capped in all and per address. A POST's body is read whole
// up to a cap (over it: 413, and no more is read) within a time limit.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "server/Http.h"

namespace gh::scores {

struct HttpLimits {
  int threads = 8;              // workers; each runs handlers one at a time
  int headSeconds = 5;          // a request head (or the wait for the next one) at most
  size_t headBytes = 8192;      // memory for a connection's head and reply header
  int idleSeconds = 5;          // no byte either way for this long closes a connection
  int perAddress = 32;          // open connections from one address
  int connections = 4096;       // open connections in all
  int backlog = 4096;           // connections waiting to be accepted
  size_t bodyBytes = 4u << 20;  // a POST's body at most; more is answered 413
  int bodySeconds = 60;         // a POST's body at most this long after its head
  // Every body being read, together, at most; a POST that would go over is
  // answered 503 at its head, so many uploads at once cannot exhaust memory.
  size_t bodiesBytes = 64u << 20;
};

class HttpServer {
 public:
  using Handler = std::function<HttpResponse(const HttpRequest&)>;
  // What the server reports (connections cut for their slow heads); may be empty.
  using Log = std::function<void(const std::string&)>;

  HttpServer(Handler handler, HttpLimits limits, Log log = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on `address` ("0.0.0.0", "::", "127.0.0.1" ...) and `port` (0: any
  // free one) and serves on the server's own threads. The port, or throws
  // std::runtime_error with a message.
  int Start(const std::string& address, int port);
  // Closes every connection and ends the threads; also done by the destructor.
  void Stop();

  // Connections cut because their head ran out of time, since the start.
  int64_t HeadTimeouts() const;

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace gh::scores
