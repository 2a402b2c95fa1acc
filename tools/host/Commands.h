#pragma once
// The subcommands; each takes the arguments after its own name and returns
// the process exit status.
#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int runInfo(const Arguments& args);
int runRender(const Arguments& args);
int runValidate(const Arguments& args);
int runBench(const Arguments& args);
