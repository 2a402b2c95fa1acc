#include "tools/host/CommandSupport.h"
#include "tools/host/Commands.h"

#include <cstdio>

namespace {

const char* const kCanDoQueries[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "offline",
    "midiProgramNames",
    "bypass",
    "noRealTime",
    "plugAsChannelInsert",
    "plugAsSend",
    "mixDryWet",
    "multipass",
    "metapass",
    "1in1out",
    "1in2out",
    "2in1out",
    "2in2out",
    "2in4out",
    "4in2out",
    "4in4out",
    "4in8out",
    "8in4out",
    "8in8out",
    "hasCockosExtensions",
};

const char* categoryName(VstIntPtr category) {
    static const char* const kNames[] = {"unknown",     "effect",      "synth",   "analysis",
                                         "mastering",   "spacializer", "room fx", "surround fx",
                                         "restoration", "offline",     "shell",   "generator"};
    return category >= 0 && category < 12 ? kNames[category] : "out of range";
}

std::string flagNames(VstInt32 flags) {
    std::string names;
    const struct {
        VstInt32 bit;
        const char* name;
    } kFlags[] = {{effFlagsHasEditor, "editor"},
                  {effFlagsCanReplacing, "replacing"},
                  {effFlagsProgramChunks, "chunks"},
                  {effFlagsIsSynth, "synth"},
                  {effFlagsNoSoundInStop, "no-sound-in-stop"},
                  {effFlagsCanDoubleReplacing, "double-replacing"}};
    for (const auto& flag : kFlags)
        if ((flags & flag.bit) != 0)
            names += (names.empty() ? "" : ", ") + std::string(flag.name);
    return names;
}

void printPins(const PluginInstance& plugin, VstInt32 opcode, int count, const char* title) {
    std::printf("%s\n", title);
    for (int i = 0; i < count; ++i) {
        VstPinProperties pin{};
        const bool answered = plugin.dispatch(opcode, i, 0, &pin) != 0;
        pin.label[sizeof pin.label - 1] = '\0';
        pin.shortLabel[sizeof pin.shortLabel - 1] = '\0';
        if (answered)
            std::printf("  %2d  \"%s\" (\"%.7s\") flags 0x%x%s%s, arrangement %d\n", i, pin.label, pin.shortLabel,
                        static_cast<unsigned>(pin.flags), (pin.flags & kVstPinIsActive) ? " active" : "",
                        (pin.flags & kVstPinIsStereo) ? " stereo" : "", static_cast<int>(pin.arrangementType));
        else
            std::printf("  %2d  (no properties)\n", i);
    }
}

// Built by appending: GCC 12 warns falsely on "\"" + text + "\"".
std::string quoted(const std::string& text) {
    std::string result;
    result.reserve(text.size() + 2);
    result.push_back('"');
    result.append(text);
    result.push_back('"');
    return result;
}

}  // namespace

int runInfo(const Arguments& args) {
    if (args.size() != 1)
        return reportError("usage: quorl-host info MODULE");
    ModuleLoader loader;
    auto plugin = loadAndCreate(loader, args[0]);
    if (plugin == nullptr)
        return 1;
    const AEffect& e = *plugin->effect();

    std::printf("module            %s\n", args[0].c_str());
    std::printf("effect name       \"%s\"\n", plugin->effectName().c_str());
    std::printf("vendor            \"%s\"\n", plugin->vendorString().c_str());
    std::printf("product           \"%s\"\n", plugin->productString().c_str());
    std::printf("vendor version    %ld\n", static_cast<long>(plugin->dispatch(effGetVendorVersion)));
    std::printf("VST version       %ld\n", static_cast<long>(plugin->dispatch(effGetVstVersion)));
    const VstIntPtr category = plugin->dispatch(effGetPlugCategory);
    std::printf("category          %ld (%s)\n", static_cast<long>(category), categoryName(category));
    std::printf("magic             %s\n", fourCharText(e.magic).c_str());
    std::printf("unique id         %s (0x%08x)\n", fourCharText(e.uniqueID).c_str(), static_cast<unsigned>(e.uniqueID));
    std::printf("version           %d\n", static_cast<int>(e.version));
    std::printf("flags             0x%x (%s)\n", static_cast<unsigned>(e.flags), flagNames(e.flags).c_str());
    std::printf("inputs            %d\n", static_cast<int>(e.numInputs));
    std::printf("outputs           %d\n", static_cast<int>(e.numOutputs));
    std::printf("parameters        %d\n", static_cast<int>(e.numParams));
    std::printf("programs          %d\n", static_cast<int>(e.numPrograms));
    std::printf("initial delay     %d\n", static_cast<int>(e.initialDelay));
    std::printf("io ratio          %g\n", static_cast<double>(e.ioRatio));
    std::printf("tail size         %ld\n", static_cast<long>(plugin->dispatch(effGetTailSize)));
    std::printf("MIDI in channels  %ld\n", static_cast<long>(plugin->dispatch(effGetNumMidiInputChannels)));
    std::printf("MIDI out channels %ld\n", static_cast<long>(plugin->dispatch(effGetNumMidiOutputChannels)));
    std::printf("entries           process %s, processReplacing %s, processDoubleReplacing %s\n",
                e.process ? "set" : "null", e.processReplacing ? "set" : "null",
                e.processDoubleReplacing ? "set" : "null");

    std::printf("can do\n");
    for (const char* query : kCanDoQueries) {
        const VstIntPtr answer = plugin->dispatch(effCanDo, 0, 0, const_cast<char*>(query));
        std::printf("  %-20s %s\n", query, answer > 0 ? "yes" : answer < 0 ? "no" : "don't know");
    }

    printPins(*plugin, effGetInputProperties, e.numInputs, "input pins");
    printPins(*plugin, effGetOutputProperties, e.numOutputs, "output pins");

    std::printf("parameters (index, name, label, display, value, automatable)\n");
    for (int i = 0; i < e.numParams; ++i)
        std::printf("  %3d  %-24s %-8s %-16s %.6f  %s\n", i, quoted(plugin->parameterName(i)).c_str(),
                    quoted(plugin->parameterLabel(i)).c_str(), quoted(plugin->parameterDisplay(i)).c_str(),
                    static_cast<double>(plugin->getParameter(i)),
                    plugin->dispatch(effCanBeAutomated, i) != 0 ? "yes" : "no");

    std::printf("programs (current %ld)\n", static_cast<long>(plugin->dispatch(effGetProgram)));
    for (int i = 0; i < e.numPrograms; ++i) {
        std::string name = plugin->queryText(effGetProgramNameIndexed, i, -1);
        if (name.empty() && i == plugin->dispatch(effGetProgram))
            name = plugin->programName();
        std::printf("  %3d  \"%s\"\n", i, name.c_str());
    }
    if (e.flags & effFlagsHasEditor) {
        ERect* rect = nullptr;
        plugin->dispatch(effEditGetRect, 0, 0, &rect);
        if (rect != nullptr)
            std::printf("editor            %d x %d\n", rect->right - rect->left, rect->bottom - rect->top);
        else
            std::printf("editor            present (size given only when open)\n");
    }
    return 0;
}
