// gravelhorn2-verify: plays recorded games again on the headless engine and
// says how each ended, one line a recording; and the scripted player that
// makes recordings to check it with.
//
//   gravelhorn2-verify --data DIR FILE             one recording: exit 0 verified, 1 refused
//   gravelhorn2-verify --data DIR --serve          jobs on standard input: each a 4-byte
//                                                  little-endian length, then that many bytes
//   gravelhorn2-verify --data DIR --bot SEED OUT [--minutes N]
//                                                  the scripted player's game, written to OUT
//
// DIR is the folder that holds Data/. Each recording gets one line on standard
// output, flushed at once: "verified <score> <level> <frames>" or
// "refused <reason>". Usage and data errors go to standard error, exit code 2.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/System.h"
#include "verify/Bot.h"
#include "verify/Verifier.h"

namespace {

constexpr int ExitVerified = 0;
constexpr int ExitRefused = 1;
constexpr int ExitUsage = 2;

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "gravelhorn2-verify: %s\n"
               "usage: gravelhorn2-verify --data DIR FILE\n"
               "       gravelhorn2-verify --data DIR --serve\n"
               "       gravelhorn2-verify --data DIR --bot SEED OUT [--minutes N]\n",
               why.c_str());
  return ExitUsage;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "gravelhorn2-verify: %s\n", why.c_str());
  return ExitUsage;
}

void PrintLine(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

bool ReadExactly(std::FILE* in, char* to, size_t n) { return std::fread(to, 1, n, in) == n; }

// Jobs until the end of the input. A job over the size limit is read past (in
// pieces, never held) and refused, so the jobs after it stay in step.
int Serve(gh::Verifier& verifier) {
  const size_t limit = verifier.Settings().Limits.MaxBytes;
  std::string bytes;
  for (;;) {
    unsigned char header[4];
    const size_t got = std::fread(header, 1, 4, stdin);
    if (got == 0) return ExitVerified;  // the end of the input between jobs
    if (got < 4) {
      PrintLine("refused the job's length was cut short");
      return ExitUsage;
    }
    const uint32_t length =
        header[0] | header[1] << 8 | header[2] << 16 | static_cast<uint32_t>(header[3]) << 24;
    if (length > limit) {
      char skip[65536];
      for (uint32_t left = length; left > 0;) {
        const size_t n = std::min<size_t>(left, sizeof skip);
        if (!ReadExactly(stdin, skip, n)) {
          PrintLine("refused the job ended before its " + std::to_string(length) + " bytes");
          return ExitUsage;
        }
        left -= static_cast<uint32_t>(n);
      }
      PrintLine(gh::OutcomeLine(
          {.Reason = "The recording is larger than " + std::to_string(limit) + " bytes."}));
      continue;
    }
    bytes.resize(length);
    if (!ReadExactly(stdin, bytes.data(), length)) {
      PrintLine("refused the job ended before its " + std::to_string(length) + " bytes");
      return ExitUsage;
    }
    const gh::Result<gh::VerifyOutcome> outcome = verifier.Verify(bytes);
    if (!outcome) {
      // This verifier cannot play games at all: no job after this one could
      // be answered either.
      PrintLine("refused the verifier cannot play games: " + outcome.error().message);
      return ExitUsage;
    }
    PrintLine(gh::OutcomeLine(*outcome));
  }
}

int VerifyFile(gh::Verifier& verifier, const std::string& path) {
  const size_t limit = verifier.Settings().Limits.MaxBytes;
  const gh::Result<std::string> bytes = gh::ReadFileStart(path, limit + 1);
  if (!bytes) return Fail(bytes.error().message);
  const gh::Result<gh::VerifyOutcome> outcome = verifier.Verify(*bytes);
  if (!outcome) return Fail(outcome.error().message);
  PrintLine(gh::OutcomeLine(*outcome));
  return outcome->Verified ? ExitVerified : ExitRefused;
}

int Bot(gh::Verifier& verifier, uint64_t seed, const std::string& out, uint32_t minutes) {
  gh::BotOptions options;
  options.LeaveAfterFrames = minutes * 60u * 60u;
  const gh::Result<gh::GameRecording> made = gh::PlayBotGame(seed, options);
  if (!made) return Fail(made.error().message);
  std::error_code ignored;
  std::filesystem::remove(out, ignored);
  if (gh::Status written = gh::CreateNewFile(out, gh::EncodeRecording(*made)); !written)
    return Fail(written.error().message);
  // The line says how the game played again ends, as the verifier would.
  const gh::Result<gh::VerifyOutcome> outcome = verifier.Verify(*made);
  if (!outcome) return Fail(outcome.error().message);
  PrintLine(gh::OutcomeLine(*outcome));
  return outcome->Verified ? ExitVerified : ExitRefused;
}

bool ParseNumber(const std::string& text, uint64_t& to) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return false;
    value = value * 10 + digit;
  }
  to = value;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  gh::UseBinaryStandardStreams();
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 3 || args[0] != "--data") return Usage("--data DIR comes first");
  enum class Mode { File, Serve, Bot } mode = Mode::File;
  std::string file;
  uint64_t seed = 0, minutes = 0;
  if (args[2] == "--serve") {
    if (args.size() != 3) return Usage("--serve takes nothing after it");
    mode = Mode::Serve;
  } else if (args[2] == "--bot") {
    mode = Mode::Bot;
    if (args.size() != 5 && args.size() != 7) return Usage("--bot takes SEED and OUT");
    if (!ParseNumber(args[3], seed)) return Usage("SEED must be a whole number: " + args[3]);
    file = args[4];
    if (args.size() == 7 &&
        (args[5] != "--minutes" || !ParseNumber(args[6], minutes) || minutes == 0 || minutes > 240))
      return Usage("--minutes takes a number of minutes from 1 to 240");
  } else {
    if (args.size() != 3 || args[2].rfind("--", 0) == 0) return Usage("one recording file");
    file = args[2];
  }

  // Files named on the command line are where the caller meant them, before
  // the working folder becomes DIR.
  std::error_code ec;
  if (!file.empty()) file = std::filesystem::absolute(file, ec).string();
  const std::string engine = gh::LibraryPath(gh::ProgramFolder(), "system");
  if (!gh::EnterFolder(args[1])) return Fail("cannot enter the folder " + args[1]);

  gh::Result<std::unique_ptr<gh::Verifier>> verifier = gh::Verifier::Open(engine);
  if (!verifier) return Fail(verifier.error().message);
  switch (mode) {
    case Mode::Serve:
      return Serve(**verifier);
    case Mode::Bot:
      return Bot(**verifier, seed, file, static_cast<uint32_t>(minutes));
    case Mode::File:
      break;
  }
  return VerifyFile(**verifier, file);
}
