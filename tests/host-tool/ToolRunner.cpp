#include "tests/host-tool/ToolRunner.h"

#include <cstdio>
#include <sstream>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

std::vector<std::string> ToolRun::lines() const {
    std::vector<std::string> result;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

std::string buildPath(const char* path) {
#if defined(_WIN32)
    // Under Wine the build folder is reached through the Z: drive.
    std::string converted = path;
    if (!converted.empty() && converted.front() == '/')
        converted = "Z:" + converted;
    for (char& c : converted)
        if (c == '/')
            c = '\\';
    return converted;
#else
    return path;
#endif
}

ToolRun runTool(const std::vector<std::string>& args) {
    // Appended piece by piece: GCC 12 warns falsely on "\"" + text.
    std::string command;
    const auto addQuoted = [&command](const std::string& text) {
        command.push_back('"');
        command.append(text);
        command.append("\" ");
    };
    addQuoted(buildPath(QUORL_HOST_PATH));
    for (const std::string& arg : args)
        addQuoted(arg);
    command.append("2>&1");
#if defined(_WIN32)
    // cmd.exe strips one pair of outer quotes from the whole line.
    command.insert(command.begin(), '"');
    command.push_back('"');
    FILE* pipe = _popen(command.c_str(), "r");
#else
    FILE* pipe = popen(command.c_str(), "r");
#endif
    ToolRun run;
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.output.append(buffer, n);
#if defined(_WIN32)
    run.status = _pclose(pipe);
#else
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
#endif
    return run;
}
