#include "ReplayFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace gh::test::replay {

namespace {

// Bounds that keep a damaged file from asking for absurd amounts of work.
constexpr uint32_t MaxFrames = 100'000'000;
constexpr size_t MaxEventsPerFrame = 256;
constexpr size_t MaxConfigBytes = 1 << 20;

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::optional<std::string> Unhex(std::string_view hex) {
  if (hex.size() % 2) return std::nullopt;
  std::string out;
  out.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (ec != std::errc() || end != hex.data() + i + 2) return std::nullopt;
    out += static_cast<char>(value);
  }
  return out;
}

std::string Hex64(uint64_t v) {
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

std::string Float(float v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  (void)ec;
  return std::string(buf, end);
}

// Splits a line into tokens and reads them one by one, noting the first fault.
class Tokens {
 public:
  Tokens(const std::string& line, int lineNo, std::string& error) : error_(error), lineNo_(lineNo) {
    std::istringstream in(line);
    for (std::string t; in >> t;) tokens_.push_back(t);
  }
  size_t Left() const { return tokens_.size() - next_; }
  bool Word(std::string& out, const char* what) {
    if (next_ >= tokens_.size()) return Fail(std::string("missing ") + what);
    out = tokens_[next_++];
    return true;
  }
  bool Expect(const char* word) {
    std::string w;
    if (!Word(w, word)) return false;
    if (w != word) return Fail("expected \"" + std::string(word) + "\", found \"" + w + "\"");
    return true;
  }
  template <typename T>
  bool Int(T& out, const char* what, long long lo, long long hi, int base = 10) {
    std::string w;
    if (!Word(w, what)) return false;
    long long v = 0;
    auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, base);
    if (ec != std::errc() || end != w.data() + w.size())
      return Fail(std::string("bad ") + what + " \"" + w + "\"");
    if (v < lo || v > hi) return Fail(std::string(what) + " out of range: " + w);
    out = static_cast<T>(v);
    return true;
  }
  bool U64(uint64_t& out, const char* what) {
    std::string w;
    if (!Word(w, what)) return false;
    auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), out, 16);
    if (ec != std::errc() || end != w.data() + w.size())
      return Fail(std::string("bad ") + what + " \"" + w + "\"");
    return true;
  }
  bool Fraction(float& out, const char* what) {
    std::string w;
    if (!Word(w, what)) return false;
    auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), out);
    if (ec != std::errc() || end != w.data() + w.size() || !std::isfinite(out))
      return Fail(std::string("bad ") + what + " \"" + w + "\"");
    if (out < 0.0f || out > 1.0f) return Fail(std::string(what) + " outside 0..1: " + w);
    return true;
  }
  bool Done() {
    if (next_ < tokens_.size()) return Fail("unexpected \"" + tokens_[next_] + "\"");
    return true;
  }
  bool Fail(const std::string& what) {
    if (error_.empty()) error_ = "line " + std::to_string(lineNo_) + ": " + what;
    return false;
  }

 private:
  std::vector<std::string> tokens_;
  size_t next_ = 0;
  std::string& error_;
  int lineNo_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool ReadEvent(Tokens& t, Event& e) {
  std::string kind;
  if (!t.Word(kind, "event")) return false;
  if (kind.size() != 1) return t.Fail("unknown event \"" + kind + "\"");
  e = Event{};
  switch (kind[0]) {
    case Event::Mouse:
      e.kind = Event::Mouse;
      return t.Fraction(e.x, "pointer x") && t.Fraction(e.y, "pointer y");
    case Event::Button:
      e.kind = Event::Button;
      return t.Int(e.a, "button", 0, 2) && t.Int(e.b, "button state", 0, 1);
    case Event::Key:
      e.kind = Event::Key;
      return t.Int(e.a, "key", 0, 255) && t.Int(e.b, "key state", 0, 1);
    case Event::Char:
      e.kind = Event::Char;
      return t.Int(e.a, "character", 1, 255);
    case Event::Message:
      e.kind = Event::Message;
      return t.Int(e.a, "message", 1, 10) && t.Int(e.b, "message argument", -65536, 65536) &&
             t.Int(e.c, "message argument", -65536, 65536);
    case Event::Active:
      e.kind = Event::Active;
      return t.Int(e.a, "focus", 0, 1);
    default:
      return t.Fail("unknown event \"" + kind + "\"");
  }
}

}  // namespace

std::string Write(const Recording& r) {
  std::string out = "gh2replay " + std::to_string(FormatVersion) + "\n";
  out += "seed " + std::to_string(r.seed) + "\n";
  out += r.config ? "config " + (r.config->empty() ? std::string("-") : Hex(*r.config)) + "\n"
                  : std::string("config none\n");
  out += "frames " + std::to_string(r.frames) + "\n";
  for (const auto& f : r.input) {
    out += std::to_string(f.frame);
    for (const auto& e : f.events) {
      out += ' ';
      out += static_cast<char>(e.kind);
      switch (e.kind) {
        case Event::Mouse:
          out += ' ' + Float(e.x) + ' ' + Float(e.y);
          break;
        case Event::Button:
        case Event::Key:
          out += ' ' + std::to_string(e.a) + ' ' + std::to_string(e.b);
          break;
        case Event::Char:
        case Event::Active:
          out += ' ' + std::to_string(e.a);
          break;
        case Event::Message:
          out += ' ' + std::to_string(e.a) + ' ' + std::to_string(e.b) + ' ' + std::to_string(e.c);
          break;
      }
    }
    out += '\n';
  }
  out += "end\n";
  return out;
}

std::optional<Recording> Read(const std::string& text, std::string& error) {
  error.clear();
  const auto lines = Lines(text);
  Recording r;
  size_t i = 0;
  auto header = [&](auto&& body) {
    if (i >= lines.size()) {
      error = "the file ends inside its header (line " + std::to_string(i + 1) + ")";
      return false;
    }
    Tokens t(lines[i], static_cast<int>(i + 1), error);
    ++i;
    return body(t) && t.Done();
  };
  int version = 0;
  if (!header([&](Tokens& t) {
        return t.Expect("gh2replay") && t.Int(version, "format version", 0, 1 << 30);
      }))
    return std::nullopt;
  if (version != FormatVersion) {
    error = "format version " + std::to_string(version) + " is not supported (this reader reads " +
            std::to_string(FormatVersion) + ")";
    return std::nullopt;
  }
  if (!header([&](Tokens& t) { return t.Expect("seed") && t.Int(r.seed, "seed", 0, UINT32_MAX); }))
    return std::nullopt;
  if (!header([&](Tokens& t) {
        std::string value;
        if (!t.Expect("config") || !t.Word(value, "config bytes")) return false;
        if (value == "none") return true;
        if (value == "-") {
          r.config = std::string();
          return true;
        }
        if (value.size() > 2 * MaxConfigBytes) return t.Fail("config bytes too long");
        r.config = Unhex(value);
        return r.config ? true : t.Fail("config bytes are not hex pairs");
      }))
    return std::nullopt;
  if (!header(
          [&](Tokens& t) { return t.Expect("frames") && t.Int(r.frames, "frames", 0, MaxFrames); }))
    return std::nullopt;
  bool ended = false;
  for (; i < lines.size(); ++i) {
    if (lines[i].empty()) continue;
    Tokens t(lines[i], static_cast<int>(i + 1), error);
    if (lines[i] == "end") {
      ended = true;
      ++i;
      break;
    }
    FrameInput f;
    if (!t.Int(f.frame, "frame", 0, MaxFrames)) return std::nullopt;
    if (f.frame >= r.frames) {
      t.Fail("frame " + std::to_string(f.frame) + " is past the last frame");
      return std::nullopt;
    }
    if (!r.input.empty() && f.frame <= r.input.back().frame) {
      t.Fail("frame " + std::to_string(f.frame) + " does not follow frame " +
             std::to_string(r.input.back().frame));
      return std::nullopt;
    }
    while (t.Left() > 0) {
      if (f.events.size() >= MaxEventsPerFrame) {
        t.Fail("too many events in one frame");
        return std::nullopt;
      }
      if (!ReadEvent(t, f.events.emplace_back())) return std::nullopt;
    }
    if (f.events.empty()) {
      t.Fail("a frame line without events");
      return std::nullopt;
    }
    r.input.push_back(std::move(f));
  }
  if (!ended) {
    error = "the file is cut short: no \"end\" line";
    return std::nullopt;
  }
  for (; i < lines.size(); ++i) {
    if (!lines[i].empty()) {
      error = "line " + std::to_string(i + 1) + ": text after \"end\"";
      return std::nullopt;
    }
  }
  return r;
}

std::string Write(const Expectation& x) {
  std::string out = "gh2expect " + std::to_string(FormatVersion) + "\n";
  out += "frames " + std::to_string(x.frames) + "\n";
  out += "rolling " + Hex64(x.rolling) + "\n";
  out += "score " + std::to_string(x.score) + "\n";
  out += "level " + std::to_string(x.level) + "\n";
  out += "lives " + std::to_string(x.lives) + "\n";
  out += "exit " + std::to_string(x.exitCode) + "\n";
  out += "config " + Hex64(x.configHash) + "\n";
  for (size_t i = 0; i < x.table.size(); ++i) {
    out += "table " + std::to_string(i + 1) + ' ' + std::to_string(x.table[i].first) + ' ' +
           (x.table[i].second.empty() ? std::string("-") : Hex(x.table[i].second)) + "\n";
  }
  for (const auto& [frame, sum] : x.samples)
    out += "sample " + std::to_string(frame) + ' ' + Hex64(sum) + "\n";
  out += "end\n";
  return out;
}

std::optional<Expectation> ReadExpectation(const std::string& text, std::string& error) {
  error.clear();
  Expectation x;
  bool ended = false, versioned = false;
  const auto lines = Lines(text);
  for (size_t i = 0; i < lines.size() && !ended; ++i) {
    if (lines[i].empty()) continue;
    Tokens t(lines[i], static_cast<int>(i + 1), error);
    std::string key;
    t.Word(key, "key");
    bool ok = true;
    int version = 0;
    if (!versioned) {
      ok = key == "gh2expect" ? t.Int(version, "format version", 0, 1 << 30)
                              : t.Fail("not an expectation file");
      if (ok && version != FormatVersion) ok = t.Fail("unsupported format version");
      versioned = true;
    } else if (key == "frames") {
      ok = t.Int(x.frames, "frames", 0, MaxFrames);
    } else if (key == "rolling") {
      ok = t.U64(x.rolling, "rolling hash");
    } else if (key == "score") {
      ok = t.Int(x.score, "score", INT32_MIN, INT32_MAX);
    } else if (key == "level") {
      ok = t.Int(x.level, "level", -1, 1 << 20);
    } else if (key == "lives") {
      ok = t.Int(x.lives, "lives", -1, 1 << 20);
    } else if (key == "exit") {
      ok = t.Int(x.exitCode, "exit code", -1, 255);
    } else if (key == "config") {
      ok = t.U64(x.configHash, "config hash");
    } else if (key == "table") {
      int rank = 0;
      int32_t score = 0;
      std::string name;
      ok = t.Int(rank, "rank", 1, 10) && t.Int(score, "score", INT32_MIN, INT32_MAX) &&
           t.Word(name, "name");
      if (ok && rank != static_cast<int>(x.table.size()) + 1) ok = t.Fail("ranks out of order");
      std::optional<std::string> bytes = name == "-" ? std::string() : Unhex(name);
      if (ok && !bytes) ok = t.Fail("name is not hex pairs");
      if (ok) x.table.emplace_back(score, *bytes);
    } else if (key == "sample") {
      uint32_t frame = 0;
      uint64_t sum = 0;
      ok = t.Int(frame, "frame", 0, MaxFrames) && t.U64(sum, "checksum");
      if (ok) x.samples.emplace_back(frame, sum);
    } else if (key == "end") {
      ended = true;
    } else {
      ok = t.Fail("unknown key \"" + key + "\"");
    }
    if (!ok || !t.Done()) return std::nullopt;
  }
  if (!ended) {
    error = versioned ? "the file is cut short: no \"end\" line" : "the file is empty";
    return std::nullopt;
  }
  return x;
}

std::optional<std::string> LoadFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return std::nullopt;
  }
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool SaveFile(const std::string& path, const std::string& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

uint64_t Fnv(const std::string& bytes) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

uint64_t Fold(uint64_t rolling, uint64_t checksum) {
  for (int i = 0; i < 8; ++i) {
    rolling ^= (checksum >> (8 * i)) & 0xff;
    rolling *= 1099511628211ull;
  }
  return rolling;
}

}  // namespace gh::test::replay
