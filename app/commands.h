// The main window's commands and control ids. One table row per command says where it
// stands (menu and place, the list's context menu, a task button), its text, its
// Ctrl key, when it is enabled and what runs it; the menus, the accelerators and the
// task buttons are built from the table and WM_COMMAND is routed through it.
#pragma once

#include <windows.h>

#include <span>

namespace kelvane {

class TfrmKelvane;

// Command ids, which are also the menu ids and the task buttons' control ids.
enum : int {
  kMiBackupFullRegistry = 2001,
  kMiWindowsBackup,
  kMiStartupManager,
  kMiExit,
  kMiScan,
  kMiRepair,
  kMiRestore,
  kASelectAll,
  kASelectAllType,
  kASelectNone,
  kASelectNoneType,
  kAOpenRegedit,
  kMiOptions,
  kMiHelp,
  kMiHomePage,
  kMiAbout,
  kLinkUpdate,
  kACopy,
  kMiSaveScanResults,
};

// The main window's other controls.
enum : int {
  kIdTree = 1004,
  kIdList,
  kIdStatus,
  kIdUpdateImage = 1008,
  kIdIcon,
};

// The menu bar's menus, in their order.
enum class MenuTitle { kNone, kFile, kAction, kEdit, kHelp };

// When a command can run.
enum class CommandState {
  kAlways,
  kRowSelected,  // a row of the list is selected
  kRowOpens,     // the selected row can be shown in the registry editor
};

// A task button below the banner: its text and its design place.
struct TaskButton {
  const char* text = nullptr;
  int x = 0, y = 0, width = 0;
};

// A row of the table. A row without an id is a separator in its menus.
struct Command {
  using Handler = void (*)(TfrmKelvane&);
  int id = 0;
  MenuTitle menu = MenuTitle::kNone;
  const char* text = nullptr;  // the menu text, with its mnemonic
  Handler run = nullptr;
  bool inListMenu = false;  // also in the list's context menu
  char ctrlKey = 0;         // Ctrl+key runs it
  TaskButton task;          // no text: no task button
  CommandState state = CommandState::kAlways;

  // The table's rows are written as an item and what it has beyond a menu entry.
  constexpr Command InListMenu() const { return With(&Command::inListMenu, true); }
  constexpr Command Ctrl(char key) const { return With(&Command::ctrlKey, key); }
  constexpr Command Task(TaskButton button) const { return With(&Command::task, button); }
  constexpr Command When(CommandState when) const { return With(&Command::state, when); }

 private:
  template <typename T>
  constexpr Command With(T Command::*field, T value) const {
    Command row = *this;
    row.*field = value;
    return row;
  }
};

// A command of `menu` (of no menu: MenuTitle::kNone) run by `run`.
constexpr Command Item(int id, MenuTitle menu, const char* text, Command::Handler run) {
  Command row;
  row.id = id;
  row.menu = menu;
  row.text = text;
  row.run = run;
  return row;
}

// A separator of `menu`, and of the list's context menu when `inListMenu`.
constexpr Command Separator(MenuTitle menu, bool inListMenu = false) {
  Command row = Item(0, menu, nullptr, nullptr);
  row.inListMenu = inListMenu;
  return row;
}

// The main window's commands, in menu order.
std::span<const Command> MainCommands();

// The row of a command id; nullptr for an id that is no command.
const Command* FindCommand(std::span<const Command> commands, int id);

}  // namespace kelvane
