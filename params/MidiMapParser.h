#pragma once
// Reads the MIDI map file's text, fed in pieces of any size, into a MidiCcMap.
//
// The file is positional: line k binds parameter k when it begins with that
// parameter's name; the one character after the name is skipped and the
// number after it is read like atoi (leading blanks, optional sign, digits),
// except that it saturates to the 32-bit range. Lines of any length and any
// bytes are handled in constant memory. A line holding only the name keeps
// the entry as it is; lines beyond the tenth are ignored.
#include <cstddef>
#include <cstdint>

#include "params/ParameterIndex.h"

class MidiCcMap;

class MidiMapParser {
public:
    // names: the ten parameter names in index order (a null name matches no line).
    MidiMapParser(const char* const* names, MidiCcMap& map);

    void feed(const char* data, std::size_t size);
    // End of input: a last line without a line end still counts.
    void finish();
    // All ten lines have been read; further input changes nothing.
    bool done() const { return line >= kNumParams; }

    // Whole buffer at once.
    static void parse(const char* data, std::size_t size, const char* const* names, MidiCcMap& map);

private:
    enum class State { Name, Blanks, Digits, Rest };

    void consume(char c);
    void commitNumber();
    void endLine();
    void startLine();

    const char* const* names;
    MidiCcMap& map;
    std::int32_t line = 0;
    State state = State::Name;
    std::size_t matched = 0;  // name characters matched so far
    bool lineEmpty = true;
    bool negative = false;
    std::int64_t magnitude = 0;
};
