// tarmel-render and tarmel as other tools call them: exit status, messages and the files they
// leave, for one sound, a batch of settings files (--output-dir) and a match (--match).
#include "files/Normalise.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& file) {
    return {std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {}};
}

// The sum, clamped to 16 bits, of the heard oscillators of the last of that many generations
// synth::generate computes for p from that state.
std::vector<int16_t> mixOf(const synth::Parameters& p, std::array<bool, 3> heard,
                           synth::SynthState state = {}, int generations = 1) {
    auto w = std::make_unique<synth::Waves>();
    for (int g = 0; g < generations; ++g) {
        synth::generate(p, state, *w);
    }
    std::vector<int16_t> sum(44100);
    for (std::size_t n = 0; n < sum.size(); ++n) {
        sum[n] = static_cast<int16_t>(std::clamp(
            heard[0] * (*w)[0][n] + heard[1] * (*w)[1][n] + heard[2] * (*w)[2][n], -32768, 32767));
    }
    return sum;
}

// What a settings file plays: one generation from its own state.
std::vector<int16_t> soundOf(const fs::path& file) {
    const files::Settings s = files::readSettings(file);
    return mixOf(sound::parametersOf(s), s.play, s.state);
}

class RenderCommand : public testing::Test {
protected:
    RenderCommand() { fs::create_directories(dir_); }
    ~RenderCommand() override { fs::remove_all(root_); }

    // Runs the shell command in the test folder, with $R naming tarmel-render and $T tarmel;
    // keeps what it writes to stdout and stderr, unless it sends them elsewhere itself.
    int run(const std::string& command) {
        const int status =
            std::system((cd_ + "{ " + command + "; } >../stdout 2>../stderr").c_str());
        out_ = contents(root_ / "stdout");
        err_ = contents(root_ / "stderr");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Files and folders in the test folder and below, hidden temporary files included.
    long entries() const { return std::distance(fs::recursive_directory_iterator(dir_), {}); }

    // The mono file the command writes without a word on stderr (named last in it), read back
    // by libsndfile.
    std::vector<int16_t> written(const std::string& command, int* format = nullptr,
                                 int* rate = nullptr) {
        EXPECT_TRUE(run(command) == 0 && err_.empty()) << command << ": " << err_;
        int channels = 0;
        auto got = files::readSoundFile(dir_ / command.substr(command.find_last_of(" >") + 1), rate,
                                        &channels, format);
        EXPECT_EQ(channels, 1) << command;
        return got;
    }

    // The file must be 16-bit 44100 Hz in the given container and hold exactly the samples.
    void expectFile(const std::string& command, int container, const std::vector<int16_t>& want) {
        int format = 0, rate = 0;
        EXPECT_EQ(written(command, &format, &rate), want) << command;
        EXPECT_EQ(std::pair(format & ~SF_FORMAT_ENDMASK, rate),
                  std::pair(container | SF_FORMAT_PCM_16, 44100))
            << command;
    }

    const fs::path root_ = fs::temp_directory_path() / ("tarmel-cli-" + std::to_string(getpid()));
    const fs::path dir_ = root_ / "work";
    // Into the test folder, or no command runs; $R names tarmel-render, $T tarmel; no display.
    const std::string cd_ = "cd '" + dir_.string() +
                            "' || exit 99; R='" TARMEL_RENDER_PATH "'; T='" TARMEL_PATH
                            "'; unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; ";
    std::string out_;
    std::string err_;
};

// --help and --version print and succeed. Bad input and an existing file exit with 2, a failed
// write (a missing or unwritable folder, a full disk) with 1; either way one line names the option
// or the file and says what to do, and no file is left behind or changed, not even a temporary
// one. None of it needs a display: tarmel reads its options before it opens one. A batch's output
// folder takes no option for its name; --match refuses before it searches.
TEST_F(RenderCommand, RefusalsExplainInOneLineAndLeaveTheFilesAloneAndWritesHoldTheLastMix) {
    std::ofstream(dir_ / "keep.Aiff") << "precious";
    std::ofstream(root_ / "bad.tarmel")
        << "version = 1\n[oscillator1.modulator2]\nratio = 2\nratio = 3\n";
    fs::copy_file(fs::path(TARMEL_PRESETS_DIR) / "cowbell.tarmel", root_ / "bell.tarmel");
    files::writeSoundFile(root_ / "quiet.wav", std::vector<int16_t>(44100, 0), true);
    const std::vector<std::array<std::string, 4>> cases{
        {"0", "$T --help", "--no-midi", ""},
        {"0", "$T -v", "tarmel 1.", ""},
        {"0", "$R --version", "tarmel-render 1.", ""},
        {"2", "$T --bogus", "unknown option 'bogus'", ""},
        {"2", "$T --midi", "--midi", ""},
        {"2", "$T a.tarmel b.tarmel", "'b.tarmel' is a second settings file", ""},
        {"2", "$T --midi x --no-midi", "exclude each other", ""},
        // The largest seed is 2^64 - 1; one more, or a sign, is refused.
        {"2", "$T --seed 18446744073709551616", "--seed must be a whole number", ""},
        {"2", "$T --seed -1", "--seed must be a whole number", ""},
        {"2", "$R -o x.txt", "--output", "or name one with --format"},
        {"2", "$R -o x.wav --format wave", "--format", "use wav, flac"},
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
        // A settings file that cannot be used: the file and the line, in the words of a settings
        // file.
        {"2", "$R --settings ../bad.tarmel -o x.wav",
         "tarmel-render: ../bad.tarmel: line 4: 'ratio' is given twice in ",
         "[oscillator1.modulator2]; keep one of them"},
        {"2", "$R --settings ../bell.tarmel --output-dir --force", "--output-dir needs the folder",
         ""},
        {"0", "$R --settings ../bell.tarmel --output-dir --help", "--output-dir DIR", ""},
        {"2", "$R --match ../quiet.wav -o x.tarmel", "../quiet.wav", "nothing to match"},
        {"2", "$R --match ../quiet.wav -o keep.Aiff", "already exists", "use --force"},
        {"2", "$R --match ../quiet.wav -o x.tarmel --budget 0", "--budget", ""},
        {"2", "$R --match ../quiet.wav", "--output", ""},
        {"1", "$R -o missing/x.wav", "cannot create a file in missing", "check that the folder"},
        {"1", "$R --settings ../bell.tarmel --output-dir keep.Aiff/d",
         "cannot make the folder keep.Aiff/d: ", ""},
        // A file-size limit makes the write fail part way, as a full disk does.
        {"1", "ulimit -f 8; trap '' XFSZ; $R -o x.wav", "cannot write x.wav", "is the disk full?"}};
    for (const auto& [status, command, names, says] : cases) {
        EXPECT_EQ(std::to_string(run(command)), status) << command << ": " << err_;
        const std::string& said = status == "0" ? out_ : err_;
        EXPECT_TRUE(said.find(names) != std::string::npos && said.find(says) != std::string::npos)
            << command << ": " << said;
        EXPECT_TRUE(status == "0" ? err_.empty()
                                  : out_.empty() && err_.find('\n') == err_.size() - 1)
            << command << ": " << out_ << err_;
        EXPECT_EQ(entries(), 1) << command; // keep.Aiff
    }
    EXPECT_EQ(contents(dir_ / "keep.Aiff"), "precious");

    // Written: the mix of the last generation in the format of the extension; --force replaces.
    // Oscillator 1's third modulator on; oscillator 2's second and third.
    const synth::Parameters fm{146, 146, 106, 0, {{{}, {}, {true, 3, 6}}}};
    synth::Parameters noise{98, 115, 98, 700, {}};
    noise.setBank(2, {{{}, {true, 2, 2}, {true, 4, 8}, {}, {}}});
    expectFile("$R --pitch 146 --fm 1.3:3:6 --offset3=-40 --play 3,1,3 -o a.wav", SF_FORMAT_WAV,
               mixOf(fm, {1, 0, 1}));
    expectFile("$R --offset2 17 --attack 700 --fm 2.2 --fm 2.3:4:8 --fm 2.2:2:2 --osc 2 "
               "--generations 3 -o b.FLAC",
               SF_FORMAT_FLAC, mixOf(noise, {0, 1, 0}, {}, 3));
    expectFile("$R --force --play 1,2,3 -o keep.Aiff", SF_FORMAT_AIFF, mixOf({}, {1, 1, 1}));
    EXPECT_EQ(entries(), 3); // no temporary file left
    // Through a pipe, WAV unless --format says otherwise (the lossy formats' test sees to that),
    // here with --normalise: the loudest sample at -1 dBFS, by the gain whose worked values are
    // the normalise test's. --format over the extension.
    expectFile("$R --normalise --pitch 146 --fm 1.3:3:6 -o - | cat >c", SF_FORMAT_WAV,
               files::normalised(mixOf(fm, {1, 0, 0})));
    expectFile("$R --format flac -o f.wav", SF_FORMAT_FLAC, mixOf({}, {1, 0, 0}));
    // No oscillator heard (.aif): a second of silence, as the window plays with no box ticked.
    expectFile("$R --play none -o e.AIF", SF_FORMAT_AIFF, std::vector<int16_t>(44100));
}

// Options over a settings file change its sound as the window's controls would: a box that
// changes sets the fifteen outputs back to 1 (an output left at the file's 0.25 would make the
// changed oscillator far quieter), the random generator goes on from the file's state, and a
// change of no box keeps the outputs as the file holds them.
TEST_F(RenderCommand, OptionsOverASettingsFileResetTheOutputsOnlyWhenABoxChanges) {
    files::Settings file;
    file.modulators[0] = {true, 2, 4};
    file.state.modOut.fill(0.25);
    file.state.random = synth::RandomGenerator({0x0123456789abcdefULL, 0.5f});
    files::writeSettings(root_ / "quarter.tarmel", file);
    sound::Controls boxed = file;
    boxed.modulators[1].on = true;
    synth::SynthState reset = file.state;
    reset.modOut.fill(1);
    sound::Controls higher = file;
    higher.pitch1 = 200;
    EXPECT_EQ(written("$R --settings ../quarter.tarmel --fm 1.2 -o a.wav"),
              mixOf(sound::parametersOf(boxed), boxed.play, reset));
    EXPECT_EQ(written("$R --settings ../quarter.tarmel --pitch 200 -o b.wav"),
              mixOf(sound::parametersOf(higher), higher.play, file.state));
}

// The lossy formats, by extension or --format: libsndfile reads back a mono file of the format's
// rate whose samples follow the sound closely (a correlation above 0.99 and the same loudness
// within 10%). Opus holds 48000 Hz: the sound is compared with its own samples, linearly
// interpolated at the 48000 Hz instants.
TEST_F(RenderCommand, LossyFormatsHoldTheSoundByExtensionOrFormat) {
    std::vector<int16_t> want = mixOf({220, 220, 220, 0, {}}, {1, 0, 0});
    want.push_back(want.back()); // for the interpolation at the last instants
    const std::vector<std::tuple<std::string, int, int>> cases{
        {"-o a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100},
        {"-o b.OGA", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100},
        {"-o c.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000},
        {"-o d.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100},
        {"--format opus -o - | cat >e", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000}};
    for (const auto& [args, container, rate] : cases) {
        int format = 0, gotRate = 0;
        const auto got = written("$R --pitch 220 " + args, &format, &gotRate);
        EXPECT_EQ(std::pair(format, gotRate), std::pair(container, rate)) << args;
        double xy = 0, xx = 0, yy = 0;
        for (std::size_t m = 0; m < std::min<std::size_t>(got.size(), rate); ++m) {
            const double at = m * 44100.0 / rate;
            const auto n = static_cast<std::size_t>(at);
            const double x = want[n] + (at - static_cast<double>(n)) * (want[n + 1] - want[n]);
            xy += x * got[m];
            xx += x * x;
            yy += static_cast<double>(got[m]) * got[m];
        }
        EXPECT_GT(xy / std::sqrt(xx * yy), 0.99) << args;
        EXPECT_NEAR(std::sqrt(yy / xx), 1.0, 0.1) << args;
    }
}

// On a terminal a long render shows its progress, and -o - refuses to write the sound there;
// where standard error is a file nothing is said. script(1) gives the command a terminal.
TEST_F(RenderCommand, ProgressOnATerminalOnly) {
    EXPECT_EQ(run("script -qec \"$R --generations 1000 -o a.wav\" /dev/null"), 0);
    EXPECT_NE(out_.find("generation "), std::string::npos) << out_;
    EXPECT_EQ(run("$R --generations 1000 -o b.wav"), 0);
    EXPECT_EQ(err_, "");
    EXPECT_EQ(run("script -qec \"$R -o -\" /dev/null"), 2);
    EXPECT_NE(out_.find("standard output"), std::string::npos) << out_;
    EXPECT_EQ(entries(), 2);
}

// tarmel-render --settings ... --output-dir: every good file written as a single render writes
// it (here normalised, into a folder made with its parents), a bad one named, exit status 2.
// (The output folder's refusals are rows of the table above.)
using BatchCommand = RenderCommand;

TEST_F(BatchCommand, WritesEveryGoodPresetNamesTheBadFileAndExitsWithTwo) {
    std::ofstream(root_ / "bad.tarmel") << "version = 1\nattack = 'loud'\n";
    const std::vector<fs::directory_entry> presets{fs::directory_iterator(TARMEL_PRESETS_DIR), {}};
    const std::string command = "$R --settings '" TARMEL_PRESETS_DIR
                                "'/* ../bad.tarmel --output-dir out/a --format aiff --normalise";
    EXPECT_EQ(run(command), 2);
    EXPECT_NE(err_.find("tarmel-render: ../bad.tarmel: line "), std::string::npos) << err_;
    const std::string written = " of " + std::to_string(presets.size() + 1) + " files written";
    EXPECT_NE(err_.find(std::to_string(presets.size()) + written), std::string::npos) << err_;
    // Each file holds what one generation from the preset gives, the ticked oscillators mixed.
    for (const fs::path& preset : presets) {
        EXPECT_EQ(files::readSoundFile(dir_ / "out/a" / (preset.stem().string() + ".aiff")),
                  files::normalised(soundOf(preset)))
            << preset;
    }
    EXPECT_EQ(entries(), std::ssize(presets) + 2) << "nothing for the bad file, no temporary file";
    // Again, without --force: every file is in the way, and kept.
    EXPECT_EQ(run(command), 2);
    EXPECT_NE(err_.find("cowbell.aiff already exists and was kept (use --force to replace it)"),
              std::string::npos);
}

// tarmel-render --match as a user runs it: a sound Tarmel made is found again exactly and the
// written settings render to the same samples. (A file that cannot be matched, refused with 2 and
// nothing written, is a row of the table above; every reason is the target reader's test.)
using MatchCommand = RenderCommand;

TEST_F(MatchCommand, FindsASoundTarmelMadeAndWritesSettingsThatRenderTheSameSamples) {
    // One modulator; two on oscillator 1 (modulators 3 and 4).
    for (const std::string sound : {"--pitch 131 --attack 400 --fm 1.3:3:4",
                                    "--pitch 150 --attack 1200 --fm 1.3:2:4 1.4:2:4"}) {
        const auto target = written("$R --force " + sound + " -o target.wav");
        ASSERT_EQ(run("$R --match target.wav -o best.tarmel --budget 4000 --seed 7 --force"), 0)
            << err_;
        EXPECT_NE(err_.find("matched exactly"), std::string::npos) << sound << ": " << err_;
        EXPECT_EQ(files::readSettings(dir_ / "best.tarmel").name, "Match of target.wav");
        EXPECT_EQ(written("$R --force --settings best.tarmel -o best.wav"), target) << sound;
    }
}

} // namespace
} // namespace tarmel::cli
