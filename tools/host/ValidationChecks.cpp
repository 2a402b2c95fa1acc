#include "tools/host/ValidationChecks.h"

#include "tools/host/AllocationCounter.h"
#include "tools/host/ChannelBuffers.h"
#include "tools/host/EditorWindow.h"
#include "tools/host/PluginInstance.h"
#include "tools/host/SampleScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxBlock = 1024;
constexpr int kMaxProgramsChecked = 128;
constexpr int kMaxEventsPerList = 32;

CheckResult passed(std::string detail = {}) {
    return {CheckOutcome::kPassed, std::move(detail)};
}
CheckResult failed(std::string detail) {
    return {CheckOutcome::kFailed, std::move(detail)};
}
CheckResult skipped(std::string detail) {
    return {CheckOutcome::kSkipped, std::move(detail)};
}

std::string format(const char* pattern, double a, double b = 0.0, double c = 0.0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A resumed instance ready to process, or null with the reason in error.
std::unique_ptr<PluginInstance> prepared(const ValidationTarget& target, double sampleRate, int blockSize,
                                         std::string& error) {
    auto instance = PluginInstance::create(target.module, error);
    if (instance == nullptr)
        return nullptr;
    if (instance->effect()->processReplacing == nullptr) {
        error = "processReplacing is null";
        return nullptr;
    }
    instance->configure(sampleRate, blockSize);
    instance->resume();
    return instance;
}

void processInto(const PluginInstance& plugin, ChannelBuffers& buffers, int frames, SampleScan& scan) {
    plugin.process(buffers.inputs(), buffers.outputs(), frames);
    for (int c = 0; c < std::min(plugin.numOutputs(), buffers.outputCount()); ++c)
        scan.add(buffers.output(c).data(), frames);
}

float randomUnit(std::mt19937& random) {
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
}

void randomParameterChange(const PluginInstance& plugin, std::mt19937& random) {
    if (plugin.numParams() <= 0)
        return;
    const int index = std::uniform_int_distribution<int>(0, plugin.numParams() - 1)(random);
    plugin.setParameter(index, randomUnit(random));
}

// A list of events a real host could deliver: valid pointers, sorted
// offsets inside the block, but any bytes inside the MIDI messages.
struct EventList {
    std::vector<VstMidiEvent> events;
    std::vector<char> storage;

    VstEvents* fill(std::mt19937& random, int blockSize, bool controlChangesOnly) {
        const int count = std::uniform_int_distribution<int>(0, kMaxEventsPerList)(random);
        events.assign(static_cast<std::size_t>(count), VstMidiEvent{});
        std::vector<int> offsets(static_cast<std::size_t>(count));
        for (int& offset : offsets)
            offset = std::uniform_int_distribution<int>(0, blockSize - 1)(random);
        std::sort(offsets.begin(), offsets.end());
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < count; ++i) {
            VstMidiEvent& event = events[static_cast<std::size_t>(i)];
            // Mostly MIDI; now and then a type this module may not know (never
            // SysEx, whose record carries a pointer).
            const int roll = byte(random);
            event.type = roll < 240 || controlChangesOnly ? kVstMidiType : (roll % 2 == 0 ? 2 : 99);
            event.byteSize = sizeof(VstMidiEvent);
            event.deltaFrames = offsets[static_cast<std::size_t>(i)];
            for (char& data : event.midiData)
                data = static_cast<char>(byte(random));
            if (controlChangesOnly) {
                event.midiData[0] = static_cast<char>(0xB0 | (byte(random) & 0x0F));
                event.midiData[1] = static_cast<char>(byte(random) & 0x7F);
                event.midiData[2] = static_cast<char>(byte(random) & 0x7F);
            }
        }
        storage.assign(sizeof(VstEvents) + sizeof(VstEvent*) * static_cast<std::size_t>(count), 0);
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = count;
        for (int i = 0; i < count; ++i)
            list->events[i] = reinterpret_cast<VstEvent*>(&events[static_cast<std::size_t>(i)]);
        return list;
    }
};

std::string parameterSummary(const PluginInstance& plugin, int index) {
    return "parameter " + std::to_string(index) + " (\"" + plugin.parameterName(index) + "\")";
}

// What most checks start from: a resumed instance, buffers to match, and
// the run's random sources.
struct Rig {
    Rig(const ValidationTarget& target, double sampleRate, int blockSize)
        : plugin(prepared(target, sampleRate, blockSize, error)),
          buffers(plugin ? plugin->numInputs() : 1, plugin ? plugin->numOutputs() : 1, blockSize),
          random(target.seed),
          seed(target.seed) {}

    std::string error;
    std::unique_ptr<PluginInstance> plugin;
    ChannelBuffers buffers;
    std::mt19937 random;
    std::uint32_t seed;
};

}  // namespace

CheckResult checkOpenCloseCold(const ValidationTarget& target) {
    for (int i = 0; i < target.cycles; ++i) {
        ModuleLoader loader;
        std::string error;
        if (!loader.load(target.module.path(), error))
            return failed("cycle " + std::to_string(i) + ": " + error);
        if (PluginInstance::create(loader, error) == nullptr)
            return failed("cycle " + std::to_string(i) + ": " + error);
    }
    return passed(std::to_string(target.cycles) + " load, open, close, unload cycles");
}

CheckResult checkOpenCloseWarm(const ValidationTarget& target) {
    for (int i = 0; i < target.cycles; ++i) {
        Rig rig(target, 44100.0, 512);
        if (rig.plugin == nullptr)
            return failed("cycle " + std::to_string(i) + ": " + rig.error);
        rig.buffers.fillNoise(rig.seed, 0.5f);
        SampleScan scan;
        processInto(*rig.plugin, rig.buffers, 512, scan);
        if (!scan.clean())
            return failed("cycle " + std::to_string(i) + ": " + scan.describe());
    }
    return passed(std::to_string(target.cycles) + " open, resume, process, suspend, close cycles");
}

CheckResult checkInfo(const ValidationTarget& target) {
    std::string error;
    auto plugin = PluginInstance::create(target.module, error);
    if (plugin == nullptr)
        return failed(error);
    const AEffect& e = *plugin->effect();
    if (e.processReplacing == nullptr || (e.flags & effFlagsCanReplacing) == 0)
        return failed("no processReplacing entry or effFlagsCanReplacing not set");
    if (e.numOutputs <= 0 || e.numOutputs > 64 || e.numInputs < 0 || e.numInputs > 64)
        return failed(format("implausible channel counts: %g in, %g out", e.numInputs, e.numOutputs));
    if (e.numParams < 0 || e.numParams > 100000 || e.numPrograms < 0 || e.numPrograms > 100000)
        return failed(format("implausible counts: %g parameters, %g programs", e.numParams, e.numPrograms));
    if (e.getParameter == nullptr || e.setParameter == nullptr)
        return failed("setParameter or getParameter is null");
    std::string notes;
    for (int i = 0; i < e.numParams; ++i) {
        if (plugin->parameterName(i).empty())
            return failed(parameterSummary(*plugin, i) + " has no name");
        plugin->parameterLabel(i);
        plugin->parameterDisplay(i);
        const float value = plugin->getParameter(i);
        if (!(value >= 0.0f && value <= 1.0f))
            return failed(parameterSummary(*plugin, i) + format(" reads %g, outside 0..1", value));
    }
    char nonsense[] = "quorlHostNoSuchCapability";
    if (plugin->dispatch(effCanDo, 0, 0, nonsense) > 0)
        return failed("answers yes to an unknown can-do text");
    for (int i = 0; i < e.numInputs + 2; ++i) {
        VstPinProperties pin{};
        plugin->dispatch(effGetInputProperties, i, 0, &pin);
    }
    for (int i = 0; i < e.numOutputs + 2; ++i) {
        VstPinProperties pin{};
        plugin->dispatch(effGetOutputProperties, i, 0, &pin);
    }
    if (plugin->effectName().size() >= static_cast<std::size_t>(kVstMaxEffectNameLen))
        notes += "; effect name longer than 31 characters";
    return passed(std::to_string(e.numParams) + " parameters named, values in 0..1" + notes);
}

CheckResult checkPrograms(const ValidationTarget& target) {
    std::string error;
    auto plugin = PluginInstance::create(target.module, error);
    if (plugin == nullptr)
        return failed(error);
    const int count = std::min(plugin->numPrograms(), kMaxProgramsChecked);
    for (int i = 0; i < count; ++i) {
        plugin->dispatch(effSetProgram, 0, i);
        if (plugin->dispatch(effGetProgram) != i)
            return failed("selecting program " + std::to_string(i) + " reads back program " +
                          std::to_string(plugin->dispatch(effGetProgram)));
        const std::string current = plugin->programName();
        char indexed[512] = {};
        if (plugin->dispatch(effGetProgramNameIndexed, i, -1, indexed) != 0 && current != indexed)
            return failed("program " + std::to_string(i) + " is \"" + current + "\" but its indexed name is \"" +
                          indexed + "\"");
    }
    if (plugin->numPrograms() > 0) {
        for (VstIntPtr outside : {static_cast<VstIntPtr>(plugin->numPrograms()), static_cast<VstIntPtr>(-1),
                                  static_cast<VstIntPtr>(1) << 20}) {
            plugin->dispatch(effSetProgram, 0, outside);
            const VstIntPtr now = plugin->dispatch(effGetProgram);
            if (now < 0 || now >= plugin->numPrograms())
                return failed("selecting program " + std::to_string(outside) + " leaves program " +
                              std::to_string(now) + " selected");
        }
        plugin->dispatch(effSetProgram, 0, 0);
    }
    return passed(std::to_string(count) + " programs selected and named; out-of-range selections refused");
}

CheckResult checkProcessingAt(const ValidationTarget& target, double sampleRate) {
    Rig rig(target, sampleRate, kMaxBlock);
    if (rig.plugin == nullptr)
        return failed(rig.error);
    SampleScan scan;
    long frames = 0;
    // Every power-of-two size once, then random sizes for the rest.
    for (int size = 64; size <= kMaxBlock; size *= 2) {
        rig.buffers.fillNoise(rig.seed, 0.5f);
        processInto(*rig.plugin, rig.buffers, size, scan);
        frames += size;
    }
    const long noiseFrames = static_cast<long>(sampleRate * target.seconds * 0.5);
    while (frames < noiseFrames) {
        const int size = std::uniform_int_distribution<int>(64, kMaxBlock)(rig.random);
        rig.buffers.fillNoise(rig.seed, 0.5f);
        processInto(*rig.plugin, rig.buffers, size, scan);
        frames += size;
    }
    if (!scan.clean())
        return failed("noise input: " + scan.describe());
    // The tail after the input stops is where decaying feedback turns subnormal.
    rig.buffers.fillSilence();
    for (long silent = 0; silent < noiseFrames; silent += kMaxBlock)
        processInto(*rig.plugin, rig.buffers, kMaxBlock, scan);
    if (!scan.clean())
        return failed("silence after noise: " + scan.describe());
    return passed(format("%g frames of noise in blocks of 64..1024 and %g of silence, output clean",
                         static_cast<double>(frames), static_cast<double>(noiseFrames)));
}

CheckResult checkAutomation(const ValidationTarget& target) {
    constexpr int kSubBlock = 32;
    Rig rig(target, 44100.0, kSubBlock);
    if (rig.plugin == nullptr)
        return failed(rig.error);
    if (rig.plugin->numParams() == 0)
        return skipped("the module has no parameters");
    SampleScan scan;
    const long total = static_cast<long>(44100.0 * target.seconds);
    long changes = 0;
    for (long frames = 0; frames < total; frames += kSubBlock) {
        const int burst = std::uniform_int_distribution<int>(0, 3)(rig.random);
        for (int i = 0; i < burst; ++i, ++changes)
            randomParameterChange(*rig.plugin, rig.random);
        rig.buffers.fillNoise(rig.seed, 0.5f);
        processInto(*rig.plugin, rig.buffers, kSubBlock, scan);
    }
    if (!scan.clean())
        return failed(scan.describe());
    return passed(std::to_string(changes) + " random changes between sub-blocks of 32, output clean");
}

CheckResult checkParameterFuzz(const ValidationTarget& target) {
    constexpr int kBlock = 64;
    Rig rig(target, 44100.0, kBlock);
    if (rig.plugin == nullptr)
        return failed(rig.error);
    SampleScan scan;
    const int params = rig.plugin->numParams();
    for (int i = 0; i < 1000 && params > 0; ++i) {
        randomParameterChange(*rig.plugin, rig.random);
        rig.buffers.fillNoise(rig.seed, 0.5f);
        processInto(*rig.plugin, rig.buffers, kBlock, scan);
    }
    if (!scan.clean())
        return failed("random values in 0..1: " + scan.describe());
    const float outside[] = {-1.0f, -0.001f, 1.001f, 2.0f, 100.0f, -100.0f, 1.0e9f, -1.0e9f};
    for (int index = 0; index < params; ++index) {
        for (float value : outside) {
            rig.plugin->setParameter(index, value);
            rig.plugin->getParameter(index);
            rig.plugin->parameterDisplay(index);
            rig.buffers.fillNoise(rig.seed, 0.5f);
            SampleScan local;
            processInto(*rig.plugin, rig.buffers, kBlock, local);
            if (!local.clean())
                return failed(parameterSummary(*rig.plugin, index) + format(" set to %g: ", value) + local.describe());
        }
        rig.plugin->setParameter(index, randomUnit(rig.random));
    }
    for (int index : {-1, params, params + 1, 1 << 20, -(1 << 30)}) {
        rig.plugin->setParameter(index, 0.5f);
        rig.plugin->getParameter(index);
        rig.plugin->queryText(effGetParamName, index);
        rig.plugin->queryText(effGetParamLabel, index);
        rig.plugin->queryText(effGetParamDisplay, index);
        rig.plugin->dispatch(effCanBeAutomated, index);
    }
    rig.buffers.fillNoise(rig.seed, 0.5f);
    processInto(*rig.plugin, rig.buffers, kBlock, scan);
    if (!scan.clean())
        return failed("after out-of-range indices: " + scan.describe());
    return passed("random values, values outside 0..1 and indices outside 0.." + std::to_string(params - 1) +
                  " handled, output clean");
}

CheckResult checkStateRestoration(const ValidationTarget& target) {
    std::mt19937 random(target.seed);
    std::string error;
    auto original = PluginInstance::create(target.module, error);
    if (original == nullptr)
        return failed(error);
    const int params = original->numParams();
    for (int i = 0; i < params; ++i)
        original->setParameter(i, randomUnit(random));
    const std::string name = "qh state " + std::to_string(target.seed % 100000);
    const bool hasPrograms = original->numPrograms() > 0;
    if (hasPrograms)
        original->dispatch(effSetProgramName, 0, 0, const_cast<char*>(name.c_str()));
    std::vector<float> saved(static_cast<std::size_t>(params));
    for (int i = 0; i < params; ++i)
        saved[static_cast<std::size_t>(i)] = original->getParameter(i);
    const std::string savedName = original->programName();
    std::vector<char> chunk;
    if (original->effect()->flags & effFlagsProgramChunks) {
        void* data = nullptr;
        const VstIntPtr size = original->dispatch(effGetChunk, 0, 0, &data);
        if (size > 0 && data != nullptr)
            chunk.assign(static_cast<char*>(data), static_cast<char*>(data) + size);
    }

    auto restored = PluginInstance::create(target.module, error);
    if (restored == nullptr)
        return failed(error);
    if (!chunk.empty())
        restored->dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    for (int i = 0; i < params; ++i)
        restored->setParameter(i, saved[static_cast<std::size_t>(i)]);
    if (hasPrograms)
        restored->dispatch(effSetProgramName, 0, 0, const_cast<char*>(savedName.c_str()));
    for (int i = 0; i < params; ++i) {
        const float back = restored->getParameter(i);
        if (std::fabs(back - saved[static_cast<std::size_t>(i)]) > 1.0e-5f)
            return failed(parameterSummary(*restored, i) +
                          format(" saved as %.7g, restored as %.7g", saved[static_cast<std::size_t>(i)], back));
        if (restored->parameterDisplay(i) != original->parameterDisplay(i))
            return failed(parameterSummary(*restored, i) + " shows \"" + restored->parameterDisplay(i) +
                          "\" after restoring, \"" + original->parameterDisplay(i) + "\" before");
    }
    if (hasPrograms && savedName != name)
        return failed("program name set to \"" + name + "\" reads \"" + savedName + "\"");
    if (hasPrograms && restored->programName() != savedName)
        return failed("program name \"" + savedName + "\" restored as \"" + restored->programName() + "\"");
    return passed(std::to_string(params) + " parameter values" + (hasPrograms ? " and the program name" : "") +
                  (chunk.empty() ? "" : " and a chunk of " + std::to_string(chunk.size()) + " bytes") +
                  " carried to a new instance");
}

CheckResult checkMidiFuzz(const ValidationTarget& target) {
    constexpr int kBlock = 256;
    constexpr int kLists = 2000;
    Rig rig(target, 44100.0, kBlock);
    if (rig.plugin == nullptr)
        return failed(rig.error);
    SampleScan scan;
    EventList list;
    long events = 0;
    for (int i = 0; i < kLists; ++i) {
        VstEvents* events_ = list.fill(rig.random, kBlock, false);
        events += events_->numEvents;
        rig.plugin->sendEvents(events_);
        rig.buffers.fillNoise(rig.seed, 0.5f);
        processInto(*rig.plugin, rig.buffers, kBlock, scan);
    }
    VstEvents empty{};
    rig.plugin->sendEvents(&empty);
    if (!scan.clean())
        return failed(scan.describe());
    return passed(std::to_string(events) + " random events in " + std::to_string(kLists) + " lists, output clean");
}

CheckResult checkThreads(const ValidationTarget& target) {
    constexpr int kBlock = 256;
    std::string error;
    auto plugin = prepared(target, 44100.0, kBlock, error);
    if (plugin == nullptr)
        return failed(error);
    std::atomic<bool> stop{false};
    std::atomic<long> blocks{0};
    std::atomic<long> changes{0};
    std::atomic<long> lists{0};
    SampleScan scan;
    std::thread audio([&] {
        std::uint32_t seed = target.seed;
        ChannelBuffers buffers(plugin->numInputs(), plugin->numOutputs(), kBlock);
        while (!stop.load(std::memory_order_relaxed)) {
            buffers.fillNoise(seed, 0.5f);
            processInto(*plugin, buffers, kBlock, scan);
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::thread parameters([&] {
        std::mt19937 random(target.seed + 1);
        while (!stop.load(std::memory_order_relaxed)) {
            randomParameterChange(*plugin, random);
            if (plugin->numParams() > 0)
                plugin->parameterDisplay(0);
            changes.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::yield();
        }
    });
    std::thread midi([&] {
        std::mt19937 random(target.seed + 2);
        EventList list;
        while (!stop.load(std::memory_order_relaxed)) {
            plugin->sendEvents(list.fill(random, kBlock, true));
            lists.fetch_add(1, std::memory_order_relaxed);
            std::this_thread::yield();
        }
    });
    std::this_thread::sleep_for(std::chrono::duration<double>(target.seconds));
    stop.store(true);
    audio.join();
    parameters.join();
    midi.join();
    if (!scan.clean())
        return failed(scan.describe());
    return passed(std::to_string(blocks.load()) + " blocks processed while " + std::to_string(changes.load()) +
                  " parameter changes and " + std::to_string(lists.load()) +
                  " MIDI lists arrived on other threads, output clean");
}

CheckResult checkNoAllocation(const ValidationTarget& target) {
    if (!allocationCountingAvailable())
        return skipped("not observable on this platform");
    constexpr int kBlock = 512;
    constexpr int kBlocks = 200;
    Rig rig(target, 44100.0, kBlock);
    if (rig.plugin == nullptr)
        return failed(rig.error);
    EventList list;
    AllocationCount total;
    int callsThatAllocated = 0;
    int firstCall = 0;
    for (int i = 0; i < kBlocks; ++i) {
        randomParameterChange(*rig.plugin, rig.random);
        rig.plugin->sendEvents(list.fill(rig.random, kBlock, true));
        rig.buffers.fillNoise(rig.seed, 0.5f);
        beginAllocationCounting();
        rig.plugin->process(rig.buffers.inputs(), rig.buffers.outputs(), kBlock);
        const AllocationCount count = endAllocationCounting();
        total.allocations += count.allocations;
        total.frees += count.frees;
        if (count.allocations != 0 || count.frees != 0) {
            if (callsThatAllocated++ == 0)
                firstCall = i + 1;
        }
    }
    if (total.allocations != 0 || total.frees != 0)
        return failed(std::to_string(total.allocations) + " allocations and " + std::to_string(total.frees) +
                      " frees inside processReplacing, in " + std::to_string(callsThatAllocated) + " of " +
                      std::to_string(kBlocks) + " calls (the first in call " + std::to_string(firstCall) + ")");
    return passed("no allocation or free in " + std::to_string(kBlocks) + " calls, from the first one on");
}

CheckResult checkTiming(const ValidationTarget& target) {
    constexpr int kBlock = 512;
    std::uint32_t seed = target.seed;
    std::string error;
    const auto openStart = Clock::now();
    auto plugin = PluginInstance::create(target.module, error);
    const double openSeconds = secondsSince(openStart);
    if (plugin == nullptr)
        return failed(error);
    const auto resumeStart = Clock::now();
    plugin->configure(44100.0, kBlock);
    plugin->resume();
    const double resumeSeconds = secondsSince(resumeStart);
    ChannelBuffers buffers(plugin->numInputs(), plugin->numOutputs(), kBlock);
    buffers.fillNoise(seed, 0.5f);
    const long frames = std::max(44100L, static_cast<long>(44100.0 * target.seconds));
    const auto processStart = Clock::now();
    for (long done = 0; done < frames; done += kBlock)
        plugin->process(buffers.inputs(), buffers.outputs(), kBlock);
    const double processSeconds = secondsSince(processStart);
    const double nsPerFrame = processSeconds * 1.0e9 / static_cast<double>(frames);
    return passed(
        format("open %.3f ms, resume %.3f ms, ", openSeconds * 1e3, resumeSeconds * 1e3) +
        format("processing %.1f ns per frame (%.0fx real time at 44.1 kHz)", nsPerFrame, 1.0e9 / 44100.0 / nsPerFrame));
}

CheckResult checkEditor(const ValidationTarget& target) {
    std::string error;
    auto plugin = prepared(target, 44100.0, 512, error);
    if (plugin == nullptr)
        return failed(error);
    if ((plugin->effect()->flags & effFlagsHasEditor) == 0)
        return skipped("the module has no editor");
    EditorWindow window;
    if (window.handle() == nullptr)
        return skipped("no native parent window available here");
    constexpr int kOpenings = 3;
    for (int opening = 0; opening < kOpenings; ++opening) {
        if (plugin->dispatch(effEditOpen, 0, 0, window.handle()) == 0)
            return failed("the editor refused to open (opening " + std::to_string(opening + 1) + ")");
        ERect* rect = nullptr;
        plugin->dispatch(effEditGetRect, 0, 0, &rect);
        if (rect == nullptr || rect->right <= rect->left || rect->bottom <= rect->top) {
            plugin->dispatch(effEditClose);
            return failed("the open editor reports no size");
        }
        for (int i = 0; i < 20; ++i) {
            if (plugin->numParams() > 0)
                plugin->setParameter(i % plugin->numParams(), static_cast<float>(i) / 20.0f);
            plugin->dispatch(effEditIdle);
            window.pumpMessages();
        }
        plugin->dispatch(effEditClose);
        window.pumpMessages();
    }
    return passed(std::to_string(kOpenings) + " openings with idle and parameter changes");
}
