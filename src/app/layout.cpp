#include "app/layout.h"

#include <cmath>

namespace findolin {
namespace {

std::optional<double> widthIfValid(double width) {
    if (width < 0)
        return std::nullopt;
    return width;
}

} // namespace

std::optional<WindowLayout> layoutWindow(const LayoutInput& in) {
    const double available = in.windowHeight - 1150;
    if (in.rowHeight <= 0 || available < in.listFrame + in.rowHeight)
        return std::nullopt;
    WindowLayout out;
    // The list takes only whole rows, so the window's height snaps to them: the height set below
    // leaves less than one row over, and the next run of the layout comes to rest.
    const double rows = std::floor((available - in.listFrame) / in.rowHeight);
    const double f = rows * in.rowHeight + in.listFrame;
    out.listHeight = f;
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
