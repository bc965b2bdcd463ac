// Option parsing and rendering of tarmel-render, called in-process.
#include "cli/Render.h"

#include "cli/RenderOptions.h"
#include "synth/Synthesizer.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tarmel::cli {
namespace {

std::variant<RenderRequest, EarlyExit> parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tarmel-render");
    std::vector<const char*> argv;
    for (const auto& a : args) {
        argv.push_back(a.c_str());
    }
    return parseRenderOptions(static_cast<int>(argv.size()), argv.data());
}

RenderRequest parseOk(std::vector<std::string> args) {
    auto r = parse(std::move(args));
    if (auto* e = std::get_if<EarlyExit>(&r)) {
        ADD_FAILURE() << e->text;
        return {};
    }
    return std::get<RenderRequest>(r);
}

TEST(RenderOptions, DefaultsAreTheProgramsStartValues) {
    const RenderRequest req = parseOk({"-o", "a.wav"});
    const synth::Parameters p = parametersFor(req);
    EXPECT_EQ(p.pitch1, 98);
    EXPECT_EQ(p.pitch2, 98);
    EXPECT_EQ(p.pitch3, 98);
    EXPECT_EQ(p.attack, 0);
    EXPECT_EQ(p.modulators, synth::Parameters{}.modulators);
    EXPECT_EQ(req.play, std::vector<int>{1});
    EXPECT_FALSE(req.osc);
    EXPECT_EQ(req.generations, 1);
    EXPECT_FALSE(req.force);
}

TEST(RenderOptions, EveryOptionReachesTheParameters) {
    const RenderRequest req = parseOk({"--output=b.FLAC",
                                       "--pitch",
                                       "1000",
                                       "--offset2",
                                       "170",
                                       "--offset3=-170",
                                       "--attack",
                                       "1500",
                                       "--fm",
                                       "2.3:0:16",
                                       "--fm",
                                       "1.2",
                                       "--fm",
                                       "3.5:7",
                                       "--fm",
                                       "1.2:2:2",
                                       "--play",
                                       "3,1,3",
                                       "--generations",
                                       "4",
                                       "--force"});
    const synth::Parameters p = parametersFor(req);
    EXPECT_EQ(req.format, FileFormat::Flac);
    EXPECT_EQ(p.pitch1, 1000);
    EXPECT_EQ(p.pitch2, 1170);
    EXPECT_EQ(p.pitch3, 830);
    EXPECT_EQ(p.attack, 1500);
    EXPECT_EQ(p.modulator(2, 2), (synth::ModulatorSetting{true, 0, 16}));
    EXPECT_EQ(p.modulator(1, 1), (synth::ModulatorSetting{true, 2, 2}));
    EXPECT_EQ(p.modulator(3, 4), (synth::ModulatorSetting{true, 7, 2}));
    int on = 0;
    for (const auto& m : p.modulators) {
        on += m.on ? 1 : 0;
    }
    EXPECT_EQ(on, 3);
    EXPECT_EQ(req.play, (std::vector<int>{3, 1}));
    EXPECT_EQ(req.generations, 4);
    EXPECT_TRUE(req.force);
    EXPECT_EQ(parseOk({"-o", "c.aiff", "--osc", "2"}).osc, 2);
}

TEST(RenderOptions, BadInputExitsWithStatusTwoAndOneLineNamingTheOption) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "--output"},
        {{"-o", "a.wav", "--pitch", "0"}, "--pitch"},
        {{"-o", "a.wav", "--pitch", "1001"}, "--pitch"},
        {{"-o", "a.wav", "--pitch", "98.5"}, "--pitch"},
        {{"-o", "a.wav", "--offset2", "171"}, "--offset2"},
        {{"-o", "a.wav", "--offset3", "-171"}, "--offset3"},
        {{"-o", "a.wav", "--attack", "1501"}, "--attack"},
        {{"-o", "a.wav", "--fm", "4.1"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.6"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.2:1"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.1:11"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.1:2:1"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.1:2:17"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1-1"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.1:2:2:2"}, "--fm"},
        {{"-o", "a.wav", "--fm", "1.1:3", "--fm", "1.1:4"}, "--fm"},
        {{"-o", "a.wav", "--play", "1,4"}, "--play"},
        {{"-o", "a.wav", "--play", ""}, "--play"},
        {{"-o", "a.wav", "--osc", "0"}, "--osc"},
        {{"-o", "a.wav", "--osc", "1", "--play", "2"}, "--osc"},
        {{"-o", "a.wav", "--generations", "0"}, "--generations"},
        {{"-o", "a.mp3"}, "--output"},
        {{"-o", "a"}, "--output"},
        {{"-o", "a.wav", "--volume", "3"}, "--volume"},
    };
    for (const auto& [args, option] : cases) {
        auto r = parse(args);
        ASSERT_TRUE(std::holds_alternative<EarlyExit>(r)) << option;
        const auto& e = std::get<EarlyExit>(r);
        EXPECT_EQ(e.code, 2) << e.text;
        EXPECT_NE(e.text.find(option), std::string::npos) << e.text;
        EXPECT_EQ(e.text.find('\n'), e.text.size() - 1) << "not one line: " << e.text;
    }
}

TEST(RenderOptions, HelpListsEveryOption) {
    auto r = parse({"--help"});
    ASSERT_TRUE(std::holds_alternative<EarlyExit>(r));
    const auto& e = std::get<EarlyExit>(r);
    EXPECT_EQ(e.code, 0);
    for (const char* opt : {"--output", "--pitch", "--offset2", "--offset3", "--attack", "--fm",
                            "--play", "--osc", "--generations", "--force"}) {
        EXPECT_NE(e.text.find(opt), std::string::npos) << opt;
    }
}

std::unique_ptr<synth::Waves> generations(const synth::Parameters& p, int count) {
    synth::SynthState state;
    auto w = std::make_unique<synth::Waves>();
    for (int i = 0; i < count; ++i) {
        synth::generate(p, state, *w);
    }
    return w;
}

TEST(Render, MixSumsTheChosenOscillatorsOfTheLastGeneration) {
    const RenderRequest req =
        parseOk({"-o", "a.wav", "--pitch", "220", "--offset2", "-30", "--offset3", "17", "--fm",
                 "2.3:3:4", "--fm", "1.5", "--play", "1,2,3", "--generations", "3"});
    const auto w = generations(parametersFor(req), 3);
    const auto out = renderSamples(req);
    ASSERT_EQ(out.size(), 44100U);
    for (std::size_t n = 0; n < out.size(); ++n) {
        ASSERT_EQ(out[n], (*w)[0][n] + (*w)[1][n] + (*w)[2][n]) << n;
    }
    // One generation draws other noise than three.
    RenderRequest once = req;
    once.generations = 1;
    EXPECT_NE(renderSamples(once), out);
}

TEST(Render, OscWritesThatOscillatorsOwnSamples) {
    const RenderRequest req = parseOk({"-o", "a.wav", "--offset3", "-98", "--osc", "3"});
    EXPECT_EQ(renderSamples(req), std::vector<int16_t>(44100, 0)); // pitch 0 is silent
    const RenderRequest two = parseOk({"-o", "a.wav", "--offset2", "5", "--osc", "2"});
    const auto w = generations(parametersFor(two), 1);
    EXPECT_EQ(renderSamples(two), std::vector<int16_t>((*w)[1].begin(), (*w)[1].begin() + 44100));
}

} // namespace
} // namespace tarmel::cli
