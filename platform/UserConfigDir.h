#pragma once
// The current user's folder for application settings ($XDG_CONFIG_HOME or
// ~/.config on Linux, %APPDATA% on Windows); empty when there is none.
#include <string>

std::string userConfigDir();
