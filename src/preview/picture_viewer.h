#pragma once

class QString;

namespace findolin {

// How the picture viewer shows the picture: beside the list, or over the whole screen.
enum class PictureView { Normal, FullScreen };

class Form1;

// The picture viewer: the picture beside the lists on white, or over the whole screen on black,
// at its natural size or, when it is larger than the screen or zoom is on, scaled to the screen.
class PictureViewer {
public:
    explicit PictureViewer(Form1& form) : f(form) {}

    // Loads the picture to show next. One that cannot be read leaves the viewer empty, never with
    // the picture before, so no file is mistaken for another.
    void load(const QString& path);
    // 0: normal mode; any other value: full screen.
    void Bilder(PictureView Vollbild);
    // Also the click on the scaled picture lying on the picture area.
    void Picture1_Click();

private:
    void showNormal();
    void placeBesideList();
    void showFullScreen();
    void focusVisibleList();

    Form1& f;
};

} // namespace findolin
