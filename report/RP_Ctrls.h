#pragma once
// The report engine's speed button: a flat-capable button whose glyph can
// stay gray until the mouse is over it, buttons that latch in groups, and
// the glyph images behind it, built once per state and kept in image lists
// shared by every button of the same glyph size.

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace report {

// Drawing states of a button.
enum class TrpButtonState : std::uint8_t { Up = 0, Disabled = 1, Down = 2, Exclusive = 3, Inactive = 4 };

enum class TrpButtonLayout : std::uint8_t { GlyphLeft = 0, GlyphRight = 1, GlyphTop = 2, GlyphBottom = 3 };

// The system colours the buttons paint with.
namespace ButtonColors {
QColor Face();
QColor Highlight();
QColor Shadow();
} // namespace ButtonColors

// Where glyph and caption go inside a client rectangle.  A margin or
// spacing of -1 is computed; integer halves truncate toward zero.
struct TrpButtonLayoutResult {
    QPoint GlyphPos;
    QRect TextRect;
};
TrpButtonLayoutResult CalcButtonLayout(const QRect& client, QSize glyph, QSize text, TrpButtonLayout layout,
                                       int margin, int spacing);

// An image list of one image size: slots in use are marked, the first free
// one is taken.
class TGlyphList {
public:
    TGlyphList(int width, int height) : width_(width), height_(height) {}
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return count_; }
    int Add(QImage image);
    void Delete(int index);
    const QImage& Image(int index) const { return images_.at(static_cast<std::size_t>(index)); }

private:
    int width_, height_;
    int count_ = 0;
    std::vector<QImage> images_;
    std::vector<bool> used_;
};

// The process's image lists, one per image size in use.
class TGlyphCache {
public:
    // The last-added list of that size, or a new one.
    TGlyphList* GetList(int width, int height);
    // A list without images is freed.
    void ReturnList(TGlyphList* list);
    bool Empty() const { return lists_.empty(); }
    std::size_t ListCount() const { return lists_.size(); }

    // The one cache, made on first use.
    static TGlyphCache& Instance();

private:
    std::vector<std::unique_ptr<TGlyphList>> lists_;
};

// The glyph of one button: a strip of 1 to 4 images (up, disabled, down,
// exclusive) and the image built for each drawing state.
class TButtonGlyph {
public:
    TButtonGlyph() { indexes_.fill(-1); }
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    // Takes the strip; its bottom-left pixel is the transparent colour.  A
    // strip whose width is a whole multiple of its height holds that many
    // images (1 beyond 4).
    void SetGlyph(const QImage& strip);
    const QImage& Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }
    // 0 is ignored; another count releases the built images.
    void SetNumGlyphs(int count);
    QRgb TransparentColor() const { return transparent_; }
    // Width of one image by the strip's height; empty without a glyph.
    QSize ImageSize() const;

    // The image of a state, built on first use; -1 without a glyph.
    int CreateButtonGlyph(TrpButtonState state);
    const QImage* StateImage(TrpButtonState state);
    // Draws the state's image at a point.
    void Draw(QPainter& painter, QPoint at, TrpButtonState state, bool transparent);
    void ReleaseImages();

    std::function<void()> OnChange;

private:
    QImage glyph_;
    TGlyphList* list_ = nullptr;
    std::array<int, 5> indexes_{};
    QRgb transparent_ = qRgb(128, 128, 0);
    int numGlyphs_ = 1;
};

class TrpSpeedButton : public QWidget {
public:
    explicit TrpSpeedButton(QWidget* parent = nullptr);
    ~TrpSpeedButton() override;

    void SetAllowAllUp(bool value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetGroupIndex(int value);
    int GroupIndex() const { return groupIndex_; }
    void SetDown(bool value);
    bool Down() const { return down_; }
    void SetFlat(bool value);
    bool Flat() const { return flat_; }
    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }
    void SetGlyph(const QImage& strip);
    TButtonGlyph& Glyph() { return glyph_; }
    void SetGrayedInactive(bool value);
    bool GrayedInactive() const { return grayedInactive_; }
    void SetLayout(TrpButtonLayout value);
    TrpButtonLayout Layout() const { return layout_; }
    void SetMargin(int value);
    int Margin() const { return margin_; }
    void SetNumGlyphs(int value);
    void SetSpacing(int value);
    int Spacing() const { return spacing_; }

    TrpButtonState State() const { return state_; }
    bool MouseInControl() const { return mouseInControl_; }

    // Fires OnClick.
    void Click();
    // The mouse came over or left the button (also called by Qt's events).
    void MouseEnter();
    void MouseLeave();
    // The state the first paint will show, built ahead.
    void Loaded();
    // Whether painting goes through the shared off-screen bitmap.
    bool PaintsOffScreen() const { return width() <= 100 && height() <= 100; }

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void PaintButton(QPainter& painter);
    void UpdateTracking();
    void UpdateExclusive();
    void ButtonPressed(int group, TrpSpeedButton* sender);
    bool Inside(QPoint point) const;
    void UpdateShortcut();

    int groupIndex_ = 0;
    TButtonGlyph glyph_;
    bool down_ = false;
    bool flat_ = false;
    bool dragging_ = false;
    bool allowAllUp_ = false;
    TrpButtonLayout layout_ = TrpButtonLayout::GlyphLeft;
    int spacing_ = 4;
    int margin_ = -1;
    bool grayedInactive_ = true;
    bool mouseInControl_ = false;
    TrpButtonState state_ = TrpButtonState::Up;
    QString caption_;
    int shortcutId_ = 0;
};

} // namespace report
