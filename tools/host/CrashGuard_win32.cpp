#include "tools/host/CrashGuard.h"

#include <windows.h>

#include <atomic>
#include <cstring>

namespace {

std::atomic<const char*> currentStep{"loading"};

void writeText(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

LONG WINAPI onCrash(EXCEPTION_POINTERS*) {
    writeText("FAIL  ");
    writeText(currentStep.load(std::memory_order_relaxed));
    writeText(": the module crashed (unhandled exception)\n");
    ExitProcess(3);
}

}  // namespace

void installCrashGuard() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(onCrash);
}

void setCrashStep(const char* step) {
    currentStep.store(step, std::memory_order_relaxed);
}
