#include "app/form1.h"
#include "app/layout.h"
#include "search/file_list_box.h"
#include "search/query_line_edit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <algorithm>

namespace findolin {
namespace {

// Sets what the layout gives in twips; a size it leaves out keeps the widget's present one.
struct Placer {
    double tpp;

    int px(double twips) const { return twipsToPixels(twips, tpp); }
    double twips(int pixels) const { return pixelsToTwips(pixels, tpp); }

    void place(QWidget* widget, double left, double top, std::optional<double> width,
               std::optional<double> height = std::nullopt) const {
        widget->setGeometry(px(left), px(top), width ? px(*width) : widget->width(),
                            height ? px(*height) : widget->height());
    }
};

} // namespace

void Form1::applyLayout() {
    if (isMinimized())
        return;
    const QScreen* shown = screen();
    const Placer at{twipsPerPixel(shown ? shown->logicalDotsPerInchX() : 96.0)};
    // The window's outer size, as the layout's numbers mean it: frame and menu bar included.
    const QRect outer = frameGeometry();
    const int frameExtra = outer.height() - height();
    LayoutInput in;
    in.windowWidth = at.twips(outer.width());
    in.windowHeight = at.twips(outer.height());
    in.rowHeight = at.twips(File1->rowHeight());
    in.listFrame = at.twips(2 * File1->frameWidth());
    in.listHeight = at.twips(File1->height());
    in.text1Width = at.twips(Text1->width());
    in.text2Width = at.twips(Text2->width());
    in.fullScreen = VollbildModus;
    const bool ownHeight = !isMaximized() && !isFullScreen();
    if (shown && ownHeight) {
        const QRect room = shown->availableGeometry();
        in.maxWindowHeight = at.twips(room.bottom() + 1 - std::max(outer.top(), room.top()));
    }
    const WindowLayout layout = layoutWindow(in);

    // Control positions are relative to the client area below the menu bar.
    for (QWidget* list : {static_cast<QWidget*>(File1), static_cast<QWidget*>(FileList1),
                          static_cast<QWidget*>(List1), static_cast<QWidget*>(List2)})
        at.place(list, 0, 0, kListWidth, layout.listHeight);
    const double row = layout.bottomRowTop;
    const double boxHeight = at.twips(Text2->sizeHint().height());
    at.place(Command1, layout.command1Left, row, 850, kCommandHeight);
    at.place(Command2, layout.command2Left, row, 850, kCommandHeight);
    at.place(Command3, layout.command3Left, row, 850, kCommandHeight);
    at.place(Text2, kText2Left, row, layout.text2Width, boxHeight);
    at.place(Text1, layout.text1Left, row, layout.text1Width, boxHeight);
    at.place(Text4, layout.text4Left, row, layout.text4Width, boxHeight);
    at.place(Text5, layout.text4Left, row, layout.text4Width, boxHeight);
    at.place(Label3, kLabel3Left, layout.label3Top, kLabel3Width, boxHeight);
    at.place(CommandSort, kCommandSortLeft, row, 2400, kCommandHeight);
    // Their widths fill the gap of the date prompt they stand in (the date filter sets them).
    for (QLineEdit* amount : {TextStd, TextTag, TextMon})
        at.place(amount, kAmountLeft, layout.amountTop, std::nullopt, boxHeight - 60);
    const TwipsRect& preview = layout.preview;
    for (QWidget* surface : {static_cast<QWidget*>(RichTextBox2), OLE1, WebBrowser1})
        at.place(surface, preview.left, preview.top, preview.width, preview.height);
    // The full-screen view places the picture itself.
    if (layout.pictureHeight)
        at.place(Picture1, preview.left, 0, preview.width, layout.pictureHeight);
    at.place(TextHilfe, 2400, 120, 6255, 4575);

    // The height snaps to whole rows of the file list; the resize this causes comes to rest.
    if (ownHeight) {
        const int snapped = at.px(layout.windowHeight) - frameExtra;
        if (snapped != height())
            resize(width(), snapped);
    }
}

} // namespace findolin
