// The main window's controls: kind, text, place and size in twips, ranges, start states, tab
// order, and the lines between the areas. Resizing the window moves none of them.
#include "app/Artwork.h"
#include "app/Frmtarmel.h"
#include "ui/ModulatorPanel.h"
#include "ui/Style.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <algorithm>
#include <utility>
#include <vector>

namespace tarmel::app {

namespace {

using ui::Align;
using ui::LabelStyle;
using ui::makeButton;
using ui::makeCheckBox;
using ui::makeLabel;

constexpr int kClientWidth = 9840;
constexpr int kClientHeight = 4080;
constexpr std::array<int, 3> kPitchColumns{5760, 6480, 7200};
constexpr double kBoldPointSize = 12;

QString indexed(const char* name, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

LabelStyle centred() {
    return LabelStyle{}.aligned(Align::Centre);
}

// A vertical track-bar slider, minimum at the top, ticks on its right.
QSlider* makePitchSlider(QWidget* parent, const QString& name, const ui::TwipRect& at, int minimum,
                         int maximum, int tickInterval) {
    auto* slider = new QSlider(Qt::Vertical, parent);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(1);
    slider->setPageStep(5);
    slider->setInvertedAppearance(true);
    slider->setInvertedControls(true);
    slider->setTickPosition(QSlider::TicksRight);
    slider->setTickInterval(tickInterval);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setGeometry(ui::toPixels(at));
    return slider;
}

} // namespace

void Frmtarmel::buildControls() {
    setWindowTitle(QStringLiteral("Brennick  Tarmel1.0"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ui::applyWindowBackground(*this);
    resize(ui::twipsToPixels(kClientWidth), ui::twipsToPixels(kClientHeight));

    // Title area.
    auto* picture = makeLabel(this, QStringLiteral("Picture1"), QString(), {240, 240, 2670, 520});
    picture->setPixmap(titlePicture());
    makeLabel(this, QStringLiteral("Label7"), QStringLiteral("Quorvane"), {1320, 780, 1575, 255},
              LabelStyle{}.aligned(Align::Right));

    // Generate area.
    cmdReset_ = makeButton(this, QStringLiteral("CmdReset"), QStringLiteral("reset"),
                           {3240, 240, 975, 255});
    play_ =
        makeButton(this, QStringLiteral("Play"), QStringLiteral("generate"), {3240, 600, 975, 375});
    lblkeys_ = makeLabel(this, QStringLiteral("Lblkeys"), QStringLiteral("Keyboard Active"),
                         {4320, 240, 1215, 255}, LabelStyle{}.coloured(ui::statusGreen()));

    // Oscillator 1's modulator panel.
    panel_ = new ui::ModulatorPanel(this, ui::ModulatorPanelLayout::mainWindow());

    // Pitch area.
    makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Tone"), {5760, 240, 375, 255},
              centred());
    for (int k = 0; k < synth::kOscillators; ++k) {
        const auto i = static_cast<std::size_t>(k);
        lblos1_[i] =
            makeLabel(this, indexed("Lblos1", k), QString(), {kPitchColumns[i], 480, 375, 255},
                      centred().coloured(ui::statusGreen()));
        makeLabel(this, indexed("Label2", k), QStringLiteral("Osc%1").arg(k + 1),
                  {kPitchColumns[i], 3240, 375, 255});
        check1_[i] = makeCheckBox(this, indexed("Check1", k), QString::number(k + 1),
                                  {kPitchColumns[i], 3480, 375, 255});
    }
    check1_[0]->setChecked(true);
    vscroll1_ = makePitchSlider(this, QStringLiteral("VScroll1"), {5760, 840, 255, 2295},
                                synth::kPitchMin, synth::kPitchMax, 340);
    vscroll2_ = makePitchSlider(this, QStringLiteral("VScroll2"), {6480, 840, 375, 2295},
                                synth::kOffsetMin, synth::kOffsetMax, 170);
    vscroll3_ = makePitchSlider(this, QStringLiteral("VScroll3"), {7200, 840, 375, 2295},
                                synth::kOffsetMin, synth::kOffsetMax, 170);
    makeLabel(this, QStringLiteral("Label2(4)"), QStringLiteral("-"), {6840, 840, 375, 255},
              centred().bold(kBoldPointSize));
    makeLabel(this, QStringLiteral("Label2(5)"), QStringLiteral("0"), {6840, 1920, 375, 255},
              centred());
    makeLabel(this, QStringLiteral("Label2(3)"), QStringLiteral("+"), {6840, 2880, 375, 255},
              centred().bold(kBoldPointSize));

    // Envelope area.
    makeLabel(this, QStringLiteral("Label6"), QStringLiteral("envelope"), {7800, 240, 1095, 255},
              centred());
    makeLabel(this, QStringLiteral("Label4(1)"), QStringLiteral("decay"), {8040, 600, 615, 255},
              centred());
    sliderattack_ = ui::makeScrollBar(
        this, QStringLiteral("Sliderattack"), Qt::Vertical, {8160, 960, 375, 2415},
        {.minimum = 0, .maximum = synth::kAttackMax, .singleStep = 1, .pageStep = 1, .value = 0});
    makeLabel(this, QStringLiteral("Label4(0)"), QStringLiteral("attack"), {8040, 3480, 615, 255},
              centred());

    // Button column.
    makeLabel(this, QStringLiteral("Label4(2)"), QStringLiteral("Timer"), {9000, 240, 615, 255},
              centred());
    cmdstart_ = makeButton(this, QStringLiteral("Cmdstart"), QStringLiteral("repeat"),
                           {9000, 600, 615, 495});
    cmdstop_ =
        makeButton(this, QStringLiteral("Cmdstop"), QStringLiteral("stop"), {9000, 1200, 615, 495});
    makeLabel(this, QStringLiteral("Label2(9)"), QStringLiteral("Fm"), {9000, 1920, 615, 255},
              centred());
    cmdOsc2_ =
        makeButton(this, QStringLiteral("CmdOsc2"), QStringLiteral("Osc2"), {9000, 2280, 615, 255});
    cmdOsc3_ =
        makeButton(this, QStringLiteral("CmdOsc3"), QStringLiteral("Osc3"), {9000, 2640, 615, 255});
    cmdhelp_ =
        makeButton(this, QStringLiteral("Cmdhelp"), QStringLiteral("Help"), {9000, 3120, 615, 255});
    cmdExit_ =
        makeButton(this, QStringLiteral("CmdExit"), QStringLiteral("Exit"), {9000, 3600, 615, 255});

    // Fonts wider than the layout was drawn for would cut captions short; the read-outs must
    // hold their widest pitches, 1170 and -169. The bold marks keep their size: their single
    // glyph fits even where the font's line height does not.
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->text().isEmpty() && !label->font().bold()) {
            ui::shrinkToFit(*label);
        }
    }
    for (QLabel* readout : lblos1_) {
        for (const char* widest : {"1170", "-169"}) {
            readout->setText(QLatin1String(widest));
            ui::shrinkToFit(*readout);
        }
        readout->clear();
    }

    // The frame 120 twips inside the client area, and the separators between the areas.
    ui::makeLine(this, QStringLiteral("Line7"), 120, 120, 9720, 120);
    ui::makeLine(this, QStringLiteral("Line8"), 9720, 3960, 9720, 120);
    ui::makeLine(this, QStringLiteral("Line5"), 9720, 3960, 120, 3960);
    ui::makeLine(this, QStringLiteral("Line9"), 120, 3960, 120, 120);
    ui::makeLine(this, QStringLiteral("Line1"), 120, 1080, 5640, 1080);
    ui::makeLine(this, QStringLiteral("Line3"), 3120, 120, 3120, 1080);
    ui::makeLine(this, QStringLiteral("Line2"), 5640, 120, 5640, 3960);
    ui::makeLine(this, QStringLiteral("Line4"), 7800, 120, 7800, 3960);
    ui::makeLine(this, QStringLiteral("Line6"), 8880, 120, 8880, 3960);
    ui::makeLine(this, QStringLiteral("Line10"), 8880, 1800, 9720, 1800);
    ui::makeLine(this, QStringLiteral("Line11"), 8880, 3000, 9720, 3000);

    // The focus order of the controls that take the focus, by their place in it.
    std::vector<std::pair<int, QWidget*>> order{
        {0, play_},     {4, check1_[0]}, {5, check1_[1]}, {6, check1_[2]},     {8, cmdstart_},
        {9, cmdstop_},  {16, cmdReset_}, {36, vscroll1_}, {37, vscroll2_},     {38, vscroll3_},
        {46, cmdOsc2_}, {47, cmdOsc3_},  {52, cmdExit_},  {55, sliderattack_}, {56, cmdhelp_}};
    const std::array<int, 5> chkFmTabs{14, 15, 25, 27, 33};
    const std::array<int, 5> sliderFmTabs{12, 19, 22, 29, 31};
    const std::array<int, 5> sliderharmonTabs{17, 18, 24, 28, 32};
    for (int i = 0; i < ui::ModulatorPanel::kCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        order.emplace_back(chkFmTabs[k], panel_->chkFm(i));
        order.emplace_back(sliderFmTabs[k], panel_->sliderFm(i));
        order.emplace_back(sliderharmonTabs[k], panel_->sliderharmon(i));
    }
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1].second, order[i].second);
    }
    play_->setFocus();
}

} // namespace tarmel::app
