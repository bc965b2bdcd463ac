// The presets: settings files with a name and a category, from the folders shipped with the
// program and the user's own folder, listed by category. A file that cannot be used is listed as
// refused with its message, and the others are listed as usual.
#pragma once

#include "files/Settings.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tarmel::explore {

struct Preset {
    std::filesystem::path file;
    std::string name;     // the file's name, or its file name without .tarmel
    std::string category; // the file's category, or kOtherCategory
};

struct RefusedPreset {
    std::filesystem::path file;
    std::string message; // what is wrong, naming the file
};

class PresetLibrary {
public:
    static constexpr const char* kOtherCategory = "Other";
    static constexpr const char* kExtension = ".tarmel";

    // Reads the .tarmel files of the folders (those missing are skipped), in order.
    explicit PresetLibrary(std::vector<std::filesystem::path> folders = {});

    // Reads the folders again.
    void rescan();

    // The usable presets, by category, then by name within a category.
    const std::vector<Preset>& presets() const { return presets_; }
    const std::vector<RefusedPreset>& refused() const { return refused_; }
    // The categories in the order presets() lists them.
    std::vector<std::string> categories() const;

    // The preset after (step 1) or before (step -1) the one at index, round the end; the first
    // (or the last) when there is none yet. Nothing when the library is empty.
    std::optional<std::size_t> step(std::optional<std::size_t> index, int step) const;

    // The index of the preset read from file, if listed.
    std::optional<std::size_t> indexOf(const std::filesystem::path& file) const;

    const std::vector<std::filesystem::path>& folders() const { return folders_; }

private:
    std::vector<std::filesystem::path> folders_;
    std::vector<Preset> presets_;
    std::vector<RefusedPreset> refused_;
};

// A file name for a preset named name: its ASCII letters (in lower case) and digits, each run of
// other characters as one '-' between them; "preset" when nothing is left.
std::string presetFileName(const std::string& name);

} // namespace tarmel::explore
