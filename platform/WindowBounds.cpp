#include "WindowBounds.h"

#include <QApplication>
#include <QEvent>
#include <QMargins>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <optional>

namespace platform {
namespace {

constexpr Qt::WindowStates kNotNormal = Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;

// The frame that the window manager has given a shown window; none for a
// hidden window, or where nothing frames it.  While the window manager is
// still drawing a frame, the window system may give one of a frame smaller
// than the window: that is none yet.
QMargins FrameOf(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    if (handle == nullptr || !window.isVisible())
        return {};
    const QMargins frame = handle->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0)
        return {};
    return frame;
}

// The frame the window has; else the one it had when last shown; else that
// of another shown window of the program, as the window manager frames
// windows alike; else none.
QMargins LikelyFrame(const QWidget& window, const QMargins& framedBefore)
{
    if (const QMargins frame = FrameOf(window); !frame.isNull())
        return frame;
    if (!framedBefore.isNull())
        return framedBefore;
    for (const QWidget* other : QApplication::topLevelWidgets())
        if (other != &window && other->windowType() != Qt::Popup && other->windowType() != Qt::ToolTip)
            if (const QMargins frame = FrameOf(*other); !frame.isNull())
                return frame;
    return {};
}

// Puts a top-level window at its place and keeps it there while the window
// manager frames and places it.  One lives on each window placed, as its
// child; it watches the window and its native window.
class TWindowPlacer final : public QObject {
public:
    static TWindowPlacer& Of(QWidget& window)
    {
        for (QObject* child : window.children())
            if (auto* placer = dynamic_cast<TWindowPlacer*>(child))
                return *placer;
        return *new TWindowPlacer(window);
    }

    TWindowPlacer(const TWindowPlacer&) = delete;
    TWindowPlacer& operator=(const TWindowPlacer&) = delete;

    void PlaceAt(const QRect& bounds)
    {
        bounds_ = bounds;
        // The bounds a maximised window returns to are set once: its frame
        // now is not the one it will have then.
        if (window_.windowState() & kNotNormal) {
            Apply(EstimatedFrame());
            Settle();
            return;
        }
        Watch();
    }

    void CentreWhenShown()
    {
        centred_ = true;
        if (window_.isVisible())
            Watch();
    }

    // The frame of a hidden window: the one the window manager gave it when
    // it was last shown, else the one it was last placed with.
    QMargins HiddenFrame() const { return framed_.isNull() ? usedFrame_ : framed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_) {
            switch (event->type()) {
            case QEvent::Show:
                if (!event->spontaneous())
                    Shown();
                break;
            case QEvent::Resize:
                // A window that the program sizes as it is shown (as a
                // message box sizes itself) is centred at its new size; one
                // placed by its bounds has the size the program gives it.
                // The window system's own resizes may be of sizes asked for
                // before.
                if (pending_ && !applying_ && !event->spontaneous() && window_.isVisible()) {
                    if (!centred_)
                        Settle();
                    else if (window_.size() != intended_) {
                        intended_ = window_.size();
                        Apply(EstimatedFrame());
                    }
                }
                break;
            case QEvent::Move:
                // The program has put the shown window elsewhere itself.
                if (pending_ && !applying_ && !event->spontaneous() && window_.isVisible())
                    Settle();
                break;
            case QEvent::Hide:
                if (!event->spontaneous())
                    Settle();
                break;
            default:
                break;
            }
        } else if (watched == native_ && pending_) {
            switch (event->type()) {
            case QEvent::Expose:
                Check();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                // The window system's move or resize reaches the native
                // window before the widget.  Checked now, the widget would
                // still be where it was asked to be and look in place, and
                // asking for that place again would change nothing; so the
                // window is checked once the widget knows.
                QTimer::singleShot(0, this, [this] {
                    if (pending_)
                        Check();
                });
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    // The window manager frames a window and places it within moments of
    // its showing; a window not where it was put by then is where the user
    // or the window manager wants it.
    static constexpr int kSettleMilliseconds = 1000;
    // Puts back a window that the window manager placed elsewhere at most
    // this often: one that insists on its own place keeps it.
    static constexpr int kMostCorrections = 3;

    explicit TWindowPlacer(QWidget& window)
        : QObject(&window)
        , window_(window)
    {
        settle_.setSingleShot(true);
        settle_.setInterval(kSettleMilliseconds);
        connect(&settle_, &QTimer::timeout, this, [this] { Settle(); });
        window.installEventFilter(this);
        WatchNative();
    }

    // The native window comes with the window's first show.
    void WatchNative()
    {
        QWindow* handle = window_.windowHandle();
        if (handle == native_)
            return;
        if (native_)
            native_->removeEventFilter(this);
        native_ = handle;
        if (native_)
            native_->installEventFilter(this);
    }

    // The window takes its place now, and keeps it while the window manager
    // frames and places it.
    void Watch()
    {
        pending_ = true;
        corrections_ = 0;
        intended_ = window_.size();
        settle_.stop();
        Apply(EstimatedFrame());
        if (window_.isVisible())
            Check();
    }

    void Settle()
    {
        pending_ = false;
        settle_.stop();
    }

    void Shown()
    {
        WatchNative();
        if (centred_ || pending_)
            Watch();
    }

    // The window manager has framed or moved the window, or shown it.
    void Check()
    {
        const QMargins frame = FrameOf(window_);
        if (frame.isNull())
            return;
        framed_ = frame;
        if (frame != usedFrame_)
            Apply(frame);
        else if (window_.geometry() != InnerFor(frame) && corrections_ < kMostCorrections) {
            ++corrections_;
            Apply(frame);
        }
        if (native_ && native_->isExposed() && !settle_.isActive())
            settle_.start();
    }

    QMargins EstimatedFrame() const { return LikelyFrame(window_, framed_); }

    // The inner area that gives the outer rectangle its place with this
    // frame.
    QRect InnerFor(const QMargins& frame) const
    {
        if (!centred_ && bounds_)
            return bounds_->marginsRemoved(frame);
        const QSize inner = intended_;
        const QSize outer = inner.grownBy(frame);
        const QScreen* screen = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), outer);
        const QPoint topLeft(area.left() + (area.width() - outer.width()) / 2,
                             area.top() + (area.height() - outer.height()) / 2);
        return QRect(topLeft + QPoint(frame.left(), frame.top()), inner);
    }

    void Apply(const QMargins& frame)
    {
        const QRect inner = InnerFor(frame);
        usedFrame_ = frame;
        const Qt::WindowStates state = window_.windowState();
        applying_ = true;
        if (window_.minimumSize() == window_.maximumSize() && window_.size() != inner.size())
            window_.setFixedSize(inner.size());
        window_.setGeometry(inner);
        // The bounds of a window that is not normal are those it returns to.
        if (window_.windowState() != state)
            window_.setWindowState(state);
        applying_ = false;
    }

    QWidget& window_;
    QPointer<QWindow> native_;
    std::optional<QRect> bounds_;
    bool centred_ = false;
    // The place waits for the window manager's frame and placing.
    bool pending_ = false;
    int corrections_ = 0;
    bool applying_ = false;
    QTimer settle_;
    QMargins usedFrame_;
    // The size the program gives a centred window.
    QSize intended_;
    QMargins framed_;
};

} // namespace

QRect WindowBounds(const QWidget& window)
{
    if (window.isVisible())
        return window.geometry().marginsAdded(FrameOf(window));
    // A hidden window has the frame that placing it now would count on.
    for (QObject* child : window.children())
        if (const auto* placer = dynamic_cast<const TWindowPlacer*>(child))
            if (const QMargins frame = placer->HiddenFrame(); !frame.isNull())
                return window.geometry().marginsAdded(frame);
    return window.geometry().marginsAdded(LikelyFrame(window, {}));
}

void SetWindowBounds(QWidget& window, const QRect& bounds)
{
    TWindowPlacer::Of(window).PlaceAt(bounds);
}

void CentreOnScreenWhenShown(QWidget& window)
{
    TWindowPlacer::Of(window).CentreWhenShown();
}

} // namespace platform
