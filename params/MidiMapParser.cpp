#include "params/MidiMapParser.h"

#include <limits>

#include "params/MidiCcMap.h"

namespace {

// Beyond this the magnitude no longer matters: it saturates either way.
constexpr std::int64_t kMagnitudeLimit = std::int64_t{1} << 31;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

MidiMapParser::MidiMapParser(const char* const* parameterNames, MidiCcMap& targetMap)
    : names(parameterNames), map(targetMap) {}

void MidiMapParser::parse(const char* data, std::size_t size, const char* const* names, MidiCcMap& map) {
    MidiMapParser parser(names, map);
    parser.feed(data, size);
    parser.finish();
}

void MidiMapParser::feed(const char* data, std::size_t size) {
    if (data == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < size && !done(); ++i) {
        if (data[i] == '\n') {
            endLine();
        } else {
            consume(data[i]);
        }
    }
}

void MidiMapParser::finish() {
    if (!done() && !lineEmpty) {
        endLine();
    }
}

void MidiMapParser::startLine() {
    state = State::Name;
    matched = 0;
    lineEmpty = true;
    negative = false;
    magnitude = 0;
}

void MidiMapParser::consume(char c) {
    lineEmpty = false;
    switch (state) {
        case State::Name: {
            const char* name = names ? names[line] : nullptr;
            if (name == nullptr) {
                state = State::Rest;
            } else if (name[matched] == '\0') {
                state = State::Blanks;  // the separator, whatever it is, goes unread
            } else if (c == name[matched]) {
                ++matched;
            } else {
                state = State::Rest;
            }
            break;
        }
        case State::Blanks:
            if (isBlank(c)) {
                break;
            }
            state = State::Digits;
            if (c == '-' || c == '+') {
                negative = c == '-';
                break;
            }
            [[fallthrough]];
        case State::Digits:
            if (isDigit(c)) {
                if (magnitude < kMagnitudeLimit) {
                    magnitude = magnitude * 10 + (c - '0');
                }
            } else {
                commitNumber();
            }
            break;
        case State::Rest:
            break;
    }
}

void MidiMapParser::commitNumber() {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = negative ? -magnitude : magnitude;
    value = value > kMax ? kMax : (value < kMin ? kMin : value);
    map.setBinding(line, static_cast<std::int32_t>(value));
    state = State::Rest;
}

void MidiMapParser::endLine() {
    // A line ending inside the number completes it; one that ends inside or
    // right after the name leaves the entry alone.
    if (state == State::Blanks || state == State::Digits) {
        commitNumber();
    }
    ++line;
    startLine();
}
