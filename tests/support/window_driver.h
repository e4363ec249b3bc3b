// Drives another process's windows from a Windows-side test, as a person would see them: its
// top-level windows, their controls by ID, their texts (UTF-8, to compare with the program's own
// texts), buttons, progress bars, message boxes and the pixels on screen. Every call works
// across processes; a window that does not answer within 5 s reads as empty. The waits poll
// every 20 ms and give nullptr or false when the timeout passes.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "window/form.h"

namespace quo::test {

using Ms = std::chrono::milliseconds;
inline constexpr Ms kWindowWait{20000};

// The visible top-level window of class cls belonging to process pid.
HWND WaitForWindow(DWORD pid, const wchar_t* cls, Ms timeout = kWindowWait);

// A control's ID in the native views: 1000 + its index in the design's control list (throws
// std::invalid_argument for a name the design lacks).
int ControlId(const FormDesign& design, const std::string& name);
// The descendant of parent with that ID (nested containers searched), or nullptr.
HWND FindControl(HWND parent, int id);
HWND FindControl(HWND form, const FormDesign& design, const std::string& name);

std::string Text(HWND w);                       // WM_GETTEXT
bool SetText(HWND w, const std::string& text);  // WM_SETTEXT, true when done
void Click(HWND button);                        // posted BM_CLICK: the click may open a modal box
bool WaitForText(HWND w, const std::function<bool(const std::string&)>& ok,
                 Ms timeout = kWindowWait);
int ProgressPos(HWND bar);  // PBM_GETPOS; -1 when the bar does not answer
bool Visible(HWND w);       // shown, with all its ancestors
bool Enabled(HWND w);

// The shown message box of process pid: a dialog box (#32770) with a text item (0xFFFF).
HWND WaitForMessageBox(DWORD pid, Ms timeout = kWindowWait);
struct BoxContent {
  std::string title, text;
  std::map<int, std::string> buttons;  // the shown buttons' texts by ID (IDOK, IDCANCEL...)
};
BoxContent ReadBox(HWND box);
void Answer(HWND box, int button);  // posted WM_COMMAND of the button's ID

// The pixels of a window's area of the screen as shown now, 32 bits each, row by row from the
// top; two grabs compare equal when nothing changed on screen.
struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> bgrx;
  bool operator==(const Pixels&) const = default;
};
Pixels Grab(HWND w);

}  // namespace quo::test
