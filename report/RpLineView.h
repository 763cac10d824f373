#pragma once
// The line object (horizontal or vertical, a stretchable object) and the
// sub-report placeholder, which prints another template page in its band.

#include "RpObject.h"

namespace report {

class TrpLineView : public TrpStretcheable {
public:
    TrpLineView();
    void RegisterProperties() override;
    void Paint(QPainter& painter) override;
    QRect CreateRegion(bool enlarge) const override;
    int CalcHeight() override { return Height; }
    int MinSliceHeight() override { return 1; }
    int LeftoverHeight() override { return 0; }
    std::string ClassName() const override { return "TrpLineView"; }

    bool IsHorizontal() const { return Height < Width; }
};

class TrpSubReportView : public TrpView {
public:
    TrpSubReportView();
    void Paint(QPainter& painter) override;
    void ReadFromStream(TrpStream& stream) override;
    void WriteToStream(TrpStream& stream) override;
    std::string ClassName() const override { return "TrpSubReportView"; }

    std::int32_t SubPage = 0;  // 0-based index of the template page it prints
};

} // namespace report
