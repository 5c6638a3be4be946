// A request and a reply as the score service sees them: nothing of the HTTP
// library that carries them, so the service is tested without sockets.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gh::scores {

struct HttpRequest {
  std::string method;  // "GET", "HEAD", ...
  std::string path;    // without the query
  // The query's parameters in order, decoded; a bare word has no value.
  struct Param {
    std::string name, value;
    bool hasValue = false;
  };
  std::vector<Param> query;
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case
  std::string peer;                                          // the address the connection came from
  bool hasBody = false;
  // The body of a POST, read whole (the server caps its size); other methods'
  // bodies are never read.
  std::string body;

  bool Has(std::string_view name) const;
  // The first value of `name`, "" when it is missing or bare.
  std::string Value(std::string_view name) const;
  // The first header of that name (given in lower case), "" when missing.
  std::string Header(std::string_view lowerName) const;
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "text/plain";
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool close = false;  // close the connection after this reply

  void Set(int code, std::string type, std::string text) {
    status = code;
    contentType = std::move(type);
    body = std::move(text);
  }
};

}  // namespace gh::scores
