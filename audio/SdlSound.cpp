// SDL2 implementation of the sound layer. The root initialises SDL audio; every device object of
// the process plays through one open SDL callback device, whose mixer gives each buffer a voice.
// Sharing it lets old and new objects overlap while InitSound replaces them, which drivers that
// allow a single open device (disk, dummy, exclusive hardware) would otherwise refuse.
#include "audio/SdlSound.h"

#include "audio/Mixer.h"

#include <SDL.h>
#include <atomic>
#include <string>

namespace tarmel::audio {

namespace {

std::atomic<int> systemsAlive{0};
std::atomic<int> devicesAlive{0};
std::atomic<int> buffersAlive{0};
std::atomic<int> outputsOpen{0};

[[noreturn]] void throwSdl(const std::string& what) {
    throw SoundError(what + ": " + SDL_GetError());
}

// One reference on SDL's audio subsystem; SDL counts them and shuts audio down with the last.
class SdlAudioSubsystem {
public:
    SdlAudioSubsystem() {
        // SDL would otherwise catch SIGTERM and SIGINT for an event queue nobody reads here, and
        // a session ending or `kill` could not end the program.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            throwSdl("Could not start the sound system");
        }
    }
    ~SdlAudioSubsystem() { SDL_QuitSubSystem(SDL_INIT_AUDIO); }
    SdlAudioSubsystem(const SdlAudioSubsystem&) = delete;
    SdlAudioSubsystem& operator=(const SdlAudioSubsystem&) = delete;
};

void SDLCALL fillBlock(void* userdata, Uint8* stream, int len) {
    static_cast<Mixer*>(userdata)->render(reinterpret_cast<int16_t*>(stream),
                                          len / static_cast<int>(sizeof(int16_t)));
}

// The open SDL output and its mixer. All members are used on the UI thread; the audio callback
// only reaches the mixer.
class SdlOutput {
public:
    explicit SdlOutput(std::shared_ptr<SdlAudioSubsystem> audio) : audio_(std::move(audio)) {
        open();
    }
    ~SdlOutput() { close(); }
    SdlOutput(const SdlOutput&) = delete;
    SdlOutput& operator=(const SdlOutput&) = delete;

    Mixer& mixer() { return mixer_; }

    // SDL disables an opened device that was unplugged or whose sound server went away.
    bool lost() const { return id_ == 0 || SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_STOPPED; }

    void checkAvailable() const {
        if (lost()) {
            throw SoundError("The sound device is no longer available (it was unplugged or the "
                             "sound server stopped). Press reset to reopen it.");
        }
    }

    // Opens the default output again after a loss; the voices and what they hold carry over.
    // The driver is restarted first, so that a sound server that went away and came back is
    // found again; this output is the only SDL audio device of the process.
    void reopen() {
        close();
        SDL_AudioQuit();
        if (SDL_AudioInit(nullptr) != 0) {
            throwSdl("Could not restart the sound system");
        }
        open();
    }

private:
    void open() {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = kSdlCallbackFrames;
        want.callback = fillBlock;
        want.userdata = &mixer_;
        SDL_AudioSpec have{};
        const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (id == 0) {
            throwSdl("Could not open the default sound output");
        }
        id_ = id;
        ++outputsOpen;
        SDL_PauseAudioDevice(id_, 0);
    }

    void close() {
        if (id_ != 0) {
            // Joins the audio thread: the mixer is no longer read afterwards.
            SDL_CloseAudioDevice(id_);
            id_ = 0;
            --outputsOpen;
        }
    }

    std::shared_ptr<SdlAudioSubsystem> audio_;
    Mixer mixer_; // rendered by the audio callback while the output is open
    SDL_AudioDeviceID id_ = 0;
};

// The output every device of the process shares, while any of them lives. UI thread only.
std::weak_ptr<SdlOutput>& sharedOutput() {
    static std::weak_ptr<SdlOutput> output;
    return output;
}

class SdlDevice : public SoundDevice, public std::enable_shared_from_this<SdlDevice> {
public:
    explicit SdlDevice(std::shared_ptr<SdlOutput> output) : output_(std::move(output)) {
        ++devicesAlive;
    }
    ~SdlDevice() override { --devicesAlive; }
    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    std::shared_ptr<SoundBuffer> CreateSoundBuffer(const BufferDescription& desc) override;

    SdlOutput& output() { return *output_; }

private:
    std::shared_ptr<SdlOutput> output_;
};

class SdlBuffer : public SoundBuffer {
public:
    explicit SdlBuffer(std::shared_ptr<SdlDevice> device)
        : device_(std::move(device)), voice_(mixer().addVoice()) {
        ++buffersAlive;
    }
    ~SdlBuffer() override {
        mixer().removeVoice(voice_);
        --buffersAlive;
    }
    SdlBuffer(const SdlBuffer&) = delete;
    SdlBuffer& operator=(const SdlBuffer&) = delete;

    void WriteBuffer(int32_t start, int32_t size, const int16_t* source, int32_t flags) override {
        checkWrite(start, size, source, flags);
        device_->output().checkAvailable();
        mixer().write(voice_, start, size, source);
    }
    void Play(int32_t flags) override {
        checkPlayFlags(flags);
        device_->output().checkAvailable();
        mixer().play(voice_);
    }
    // Silencing is harmless on a lost device, so it never fails for that reason.
    void Stop() override { mixer().stop(voice_); }

private:
    Mixer& mixer() { return device_->output().mixer(); }

    std::shared_ptr<SdlDevice> device_; // a buffer keeps its device open
    int voice_;
};

std::shared_ptr<SoundBuffer> SdlDevice::CreateSoundBuffer(const BufferDescription& desc) {
    checkDescription(desc);
    output_->checkAvailable();
    return std::make_shared<SdlBuffer>(shared_from_this());
}

class SdlSoundSystem : public SoundSystem {
public:
    SdlSoundSystem() { ++systemsAlive; }
    ~SdlSoundSystem() override { --systemsAlive; }
    SdlSoundSystem(const SdlSoundSystem&) = delete;
    SdlSoundSystem& operator=(const SdlSoundSystem&) = delete;

    std::shared_ptr<SoundDevice> CreateDevice(const std::string& deviceId) override {
        if (!deviceId.empty()) {
            throw SoundError("Only the default sound output can be opened, not \"" + deviceId +
                             "\"");
        }
        if (!audio_) {
            audio_ = std::make_shared<SdlAudioSubsystem>();
        }
        std::shared_ptr<SdlOutput> output = sharedOutput().lock();
        if (!output) {
            output = std::make_shared<SdlOutput>(audio_);
            sharedOutput() = output;
        } else if (output->lost()) {
            output->reopen();
        }
        return std::make_shared<SdlDevice>(std::move(output));
    }

private:
    std::shared_ptr<SdlAudioSubsystem> audio_;
};

} // namespace

std::shared_ptr<SoundSystem> makeSdlSoundSystem() {
    return std::make_shared<SdlSoundSystem>();
}

SdlSoundCounts sdlSoundCounts() {
    return {systemsAlive.load(), devicesAlive.load(), buffersAlive.load(), outputsOpen.load()};
}

} // namespace tarmel::audio
