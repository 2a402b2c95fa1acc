#include "tools/host/EditorWindow.h"

#include <windows.h>

namespace {

const char kClassName[] = "QuorlHostEditorParent";

bool registerClassOnce() {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    return registered;
}

}  // namespace

EditorWindow::EditorWindow() {
    if (!registerClassOnce())
        return;
    handle_ = CreateWindowExA(0, kClassName, "quorl-host editor", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
}

EditorWindow::~EditorWindow() {
    if (handle_ != nullptr)
        DestroyWindow(static_cast<HWND>(handle_));
}

void EditorWindow::pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
