#include "tools/host/ChannelBuffers.h"
#include "tools/host/CommandSupport.h"
#include "tools/host/Commands.h"
#include "tools/host/CrashGuard.h"
#include "tools/host/TextParse.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
// Modules take turns in slices of this many blocks, so that both see the
// same machine load over the run.
constexpr int kBlocksPerTurn = 86;

struct Contender {
    std::string path;
    std::unique_ptr<ModuleLoader> loader;
    std::unique_ptr<PluginInstance> plugin;
    std::unique_ptr<ChannelBuffers> buffers;
    double seconds = 0.0;
    long frames = 0;
};

}  // namespace

int runBench(const Arguments& args) {
    double seconds = 10.0;
    std::vector<Contender> contenders;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseDouble(args[++i], seconds) || seconds <= 0.0 || seconds > 36000.0)
                return reportError("--seconds needs a number of seconds above 0");
        } else if (args[i].rfind("--", 0) == 0) {
            return reportError("bench: unknown or incomplete option '" + args[i] + "'");
        } else {
            contenders.push_back(Contender{args[i], std::make_unique<ModuleLoader>(), nullptr, nullptr});
        }
    }
    if (contenders.empty())
        return reportError("usage: quorl-host bench MODULE [MODULE...] [--seconds S]");

    setCrashStep("bench setup");
    std::uint32_t seed = 1;
    for (Contender& c : contenders) {
        c.plugin = loadAndCreate(*c.loader, c.path);
        if (c.plugin == nullptr)
            return 1;
        if (c.plugin->effect()->processReplacing == nullptr)
            return reportError("'" + c.path + "' has no processReplacing entry");
        c.plugin->configure(kRate, kBlock);
        c.plugin->resume();
        c.buffers = std::make_unique<ChannelBuffers>(c.plugin->numInputs(), c.plugin->numOutputs(), kBlock);
        c.buffers->fillNoise(seed, 0.5f);
        // Warm caches and any lazy set-up before timing.
        for (int i = 0; i < 16; ++i)
            c.plugin->process(c.buffers->inputs(), c.buffers->outputs(), kBlock);
    }

    setCrashStep("bench");
    const long totalFrames = static_cast<long>(seconds * kRate);
    for (long done = 0; done < totalFrames; done += static_cast<long>(kBlocksPerTurn) * kBlock) {
        for (Contender& c : contenders) {
            const auto start = std::chrono::steady_clock::now();
            for (int i = 0; i < kBlocksPerTurn; ++i)
                c.plugin->process(c.buffers->inputs(), c.buffers->outputs(), kBlock);
            c.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            c.frames += static_cast<long>(kBlocksPerTurn) * kBlock;
        }
    }

    std::printf("blocks of %d at %.1f kHz, %.1f s of audio per module\n", kBlock, kRate / 1000.0,
                static_cast<double>(contenders.front().frames) / kRate);
    std::printf("%12s %14s  %s\n", "ns/frame", "x real time", "module (\"effect name\", in x out)");
    for (const Contender& c : contenders) {
        const double ns = c.seconds * 1.0e9 / static_cast<double>(c.frames);
        std::printf("%12.1f %14.1f  %s (\"%s\", %d x %d)\n", ns, 1.0e9 / kRate / ns, c.path.c_str(),
                    c.plugin->effectName().c_str(), c.plugin->numInputs(), c.plugin->numOutputs());
    }
    return 0;
}
