#pragma once
// Turns a crash inside a module into one FAIL line naming the step that was
// running, followed by a non-zero exit, instead of a bare signal.

void installCrashGuard();
// The text must outlive the step (a string literal).
void setCrashStep(const char* step);
