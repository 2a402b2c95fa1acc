#include "tools/host/EditorWindow.h"

// Editors on this platform need an X11 parent; the tool checks editors only
// where it can make a native window on its own.
EditorWindow::EditorWindow() = default;
EditorWindow::~EditorWindow() = default;
void EditorWindow::pumpMessages() {}
