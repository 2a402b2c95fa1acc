#pragma once
// What render is told to change: --set Name=value before the start, and
// --at seconds:Name=value / --at seconds:ccN=value at given times.
#include <string>
#include <vector>

struct ParameterSetting {
    std::string name;
    float value = 0.0f;
};

struct ScheduledChange {
    double seconds = 0.0;
    bool isControlChange = false;
    std::string name;    // parameter changes
    int controller = 0;  // control changes, 0..127
    int ccValue = 0;     // control changes, 0..127
    float value = 0.0f;  // parameter changes, 0..1
};

// False with a one-line reason when the text is malformed or out of range.
bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error);
bool parseScheduledChange(const std::string& text, ScheduledChange& change, std::string& error);
