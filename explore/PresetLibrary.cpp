// The preset library: the folders read, each file checked as a settings file.
#include "explore/PresetLibrary.h"

#include <algorithm>
#include <cctype>

namespace tarmel::explore {

PresetLibrary::PresetLibrary(std::vector<std::filesystem::path> folders)
    : folders_(std::move(folders)) {
    rescan();
}

void PresetLibrary::rescan() {
    presets_.clear();
    refused_.clear();
    for (const auto& folder : folders_) {
        std::error_code ec;
        std::vector<std::filesystem::path> files;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (it->path().extension() == kExtension && it->is_regular_file(ec)) {
                files.push_back(it->path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            try {
                const files::Settings s = files::readSettings(file);
                presets_.push_back({file, s.name.empty() ? file.stem().string() : s.name,
                                    s.category.empty() ? kOtherCategory : s.category});
            } catch (const files::SettingsError& e) {
                refused_.push_back({file, e.what()});
            }
        }
    }
    // Categories in alphabetical order with "Other" last; names in alphabetical order within.
    std::stable_sort(presets_.begin(), presets_.end(), [](const Preset& a, const Preset& b) {
        const bool aOther = a.category == kOtherCategory;
        const bool bOther = b.category == kOtherCategory;
        if (aOther != bOther) {
            return bOther;
        }
        if (a.category != b.category) {
            return a.category < b.category;
        }
        return a.name < b.name;
    });
}

std::vector<std::string> PresetLibrary::categories() const {
    std::vector<std::string> list;
    for (const Preset& p : presets_) {
        if (list.empty() || list.back() != p.category) {
            list.push_back(p.category);
        }
    }
    return list;
}

std::optional<std::size_t> PresetLibrary::step(std::optional<std::size_t> index, int step) const {
    if (presets_.empty()) {
        return std::nullopt;
    }
    const auto n = static_cast<long long>(presets_.size());
    if (!index || *index >= presets_.size()) {
        return step >= 0 ? 0 : presets_.size() - 1;
    }
    const long long next = ((static_cast<long long>(*index) + step) % n + n) % n;
    return static_cast<std::size_t>(next);
}

std::optional<std::size_t> PresetLibrary::indexOf(const std::filesystem::path& file) const {
    for (std::size_t i = 0; i < presets_.size(); ++i) {
        if (presets_[i].file == file) {
            return i;
        }
    }
    return std::nullopt;
}

std::string presetFileName(const std::string& name) {
    // Runs of other characters become one '-', none at either end: no hidden file, no folder.
    std::string file;
    bool gap = false;
    for (unsigned char c : name) {
        if (std::isalnum(c) != 0 && c < 0x80) {
            if (gap && !file.empty()) {
                file += '-';
            }
            file += static_cast<char>(std::tolower(c));
            gap = false;
        } else {
            gap = true;
        }
    }
    if (file.empty()) {
        file = "preset";
    }
    return file + PresetLibrary::kExtension;
}

} // namespace tarmel::explore
