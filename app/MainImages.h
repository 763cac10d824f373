#pragma once
// The images of the main window and its dialogs: the three images of the
// computers tree, the glyphs of the tool bar's buttons and the group image
// of the browse network dialog, drawn at run time.

#include <QIcon>

#include <array>

// Indexes of the tree's images.
enum TTreeImage : int {
    tiComputer = 0,
    tiFailedComputer = 1,
    tiLog = 2,
};

// The tool bar's glyphs, in the order of its buttons.
enum class TToolGlyph : int {
    AddComputer,
    RemoveComputer,
    OpenLog,
    OpenLogFile,
    SaveLogAs,
    Filter,
    UndoLastFilter,
    UndoAllFilters,
    Refresh,
    Find,
    PrintPreview,
    Print,
};

class TMainImages {
public:
    static constexpr int kTreeImageCount = 3;
    static constexpr int kGlyphCount = 12;
    static constexpr int kSize = 16;

    // Draws the images; needs a GUI application.
    TMainImages();

    // The tree image at an index; a null icon for any other index.
    const QIcon& TreeImage(int index) const;
    const QIcon& Glyph(TToolGlyph glyph) const;
    // A group of computers on the network.
    const QIcon& GroupImage() const { return group_; }

private:
    std::array<QIcon, kTreeImageCount> tree_;
    std::array<QIcon, kGlyphCount> glyphs_;
    QIcon group_;
    QIcon none_;
};
