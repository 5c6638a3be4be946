// Who a request comes from: the peer, or behind named proxies the right-most
// address of X-Forwarded-For that no trusted proxy added; and the group an
// address is counted in for the rate limits.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gh::scores {

// An IPv4 or IPv6 address in 16 bytes (IPv4 as IPv4-mapped IPv6).
struct IpAddress {
  std::array<unsigned char, 16> bytes{};
  bool v4 = false;
  bool operator==(const IpAddress&) const = default;
};

// Parses "1.2.3.4", "::1", "[::1]", "::ffff:1.2.3.4" (white space around is
// dropped); nothing for anything else.
std::optional<IpAddress> ParseIp(std::string_view text);
std::string FormatIp(const IpAddress& address);

class TrustedProxies {
 public:
  // Throws std::invalid_argument for an entry that is not an address.
  void Add(std::string_view address);
  bool Contains(const IpAddress& address) const;
  bool Empty() const { return list_.empty(); }

 private:
  std::vector<IpAddress> list_;
};

// The client of a request from `peer` carrying `forwardedFor` (the header's
// value, "" when it has none). Only a trusted peer's header is read: its
// entries from the right, trusted proxies skipped; the first other one is the
// client. A header of trusted proxies only gives its left-most entry; an entry
// that is not an address, or no header, gives the peer.
std::string ClientAddress(std::string_view peer, std::string_view forwardedFor,
                          const TrustedProxies& trusted);

// The rate limits' key: an IPv4 address itself, an IPv6 address's /64 (one
// user usually holds a whole /64). Text that is not an address is its own key.
std::string RateGroup(std::string_view address);

}  // namespace gh::scores
