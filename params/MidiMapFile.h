#pragma once
// The text file that keeps the controller bindings from one session to the
// next: ten lines "name=controller", read when an instance is created and
// written when it is destroyed. Its place is beside the module (the module's
// path with ".dat" as extension); where that folder cannot be written, a file
// of the same name in the user's configuration folder takes over.
#include <string>

class MidiCcMap;

class MidiMapFile {
public:
    // Either path may be empty when the platform cannot tell it.
    MidiMapFile(const std::string& modulePath, const std::string& userConfigDir);

    // The file beside the module; empty when the module's path is unknown.
    const std::string& path() const { return primaryPath; }
    // The per-user file; empty when there is no per-user folder.
    const std::string& userPath() const { return fallbackPath; }

    // names: the ten parameter names in index order. Reads the per-user file
    // when it exists (it is only written when the primary place could not
    // be), otherwise the file beside the module. Whatever is missing or
    // malformed leaves the map's entries as they are.
    void read(const char* const* names, MidiCcMap& map) const;

    // Replaces the file beside the module in one step, or failing that the
    // per-user file (creating its folders). Readers, a crash or another
    // instance writing at the same time never see a partial file. Returns
    // false when neither place could be written.
    bool write(const char* const* names, const MidiCcMap& map) const;

    // The module's path with its extension replaced by ".dat".
    static std::string pathForModule(const std::string& modulePath);
    // The file's full text, with '\n' line ends.
    static std::string format(const char* const* names, const MidiCcMap& map);

private:
    std::string primaryPath;
    std::string fallbackPath;
};
