// quorl-host: loads any VST 2 module the way a host does and shows, renders,
// validates or benchmarks it without audio hardware or a screen.
#include "tools/host/Commands.h"
#include "tools/host/CrashGuard.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "usage: quorl-host COMMAND MODULE [arguments]\n"
    "  info MODULE                      what the module reports: names, flags, pins, parameters, programs\n"
    "  render MODULE IN OUT [options]   run an audio file through the module\n"
    "  render MODULE --demo OUT [options]   the same with a built-in plucked-string phrase as input\n"
    "      --block N          block size (default 512)\n"
    "      --set Name=value   set a parameter (0..1) before rendering; repeatable\n"
    "      --at T:Name=value  change a parameter T seconds in; repeatable\n"
    "      --at T:ccN=value   send MIDI control change N (0..127) T seconds in; repeatable\n"
    "      --tail S           keep rendering S seconds after the input ends\n"
    "  validate MODULE [--cycles N] [--seconds S] [--seed N]\n"
    "                                   strict checks, each PASS/FAIL/SKIP; non-zero exit on any failure\n"
    "  bench MODULE [MODULE...] [--seconds S]\n"
    "                                   ns per frame and multiple of real time, blocks of 512 at 44.1 kHz\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    installCrashGuard();
    const Arguments args(argv + 2, argv + argc);
    const char* command = argv[1];
    if (std::strcmp(command, "info") == 0)
        return runInfo(args);
    if (std::strcmp(command, "render") == 0)
        return runRender(args);
    if (std::strcmp(command, "validate") == 0)
        return runValidate(args);
    if (std::strcmp(command, "bench") == 0)
        return runBench(args);
    std::fprintf(stderr, "quorl-host: unknown command '%s'\n%s", command, kUsage);
    return 2;
}
