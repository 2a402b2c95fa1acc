// A loadable module that reports the path modulePath() finds from inside it.
#include <string>

#include "platform/ModulePath.h"

#if defined(_WIN32)
#define PROBE_EXPORT extern "C" __declspec(dllexport)
#else
#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PROBE_EXPORT const char* probeModulePath() {
    static const std::string path = modulePath();
    return path.c_str();
}
