#include "HtmlHelp.h"

#include "ErrorCodes.h"
#include "HelpWindow.h"
#include "Kernel32.h"
#include "Modules.h"
#include "WindowHandles.h"

#include <QPointer>

#include <memory>

namespace platform {
namespace {

// The one help window; it belongs to the desktop, so nothing owns it but
// this pointer, and HH_CLOSE_ALL frees it.
QPointer<HelpWindow>& helpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

// "path::/topic>window" split into the path and the topic.
void splitHelpPath(const std::string& text, std::string& path, std::string& topic)
{
    std::string rest = text;
    if (const std::string::size_type window = rest.rfind('>'); window != std::string::npos)
        rest.erase(window);
    const std::string::size_type colons = rest.find("::");
    path = rest.substr(0, colons);
    topic = colons == std::string::npos ? std::string() : rest.substr(colons + 2);
}

} // namespace

void InstallHtmlHelp()
{
    RegisterModuleExports("hhctrl.ocx", {{"HtmlHelpA", ExportOf(&::HtmlHelpA)}});
}

HelpViewerState CurrentHelpViewer()
{
    HelpViewerState state;
    const HelpWindow* window = helpWindow();
    if (!window)
        return state;
    state.open = window->isVisible();
    if (const ChmFile* file = window->Browser()->File())
        state.file = file->Path();
    state.topic = window->Topic();
    state.topicFound = window->TopicFound();
    state.title = window->Browser()->documentTitle().toStdString();
    return state;
}

HelpWindow* HelpViewerWindow()
{
    return helpWindow();
}

} // namespace platform

using namespace platform;

HWND HtmlHelpA(HWND, LPCSTR file, UINT command, DWORD_PTR)
{
    QPointer<HelpWindow>& window = helpWindow();
    switch (command) {
    case HH_DISPLAY_TOPIC: {
        if (!file || !*file) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::string path;
        std::string topic;
        splitHelpPath(file, path, topic);
        // A new window is made only for a file that can be shown.
        std::unique_ptr<HelpWindow> made;
        HelpWindow* shown = window;
        if (!shown) {
            made = std::make_unique<HelpWindow>();
            shown = made.get();
        }
        if (const DWORD code = shown->ShowTopic(path, topic)) {
            SetLastError(code);
            return nullptr;
        }
        if (made)
            window = made.release();
        window->ShowInFront();
        SetLastError(ERROR_SUCCESS);
        return WindowHandle(window.data());
    }
    case HH_CLOSE_ALL:
        delete window.data();
        SetLastError(ERROR_SUCCESS);
        return nullptr;
    default:
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
}
