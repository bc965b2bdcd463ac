// The batch mode of tarmel-render: its own options, then the export, one file per core.
#include "cli/Batch.h"

#include "explore/BatchExport.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <iostream>
#include <string_view>

namespace tarmel::cli {

namespace {

// An option where the folder's name should be means the name was left out.
std::string folderName(const std::string& value) {
    if (value.empty() || value.starts_with('-')) {
        return "--output-dir needs the folder to write to, not '" + value + "'";
    }
    return {};
}

} // namespace

std::optional<int> runBatch(int argc, const char* const* argv) {
    bool batch = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        batch = batch || arg == "--output-dir" || arg.starts_with("--output-dir=");
    }
    if (!batch) {
        return std::nullopt;
    }
    std::vector<std::string> settings;
    std::string folder;
    std::string format = "wav";
    bool force = false;
    bool normalise = false;
    int jobs = 0;
    CLI::App app{"Renders each settings file, as one generate request computes it from the file's "
                 "controls and carried state, to DIR/NAME.wav (NAME the settings file's name).",
                 "tarmel-render"};
    app.add_option("--settings", settings, "settings files (.tarmel) to render")
        ->required()
        ->expected(1, -1)
        ->type_name("FILE ...");
    app.add_option("--output-dir", folder,
                   "folder to write the sound files to; made with its parents if missing")
        ->required()
        ->check(folderName)
        ->type_name("DIR");
    app.add_option("--format", format, "wav, flac or aiff (default wav)")
        ->check(CLI::IsMember({"wav", "flac", "aiff"}))
        ->type_name("FORMAT");
    app.add_option("--jobs", jobs,
                   "files rendered side by side (default, and at most, one per core)")
        ->check(CLI::Range(1, 256))
        ->type_name("N");
    app.add_flag("--normalise", normalise,
                 "normalise each file by its own gain: its loudest sample at -1 dBFS (29204 of "
                 "32767)");
    app.add_flag("--force", force, "replace sound files that exist");
    app.footer("Exit status: 0 all written, 1 a write failed, 2 bad input, a settings file "
               "refused or a sound file in the way (the other files are still written).");
    try {
        // --help wins wherever it stands, even where a value is expected ("--output-dir --help").
        for (int i = 1; i < argc; ++i) {
            const std::string_view arg(argv[i]);
            if (arg == "--help" || arg == "-h") {
                throw CLI::CallForHelp();
            }
        }
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "tarmel-render: " << e.what() << " (see tarmel-render --output-dir --help)\n";
        return 2;
    }
    std::error_code madeError;
    std::filesystem::create_directories(folder, madeError);
    if (madeError) {
        std::cerr << "tarmel-render: cannot make the folder " << folder << ": "
                  << madeError.message()
                  << "; check the path and that its parent folder can be written, or give another "
                     "--output-dir\n";
        return 1;
    }
    std::vector<std::filesystem::path> files(settings.begin(), settings.end());
    explore::BatchProgress progress;
    auto items = explore::batchItems(files, folder, "." + format);
    for (auto& item : items) {
        item.normalise = normalise;
    }
    const auto failures = explore::exportBatch(items, force, jobs, progress);
    int status = 0;
    for (const auto& f : failures) {
        std::cerr << "tarmel-render: " << f.message
                  << (f.kind == explore::BatchFailure::Kind::Exists ? " (use --force to replace it)"
                                                                    : "")
                  << "\n";
        status = std::max(status, f.kind == explore::BatchFailure::Kind::Failed ? 1 : 2);
    }
    if (!failures.empty()) {
        std::cerr << "tarmel-render: " << files.size() - failures.size() << " of " << files.size()
                  << " files written to " << folder << "\n";
    }
    return status;
}

} // namespace tarmel::cli
