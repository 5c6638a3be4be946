// The desktop parts of SdlPlatform on Windows: the system's tick count and the
// shell's "open" for web addresses.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <utility>

#include "platform/SdlPlatform.h"

namespace gh {

uint32_t SdlPlatform::TickCount() { return static_cast<uint32_t>(::GetTickCount64()); }

void SdlPlatform::ShellOpen(const std::string& target) {
  // The shell's "open" would start a program or a document as readily as a web
  // page: only web addresses go to it.
  if (target.rfind("http://", 0) != 0 && target.rfind("https://", 0) != 0) return;
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, target.c_str(), -1, nullptr, 0);
  if (n <= 0) return;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, target.c_str(), -1, wide.data(), n);
  // Values of 32 and below are failures (no program is associated with the address).
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) failedOpens_.push_back(target);
}

// Windows ends a program without signals; closing the box's owner ends it.
void SdlPlatform::EndOnStopSignals(bool) {}

// ShellExecuteW leaves no child to wait for.
void SdlPlatform::ReapChildren() {}

std::vector<std::string> SdlPlatform::FailedOpens() { return std::exchange(failedOpens_, {}); }

}  // namespace gh
