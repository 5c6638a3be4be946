#include "settings/ConfigFile.h"

#include <algorithm>

namespace gh {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool Byte(uint8_t& out) {
    if (pos_ >= bytes_.size()) return false;
    out = static_cast<uint8_t>(bytes_[pos_++]);
    return true;
  }

  // A setting byte: only an exact 1 reads as on.
  bool Flag(uint8_t& out) {
    uint8_t b;
    if (!Byte(b)) return false;
    out = b == 1 ? 1 : 0;
    return true;
  }

  bool String(std::string& out) {
    if (pos_ >= bytes_.size()) return false;
    const size_t n = static_cast<uint8_t>(bytes_[pos_]);
    if (bytes_.size() - pos_ - 1 < n) return false;
    std::string s(bytes_.substr(pos_ + 1, n));
    for (char& c : s) c = static_cast<char>(~static_cast<unsigned char>(c));
    out = std::move(s);
    pos_ += 1 + n;
    return true;
  }

  bool Int32(int32_t& out) {
    if (bytes_.size() - pos_ < 4) return false;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes_[pos_ + i]);
    out = static_cast<int32_t>(v);
    pos_ += 4;
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

void PutString(std::string& out, const std::string& s) {
  const size_t n = std::min<size_t>(s.size(), 255);
  out.push_back(static_cast<char>(n));
  for (size_t i = 0; i < n; ++i)
    out.push_back(static_cast<char>(~static_cast<unsigned char>(s[i])));
}

void PutInt32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

}  // namespace

int ReadConfig(std::string_view bytes, Settings& data) {
  Reader r(bytes);
  int fields = 0;
  if (!r.Flag(data.Windowed)) return fields;
  ++fields;
  if (!r.Flag(data.MusicOn)) return fields;
  ++fields;
  if (!r.Flag(data.SoundOn)) return fields;
  ++fields;
  if (!r.Byte(data.BossKey)) return fields;
  ++fields;
  if (!r.String(data.Country)) return fields;
  ++fields;
  for (auto& entry : data.HighScores) {
    if (!r.String(entry.Name)) return fields;
    ++fields;
    if (!r.Int32(entry.Score)) return fields;
    ++fields;
  }
  return fields;
}

std::string WriteConfig(const Settings& data) {
  std::string out;
  out.reserve(MaxConfigBytes);
  out.push_back(data.Windowed != 0 ? 1 : 0);
  out.push_back(data.MusicOn != 0 ? 1 : 0);
  out.push_back(data.SoundOn != 0 ? 1 : 0);
  out.push_back(static_cast<char>(data.BossKey));
  PutString(out, data.Country);
  for (const auto& entry : data.HighScores) {
    PutString(out, entry.Name);
    PutInt32(out, entry.Score);
  }
  return out;
}

}  // namespace gh
