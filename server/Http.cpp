#include "server/Http.h"

namespace gh::scores {

bool HttpRequest::Has(std::string_view name) const {
  for (const auto& p : query)
    if (p.name == name) return true;
  return false;
}

std::string HttpRequest::Value(std::string_view name) const {
  for (const auto& p : query)
    if (p.name == name) return p.value;
  return {};
}

std::string HttpRequest::Header(std::string_view lowerName) const {
  for (const auto& [name, value] : headers)
    if (name == lowerName) return value;
  return {};
}

}  // namespace gh::scores
