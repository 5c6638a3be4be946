// The operating system's files, folders and run-time libraries, as the program
// needs them: System_posix.cpp on Linux, System_win32.cpp on Windows. Paths are
// UTF-8 on every system.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

namespace gh {

// ---- files ----------------------------------------------------------------------

// Reads at most `limit` bytes of the regular file at `path` into `bytes`,
// without waiting on a pipe or device found in its place. Errors:
// no_such_file_or_directory, is_a_directory, invalid_argument (neither a file
// nor a folder), or what the system reported.
std::error_code ReadFileStart(const std::string& path, size_t limit, std::string& bytes);

// Creates `path`, which must not exist yet (file_exists otherwise), holding
// `bytes` flushed to the disk. A failed creation leaves nothing behind.
std::error_code CreateNewFile(const std::string& path, std::string_view bytes);

// How a replacement ended, and the system's error of the step that failed.
struct ReplaceResult {
  enum Stage {
    Done,
    OpeningOld,   // the old file: not a file, not writable (also read-only), ...
    CreatingNew,  // the new file beside it could not be made (the folder refused)
    Writing,      // writing, copying or flushing the new file
    Renaming,     // the last step, the new file taking the old one's place
  };
  Stage stage = Done;
  std::error_code error;
  explicit operator bool() const { return stage == Done; }
};

// Replaces the file at `path` in one step by `bytes` followed by the old
// file's bytes past their length, with the old file's permissions; creates it
// when there was none. Neither a crash nor a full disk leaves a half-written
// file: the new content is written and flushed beside it, then renamed over it.
// A file the player made read-only is left as it is: renaming would not stop
// at its protection, so it is checked first. Without any write permission bit
// it counts as read-only even for an administrator, who could open it anyway.
ReplaceResult ReplaceFileKeepingTail(const std::string& path, std::string_view bytes);

// ---- the program's folder --------------------------------------------------------

// The folder holding the running program ("." when the system cannot tell).
std::string ProgramFolder();
// Makes `folder` the working folder; false when it cannot be entered.
bool EnterFolder(const std::string& folder);

// ---- run-time libraries ----------------------------------------------------------

// The file of the library `stem` in `folder`: "folder/stem.so" on Linux,
// "folder\stem.dll" on Windows.
std::string LibraryPath(const std::string& folder, const std::string& stem);

// A library loaded at run time, or null with the system's reason in `error`.
void* OpenModule(const std::string& path, std::string& error);
// A function or variable of a loaded library by name, or null.
void* ModuleSymbol(void* module, const char* name);
void CloseModule(void* module);

// ---- messages -------------------------------------------------------------------

// Where a program without a console writes its messages: on Windows the game has
// no console, and standard error goes to the file named by the variable GH_LOG
// (appended) when it is set. Nothing changes on Linux, where standard error
// always reaches the terminal or the desktop's journal.
void SendMessagesToLog();

}  // namespace gh
