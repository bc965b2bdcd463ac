// SDL2 audio behind the program's sound output.
#include "audio/SdlDevice.h"

#include "audio/Mixer.h"

#include <SDL.h>
#include <string>

namespace tarmel::audio {

namespace {

[[noreturn]] void throwSdl(const std::string& what) {
    throw SoundError(what + ": " + SDL_GetError());
}

void SDLCALL fillBlock(void* mixer, Uint8* stream, int len) {
    static_cast<Mixer*>(mixer)->render(reinterpret_cast<int16_t*>(stream),
                                       len / static_cast<int>(sizeof(int16_t)));
}

} // namespace

// The three voices as the window uses them; releasing it silences them.
class SdlDevice::Output final : public SoundOutput {
public:
    explicit Output(SdlDevice& device) : device_(device) {}
    ~Output() override { device_.mixer_->clear(); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(int voice, VoiceSamples samples) override {
        device_.checkAvailable();
        device_.mixer_->write(voice, samples);
    }
    void play(int voice) override {
        device_.checkAvailable();
        device_.mixer_->play(voice);
    }
    // Silencing is harmless on a lost device, so it never fails for that reason.
    void stop(int voice) noexcept override { device_.mixer_->stop(voice); }
    void repeat(int voice, bool on) noexcept override { device_.mixer_->repeat(voice, on); }

private:
    SdlDevice& device_;
};

SdlDevice::SdlDevice() : mixer_(std::make_unique<Mixer>()) {}

SdlDevice::~SdlDevice() {
    close();
}

std::unique_ptr<SoundOutput> SdlDevice::openOutput() {
    if (lost()) {
        close();
        open();
    }
    mixer_->clear();
    return std::make_unique<Output>(*this);
}

void SdlDevice::open() {
    // SDL would otherwise catch SIGTERM and SIGINT for an event queue nobody reads here, and a
    // session ending or `kill` could not end the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The name sound servers and patchbays show for the program (PipeWire's node, PulseAudio's
    // client and stream). The environment variables of the same names still win.
    SDL_SetHint(SDL_HINT_APP_NAME, "Tarmel");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Tarmel");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Tarmel");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        throwSdl("Could not start the sound system");
    }
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = kBlockFrames;
    want.callback = fillBlock;
    want.userdata = mixer_.get();
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (id == 0) {
        const std::string message = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        throw SoundError("Could not open the default sound output: " + message);
    }
    id_ = id;
    SDL_PauseAudioDevice(id_, 0);
}

void SdlDevice::close() noexcept {
    if (id_ != 0) {
        // Joins the audio thread: the mixer is no longer read afterwards. Quitting SDL's audio
        // with the device lets the next open find the sound server afresh.
        SDL_CloseAudioDevice(id_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        id_ = 0;
    }
}

bool SdlDevice::lost() const {
    return id_ == 0 || SDL_GetAudioDeviceStatus(id_) == SDL_AUDIO_STOPPED;
}

void SdlDevice::checkAvailable() const {
    if (lost()) {
        throw SoundError("The sound device is no longer available (it was unplugged or the "
                         "sound server stopped). Press reset to reopen it.");
    }
}

} // namespace tarmel::audio
