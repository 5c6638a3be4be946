// The operating system's files, folders and run-time libraries, as the program
// needs them: System_posix.cpp on Linux, System_win32.cpp on Windows. Paths are
// UTF-8 on every system.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/Result.h"

namespace gh {

// ---- files ----------------------------------------------------------------------

// At most `limit` bytes of the regular file at `path`, read without waiting
// on a pipe or device found in its place. The Error ("Cannot open file ...")
// keeps the system's code: no_such_file_or_directory, is_a_directory,
// invalid_argument (neither a file nor a folder), or what the system reported.
Result<std::string> ReadFileStart(const std::string& path, size_t limit);

// Creates `path`, which must not exist yet (code file_exists otherwise),
// holding `bytes` flushed to the disk. A failed creation leaves nothing behind.
Status CreateNewFile(const std::string& path, std::string_view bytes);

// Replaces the file at `path` in one step by `bytes` followed by the old
// file's bytes past their length, with the old file's permissions; creates it
// when there was none. Neither a crash nor a full disk leaves a half-written
// file: the new content is written and flushed beside it, then renamed over it.
// A file the player made read-only is left as it is: renaming would not stop
// at its protection, so it is checked first. Without any write permission bit
// it counts as read-only even for an administrator, who could open it anyway.
// The Error names what the player has to fix: the file ("Cannot open file",
// "Cannot write file") or, when no new file may be made beside it, its folder
// ("Cannot create a file in the folder").
Status ReplaceFileKeepingTail(const std::string& path, std::string_view bytes);

// Removes what a replacement of `path` that never finished (the program was
// killed mid-save) left beside it: only files of the replacement's own naming.
// Call it only where no other process can be replacing the same file.
void RemoveLeftoverReplacements(const std::string& path);

// An exclusive advisory lock on a file, held until the object goes; the
// system drops it when the process ends, a crash included. Another process
// (or another FileLock in this one) cannot take it meanwhile.
class FileLock {
 public:
  enum class Outcome {
    Taken,
    HeldElsewhere,  // another holder has it
  };
  FileLock() = default;
  ~FileLock() { Release(); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  // Creates `path` when missing and takes the lock without waiting for it; an
  // Error when the file cannot be made or locked here.
  Result<Outcome> Take(const std::string& path);
  void Release();
  bool Held() const { return handle_ != -1; }

 private:
  intptr_t handle_ = -1;  // a file descriptor, or a Windows handle
};

// ---- folders ---------------------------------------------------------------------

// Makes the folder `path` (its parent must exist); one that exists already is
// no error.
Status MakeFolder(const std::string& path);
// The names of the regular files directly in the folder `path`; an Error (code
// no_such_file_or_directory for a missing folder) when it cannot be listed.
Result<std::vector<std::string>> FilesInFolder(const std::string& path);
// Removes the file at `path`; one that is already gone is no error.
Status RemoveFile(const std::string& path);

// A file's name as messages show it, with the system's own separator
// ("Data\\Help.txt" reads "Data/Help.txt" on Linux).
std::string ShownPath(std::string name);

namespace detail {
// The steps of ReplaceFileKeepingTail, for its Error's message (System.cpp).
enum class ReplaceStep { OpeningOld, CreatingNew, Writing, Renaming };
Error ReplaceFailure(ReplaceStep step, const std::string& path, std::error_code code);
Error OpenFailure(const std::string& path, std::error_code code);
}  // namespace detail

// ---- the program's folder --------------------------------------------------------

// The folder holding the running program ("." when the system cannot tell).
std::string ProgramFolder();
// Makes `folder` the working folder; false when it cannot be entered.
bool EnterFolder(const std::string& folder);

// ---- run-time libraries ----------------------------------------------------------

// The file of the library `stem` in `folder`: "folder/stem.so" on Linux,
// "folder\stem.dll" on Windows.
std::string LibraryPath(const std::string& folder, const std::string& stem);

// A library loaded at run time (never null), or the system's reason.
Result<void*> OpenModule(const std::string& path);
// A function or variable of a loaded library by name, or null.
void* ModuleSymbol(void* module, const char* name);
void CloseModule(void* module);

// ---- messages -------------------------------------------------------------------

// Where a program without a console writes its messages: on Windows the game has
// no console, and standard error goes to the file named by the variable GH_LOG
// (appended) when it is set. Nothing changes on Linux, where standard error
// always reaches the terminal or the desktop's journal.
void SendMessagesToLog();

// Standard input and output carry bytes as they are: Windows would otherwise
// turn line ends into pairs and stop reading input at a Ctrl+Z byte.
void UseBinaryStandardStreams();

}  // namespace gh
