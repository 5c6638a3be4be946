// Running the built program as a separate process on a virtual X display of its
// own, with a window manager as every desktop has, and watching it there with
// the command-line tools of X (xdotool, ImageMagick's import).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "harness/ChildProcess.h"

namespace gh::test {

// Set when a desktop's window manager is found gone: every wait then ends at
// once instead of running into its deadline.
inline bool& DesktopBroken() {
  static bool broken = false;
  return broken;
}

// Checks `done` every 50 ms until it holds or `seconds` passed: a real process
// runs on the wall clock. The deadlines are generous (a loaded machine,
// sanitizers); a wait ends as soon as it holds, or the desktop broke.
inline bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    if (DesktopBroken()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// What a shell command writes to its standard output.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

inline bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Sanitizer builds: the desktop's own libraries (D-Bus under SDL) leave
// allocations at exit that no suppression reaches; the program's leaks are the
// headless tests' business, its exit status is these tests'.
inline std::string NoLeakCheck() {
  const char* asan = std::getenv("ASAN_OPTIONS");
  return std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") +
         "detect_leaks=0";
}

// A copy of the built program (it makes the folder holding it the current one
// and keeps Config.cfg there) beside links to the build's engine library and Data/.
inline void CopyProgramTo(const std::filesystem::path& folder) {
  const std::filesystem::path bin = GH_BIN_DIR;
  std::filesystem::copy_file(bin / "gravelhorn2", folder / "gravelhorn2");
  std::filesystem::create_symlink(bin / "system.so", folder / "system.so");
  std::filesystem::create_directory_symlink(bin / "Data", folder / "Data");
}

// A fresh folder /tmp/<prefix>-XXXXXX with such a copy; empty if none was made.
inline std::filesystem::path MakeGameFolder(const std::string& prefix) {
  std::string pattern = "/tmp/" + prefix + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return {};
  CopyProgramTo(pattern);
  return pattern;
}

// A rectangle of the root window, in pixels.
struct ScreenRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// An Xvfb server (1024 x 768 unless told) on a display number of its own
// choosing, so that tests running side by side never share one.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::filesystem::path& log, const std::string& size = "1024x768") {
    int fds[2];
    if (pipe(fds) != 0) return;
    server_.emplace(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                 size + "x24", "-nolisten", "tcp", "-noreset"},
        std::vector<std::string>{}, log.string());
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty() || !server_->Started()) {
      server_.reset();
      return;
    }
    // Without -noreset the server resets whenever its last client leaves, and
    // refuses connections meanwhile: a program started just after a probe (or
    // after the window manager's check) would find no display. The display is
    // ready once a client can open it.
    const std::string name = ":" + number;
    if (!WaitFor(
            [&] {
              return CommandOutput("DISPLAY=" + name + " xdotool getdisplaygeometry 2>/dev/null")
                         .find_first_of("0123456789") != std::string::npos;
            },
            30)) {
      server_.reset();
      return;
    }
    display_ = name;
  }

  bool Ready() const { return !display_.empty(); }
  const std::string& Name() const { return display_; }

  virtual ~VirtualDisplay() = default;

  // A shell command run against this display; its standard output.
  std::string Run(const std::string& command) const {
    Watch();
    return CommandOutput("DISPLAY=" + display_ + " " + command + " 2>/dev/null");
  }

  // The game's window, found by its title; "" while there is none.
  std::string GameWindow() const {
    const std::string ids = Run("xdotool search --name '^Gravelhorn 2$'");
    return ids.substr(0, ids.find('\n'));
  }

  // Where the game's window stands on the root window.
  std::optional<ScreenRect> GameWindowRect() const {
    const std::string window = GameWindow();
    if (window.empty()) return std::nullopt;
    const std::string text = Run("xdotool getwindowgeometry --shell " + window);
    auto value = [&](const char* key) {
      const size_t at = text.find(std::string("\n") + key + "=");
      return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(key) + 2);
    };
    ScreenRect r{value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
    if (r.w <= 0 || r.h <= 0) return std::nullopt;
    return r;
  }

  void MovePointer(int x, int y) const {
    Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
  }
  void Key(const std::string& key) const { Run("xdotool key " + key); }

  // The pixels of a rectangle of the root window as RGB bytes, rows from the top.
  std::string CaptureRgb(const ScreenRect& r) const {
    return Run("import -window root -crop " + Crop(r) + " -depth 8 rgb:-");
  }
  // A rectangle of the root window saved as a picture (its type from the name).
  void CaptureFile(const ScreenRect& r, const std::filesystem::path& file) const {
    Run("import -window root -crop " + Crop(r) + " " + file.string());
  }

 protected:
  // Checks, before every command, that what the display needs is still there.
  virtual void Watch() const {}

 private:
  static std::string Crop(const ScreenRect& r) {
    return std::to_string(r.w) + "x" + std::to_string(r.h) + "+" + std::to_string(r.x) + "+" +
           std::to_string(r.y);
  }

  std::optional<ChildProcess> server_;
  std::string display_;
};

// A virtual display with a window manager on it (evilwm): full screen and
// placing windows are its business, as on a player's desktop. The logs of both
// go to `folder` (xvfb.log, wm.log).
//
// Without a window manager nothing honours a full-screen request and tests
// would only time out much later: a manager that does not come up makes the
// desktop not Ready() with the reason in Problem(), and one that dies later
// fails the running test at its next command and ends every wait.
class Desktop : public VirtualDisplay {
 public:
  // evilwm's default face needs font packages; "fixed" is built into every X
  // server.
  explicit Desktop(const std::filesystem::path& folder,
                   std::vector<std::string> windowManager = {"evilwm", "-fn", "fixed"},
                   const std::string& size = "1024x768")
      : VirtualDisplay(folder / "xvfb.log", size),
        wmLog_(folder / "wm.log"),
        wmName_(windowManager[0]) {
    DesktopBroken() = false;
    if (!VirtualDisplay::Ready()) {
      problem_ = "Xvfb did not start: " + ReadFile(folder / "xvfb.log");
      return;
    }
    wm_.emplace(windowManager, std::vector<std::string>{"DISPLAY=" + Name()}, wmLog_.string());
    if (!wm_->Started()) {
      problem_ = "the window manager " + wmName_ + " could not be started";
      return;
    }
    // A manager announces itself on the root window; one that exits is done.
    const bool up = WaitFor(
        [&] {
          if (wm_->Ended()) return true;
          return CommandOutput("DISPLAY=" + Name() +
                               " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                     .find("window id") != std::string::npos;
        },
        30);
    if (wm_->Ended()) {
      problem_ = Exited();
    } else if (!up) {
      problem_ = "the window manager " + wmName_ +
                 " did not take the display within 30 s: " + ReadFile(wmLog_);
    }
  }

  bool Ready() const { return VirtualDisplay::Ready() && problem_.empty(); }
  // Why the desktop is not ready (empty when it is).
  const std::string& Problem() const { return problem_; }
  // Sends a signal to the window manager (a test of this helper).
  void SignalWindowManager(int sig) {
    if (wm_) wm_->Signal(sig);
  }

 protected:
  void Watch() const override {
    if (!problem_.empty() || !wm_ || !wm_->Ended()) return;
    problem_ = Exited();
    DesktopBroken() = true;
    ADD_FAILURE() << problem_;
  }

 private:
  std::string Exited() const {
    const int code = wm_->ExitCode();
    return "the window manager " + wmName_ +
           (code >= 0 ? " exited with code " + std::to_string(code) : " was ended by a signal") +
           ": " + ReadFile(wmLog_);
  }

  std::filesystem::path wmLog_;
  std::string wmName_;
  mutable std::string problem_;
  mutable std::optional<ChildProcess>
      wm_;  // a member of the derived class: ended before the server
};

}  // namespace gh::test
