#pragma once

// Where the panel's controls sit and which artwork they show. Plain data without
// the framework, so the end-to-end tests find the controls of the running program
// and the artwork generator draws the background for them.

namespace panellayout
{
// The background artwork's size, which the layout is drawn for.
constexpr double designWidth = 400.0;
constexpr double designHeight = 300.0;

// A control's rectangle as fractions of the content area below the menu bar;
// extraX pixels are added to its x.
struct Placement
{
    float x, y, w, h;
    int extraX = 0;
};

// A placement in pixels of a content area of the given size; y counts from the top of
// the content area, below the menu bar.
struct Area
{
    int x, y, width, height;
};

constexpr Area placedIn(const Placement& p, float contentWidth, float contentHeight)
{
    return {(int)(p.x * contentWidth) + p.extraX, (int)(p.y * contentHeight),
            (int)(p.w * contentWidth), (int)(p.h * contentHeight)};
}

namespace placement
{
constexpr Placement buttonMuteIn{0.24f, 0.88f, 0.1175f, 0.0733333f};
constexpr Placement buttonMuteOut{0.46f, 0.88f, 0.1175f, 0.0733333f};
constexpr Placement buttonAnalog{0.0425f, 0.23f, 0.1375f, 0.0733333f};
constexpr Placement buttonDigital{0.0425f, 0.323333f, 0.1375f, 0.0733333f};
constexpr Placement button48{0.7475f, 0.166667f, 0.1575f, 0.0733333f};
constexpr Placement button44{0.7475f, 0.246667f, 0.1575f, 0.0733333f};
constexpr Placement button32{0.7475f, 0.326667f, 0.1575f, 0.0733333f};
constexpr Placement buttonPro{0.73f, 0.586667f, 0.1875f, 0.0733333f, 1};
constexpr Placement buttonCon{0.73f, 0.666667f, 0.1875f, 0.0733333f, 1};
constexpr Placement buttonNoneCopy{0.7175f, 0.783333f, 0.215f, 0.0733333f};
constexpr Placement buttonCopy{0.7175f, 0.863333f, 0.215f, 0.0733333f};
constexpr Placement buttonToggleMonitoring{0.335f, 0.106667f, 0.135f, 0.0566667f};
constexpr Placement buttonLink{0.847368f, 0.0137931f, 0.0710526f, 0.0586207f};
constexpr Placement levelLabelIn{0.245f, 0.786667f, 0.1075f, 0.0533333f};
constexpr Placement levelLabelOut{0.465f, 0.786667f, 0.1075f, 0.0533333f};
} // namespace placement

// The fader groups sit in slots of the background, in design units; inside a
// group each fader runs down from faderY.
namespace faders
{
constexpr int inputGroupX = 102;
constexpr int outputGroupX = 192;
constexpr int groupY = 58;
constexpr int groupWidth = 65;
constexpr int groupHeight = 195;
constexpr int leftFaderX = 0;
constexpr int rightFaderX = 17;
constexpr int faderY = 7;
constexpr int faderLength = 162;
constexpr int faderWidth = 17;
} // namespace faders

// A button's artwork numbers when off and when on; under the mouse the off
// picture shows at overOpacity.
struct ImagePair
{
    int normal, on;
    float overOpacity;
};

namespace artwork
{
constexpr int background = 23;

constexpr ImagePair button44{2, 3, 0.5f};
constexpr ImagePair button48{4, 5, 0.5f};
constexpr ImagePair button32{0, 1, 0.5f};
constexpr ImagePair buttonMuteOut{26, 27, 1.0f};
constexpr ImagePair buttonMuteIn{26, 27, 1.0f};
constexpr ImagePair buttonAnalog{10, 11, 1.0f};
constexpr ImagePair buttonDigital{16, 17, 1.0f};
constexpr ImagePair buttonPro{32, 33, 0.5f};
constexpr ImagePair buttonCon{12, 13, 0.5f};
constexpr ImagePair buttonCopy{14, 15, 0.5f};
constexpr ImagePair buttonNoneCopy{28, 29, 0.5f};
constexpr ImagePair buttonToggleMonitoring{24, 25, 1.0f};
constexpr ImagePair buttonLink{21, 22, 1.0f};
} // namespace artwork
} // namespace panellayout
