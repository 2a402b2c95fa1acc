#include "tools/host/CrashGuard.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

std::atomic<const char*> currentStep{"loading"};

void writeText(const char* text) {
    const ssize_t ignored = write(STDOUT_FILENO, text, std::strlen(text));
    (void)ignored;
}

// Only async-signal-safe calls from here on.
[[maybe_unused]] void onCrash(int signal) {
    writeText("FAIL  ");
    writeText(currentStep.load(std::memory_order_relaxed));
    writeText(": the module crashed (");
    writeText(signal == SIGSEGV  ? "segmentation fault"
              : signal == SIGBUS ? "bus error"
              : signal == SIGFPE ? "arithmetic exception"
              : signal == SIGILL ? "illegal instruction"
                                 : "abort");
    writeText(")\n");
    _exit(3);
}

}  // namespace

void installCrashGuard() {
    // Sanitizer builds leave these signals to the sanitizer's own reports.
#if !defined(QUORL_HOST_SANITIZED)
    struct sigaction action {};
    action.sa_handler = onCrash;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        sigaction(signal, &action, nullptr);
#endif
}

void setCrashStep(const char* step) {
    currentStep.store(step, std::memory_order_relaxed);
}
