// The end-to-end driver's tools: start kelvane.exe in this prefix, find its windows,
// press its controls by their messages, read texts across the process boundary.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "ui/messages.h"

namespace kelvane::e2e {

inline constexpr const char* kExe = "C:\\Kelvane\\kelvane.exe";
inline constexpr const char* kFolder = "C:\\Kelvane\\";
inline constexpr const char* kMainClass = kMainWindowClass;
inline constexpr const char* kProgressClass = "TfrmRegProgressHint";

// A started program; terminated by the destructor if it still runs.
class Process {
 public:
  explicit Process(const std::string& commandLine);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  // True and the exit code when the process ended within the time.
  bool WaitExit(DWORD milliseconds, DWORD* exitCode = nullptr);

 private:
  PROCESS_INFORMATION info_{};
};

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);
// Top-level windows of a class (and, when pid is not 0, of that process).
std::vector<HWND> TopWindows(const char* className, DWORD pid = 0);
HWND WaitForWindow(const char* className, DWORD milliseconds, DWORD pid = 0);
std::string WindowText(HWND window);
// Text of a status-bar part, read through a buffer in the other process.
std::string StatusPartText(HWND statusBar, int part);
// The right edge of a status bar part; -1 for a part that runs to the right edge.
int StatusPartRight(HWND statusBar, int part);
// The cells of every row of a list view in another process.
struct ListRow {
  std::string problem, key, value;
};
std::vector<ListRow> ListRows(HWND listView);
// The same read wide, in UTF-8: cells the ANSI code page cannot carry come whole.
std::vector<ListRow> ListRowsUtf8(HWND listView);
// A window's text read wide, in UTF-8.
std::string WindowTextUtf8(HWND window);
// Runs a command line and waits for it; the exit code, or -1.
int RunAndWait(const std::string& commandLine, DWORD milliseconds);
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
std::vector<std::string> ListFiles(const std::string& pattern);
// Creates a real shortcut to `target` with the shell link object.
bool CreateShortcut(const std::string& path, const std::string& target);
// Imports a .reg text through the system registry editor.
bool ImportReg(const std::string& text);

// A visible dialog (class "#32770") of the process with the caption.
HWND WaitForDialog(const std::string& caption, DWORD pid, DWORD milliseconds);
// Texts of a window's child controls, one a line.
std::string ControlTexts(HWND window);
// Presses a button as a click would (BM_CLICK, posted).
void Press(HWND button);
// Clicks the tab of a tab control in another process, which selects it as the user would.
bool ClickTab(HWND tabs, int index);
// The control holding the keyboard focus in the window's thread.
HWND FocusOf(HWND window);
// Exports a key with the system registry editor; its text, or empty on failure.
std::string ExportKey(const std::string& key);

// Whether the registry holds the value (read access only).
bool ValueExists(HKEY root, const char* path, const char* name);
bool KeyExists(HKEY root, const std::string& path);
// Creates an empty file, and its folders, by a UTF-8 path; false when it cannot.
bool MakeFile(const std::string& utf8Path);
// The last visible dialog (class "#32770") of the process, waited for.
HWND VisibleDialog(DWORD pid, DWORD milliseconds);
// The first visible message box (a dialog with a static text) of the process, or null.
HWND VisibleMessageBox(DWORD pid, DWORD milliseconds);
// Imports a .reg file with the system registry editor, silently; its exit code.
int RegeditImport(const std::string& path);

// The main window of a started kelvane.exe, once it is shown (its controls exist then).
HWND StartMain(Process& process);
// Closes the main window and expects the program to end with 0.
void CloseMain(HWND main, Process& process);

// Writes options.ini beside kelvane.exe: `optionsLines` under [Options] (each ending
// in "\r\n"), then exactly the categories `ticked` ticked in the tree.
void WriteSettings(const std::string& optionsLines, const std::vector<int>& ticked);
// Presses "Scan registry issue" of the main window and waits for the progress window
// to come and go; false when it did not.
bool ScanAndWait(HWND main, DWORD pid);

// Copies the window's rectangle from the screen into a 24-bit bitmap file named `name`
// in the folder KELVANE_SHOT_DIR names (a Unix path, reached through Wine's drive Z:),
// with KELVANE_SHOT_SUFFIX appended to the name (scripts/screenshot.sh).
bool SaveWindow(HWND window, const std::string& name);

}  // namespace kelvane::e2e
