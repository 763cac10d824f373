#include "RpLineView.h"

#include "RpQtMeasure.h"
#include "ValueText.h"

#include <QPainter>

namespace report {

TrpLineView::TrpLineView()
{
    TypeCode = ObjectType::Line;
    BaseName = "Line";
    FrameTyp = FrameLine::Left;
    FillColor = 0xFFFFFF;
}

void TrpLineView::RegisterProperties()
{
    if (!properties_.empty())
        return;
    TrpStretcheable::RegisterProperties();
    AddProperty("Stretched", 8);
}

void TrpLineView::Paint(QPainter& painter)
{
    ApplyBandAlign();
    const bool horizontal = IsHorizontal();
    FrameTyp = horizontal ? FrameLine::Top : FrameLine::Left;
    const std::int32_t savedWidth = Width;
    const std::int32_t savedHeight = Height;
    if (horizontal)
        Height = 0;
    else
        Width = 0;
    ApplyScale();
    PaintFrame(painter);
    RestoreGeometry();
    Width = savedWidth;
    Height = savedHeight;
}

QRect TrpLineView::CreateRegion(bool) const
{
    const double k = FrameStyle == FrameStyle::Double ? 1.5 : 0.5;
    const int w1 = RoundToInt(FrameWidth * k);
    int w2 = RoundToInt((FrameWidth - 1) / 2);
    if (FrameStyle == FrameStyle::Double)
        w2 += RoundToInt(FrameWidth);
    if (IsHorizontal())
        return QRect(QPoint(Left, Top - w1), QPoint(Left + Width, Top + w2));
    return QRect(QPoint(Left - w1, Top), QPoint(Left + w2, Top + Height));
}

TrpSubReportView::TrpSubReportView()
{
    TypeCode = ObjectType::SubReport;
    BaseName = "SubReport";
}

void TrpSubReportView::Paint(QPainter& painter)
{
    FrameWidth = 1;
    ApplyScale();
    painter.save();
    painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(Left, Top, Width + 1, Height + 1));
    TrpFont font;
    font.Size = 8;
    painter.setFont(MakeQFont(font, FontPixelHeight(8)));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.drawText(QPoint(Left + 2, Top + 2 + painter.fontMetrics().ascent()), QString::fromStdString(Name));
    painter.restore();
    RestoreGeometry();
}

void TrpSubReportView::ReadFromStream(TrpStream& stream)
{
    TrpView::ReadFromStream(stream);
    SubPage = stream.ReadInt32();
}

void TrpSubReportView::WriteToStream(TrpStream& stream)
{
    TrpView::WriteToStream(stream);
    stream.WriteInt32(SubPage);
}

} // namespace report
