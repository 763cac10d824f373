#pragma once
// A paint device that keeps the text runs drawn on it, in drawing order,
// each with its bounds on the device: what the preview searches.  Every
// other drawing is passed over.  Prepared pages draw every object on it,
// as on a printer, whatever lies beyond the device's size.

#include <QPaintDevice>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

namespace report {

struct TrpTextRun {
    QString Text;
    QRect Bounds;  // device pixels; right and bottom outside
};

class TrpTextRecorder : public QPaintDevice {
public:
    explicit TrpTextRecorder(QSize size);
    ~TrpTextRecorder() override;
    TrpTextRecorder(const TrpTextRecorder&) = delete;
    TrpTextRecorder& operator=(const TrpTextRecorder&) = delete;

    QPaintEngine* paintEngine() const override;
    const std::vector<TrpTextRun>& Runs() const { return runs_; }
    void Clear() { runs_.clear(); }

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;

    QSize size_;
    std::vector<TrpTextRun> runs_;
    std::unique_ptr<Engine> engine_;
};

} // namespace report
