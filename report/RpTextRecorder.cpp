#include "RpTextRecorder.h"

#include <QPaintEngine>
#include <QTransform>

#include <cmath>

namespace report {

// Keeps the painter's transform and records each text item with the
// rectangle its advance, ascent and descent cover.
class TrpTextRecorder::Engine : public QPaintEngine {
public:
    explicit Engine(TrpTextRecorder& device) : QPaintEngine(QPaintEngine::AllFeatures), device_(device) {}

    bool begin(QPaintDevice*) override
    {
        transform_ = QTransform();
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform_ = state.transform();
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QRectF local(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        const QRectF mapped = transform_.mapRect(local);
        const QRect bounds(QPoint(int(std::floor(mapped.left())), int(std::floor(mapped.top()))),
                           QPoint(int(std::ceil(mapped.right())) - 1, int(std::ceil(mapped.bottom())) - 1));
        device_.runs_.push_back({item.text(), bounds});
    }

    // Nothing but text is recorded.
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath&) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}

private:
    TrpTextRecorder& device_;
    QTransform transform_;
};

TrpTextRecorder::TrpTextRecorder(QSize size) : size_(size), engine_(std::make_unique<Engine>(*this)) {}

TrpTextRecorder::~TrpTextRecorder() = default;

QPaintEngine* TrpTextRecorder::paintEngine() const
{
    return engine_.get();
}

int TrpTextRecorder::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return size_.width() * 254 / 960;
    case PdmHeightMM:
        return size_.height() * 254 / 960;
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(QPaintDevice::devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}

} // namespace report
