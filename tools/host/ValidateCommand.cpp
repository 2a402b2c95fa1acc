#include "tools/host/CommandSupport.h"
#include "tools/host/Commands.h"
#include "tools/host/CrashGuard.h"
#include "tools/host/TextParse.h"
#include "tools/host/ValidationChecks.h"

#include <cstdio>
#include <functional>

namespace {

struct NamedCheck {
    const char* name;
    std::function<CheckResult(const ValidationTarget&)> run;
};

}  // namespace

int runValidate(const Arguments& args) {
    std::string path;
    int cycles = 100;
    double seconds = 1.0;
    int seed = 1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--cycles" && hasValue) {
            if (!parseInt(args[++i], cycles) || cycles < 1)
                return reportError("--cycles needs a positive whole number");
        } else if (arg == "--seconds" && hasValue) {
            if (!parseDouble(args[++i], seconds) || seconds <= 0.0 || seconds > 3600.0)
                return reportError("--seconds needs a number of seconds above 0");
        } else if (arg == "--seed" && hasValue) {
            if (!parseInt(args[++i], seed))
                return reportError("--seed needs a whole number");
        } else if (arg.rfind("--", 0) == 0) {
            return reportError("validate: unknown or incomplete option '" + arg + "'");
        } else if (path.empty()) {
            path = arg;
        } else {
            return reportError("usage: quorl-host validate MODULE [--cycles N] [--seconds S] [--seed N]");
        }
    }
    if (path.empty())
        return reportError("usage: quorl-host validate MODULE [--cycles N] [--seconds S] [--seed N]");

    ModuleLoader loader;
    std::string error;
    if (!loader.load(path, error))
        return reportError(error);
    {
        // A module that refuses to make an instance at all is bad input, not a failed check.
        auto probe = PluginInstance::create(loader, error);
        if (probe == nullptr)
            return reportError(error);
    }
    const ValidationTarget target{loader, cycles, seconds, static_cast<std::uint32_t>(seed)};
    const NamedCheck checks[] = {
        {"open and close, cold", checkOpenCloseCold},
        {"open and close, warm", checkOpenCloseWarm},
        {"info", checkInfo},
        {"programs", checkPrograms},
        {"processing at 44100 Hz", [](const ValidationTarget& t) { return checkProcessingAt(t, 44100.0); }},
        {"processing at 48000 Hz", [](const ValidationTarget& t) { return checkProcessingAt(t, 48000.0); }},
        {"processing at 96000 Hz", [](const ValidationTarget& t) { return checkProcessingAt(t, 96000.0); }},
        {"automation in sub-blocks", checkAutomation},
        {"parameter fuzz", checkParameterFuzz},
        {"state restoration", checkStateRestoration},
        {"MIDI event fuzz", checkMidiFuzz},
        {"threads", checkThreads},
        {"no allocation in processReplacing", checkNoAllocation},
        {"timing", checkTiming},
        {"editor", checkEditor},
    };
    std::printf("validating %s\n", path.c_str());
    std::fflush(stdout);
    int passedCount = 0;
    int failedCount = 0;
    int skippedCount = 0;
    for (const NamedCheck& check : checks) {
        setCrashStep(check.name);
        const CheckResult result = check.run(target);
        const char* mark = result.outcome == CheckOutcome::kPassed   ? "PASS"
                           : result.outcome == CheckOutcome::kFailed ? "FAIL"
                                                                     : "SKIP";
        (result.outcome == CheckOutcome::kPassed   ? passedCount
         : result.outcome == CheckOutcome::kFailed ? failedCount
                                                   : skippedCount)++;
        std::printf("%s  %s%s%s\n", mark, check.name, result.detail.empty() ? "" : ": ", result.detail.c_str());
        std::fflush(stdout);
    }
    std::printf("%d passed, %d failed, %d skipped\n", passedCount, failedCount, skippedCount);
    return failedCount == 0 ? 0 : 1;
}
