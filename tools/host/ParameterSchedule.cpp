#include "tools/host/ParameterSchedule.h"

#include "tools/host/TextParse.h"

namespace {

bool isControllerName(const std::string& name) {
    return name.size() > 2 && (name[0] == 'c' || name[0] == 'C') && (name[1] == 'c' || name[1] == 'C');
}

}  // namespace

bool parseSetting(const std::string& text, ParameterSetting& setting, std::string& error) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = "malformed setting '" + text + "': expected Name=value";
        return false;
    }
    double value = 0.0;
    if (!parseDouble(text.substr(equals + 1), value) || value < 0.0 || value > 1.0) {
        error = "malformed setting '" + text + "': the value must be a number from 0 to 1";
        return false;
    }
    setting.name = text.substr(0, equals);
    setting.value = static_cast<float>(value);
    return true;
}

bool parseScheduledChange(const std::string& text, ScheduledChange& change, std::string& error) {
    const auto colon = text.find(':');
    double seconds = 0.0;
    if (colon == std::string::npos || !parseDouble(text.substr(0, colon), seconds) || seconds < 0.0) {
        error = "malformed --at '" + text + "': expected seconds:Name=value or seconds:ccN=value";
        return false;
    }
    const std::string rest = text.substr(colon + 1);
    const auto equals = rest.find('=');
    const std::string name = rest.substr(0, equals);
    if (equals != std::string::npos && isControllerName(name)) {
        int controller = 0;
        int value = 0;
        if (!parseInt(name.substr(2), controller) || controller < 0 || controller > 127 ||
            !parseInt(rest.substr(equals + 1), value) || value < 0 || value > 127) {
            error = "malformed --at '" + text + "': a control change is ccN=value with N and value 0 to 127";
            return false;
        }
        change = ScheduledChange{seconds, true, {}, controller, value, 0.0f};
        return true;
    }
    ParameterSetting setting;
    if (!parseSetting(rest, setting, error)) {
        error = "malformed --at '" + text + "': " + error.substr(error.find(':') + 2);
        return false;
    }
    change = ScheduledChange{seconds, false, setting.name, 0, 0, setting.value};
    return true;
}
