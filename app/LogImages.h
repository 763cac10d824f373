#pragma once
// The small images of a log window's event list: the type icons at the
// indexes 2-6 (see EventTypeImageIndex).  The sort direction, which the
// image list's first two places would hold, shows as the header's sort
// indicator instead.

#include <QIcon>

#include <array>

class TLogImageList {
public:
    static constexpr int kCount = 7;
    static constexpr int kSize = 16;

    // Draws the icons; needs a GUI application.
    TLogImageList();

    // The image at an index; a null icon for an index without one.
    const QIcon& Icon(int index) const;

private:
    std::array<QIcon, kCount> icons_;
    QIcon none_;
};
