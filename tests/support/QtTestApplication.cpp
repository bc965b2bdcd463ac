// The QApplication every Qt test binary shares, as a GoogleTest global environment.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

struct QtApplicationEnvironment : testing::Environment {
    void SetUp() override {
        // No test window reaches a real sound device. (gtest_discover_tests keeps only the
        // first of a list of ENVIRONMENT values, so the default is set here.)
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        // Settings of this process's own: CTest runs tests side by side, and one test's window
        // must not change what another reads back (where a window was, whether it was open).
        config = (std::filesystem::temp_directory_path() / "tarmel-test-config-XXXXXX").string();
        if (mkdtemp(config.data()) != nullptr) {
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        }
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override {
        app.reset();
        std::filesystem::remove_all(config);
    }

    int argc = 1;
    char name[16] = "tarmel-tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
    std::string config;
};

// Registered during static initialisation, before gtest_main runs the tests.
[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
