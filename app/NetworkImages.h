#pragma once
// The images of the Open Log dialog: one per network display type (a
// domain, a server, a share, a provider...), with index 4 standing for an
// event log, and the glyphs of its Back and Up buttons.

#include <QIcon>

#include <array>

class TNetworkImages {
public:
    // The index that marks an event log, in the list and in the look-in
    // chain alike.
    static constexpr int kLogImage = 4;
    static constexpr int kImageCount = 12;
    static constexpr int kSize = 16;

    // Draws the images; needs a GUI application.
    TNetworkImages();

    // The image of a display type (RESOURCEDISPLAYTYPE_*), or of a log for
    // kLogImage; the generic image for any other index.
    const QIcon& Image(int index) const;
    const QIcon& BackGlyph() const { return back_; }
    const QIcon& UpGlyph() const { return up_; }

private:
    std::array<QIcon, kImageCount> images_;
    QIcon back_;
    QIcon up_;
};
