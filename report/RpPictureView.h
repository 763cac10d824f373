#pragma once
// The picture object: an image from the template, a file or a database
// field, drawn stretched, centred or with its aspect kept.

#include "RpObject.h"
#include "RpPicture.h"

namespace report {

namespace PictureFlag {
constexpr std::uint16_t Stretched = 0x01;
constexpr std::uint16_t Center = 0x02;
constexpr std::uint16_t KeepAspect = 0x04;
} // namespace PictureFlag

// The kinds of database fields a picture loads from.
enum class TrpBlobType : std::uint8_t { BMP = 0, JPG = 1, ICO = 2, WMF = 3 };

class TrpPictureView : public TrpView {
public:
    static constexpr int kEmptyPictureText = 55228;

    TrpPictureView();

    void AssignProperty(const std::string& name, const Variant& value) override;
    Variant ReadProperty(const std::string& name) override;
    Variant CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3) override;
    void RegisterProperties() override;
    void LoadFromBlob(const TrpBlob& blob) override;
    void Paint(QPainter& painter) override;
    void ReadFromStream(TrpStream& stream) override;
    void WriteToStream(TrpStream& stream) override;
    std::string ClassName() const override { return "TrpPictureView"; }

    // Takes a copy of another picture.
    void AssignPicture(const TrpPicture& picture);

    // Where the image is drawn at the current (scaled) geometry.
    QRect TargetRect() const;

    TrpPicture Picture;
    std::uint8_t BlobType = 0;

private:
    // Scripts pass a picture as a reference: reading PICTURE gives the
    // object's serial number, and assigning one copies that object's
    // picture.  Only picture objects of the same report are found.
    const TrpPictureView* FindPictureById(std::int32_t id) const;
};

} // namespace report
