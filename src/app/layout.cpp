#include "app/layout.h"

#include <algorithm>
#include <cmath>

namespace findolin {
namespace {

std::optional<double> widthIfValid(double width) {
    if (width < 0)
        return std::nullopt;
    return width;
}

// What the window keeps below the file list: the bottom row and the margin under it.
constexpr double kBelowList = 1150;
constexpr double kSnapSlack = 135;

} // namespace

WindowLayout layoutWindow(const LayoutInput& in) {
    double available = in.windowHeight - kBelowList;
    // A window never snaps taller than the screen has room for.
    if (in.maxWindowHeight > 0)
        available = std::min(available, in.maxWindowHeight - kBelowList - kSnapSlack);
    WindowLayout out;
    // The list takes only whole rows, so the window's height snaps to them: the height set below
    // leaves less than one row over, and the next run of the layout comes to rest. Where not even
    // the list's border fits, the list keeps its height and the rest is placed around it.
    if (in.rowHeight > 0 && available >= in.listFrame)
        out.listHeight =
            std::floor((available - in.listFrame) / in.rowHeight) * in.rowHeight + in.listFrame;
    else
        out.listHeight = in.listHeight;
    const double f = out.listHeight;
    out.bottomRowTop = f + 75;
    out.command1Left = in.windowWidth - 1900;
    out.command2Left = in.windowWidth - 2800;
    out.command3Left = in.windowWidth - 1000;
    out.windowHeight = out.bottomRowTop + kCommandHeight + 850;

    // The three query boxes share the room between the status line and "Suche".
    const double w = (out.command2Left - (kLabel3Left + kLabel3Width) - 200) / 3 - 150;
    out.text1Width = widthIfValid(w);
    out.text2Width = widthIfValid(w + 500);
    out.text4Width = widthIfValid(w);
    out.text1Left = kText2Left + out.text2Width.value_or(in.text2Width);
    out.text4Left = out.text1Left + out.text1Width.value_or(in.text1Width);
    out.label3Top = f + 150;
    out.amountTop = out.bottomRowTop + 30;
    out.preview = {kListWidth + 30, 0, in.windowWidth - kListWidth - 130, f};
    if (!in.fullScreen)
        out.pictureHeight = f;
    return out;
}

} // namespace findolin
