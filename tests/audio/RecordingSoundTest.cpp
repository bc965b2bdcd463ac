// The recording double of the sound layer: it keeps every call, counts live objects and fails
// on request, as the window tests rely on.
#include "audio/RecordingSound.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

namespace tarmel::audio {
namespace {

// The window's references on a recording sound layer, with the record they share.
struct RecordedSlots : test::SoundSlots {
    std::shared_ptr<SoundRecord> record = std::make_shared<SoundRecord>();
    RecordedSlots() {
        makeRoot = [r = record] { return makeRecordingSoundSystem(r); };
    }
};

TEST(RecordingSound, CountsTheObjectsAlive) {
    RecordedSlots slots;
    for (int round = 0; round < 3; ++round) {
        slots.initSound();
        EXPECT_EQ(slots.record->systemsAlive, 1);
        EXPECT_EQ(slots.record->devicesAlive, 1);
        EXPECT_EQ(slots.record->buffersAlive, 3);
    }
    auto kept = slots.buffers[0];
    slots.release();
    EXPECT_EQ(slots.record->systemsAlive, 0);
    EXPECT_EQ(slots.record->devicesAlive, 1) << "a buffer keeps its device";
    kept.reset();
    EXPECT_EQ(slots.record->devicesAlive, 0);
    EXPECT_EQ(slots.record->buffersAlive, 0);
}

TEST(RecordingSound, RecordsWritesPlaysAndStopsInOrder) {
    RecordedSlots slots;
    slots.initSound();
    slots.record->clear();
    const auto a = test::testSignal(1);
    slots.buffers[1]->WriteBuffer(0, static_cast<int32_t>(kBufferBytes), a.data(), 0);
    slots.buffers[1]->Play(kPlayOnce);
    slots.buffers[2]->Stop();

    const auto& calls = slots.record->calls;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, SoundCall::Kind::Write);
    EXPECT_EQ(calls[0].data, a);
    EXPECT_EQ(calls[0].size, 88200);
    EXPECT_EQ(calls[1].kind, SoundCall::Kind::Play);
    EXPECT_EQ(calls[1].object, calls[0].object);
    EXPECT_EQ(calls[2].kind, SoundCall::Kind::Stop);
    EXPECT_NE(calls[2].object, calls[1].object);
    EXPECT_EQ(slots.record->callsOf(SoundCall::Kind::Play).size(), 1u);
}

TEST(RecordingSound, FailsTheRequestedCallOnce) {
    RecordedSlots slots;
    slots.record->failOn = SoundCall::Kind::CreateDevice;
    EXPECT_THROW(slots.initSound(), SoundError);
    EXPECT_EQ(slots.record->devicesAlive, 0);
    slots.initSound();
    EXPECT_EQ(slots.record->buffersAlive, 3);

    slots.record->clear();
    slots.record->failOn = SoundCall::Kind::Play;
    EXPECT_THROW(slots.buffers[0]->Play(kPlayOnce), SoundError);
    EXPECT_NO_THROW(slots.buffers[0]->Play(kPlayOnce));
    EXPECT_EQ(slots.record->callsOf(SoundCall::Kind::Play).size(), 1u);
}

TEST(RecordingSound, RefusesWhatTheRealLayerRefuses) {
    RecordedSlots slots;
    slots.initSound();
    const auto a = test::testSignal(1);
    EXPECT_THROW(slots.buffers[0]->WriteBuffer(0, 88202, a.data(), 0), SoundError);
    EXPECT_THROW(slots.buffers[0]->WriteBuffer(0, 88200, nullptr, 0), SoundError);
    EXPECT_THROW(slots.buffers[0]->Play(1), SoundError);
    BufferDescription desc;
    EXPECT_THROW(slots.soundDevice->CreateSoundBuffer(desc), SoundError);
    EXPECT_TRUE(slots.record->callsOf(SoundCall::Kind::Write).empty());
}

} // namespace
} // namespace tarmel::audio
