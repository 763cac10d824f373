#pragma once
// The image of a picture object: the bytes in the graphic's own file format
// (BMP, JPEG, ICO or a metafile) and, for all but metafiles, the decoded
// image.  Bytes are kept as loaded, so a picture writes back unchanged.
// Images larger than kMaxImagePixels are refused before they are decoded.

#include <QImage>

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

enum class TrpPictureKind : std::uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, Jpeg = 4 };

constexpr std::int64_t kMaxImagePixels = 32LL * 1024 * 1024;
constexpr int kMaxImageSide = 65535;

// JPEG through libjpeg; false for data that does not decode.
bool DecodeJpeg(std::string_view bytes, QImage& image);
// Baseline JPEG of the image at the given quality (0-100).
std::string EncodeJpeg(const QImage& image, int quality = 90);
// BMP: the size in the header is checked before Qt decodes it.
bool DecodeBmp(std::string_view bytes, QImage& image);
std::string EncodeBmp(const QImage& image);
bool DecodeIcon(std::string_view bytes, QImage& image);

class TrpPicture {
public:
    TrpPictureKind Kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == TrpPictureKind::None; }
    const std::string& Data() const { return data_; }
    // Null for metafiles, which this system cannot play.
    const QImage& Image() const { return image_; }
    // Pixel size of the image; 0 x 0 for metafiles.
    QSize Size() const { return image_.size(); }

    void Clear();
    // Takes bytes of a given kind.  Bytes that do not decode leave the
    // picture empty and give false.
    bool Load(TrpPictureKind kind, std::string bytes);
    // Bytes of a file: the kind is told by their first bytes.
    bool LoadAnyKind(std::string bytes);
    // An image to be kept as a bitmap or as a JPEG.
    void SetImage(const QImage& image, TrpPictureKind kind = TrpPictureKind::Bitmap);

private:
    TrpPictureKind kind_ = TrpPictureKind::None;
    std::string data_;
    QImage image_;
};

} // namespace report
