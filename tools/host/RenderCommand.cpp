#include "tools/host/CommandSupport.h"
#include "tools/host/Commands.h"
#include "tools/host/CrashGuard.h"
#include "tools/host/ParameterSchedule.h"
#include "tools/host/ProgressBar.h"
#include "tools/host/RenderInput.h"
#include "tools/host/RenderOutput.h"
#include "tools/host/SlotQueue.h"
#include "tools/host/TextParse.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// CPU seconds, which stay meaningful when other programs compete for the cores.
double cpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1.0e-9;
}

constexpr int kMaxBlock = 65536;
constexpr std::int64_t kIoChunk = 16384;
constexpr int kChunkSlots = 4;

std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

struct RenderOptions {
    std::string module;
    std::string input;  // empty with --demo
    std::string output;
    bool demo = false;
    int block = 512;
    double tailSeconds = 0.0;
    std::vector<ParameterSetting> settings;
    std::vector<ScheduledChange> changes;
};

const char kUsage[] =
    "usage: quorl-host render MODULE (IN | --demo) OUT [--block N] [--set Name=value]... "
    "[--at T:Name=value | --at T:ccN=value]... [--tail S]";

bool parseOptions(const Arguments& args, RenderOptions& options, std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--block" && hasValue) {
            if (!parseInt(args[++i], options.block) || options.block < 1 || options.block > kMaxBlock) {
                error = "--block needs a whole number from 1 to " + std::to_string(kMaxBlock);
                return false;
            }
        } else if (arg == "--tail" && hasValue) {
            if (!parseDouble(args[++i], options.tailSeconds) || options.tailSeconds < 0.0 ||
                options.tailSeconds > 3600.0) {
                error = "--tail needs a number of seconds from 0 to 3600";
                return false;
            }
        } else if (arg == "--set" && hasValue) {
            ParameterSetting setting;
            if (!parseSetting(args[++i], setting, error))
                return false;
            options.settings.push_back(setting);
        } else if (arg == "--at" && hasValue) {
            ScheduledChange change;
            if (!parseScheduledChange(args[++i], change, error))
                return false;
            options.changes.push_back(change);
        } else if (arg.rfind("--", 0) == 0) {
            error = "render: unknown or incomplete option '" + arg + "'";
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != (options.demo ? 2u : 3u)) {
        error = kUsage;
        return false;
    }
    options.module = positional[0];
    options.input = options.demo ? "" : positional[1];
    options.output = positional.back();
    return true;
}

// One instance with the file channels it reads and writes (-1: none).
struct Lane {
    std::unique_ptr<PluginInstance> plugin;
    std::vector<int> inputChannel;
    std::vector<int> outputChannel;
    std::vector<std::vector<float>> droppedOutputs;
    std::vector<float*> inputs;
    std::vector<float*> outputs;
};

// A chunk of interleaved frames on its way from the reader to the writer.
struct Chunk {
    std::vector<float> interleaved;
    std::vector<std::vector<float>> in;  // per channel
    std::vector<std::vector<float>> out;
    std::int64_t frames = 0;
    bool last = false;  // the input ended within this chunk
};

// A change resolved to a frame and, for parameters, an index.
struct TimedChange {
    std::int64_t frame;
    ScheduledChange change;
    int parameter;
};

}  // namespace

int runRender(const Arguments& args) {
    RenderOptions options;
    std::string error;
    if (!parseOptions(args, options, error))
        return reportError(error);

    const auto setupStart = Clock::now();
    RenderInput input;
    if (options.demo)
        input.openDemo();
    else if (!input.openFile(options.input, error))
        return reportError(error);
    const int channels = input.channels();

    // A module with fewer inputs than the file has channels runs once per
    // channel; each instance then draws its own randomness, as in a host.
    ModuleLoader loader;
    std::vector<Lane> lanes;
    lanes.emplace_back();
    lanes[0].plugin = loadAndCreate(loader, options.module);
    if (lanes[0].plugin == nullptr)
        return 1;
    if (lanes[0].plugin->effect()->processReplacing == nullptr)
        return reportError("'" + options.module + "' has no processReplacing entry");
    const bool perChannel = channels > 1 && lanes[0].plugin->numInputs() < channels;
    const int laneCount = perChannel ? channels : 1;
    for (int l = 1; l < laneCount; ++l) {
        lanes.emplace_back();
        lanes.back().plugin = PluginInstance::create(loader, error);
        if (lanes.back().plugin == nullptr)
            return reportError(error);
    }
    const std::int64_t chunk = (std::max<std::int64_t>(kIoChunk, options.block) / options.block) * options.block;
    for (int l = 0; l < laneCount; ++l) {
        Lane& lane = lanes[static_cast<std::size_t>(l)];
        const int ins = std::max(lane.plugin->numInputs(), 0);
        const int outs = std::max(lane.plugin->numOutputs(), 0);
        for (int i = 0; i < ins; ++i)
            lane.inputChannel.push_back(perChannel ? (i == 0 ? l : -1) : (i < channels ? i : -1));
        for (int o = 0; o < outs; ++o) {
            lane.outputChannel.push_back(perChannel ? (o == 0 ? l : -1) : (o < channels ? o : -1));
            if (lane.outputChannel.back() < 0)
                lane.droppedOutputs.emplace_back(static_cast<std::size_t>(chunk));
        }
        lane.inputs.resize(static_cast<std::size_t>(std::max(ins, 1)));
        lane.outputs.resize(static_cast<std::size_t>(std::max(outs, 1)));
        lane.plugin->configure(input.sampleRate(), options.block);
        lane.plugin->resume();
    }

    // Names are checked before any output exists.
    const PluginInstance& first = *lanes[0].plugin;
    std::vector<std::pair<int, float>> settings;
    for (const ParameterSetting& setting : options.settings) {
        const int index = first.findParameter(setting.name);
        if (index < 0)
            return reportError("unknown parameter '" + setting.name + "' in --set");
        settings.emplace_back(index, setting.value);
    }
    std::vector<TimedChange> timed;
    for (const ScheduledChange& change : options.changes) {
        const int index = change.isControlChange ? -1 : first.findParameter(change.name);
        if (!change.isControlChange && index < 0)
            return reportError("unknown parameter '" + change.name + "' in --at");
        timed.push_back({std::llround(change.seconds * input.sampleRate()), change, index});
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const TimedChange& a, const TimedChange& b) { return a.frame < b.frame; });
    for (Lane& lane : lanes)
        for (const auto& [index, value] : settings)
            lane.plugin->setParameter(index, value);

    // Loading and set-up are a fixed cost; the figures compare the running cost.
    const double setupSeconds = std::chrono::duration<double>(Clock::now() - setupStart).count();
    const auto start = Clock::now();
    const double processCpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double threadCpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    RenderOutput output;
    if (!output.open(options.output, input.sampleRate(), channels, input.subtype(), error))
        return reportError(error);

    // Reading, splitting into channels, joining and writing run on threads of
    // their own, a few chunks ahead of and behind the processing, so they hide
    // behind the plug-in's time.
    std::vector<Chunk> chunks(kChunkSlots);
    for (Chunk& c : chunks) {
        c.interleaved.resize(static_cast<std::size_t>(chunk * channels));
        c.in.assign(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(chunk)));
        c.out.assign(static_cast<std::size_t>(channels), std::vector<float>(static_cast<std::size_t>(chunk)));
    }
    // File channels no output writes to stay silent.
    std::vector<bool> written(static_cast<std::size_t>(channels), false);
    for (const Lane& lane : lanes)
        for (int c : lane.outputChannel)
            if (c >= 0)
                written[static_cast<std::size_t>(c)] = true;
    SlotQueue freeSlots;
    SlotQueue readSlots;
    SlotQueue writeSlots;
    for (int slot = 0; slot < kChunkSlots; ++slot)
        freeSlots.push(slot);
    std::atomic<bool> stopReading{false};
    std::atomic<bool> writeFailed{false};
    std::string writeError;
    std::thread reader([&] {
        for (int slot; !stopReading.load() && (slot = freeSlots.pop()) >= 0;) {
            Chunk& c = chunks[static_cast<std::size_t>(slot)];
            c.frames = input.read(c.interleaved.data(), chunk);
            c.last = c.frames < chunk;
            for (std::int64_t f = 0; f < c.frames; ++f)
                for (int ch = 0; ch < channels; ++ch)
                    c.in[static_cast<std::size_t>(ch)][static_cast<std::size_t>(f)] =
                        c.interleaved[static_cast<std::size_t>(f * channels + ch)];
            readSlots.push(slot);
            if (c.last)
                break;
        }
    });
    std::thread writer([&] {
        for (int slot; (slot = writeSlots.pop()) >= 0;) {
            Chunk& c = chunks[static_cast<std::size_t>(slot)];
            for (std::int64_t f = 0; f < c.frames; ++f)
                for (int ch = 0; ch < channels; ++ch)
                    c.interleaved[static_cast<std::size_t>(f * channels + ch)] =
                        c.out[static_cast<std::size_t>(ch)][static_cast<std::size_t>(f)];
            if (!writeFailed.load() && !output.write(c.interleaved.data(), c.frames, writeError))
                writeFailed.store(true);
            freeSlots.push(slot);
        }
    });

    std::vector<float> silence(static_cast<std::size_t>(chunk), 0.0f);
    const std::int64_t tailFrames = std::llround(options.tailSeconds * input.sampleRate());
    ProgressBar progress(input.frames() + tailFrames);
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    setCrashStep("render");

    double pluginSeconds = 0.0;
    std::int64_t position = 0;
    std::int64_t inputFrames = 0;
    std::int64_t tailLeft = tailFrames;
    bool inputDone = false;
    std::size_t nextChange = 0;
    while (!interrupted.load() && !writeFailed.load()) {
        const int slot = inputDone ? freeSlots.pop() : readSlots.pop();
        Chunk& current = chunks[static_cast<std::size_t>(slot)];
        if (inputDone) {
            current.frames = 0;
        } else {
            inputFrames += current.frames;
            inputDone = current.last;
        }
        std::int64_t frames = current.frames;
        for (auto& channel : current.in)
            std::fill(channel.begin() + frames, channel.end(), 0.0f);
        const std::int64_t fromTail = inputDone ? std::min(chunk - frames, tailLeft) : 0;
        tailLeft -= fromTail;
        frames += fromTail;
        if (frames == 0) {
            freeSlots.push(slot);
            break;
        }

        for (int c = 0; c < channels; ++c)
            if (!written[static_cast<std::size_t>(c)])
                std::fill(current.out[static_cast<std::size_t>(c)].begin(),
                          current.out[static_cast<std::size_t>(c)].end(), 0.0f);

        for (std::int64_t done = 0; done < frames;) {
            for (; nextChange < timed.size() && timed[nextChange].frame <= position + done; ++nextChange) {
                const TimedChange& t = timed[nextChange];
                for (Lane& lane : lanes) {
                    if (t.change.isControlChange)
                        lane.plugin->sendControlChange(0, t.change.controller, t.change.ccValue);
                    else
                        lane.plugin->setParameter(t.parameter, t.change.value);
                }
            }
            std::int64_t length = std::min<std::int64_t>(options.block, frames - done);
            if (nextChange < timed.size())
                length = std::min(length, timed[nextChange].frame - (position + done));
            for (Lane& lane : lanes) {
                for (std::size_t i = 0; i < lane.inputChannel.size(); ++i) {
                    const int c = lane.inputChannel[i];
                    lane.inputs[i] = (c >= 0 ? current.in[static_cast<std::size_t>(c)].data() : silence.data()) + done;
                }
                std::size_t dropped = 0;
                for (std::size_t o = 0; o < lane.outputChannel.size(); ++o) {
                    const int c = lane.outputChannel[o];
                    lane.outputs[o] = (c >= 0 ? current.out[static_cast<std::size_t>(c)].data()
                                              : lane.droppedOutputs[dropped++].data()) +
                                      done;
                }
                const auto callStart = Clock::now();
                lane.plugin->process(lane.inputs.data(), lane.outputs.data(), static_cast<int>(length));
                pluginSeconds += std::chrono::duration<double>(Clock::now() - callStart).count();
            }
            done += length;
        }

        current.frames = frames;
        writeSlots.push(slot);
        position += frames;
        progress.update(position);
    }
    stopReading.store(true);
    writeSlots.close();
    writer.join();
    freeSlots.close();
    reader.join();
    progress.finish();
    if (writeFailed.load())
        return reportError(writeError);
    if (interrupted.load())
        return reportError("render interrupted; no output written");
    if (!output.commit(error))
        return reportError(error);
    const double totalSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double threadCpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadCpuStart;
    const double processCpu = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processCpuStart;

    const double rate = input.sampleRate();
    std::printf("rendered %s: %lld frames (%.3f s input + %.3f s tail) at %d Hz, %d channel%s, %s\n",
                options.output.c_str(), static_cast<long long>(position), static_cast<double>(inputFrames) / rate,
                static_cast<double>(position - inputFrames) / rate, input.sampleRate(), channels,
                channels == 1 ? "" : "s", output.description().c_str());
    std::printf("%d instance%s of %d in x %d out, blocks of %d, set-up %.3f s\n", laneCount, laneCount == 1 ? "" : "s",
                first.numInputs(), first.numOutputs(), options.block, setupSeconds);
    std::printf(
        "plug-in %.3f s, total %.3f s (host and file I/O %.1f %% over the plug-in's own time), %.1fx real "
        "time\n",
        pluginSeconds, totalSeconds, pluginSeconds > 0.0 ? (totalSeconds - pluginSeconds) * 100.0 / pluginSeconds : 0.0,
        totalSeconds > 0.0 ? static_cast<double>(position) / rate / totalSeconds : 0.0);
    std::printf(
        "CPU time: processing thread %.3f s, all threads %.3f s (reading, converting and writing %.1f %% on "
        "top)\n",
        threadCpu, processCpu, threadCpu > 0.0 ? (processCpu - threadCpu) * 100.0 / threadCpu : 0.0);
    return 0;
}
