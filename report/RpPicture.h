#pragma once
// The image of a picture object: the bytes in the graphic's own file format
// (BMP, JPEG, ICO or a metafile) and, when they decode, the image.  Bytes
// and kind are kept as loaded, even when they do not decode, so a picture
// writes back unchanged.  Images larger than kMaxImagePixels are refused
// before they are decoded.

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
    // Nothing stored at all.
    bool IsEmpty() const { return kind_ == TrpPictureKind::None && data_.empty(); }
    const std::string& Data() const { return data_; }
    // Null for metafiles, which this system cannot play, and for bytes
    // that do not decode.
    const QImage& Image() const { return image_; }
    bool HasImage() const { return !image_.isNull(); }
    // Pixel size of the image; 0 x 0 when there is none.
    QSize Size() const { return image_.size(); }

    void Clear();
    // Takes bytes of a given kind (any value of the stored kind byte) and
    // keeps both; gives whether the bytes decoded.
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
