#pragma once
// The platform's HTML help ("hhctrl.ocx"): HtmlHelpA shows the topics of
// compiled help files (*.chm) in one help window, reused for every topic.
// The module exists once InstallHtmlHelp has run; programs find the entry
// point with LoadLibraryA("HHCtrl.ocx") and GetProcAddress("HtmlHelpA").

#include "Win32Types.h"

#include <string>

inline constexpr UINT HH_DISPLAY_TOPIC = 0x0000;
inline constexpr UINT HH_CLOSE_ALL = 0x0012;

// HH_DISPLAY_TOPIC: `file` is the path of a help file, optionally followed
// by "::" and a topic ("C:\x\help.chm::/page.html#anchor"; without a topic
// the file's default topic) and by ">" and a window type (ignored); `data`
// is 0.  Shows the help window with the topic and returns it.  A file that
// is missing or damaged shows nothing: null, with the last error
// ERROR_FILE_NOT_FOUND or ERROR_FILE_CORRUPT.  A topic the file does not
// hold shows a page that says so.
// HH_CLOSE_ALL: closes and frees the help window; returns null.
// Any other command: null with ERROR_NOT_SUPPORTED.  `caller` is not used:
// the help window belongs to the desktop.
HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

namespace platform {

// Adds the module "hhctrl.ocx" with its entry point HtmlHelpA.
void InstallHtmlHelp();

// What the help window shows, for those who watch it.
struct HelpViewerState {
    bool open = false;       // the window exists and is shown
    std::string file;        // the help file's path
    std::string topic;       // "/page.html#anchor"
    bool topicFound = false; // the file holds that page
    std::string title;       // the page's own title
};
HelpViewerState CurrentHelpViewer();

class HelpWindow;
// The help window, or null when none is open.
HelpWindow* HelpViewerWindow();

} // namespace platform
