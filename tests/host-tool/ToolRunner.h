#pragma once
// Runs the built quorl-host with arguments and collects what it printed.
#include <string>
#include <vector>

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
    std::vector<std::string> lines() const;
};

ToolRun runTool(const std::vector<std::string>& args);
// A path fixed at build time, in the form the running platform's programs take.
std::string buildPath(const char* path);
