#pragma once
// What every subcommand does first: report errors in one line, load a module
// and create an instance from it.
#include "tools/host/ModuleLoader.h"
#include "tools/host/PluginInstance.h"

#include <memory>
#include <string>

// Prints "quorl-host: <message>" on stderr; returns the exit status to use.
int reportError(const std::string& message);

// Null after printing the reason.
std::unique_ptr<PluginInstance> loadAndCreate(ModuleLoader& loader, const std::string& path);

// Turns a four-character code into text such as 'Qvrz'.
std::string fourCharText(int code);
