// Any bytes as map file text. Reading must not fail, must not depend on how
// the text is split into pieces, and what it reads must survive being written
// and read again.
#include <cstddef>
#include <cstdint>

#include "params/MidiCcMap.h"
#include "params/MidiMapFile.h"
#include "params/MidiMapParser.h"
#include "params/ParameterInfo.h"

namespace {

const char* const* parameterNames() {
    static const char* names[kNumParams];
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        names[i] = kParameterInfo[i].name;
    }
    return names;
}

void expectSameBindings(const MidiCcMap& a, const MidiCcMap& b) {
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        if (a.binding(i) != b.binding(i)) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* const* names = parameterNames();
    const char* text = reinterpret_cast<const char*>(data);

    MidiCcMap whole;
    MidiMapParser::parse(text, size, names, whole);

    // The same text in pieces whose sizes come from the text itself.
    MidiCcMap pieces;
    MidiMapParser parser(names, pieces);
    std::size_t offset = 0;
    while (offset < size) {
        std::size_t length = 1 + data[offset] % 17;
        length = length < size - offset ? length : size - offset;
        parser.feed(text + offset, length);
        offset += length;
    }
    parser.finish();
    expectSameBindings(whole, pieces);

    const std::string written = MidiMapFile::format(names, whole);
    MidiCcMap reread;
    MidiMapParser::parse(written.data(), written.size(), names, reread);
    expectSameBindings(whole, reread);
    return 0;
}
