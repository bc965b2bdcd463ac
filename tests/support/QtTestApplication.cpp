// The QApplication every Qt test binary shares, as a GoogleTest global environment.
#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct QtApplicationEnvironment : testing::Environment {
    void SetUp() override { app = std::make_unique<QApplication>(argc, argv); }
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
