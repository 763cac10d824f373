#pragma once
// The band of a template page: its type, printing flags, columns, child
// band, master band and data source.

#include "RpObject.h"

#include <array>

namespace report {

namespace BandFlag {
constexpr std::uint16_t Stretched = 0x01;
constexpr std::uint16_t FormNewPage = 0x02;
constexpr std::uint16_t PrintIfSubsetEmpty = 0x04;
constexpr std::uint16_t Breaked = 0x08;
constexpr std::uint16_t OnFirstPage = 0x10;
constexpr std::uint16_t OnLastPage = 0x20;
constexpr std::uint16_t RepeatHeader = 0x40;
constexpr std::uint16_t PrintChildIfInvisible = 0x80;
} // namespace BandFlag

enum class TrpBandType : std::uint16_t {
    ReportTitle, ReportSummary, PageHeader, PageFooter, MasterHeader, MasterData, MasterFooter,
    DetailHeader, DetailData, DetailFooter, SubdetailHeader, SubdetailData, SubdetailFooter, Overlay,
    ColumnHeader, ColumnFooter, GroupHeader, GroupFooter, CrossHeader, CrossData, CrossFooter, Child, None,
};
constexpr int kBandTypeCount = 23;

// "Report title" ... "None"; empty for a code outside 0-22.
std::string BandTypeName(int type);

// What a band view's script properties reach during a run: the band
// engine's build-time band.  Set by the band engine while it runs.
class TrpBandRuntime {
public:
    virtual ~TrpBandRuntime() = default;
    virtual void SetChildBand(const std::string& name) = 0;
    virtual void SetBreaked(bool value) = 0;
    virtual void SetCondition(const std::string& condition) = 0;
    virtual void SetGeometry(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) = 0;
    virtual void SetVisible(bool value) = 0;
    virtual void SetDataSource(const std::string& name) = 0;
    virtual bool HasDataSet() const = 0;
    virtual bool Eof() const = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual void First() = 0;
};

class TrpBandView : public TrpView {
public:
    TrpBandView();

    void AssignProperty(const std::string& name, const Variant& value) override;
    Variant ReadProperty(const std::string& name) override;
    Variant CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3) override;
    void RegisterProperties() override;
    void Paint(QPainter& painter) override;
    void ReadFromStream(TrpStream& stream) override;
    void WriteToStream(TrpStream& stream) override;
    std::string ClassName() const override { return "TrpBandView"; }

    int BandType() const { return FrameTyp; }
    void SetBandType(int type) { FrameTyp = static_cast<std::uint16_t>(type); }
    // The data source name (data bands) or group condition (group headers).
    const std::string& DataSource() const { return FormatString; }

    std::string ChildBand;
    std::string Master;
    std::int32_t Columns = 1;
    std::int32_t ColumnWidth = 200;
    std::int32_t ColumnGap = 20;
    std::int32_t NewColumnAfter = 1;
    // The build-time band during a run; null otherwise.
    TrpBandRuntime* Runtime = nullptr;

private:
    bool RuntimeActive() const { return Runtime != nullptr && Running(); }
};

} // namespace report
