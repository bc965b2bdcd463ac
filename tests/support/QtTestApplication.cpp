// The QApplication every Qt test binary shares, as a GoogleTest global environment.
#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct QtApplicationEnvironment : testing::Environment {
    void SetUp() override {
        // No test window reaches a real sound device. (gtest_discover_tests keeps only the
        // first of a list of ENVIRONMENT values, so the default is set here.)
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app.reset(); }

    int argc = 1;
    char name[16] = "tarmel-tests";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

// Registered during static initialisation, before gtest_main runs the tests.
[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
