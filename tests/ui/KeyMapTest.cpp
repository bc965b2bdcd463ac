// Tests of the keyboard note map: every letter plays, pitches climb a semitone, others are silent.
#include "ui/KeyMap.h"

#include <QString>
#include <Qt>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace tarmel::ui {
namespace {

TEST(KeyMap, QtLetterKeysAreTheVirtualKeyCodesOfCapitals) {
    EXPECT_EQ(Qt::Key_A, 65);
    EXPECT_EQ(Qt::Key_Z, 90);
}

TEST(KeyMap, EveryLetterHasAPitchInTheSliderRange) {
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        const auto pitch = pitchForKey(key);
        ASSERT_TRUE(pitch.has_value()) << char(key);
        EXPECT_GE(*pitch, 1);
        EXPECT_LE(*pitch, 1000);
    }
}

TEST(KeyMap, KnownKeys) {
    EXPECT_EQ(pitchForKey(Qt::Key_D), 110);
    EXPECT_EQ(pitchForKey(Qt::Key_P), 277);
    EXPECT_EQ(pitchForKey(Qt::Key_Z), 65);
    EXPECT_EQ(pitchForKey(Qt::Key_A), 98); // also the start-up pitch
}

TEST(KeyMap, RowsRunBottomMiddleTopLeftToRight) {
    QString order;
    for (const KeyPitch& row : kKeyMap) {
        order.append(QChar(row.key));
    }
    EXPECT_EQ(order, QStringLiteral("ZXCVBNMASDFGHJKLQWERTYUIOP"));
}

TEST(KeyMap, EachRowIsWithinOneHertzOfItsEqualTemperedSemitone) {
    // Row n is n semitones above C2 (A = 440 Hz).
    const double c2 = 440.0 * std::pow(2.0, -33.0 / 12.0);
    int previous = 0;
    for (std::size_t n = 0; n < kKeyMap.size(); ++n) {
        const double exact = c2 * std::pow(2.0, static_cast<double>(n) / 12.0);
        EXPECT_LT(std::abs(kKeyMap[n].pitch - exact), 1.0) << "row " << n + 1;
        EXPECT_GT(kKeyMap[n].pitch, previous);
        previous = kKeyMap[n].pitch;
    }
}

TEST(KeyMap, EachLetterAppearsOnce) {
    std::set<int> keys;
    for (const KeyPitch& row : kKeyMap) {
        keys.insert(row.key);
    }
    EXPECT_EQ(keys.size(), 26U);
}

TEST(KeyMap, OtherKeysGiveNothing) {
    for (int key : {int(Qt::Key_0), int(Qt::Key_1), int(Qt::Key_9), int(Qt::Key_Space),
                    int(Qt::Key_Left), int(Qt::Key_Up), int(Qt::Key_F1), int(Qt::Key_Return),
                    int(Qt::Key_Escape), int(Qt::Key_Comma), int(Qt::Key_BracketLeft),
                    int(Qt::Key_At), int('a'), int('z'), 0, -1}) {
        EXPECT_FALSE(pitchForKey(key).has_value()) << key;
    }
}

} // namespace
} // namespace tarmel::ui
