// The settings file (.tarmel): everything a generation reads and carries, as text a person can
// read, edit and keep under version control (TOML, read and written by toml++).
#pragma once

#include "sound/Controls.h"
#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarmel::files {

// A settings file: the values of the sound's controls, the state the next generation starts
// from, and the preset's name and category.
struct Settings : sound::Controls {
    synth::SynthState state; // the fifteen modulator outputs and the random generator
    // A preset's name and the category it is listed under; empty when the file has none.
    std::string name;
    std::string category;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// A file that cannot be used as settings; the message names the file, the line where it is
// known, and what is wrong. The kind tells the window what the user can do about it.
class SettingsError : public std::runtime_error {
public:
    enum class Kind {
        Missing,     // there is no file by that name
        Unreadable,  // the file is there but cannot be read (permissions, a folder, a device)
        NotSettings, // the file was read and is not a settings file this program can use
    };
    explicit SettingsError(const std::string& what, Kind kind = Kind::NotSettings)
        : std::runtime_error(what), kind_(kind) {}
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// Files larger than this are refused unread.
inline constexpr std::uintmax_t kMaxSettingsBytes = 1024 * 1024;

// Reads and checks a whole settings file. Throws SettingsError.
Settings readSettings(const std::filesystem::path& file);

// Checks the text of a settings file; source names it in messages. Throws SettingsError.
Settings parseSettings(std::string_view text, const std::string& source);

// The text of a settings file: every value, the outputs as exact doubles.
std::string settingsText(const Settings& settings);

// Writes the settings through a temporary file beside file, replacing it. Throws FileError.
void writeSettings(const std::filesystem::path& file, const Settings& settings);

} // namespace tarmel::files
