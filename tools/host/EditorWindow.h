#pragma once
// A hidden native window to parent a module's editor while it is checked.
class EditorWindow {
public:
    EditorWindow();
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // Null where this tool cannot make a parent window (no display, or a
    // platform whose editors it does not host).
    void* handle() const { return handle_; }
    // Delivers pending window messages, as a host's user-interface loop would.
    void pumpMessages();

private:
    void* handle_ = nullptr;
};
