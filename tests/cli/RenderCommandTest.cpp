// tarmel-render as other tools call it: exit status, messages and the files it leaves.
#include "files/SoundFile.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    return {std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {}};
}

class RenderCommand : public testing::Test {
protected:
    RenderCommand() { fs::create_directories(dir_); }
    ~RenderCommand() override { fs::remove_all(root_); }

    // Runs the shell command in the test folder, with $R naming tarmel-render; keeps its stderr.
    int run(const std::string& command) {
        const int status = std::system((cd_ + command + " 2>../stderr").c_str());
        err_ = contents(root_ / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Files and folders in the test folder and below, hidden temporary files included.
    long entries() const { return std::distance(fs::recursive_directory_iterator(dir_), {}); }

    // The file written for args must be 16-bit mono 44100 Hz in the given container and hold the
    // sum, clamped to 16 bits, of the heard oscillators (1 each, 0 for the others) of the last of
    // that many generations synth::generate computes for p.
    void expectFile(const std::string& args, const std::string& name, int container,
                    const synth::Parameters& p, std::array<int, 3> heard, int generations) {
        synth::SynthState state;
        synth::Waves w;
        for (int g = 0; g < generations; ++g) {
            synth::generate(p, state, w);
        }
        // Written without a word on stderr.
        ASSERT_TRUE(run("$R " + args + " -o " + name) == 0 && err_.empty()) << name << ": " << err_;
        int format = 0, rate = 0, channels = 0;
        const auto got = files::readSoundFile(dir_ / name, &rate, &channels, &format);
        ASSERT_EQ(std::tuple(format & ~SF_FORMAT_ENDMASK, rate, channels, got.size()),
                  std::tuple(container | SF_FORMAT_PCM_16, 44100, 1, 44100U));
        for (std::size_t n = 0; n < got.size(); ++n) {
            const int sum = heard[0] * w[0][n] + heard[1] * w[1][n] + heard[2] * w[2][n];
            ASSERT_EQ(got[n], std::clamp(sum, -32768, 32767)) << name << ", sample " << n;
        }
    }

    const fs::path root_ = fs::temp_directory_path() / ("tarmel-cli-" + std::to_string(getpid()));
    const fs::path dir_ = root_ / "work";
    // Into the test folder, or no command runs; $R names tarmel-render.
    const std::string cd_ = "cd '" + dir_.string() + "' || exit 99; R='" TARMEL_RENDER_PATH "'; ";
    std::string err_;
};

// Bad input and an existing file exit with 2, a failed write (a missing or unwritable folder, a
// full disk) with 1; either way one line names the option or the file and says what to do, and
// no file is left behind or changed, not even a temporary one.
TEST_F(RenderCommand, RefusalsExplainInOneLineAndLeaveTheFilesAloneAndWritesHoldTheLastMix) {
    std::ofstream(dir_ / "keep.Aiff") << "precious";
    const std::vector<std::array<std::string, 4>> cases{
        {"2", "$R -o x.mp3", "--output", "use .wav, .flac or .aiff"},
        {"2", "$R -o keep.Aiff", "keep.Aiff already exists", "use --force to replace it"},
        {"2", "$R -o x.wav --pitch 0", "--pitch", "1 to 1000"},
        {"2", "$R -o x.wav --offset2 171", "--offset2", "-170 to 170"},
        {"2", "$R -o x.wav --attack 1501", "--attack", "0 to 1500"},
        {"2", "$R -o x.wav --fm 4.1", "--fm", "1 to 3"},
        {"2", "$R -o x.wav --fm 1.6", "--fm", "1 to 5"},
        {"2", "$R -o x.wav --fm 1.2:1", "--fm", "2 to 10"},
        {"2", "$R -o x.wav --fm 1.1:11", "--fm", "0 to 10"},
        {"2", "$R -o x.wav --fm 1.1:2:17", "--fm", "2 to 16"},
        {"2", "$R -o x.wav --fm 1-1", "--fm", "use OSC.MOD[:F[:H]]"},
        {"2", "$R -o x.wav --fm 1.1:3 --fm 1.1:4", "--fm", "give it once"},
        {"2", "$R -o x.wav --play 1,4", "--play", "1 to 3"},
        {"2", "$R -o x.wav --osc 0", "--osc", "1 to 3"},
        {"2", "$R -o x.wav --osc 1 --play 2", "--osc", "see tarmel-render --help"},
        {"2", "$R -o x.wav --generations 0", "--generations", "1 to 100000"},
        {"1", "$R -o missing/x.wav", "cannot create a file in missing", "check that the folder"},
        // A file-size limit makes the write fail part way, as a full disk does.
        {"1", "ulimit -f 8; trap '' XFSZ; $R -o x.wav", "cannot write x.wav", "is the disk full?"}};
    for (const auto& [status, command, names, says] : cases) {
        EXPECT_EQ(std::to_string(run(command)), status) << command;
        EXPECT_TRUE(err_.find('\n') == err_.size() - 1 && err_.find(names) != std::string::npos &&
                    err_.find(says) != std::string::npos)
            << err_;
        EXPECT_EQ(entries(), 1) << command; // keep.Aiff
    }
    EXPECT_EQ(contents(dir_ / "keep.Aiff"), "precious");

    // Written: the mix of the last generation in the format of the extension; --force replaces.
    // Oscillator 1's third modulator on; oscillator 2's second and third.
    const synth::Parameters fm{146, 146, 106, 0, {{{}, {}, {true, 3, 6}}}};
    synth::Parameters noise{98, 115, 98, 700, {}};
    noise.setBank(2, {{{}, {true, 2, 2}, {true, 4, 8}, {}, {}}});
    expectFile("--pitch 146 --fm 1.3:3:6 --offset3=-40 --play 3,1,3", "a.wav", SF_FORMAT_WAV, fm,
               {1, 0, 1}, 1);
    expectFile(
        "--offset2 17 --attack 700 --fm 2.2 --fm 2.3:4:8 --fm 2.2:2:2 --osc 2 --generations 3",
        "b.FLAC", SF_FORMAT_FLAC, noise, {0, 1, 0}, 3);
    expectFile("--force --play 1,2,3", "keep.Aiff", SF_FORMAT_AIFF, {}, {1, 1, 1}, 1);
    EXPECT_EQ(entries(), 3); // no temporary file left
}

} // namespace
} // namespace tarmel::cli
