#pragma once
// Strict number parsing for command-line values: the whole text must be the number.
#include <string>

bool parseDouble(const std::string& text, double& value);
bool parseInt(const std::string& text, int& value);
