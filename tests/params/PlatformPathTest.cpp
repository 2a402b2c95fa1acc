#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "params/MidiCcMap.h"
#include "params/MidiMapFile.h"
#include "params/ParameterInfo.h"
#include "platform/UserConfigDir.h"
#include "tests/params/TempFolder.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <stdlib.h>
#endif

namespace fs = std::filesystem;

namespace {

using ProbeFunction = const char* (*)();

// The path found from inside a loaded module names that module, not the test program.
TEST(PlatformPath, ModulePathNamesTheLoadedModule) {
#if defined(_WIN32)
    HMODULE module = LoadLibraryA(QUORL_PROBE_NAME);
    ASSERT_NE(module, nullptr);
    auto probe = reinterpret_cast<ProbeFunction>(reinterpret_cast<void*>(GetProcAddress(module, "probeModulePath")));
#else
    void* module = dlopen(QUORL_PROBE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto probe = reinterpret_cast<ProbeFunction>(dlsym(module, "probeModulePath"));
#endif
    ASSERT_NE(probe, nullptr);
    const fs::path found = probe();
    EXPECT_TRUE(found.is_absolute()) << found;
    EXPECT_EQ(found.filename().string(), QUORL_PROBE_NAME);
    EXPECT_TRUE(fs::is_regular_file(found)) << found;
}

#if defined(_WIN32)
TEST(PlatformPath, UserConfigDirIsAppData) {
    ASSERT_TRUE(SetEnvironmentVariableA("APPDATA", "C:\\Users\\tester\\AppData\\Roaming"));
    EXPECT_EQ(userConfigDir(), "C:\\Users\\tester\\AppData\\Roaming");
}
#else
TEST(PlatformPath, UserConfigDirFollowsTheXdgRules) {
    struct Case {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", "/cfg"},
        {"relative", "/home/u", "/home/u/.config"},
        {"", "/home/u", "/home/u/.config"},
        {nullptr, "/home/u", "/home/u/.config"},
    };
    for (const Case& c : cases) {
        if (c.xdg) {
            setenv("XDG_CONFIG_HOME", c.xdg, 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
        setenv("HOME", c.home, 1);
        EXPECT_EQ(userConfigDir(), c.expected) << (c.xdg ? c.xdg : "(unset)");
    }
    // Without HOME the account's home folder from the user database is used.
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    const std::string fromDatabase = userConfigDir();
    EXPECT_TRUE(fromDatabase.empty() || fromDatabase.ends_with("/.config")) << fromDatabase;
}
#endif

void setConfigHome(const std::string& folder) {
#if defined(_WIN32)
    SetEnvironmentVariableA("APPDATA", folder.c_str());
#else
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
#endif
}

// The module's folder cannot be written: the bindings land in the user's
// configuration folder under the module's own file name.
TEST(PlatformPath, MapFileFallsBackIntoTheUserConfigFolder) {
    TempFolder folder;
    setConfigHome(folder.path("home-config"));
    MidiMapFile file(folder.path("no-such-folder/Quorl.so"), userConfigDir());
    const char* names[kNumParams];
    for (std::int32_t i = 0; i < kNumParams; ++i) {
        names[i] = kParameterInfo[i].name;
    }
    MidiCcMap map;
    map.setBinding(kKick, 65);
    ASSERT_TRUE(file.write(names, map));
    const std::string written = TempFolder::readBytes(folder.path("home-config/Quorl/Quorl.dat"));
    EXPECT_NE(written.find("Kick=65"), std::string::npos) << written;
}

}  // namespace
