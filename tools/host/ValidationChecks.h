#pragma once
// The checks of `quorl-host validate`, one function each. Every check makes
// its own instances from the already loaded module and reports one result.
#include "tools/host/ModuleLoader.h"

#include <cstdint>
#include <string>

enum class CheckOutcome { kPassed, kFailed, kSkipped };

struct CheckResult {
    CheckOutcome outcome = CheckOutcome::kPassed;
    std::string detail;
};

struct ValidationTarget {
    const ModuleLoader& module;
    int cycles = 100;        // open/close repetitions
    double seconds = 1.0;    // length of each stress run
    std::uint32_t seed = 1;  // random parameter values, noise and events
};

CheckResult checkOpenCloseCold(const ValidationTarget& target);
CheckResult checkOpenCloseWarm(const ValidationTarget& target);
CheckResult checkInfo(const ValidationTarget& target);
CheckResult checkPrograms(const ValidationTarget& target);
CheckResult checkProcessingAt(const ValidationTarget& target, double sampleRate);
CheckResult checkAutomation(const ValidationTarget& target);
CheckResult checkParameterFuzz(const ValidationTarget& target);
CheckResult checkStateRestoration(const ValidationTarget& target);
CheckResult checkMidiFuzz(const ValidationTarget& target);
CheckResult checkThreads(const ValidationTarget& target);
CheckResult checkNoAllocation(const ValidationTarget& target);
CheckResult checkTiming(const ValidationTarget& target);
CheckResult checkEditor(const ValidationTarget& target);
