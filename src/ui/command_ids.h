#pragma once
// The identifiers of the window's commands (menu items, buttons, the result browser)
// and of the controls that more than one part of the window reaches.
namespace hobwise::ui {

// Menu commands.
constexpr int kBypassDuplicates = 32781;
constexpr int kPrint = 32779;
constexpr int kExitMenu = 32772;
constexpr int kMainPage = 32774;
constexpr int kChangeGearsPage = 32775;
constexpr int kAboutMath = 105;
constexpr int kAbout = 104;
constexpr int kCheckTrain = 32790;  // Tools -> "Check a Train ..."
constexpr int kSaveSheetPdf = 32801;  // File: the sheet of the result on display as PDF
constexpr int kResultsTable = 32802;  // Tools
constexpr int kSetWholeStock = 32803;
constexpr int kSaveStock = 32804;
constexpr int kLoadStock = 32805;
constexpr int kSuggestGears = 32806;  // Tools -> "Suggest Gears to Buy ..."
constexpr int kMachineProfiles = 32807;  // Tools -> "Machine Profiles ..."
constexpr int kQuadrantDrawing = 32808;  // Tools -> "Quadrants ...": the drawing of the result's trains

// Buttons and up-downs of the Main page.
constexpr int kSolve = 1001;
constexpr int kExit = 1002;
constexpr int kBrowser = 1003;
constexpr int kHobThreadsUpDown = 1011;

// The status line: progress during a run, the C constant of the result on display.
constexpr int kStatus = 3011;

}  // namespace hobwise::ui
