#include "server/ClientAddress.h"

#include <arpa/inet.h>

#include <cstring>
#include <stdexcept>

namespace gh::scores {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

constexpr unsigned char MappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

}  // namespace

std::optional<IpAddress> ParseIp(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
    text = text.substr(1, text.size() - 2);
  if (text.empty() || text.size() > 45) return std::nullopt;
  const std::string copy(text);
  IpAddress out;
  in_addr v4{};
  if (inet_pton(AF_INET, copy.c_str(), &v4) == 1) {
    std::memcpy(out.bytes.data(), MappedPrefix, 12);
    std::memcpy(out.bytes.data() + 12, &v4, 4);
    out.v4 = true;
    return out;
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, copy.c_str(), &v6) != 1) return std::nullopt;
  std::memcpy(out.bytes.data(), &v6, 16);
  out.v4 = std::memcmp(out.bytes.data(), MappedPrefix, 12) == 0;
  return out;
}

std::string FormatIp(const IpAddress& address) {
  char text[INET6_ADDRSTRLEN] = {};
  if (address.v4) {
    inet_ntop(AF_INET, address.bytes.data() + 12, text, sizeof text);
  } else {
    inet_ntop(AF_INET6, address.bytes.data(), text, sizeof text);
  }
  return text;
}

void TrustedProxies::Add(std::string_view address) {
  const auto ip = ParseIp(address);
  if (!ip) throw std::invalid_argument("\"" + std::string(address) + "\" is not an IP address");
  list_.push_back(*ip);
}

bool TrustedProxies::Contains(const IpAddress& address) const {
  for (const auto& a : list_)
    if (a == address) return true;
  return false;
}

std::string ClientAddress(std::string_view peer, std::string_view forwardedFor,
                          const TrustedProxies& trusted) {
  const auto peerIp = ParseIp(peer);
  const std::string peerText = peerIp ? FormatIp(*peerIp) : std::string(peer);
  if (trusted.Empty() || !peerIp || !trusted.Contains(*peerIp) || Trim(forwardedFor).empty())
    return peerText;
  std::optional<IpAddress> leftmost;
  std::string_view rest = forwardedFor;
  while (true) {
    const size_t comma = rest.rfind(',');
    const std::string_view entry =
        Trim(comma == std::string_view::npos ? rest : rest.substr(comma + 1));
    const auto ip = ParseIp(entry);
    if (!ip) return peerText;  // not what a proxy writes: trust none of it
    if (!trusted.Contains(*ip)) return FormatIp(*ip);
    leftmost = ip;
    if (comma == std::string_view::npos) break;
    rest = rest.substr(0, comma);
  }
  return FormatIp(*leftmost);
}

std::string RateGroup(std::string_view address) {
  auto ip = ParseIp(address);
  if (!ip) return std::string(address);
  if (ip->v4) return FormatIp(*ip);
  for (size_t i = 8; i < 16; ++i) ip->bytes[i] = 0;
  return FormatIp(*ip) + "/64";
}

}  // namespace gh::scores
