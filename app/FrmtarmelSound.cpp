// The main window's sound: InitSound, the generate request and the end of the buffers.
#include "app/Frmtarmel.h"
#include "app/Trace.h"
#include "synth/Pitch.h"
#include "ui/ModulatorPanel.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QSlider>

namespace tarmel::app {

void Frmtarmel::InitSound() {
    directX_ = soundFactory_();
    if (!directX_) {
        throw audio::SoundError("the sound layer could not be created");
    }
    soundDevice_ = directX_->CreateDevice("");
    audio::fillOneSecondMono16(bufferDesc_);
    for (auto& buffer : soundBuffer_) {
        buffer = soundDevice_->CreateSoundBuffer(bufferDesc_);
    }
}

void Frmtarmel::stopBuffers() {
    for (auto& buffer : soundBuffer_) {
        buffer->Stop();
    }
}

void Frmtarmel::RefreshAndGenerate() {
    refreshReadouts();
    GenerateSound();
}

void Frmtarmel::GenerateSound() {
    pitch2_ = synth::pitchWithOffset(vscroll2_->value(), pitch1_);
    pitch3_ = synth::pitchWithOffset(vscroll3_->value(), pitch1_);
    refreshReadouts();

    synth::Parameters params;
    params.pitch1 = pitch1_;
    params.pitch2 = pitch2_;
    params.pitch3 = pitch3_;
    params.attack = static_cast<int16_t>(sliderattack_->value());
    params.setBank(1, panel_->bank());
    params.setBank(2, windows_.bank(2));
    params.setBank(3, windows_.bank(3));
    synth::generate(params, state_, *waves_);

    for (std::size_t i = 0; i < soundBuffer_.size(); ++i) {
        soundBuffer_[i]->WriteBuffer(0, static_cast<int32_t>(audio::kBufferBytes),
                                     (*waves_)[i].data(), 0);
    }
    for (std::size_t i = 0; i < soundBuffer_.size(); ++i) {
        if (check1_[i]->isChecked()) {
            soundBuffer_[i]->Play(audio::kPlayOnce);
        }
    }
    trace::generationFinished();
}

} // namespace tarmel::app
