// The error guard: each kind of error gets a message naming it and saying what to do, and a
// failing handler never lets the error escape.
#include "app/ErrorGuard.h"

#include "audio/SoundOutput.h"
#include "synth/Errors.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace tarmel::app {
namespace {

QString messageFor(auto error) {
    return describeError(std::make_exception_ptr(error));
}

TEST(ErrorGuardTest, SynthesisErrorsSayTheSoundCouldNotBeMade) {
    for (const QString& m : {messageFor(synth::OverflowError("Overflow: 1000 * 40 in 16 bits")),
                             messageFor(synth::FloatingPointError("Floating-point error: x")),
                             messageFor(synth::DivisionByZeroError("Division by zero: y"))}) {
        EXPECT_TRUE(m.startsWith(QStringLiteral("Tarmel could not make the sound: ")))
            << m.toStdString();
        EXPECT_TRUE(m.contains(QStringLiteral("try again")));
    }
    EXPECT_TRUE(messageFor(synth::OverflowError("Overflow: 1000 * 40 in 16 bits"))
                    .contains(QStringLiteral("Overflow: 1000 * 40 in 16 bits")));
}

TEST(ErrorGuardTest, SoundErrorsNameTheReasonAndPointToReset) {
    const QString m =
        messageFor(audio::SoundError("Could not open the default sound output: busy"));
    EXPECT_TRUE(m.contains(QStringLiteral("could not use the sound output")));
    EXPECT_TRUE(m.contains(QStringLiteral("busy")));
    EXPECT_TRUE(m.contains(QStringLiteral("\"reset\"")));
}

TEST(ErrorGuardTest, OtherErrorsAreStillNamed) {
    EXPECT_TRUE(messageFor(std::logic_error("odd")).contains(QStringLiteral("odd")));
    EXPECT_TRUE(messageFor(std::bad_alloc()).contains(QStringLiteral("memory")));
    EXPECT_FALSE(describeError(std::make_exception_ptr(42)).isEmpty());
}

TEST(ErrorGuardTest, GuardReportsOnceAndReturnsFalseOnError) {
    std::vector<QString> reported;
    int steps = 0;
    const bool ok = runGuarded(
        [&] {
            ++steps;
            throw audio::SoundError("gone");
        },
        [&](const QString& m) { reported.push_back(m); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(reported.size(), 1U);
    EXPECT_TRUE(reported[0].contains(QStringLiteral("gone")));
}

TEST(ErrorGuardTest, GuardRunsAWorkingHandlerWithoutReport) {
    bool ran = false;
    bool reported = false;
    EXPECT_TRUE(runGuarded([&] { ran = true; }, [&](const QString&) { reported = true; }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(reported);
}

TEST(ErrorGuardTest, AFailingReportIsSwallowed) {
    EXPECT_FALSE(runGuarded([] { throw std::runtime_error("first"); },
                            [](const QString&) { throw std::runtime_error("second"); }));
}

} // namespace
} // namespace tarmel::app
