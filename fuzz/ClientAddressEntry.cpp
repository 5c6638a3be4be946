#include <string_view>

#include "FuzzEntries.h"
#include "server/ClientAddress.h"

namespace gh::fuzz {

std::string CheckClientAddress(const uint8_t* data, size_t size) {
  // The first byte picks how many of the header's addresses are trusted
  // proxies (as the peer); the rest is an X-Forwarded-For value.
  if (size == 0) return {};
  const std::string_view header(reinterpret_cast<const char*>(data + 1), size - 1);
  const char* const peers[] = {"10.0.0.1", "::1", "192.168.1.9"};
  scores::TrustedProxies trusted;
  for (const char* p : peers) trusted.Add(p);
  const std::string peer = peers[data[0] % 3];
  // Trusted peers' headers are read; an untrusted peer's never.
  scores::TrustedProxies none;
  if (scores::ClientAddress(peer, header, none) != peer)
    return "an untrusted peer's header was read";
  const std::string client = scores::ClientAddress(peer, header, trusted);
  const auto ip = scores::ParseIp(client);
  if (!ip) return "the client is not an address";
  if (scores::FormatIp(*ip) != client) return "the client's text is not its own form";
  if (client != peer && header.find(client) == std::string_view::npos) {
    // The client came from the header: it must be one of its entries' forms.
    bool found = false;
    size_t at = 0;
    while (at <= header.size()) {
      size_t comma = header.find(',', at);
      if (comma == std::string_view::npos) comma = header.size();
      const auto entry = scores::ParseIp(header.substr(at, comma - at));
      if (entry && scores::FormatIp(*entry) == client) found = true;
      at = comma + 1;
    }
    if (!found) return "a client that is neither the peer nor in the header";
  }
  // Every address of one IPv6 /64 is one rate group; an IPv4 address its own.
  const std::string group = scores::RateGroup(client);
  if (ip->v4 ? group != client : group.size() < 4 || group.substr(group.size() - 3) != "/64")
    return "a rate group of the wrong form";
  // The rate group of any text is defined and never empty for non-empty text.
  if (!header.empty() && scores::RateGroup(header).empty()) return "an empty rate group";
  return {};
}

}  // namespace gh::fuzz
