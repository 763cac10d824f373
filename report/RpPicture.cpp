#include "RpPicture.h"

#include <QBuffer>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace report {

namespace {

bool SizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

std::int32_t LittleInt32(std::string_view bytes, std::size_t pos)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(value);
}

// libjpeg reports errors through a callback that must not return.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void JpegMessage(j_common_ptr, int) {}

// Progressive data can ask for a great many scans; a real image has few.
void JpegProgress(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > 100)
        JpegErrorExit(info);
}

struct JpegDecodeState {
    jpeg_decompress_struct info;
    JpegErrorManager error;
    jpeg_progress_mgr progress;
    QImage image;
    std::vector<JSAMPLE> row;  // one scan line of CMYK samples
};

// Four ink samples per pixel to three colour samples per pixel.
void CmykRowToRgb(const JSAMPLE* cmyk, uchar* rgb, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        const int c = inverted ? cmyk[0] : 255 - cmyk[0];
        const int m = inverted ? cmyk[1] : 255 - cmyk[1];
        const int y = inverted ? cmyk[2] : 255 - cmyk[2];
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        // Each value is now the part of the light that the ink lets through.
        rgb[0] = static_cast<uchar>((c * k + 127) / 255);
        rgb[1] = static_cast<uchar>((m * k + 127) / 255);
        rgb[2] = static_cast<uchar>((y * k + 127) / 255);
    }
}

struct JpegEncodeState {
    jpeg_compress_struct info;
    JpegErrorManager error;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    QImage source;
};

} // namespace

bool DecodeJpeg(std::string_view bytes, QImage& image)
{
    if (bytes.empty())
        return false;
    auto state = std::make_unique<JpegDecodeState>();
    jpeg_decompress_struct* info = &state->info;
    info->err = jpeg_std_error(&state->error.base);
    state->error.base.error_exit = JpegErrorExit;
    state->error.base.emit_message = JpegMessage;
    if (setjmp(state->error.jump)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    jpeg_create_decompress(info);
    state->progress.progress_monitor = JpegProgress;
    info->progress = &state->progress;
    jpeg_mem_src(info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(info, TRUE);
    if (!SizeAllowed(info->image_width, info->image_height)) {
        jpeg_destroy_decompress(info);
        return false;
    }
    // libjpeg converts only to CMYK from four-channel data; the conversion
    // to RGB is ours.  Files that carry the Adobe marker store the inks
    // inverted (255 = no ink), as those writers always did.
    const bool cmyk = info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK;
    const bool inverted = cmyk && info->saw_Adobe_marker;
    info->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(info);
    const int components = cmyk ? 4 : 3;
    state->image = QImage(static_cast<int>(info->output_width), static_cast<int>(info->output_height),
                          QImage::Format_RGB888);
    if (state->image.isNull() || info->output_components != components) {
        jpeg_destroy_decompress(info);
        return false;
    }
    state->row.resize(static_cast<std::size_t>(info->output_width) * static_cast<std::size_t>(components));
    while (info->output_scanline < info->output_height) {
        const int y = static_cast<int>(info->output_scanline);
        JSAMPROW row = cmyk ? state->row.data() : state->image.scanLine(y);
        jpeg_read_scanlines(info, &row, 1);
        if (cmyk)
            CmykRowToRgb(state->row.data(), state->image.scanLine(y), info->output_width, inverted);
    }
    jpeg_finish_decompress(info);
    jpeg_destroy_decompress(info);
    image = state->image;
    return true;
}

std::string EncodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        return {};
    auto state = std::make_unique<JpegEncodeState>();
    state->source = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct* info = &state->info;
    info->err = jpeg_std_error(&state->error.base);
    state->error.base.error_exit = JpegErrorExit;
    state->error.base.emit_message = JpegMessage;
    if (setjmp(state->error.jump)) {
        jpeg_destroy_compress(info);
        std::free(state->buffer);
        return {};
    }
    jpeg_create_compress(info);
    jpeg_mem_dest(info, &state->buffer, &state->size);
    info->image_width = static_cast<JDIMENSION>(state->source.width());
    info->image_height = static_cast<JDIMENSION>(state->source.height());
    info->input_components = 3;
    info->in_color_space = JCS_RGB;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, quality, TRUE);
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        JSAMPROW row = state->source.scanLine(static_cast<int>(info->next_scanline));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
    std::string bytes(reinterpret_cast<const char*>(state->buffer), state->size);
    jpeg_destroy_compress(info);
    std::free(state->buffer);
    return bytes;
}

bool DecodeBmp(std::string_view bytes, QImage& image)
{
    // File header (14 bytes), then at least the size of the info header.
    if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const std::int32_t headerSize = LittleInt32(bytes, 14);
    std::int64_t width;
    std::int64_t height;
    if (headerSize == 12) {
        width = static_cast<unsigned char>(bytes[18]) | (static_cast<unsigned char>(bytes[19]) << 8);
        height = static_cast<unsigned char>(bytes[20]) | (static_cast<unsigned char>(bytes[21]) << 8);
    } else {
        width = LittleInt32(bytes, 18);
        height = LittleInt32(bytes, 22);
        if (height < 0)
            height = -height;
    }
    if (!SizeAllowed(width, height))
        return false;
    const QImage decoded = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                            static_cast<int>(bytes.size()), "BMP");
    if (decoded.isNull())
        return false;
    image = decoded;
    return true;
}

std::string EncodeBmp(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    return bytes.toStdString();
}

bool DecodeIcon(std::string_view bytes, QImage& image)
{
    // Directory: reserved 0, type 1, count; each entry's size is a byte.
    if (bytes.size() < 6 || bytes[0] != 0 || bytes[1] != 0 || bytes[2] != 1 || bytes[3] != 0)
        return false;
    const QImage decoded = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()),
                                            static_cast<int>(bytes.size()), "ICO");
    if (decoded.isNull() || !SizeAllowed(decoded.width(), decoded.height()))
        return false;
    image = decoded;
    return true;
}

void TrpPicture::Clear()
{
    kind_ = TrpPictureKind::None;
    data_.clear();
    image_ = QImage();
}

bool TrpPicture::Load(TrpPictureKind kind, std::string bytes)
{
    // The bytes and the kind stay whatever the decoder makes of them, so
    // a template that holds a picture this system cannot show still writes
    // it back unchanged.
    Clear();
    kind_ = kind;
    data_ = std::move(bytes);
    if (data_.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return false;
    switch (kind) {
    case TrpPictureKind::None:
        return true;
    case TrpPictureKind::Bitmap:
        return DecodeBmp(data_, image_);
    case TrpPictureKind::Jpeg:
        return DecodeJpeg(data_, image_);
    case TrpPictureKind::Icon:
        return DecodeIcon(data_, image_);
    case TrpPictureKind::Metafile:
        return !data_.empty();
    }
    return false;  // a kind this system does not know
}

bool TrpPicture::LoadAnyKind(std::string bytes)
{
    const auto starts = [&](std::string_view prefix) {
        return bytes.size() >= prefix.size() && std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
    };
    if (starts("BM"))
        return Load(TrpPictureKind::Bitmap, std::move(bytes));
    if (starts("\xFF\xD8"))
        return Load(TrpPictureKind::Jpeg, std::move(bytes));
    if (starts(std::string_view("\0\0\1\0", 4)))
        return Load(TrpPictureKind::Icon, std::move(bytes));
    if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\1\0\0\0", 4)) ||
        starts(std::string_view("\1\0\x09\0", 4)))
        return Load(TrpPictureKind::Metafile, std::move(bytes));
    Clear();
    return false;
}

void TrpPicture::SetImage(const QImage& image, TrpPictureKind kind)
{
    Clear();
    if (image.isNull())
        return;
    if (kind == TrpPictureKind::Jpeg) {
        std::string bytes = EncodeJpeg(image);
        if (!bytes.empty() && DecodeJpeg(bytes, image_)) {
            kind_ = kind;
            data_ = std::move(bytes);
        }
        return;
    }
    data_ = EncodeBmp(image);
    image_ = image;
    kind_ = TrpPictureKind::Bitmap;
}

} // namespace report
