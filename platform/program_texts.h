// The program's name as its windows, message boxes, restore points and version
// information show it, and its web pages. The resource scripts include this file too,
// so the texts are macros the resource compiler reads; the code uses the constants.
#pragma once

#include "platform/program_version.h"

#define KELVANE_TITLE "Varnok Kelvane"
#define KELVANE_COMPANY "Varnok Software"

#ifndef RC_INVOKED
namespace kelvane {

// The caption of the main window and of the program's message boxes.
inline constexpr const char* kApplicationTitle = KELVANE_TITLE;
inline constexpr const wchar_t* kApplicationTitleWide = L"" KELVANE_TITLE;
// The version as the title and the about window show it.
inline constexpr const char* kProgramVersion = KELVANE_VERSION;
// The main window's class, by which a second start finds the first.
inline constexpr const char* kMainWindowClass = KELVANE_TITLE " Made by " KELVANE_COMPANY;
// The named mutex that every run of the program holds for its whole life: one run at
// a time in a session, whatever its switch.
inline constexpr const char* kInstanceMutexName = "Local\\" KELVANE_TITLE " Runs";
inline constexpr const char* kAboutCaption = "About " KELVANE_TITLE;
inline constexpr const char* kRestorePointDescription = "Made by " KELVANE_TITLE;
// The home page, which the About window shows, and the page of updates.
inline constexpr const char* kHomePage = "https://www.varnok.example/kelvane/";
inline constexpr const char* kUpdatePage = "https://www.varnok.example/kelvane/update/";

}  // namespace kelvane
#endif
