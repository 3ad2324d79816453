#pragma once

#include "app/window_rules.h"

#include <optional>

namespace findolin {

// What the layout needs to know of the window, in twips.
struct LayoutInput {
    double windowWidth = 0;  // outer width
    double windowHeight = 0; // outer height
    double rowHeight = 0;    // one row of the file list
    double listFrame = 0;    // what the list's border adds to its rows
    double text1Width = 0;   // the query boxes' present widths, kept where a new one
    double text2Width = 0;   // would be negative
    bool fullScreen = false;
    double listHeight = 0;      // the file list's present height, kept when no height fits
    double maxWindowHeight = 0; // room on the screen below the window's top; 0: no limit
};

// Where the controls go. The lists keep their design width and stand at the top left; the bottom
// row holds the status line, the three query boxes and the three search buttons.
struct WindowLayout {
    double listHeight = 0;            // File1, FileList1, List1, List2: whole rows, or as they were
    double bottomRowTop = 0;          // buttons, query boxes, CommandSort
    double command1Left = 0;          // "* Suche"
    double command2Left = 0;          // "Suche"
    double command3Left = 0;          // "*Firma..." / "STOP"
    double windowHeight = 0;          // snaps the window to the list's rows
    std::optional<double> text2Width; // folder box
    std::optional<double> text1Width; // name box
    std::optional<double> text4Width; // text box and its placeholder
    double text1Left = 0;
    double text4Left = 0;
    double label3Top = 0;
    double amountTop = 0;                // the date filter's number fields
    TwipsRect preview;                   // text, document and web surfaces
    std::optional<double> pictureHeight; // left alone in full screen
};

inline constexpr double kListWidth = 4720;
inline constexpr double kLabel3Left = 120;
inline constexpr double kLabel3Width = 2300;
inline constexpr double kText2Left = 2520;
inline constexpr double kCommandSortLeft = 50;
inline constexpr double kAmountLeft = 1150;
inline constexpr double kCommandHeight = 360;

// The window's arrangement for its size. A window too short even for the list's border leaves the
// lists as high as they are, and everything else is still arranged around them.
WindowLayout layoutWindow(const LayoutInput& in);

} // namespace findolin
