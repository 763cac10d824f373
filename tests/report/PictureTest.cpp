// Pictures: JPEG through libjpeg, BMP and icons through Qt, damaged data.
#include "report/RpObject.h"
#include "report/RpPicture.h"
#include "ScopedFifo.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include <jpeglib.h>

namespace report {
namespace {

QImage Gradient(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, 100));
    return image;
}

TEST(Pictures, JpegEncodesAndDecodesThroughLibjpeg)
{
    const QImage source = Gradient(64, 32);
    const std::string bytes = EncodeJpeg(source, 95);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    QImage decoded;
    ASSERT_TRUE(DecodeJpeg(bytes, decoded));
    ASSERT_EQ(decoded.size(), source.size());
    for (int y = 0; y < 32; y += 7)
        for (int x = 0; x < 64; x += 9) {
            const QColor a = source.pixelColor(x, y);
            const QColor b = decoded.pixelColor(x, y);
            EXPECT_NEAR(a.red(), b.red(), 12);
            EXPECT_NEAR(a.green(), b.green(), 12);
            EXPECT_NEAR(a.blue(), b.blue(), 12);
        }
    // A picture keeps the bytes it was given and writes them back.
    TrpPicture picture;
    ASSERT_TRUE(picture.Load(TrpPictureKind::Jpeg, bytes));
    EXPECT_EQ(picture.Data(), bytes);
    EXPECT_EQ(picture.Size(), QSize(64, 32));
}

TEST(Pictures, DamagedJpegIsRefused)
{
    const std::string bytes = EncodeJpeg(Gradient(16, 16));
    QImage image;
    EXPECT_FALSE(DecodeJpeg(bytes.substr(0, 20), image));
    EXPECT_FALSE(DecodeJpeg("", image));
    EXPECT_FALSE(DecodeJpeg("\xFF\xD8 not really", image));
    // A picture keeps what it cannot decode, to write it back unchanged.
    TrpPicture picture;
    EXPECT_FALSE(picture.Load(TrpPictureKind::Jpeg, "garbage"));
    EXPECT_FALSE(picture.IsEmpty());
    EXPECT_FALSE(picture.HasImage());
    EXPECT_EQ(picture.Kind(), TrpPictureKind::Jpeg);
    EXPECT_EQ(picture.Data(), "garbage");
}

// A four-channel JPEG as print workflows write it; with the Adobe marker
// the inks are stored inverted.
std::string CmykJpeg(const QImage& rgb, bool adobeInverted)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(rgb.width());
    info.image_height = static_cast<JDIMENSION>(rgb.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_CMYK);
    info.write_Adobe_marker = adobeInverted ? TRUE : FALSE;
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(rgb.width()) * 4);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < rgb.width(); ++x) {
            const QColor colour = rgb.pixelColor(x, static_cast<int>(info.next_scanline));
            // No black ink: cyan, magenta and yellow are the missing light.
            const int inks[4] = {255 - colour.red(), 255 - colour.green(), 255 - colour.blue(), 0};
            for (int i = 0; i < 4; ++i)
                row[static_cast<std::size_t>(x * 4 + i)] =
                    static_cast<JSAMPLE>(adobeInverted ? 255 - inks[i] : inks[i]);
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

TEST(Pictures, CmykJpegsDecodeToTheirColours)
{
    const QImage source = Gradient(32, 16);
    for (const bool inverted : {true, false}) {
        const std::string bytes = CmykJpeg(source, inverted);
        TrpPicture picture;
        ASSERT_TRUE(picture.Load(TrpPictureKind::Jpeg, bytes)) << inverted;
        ASSERT_EQ(picture.Size(), source.size());
        for (int y = 1; y < 16; y += 5)
            for (int x = 1; x < 32; x += 6) {
                const QColor a = source.pixelColor(x, y);
                const QColor b = picture.Image().pixelColor(x, y);
                EXPECT_NEAR(a.red(), b.red(), 12) << inverted << " " << x << "," << y;
                EXPECT_NEAR(a.green(), b.green(), 12) << inverted << " " << x << "," << y;
                EXPECT_NEAR(a.blue(), b.blue(), 12) << inverted << " " << x << "," << y;
            }
    }
}

TEST(Pictures, BitmapsRoundTrip)
{
    TrpPicture picture;
    picture.SetImage(Gradient(5, 3));
    EXPECT_EQ(picture.Kind(), TrpPictureKind::Bitmap);
    EXPECT_EQ(picture.Data().substr(0, 2), "BM");
    TrpPicture back;
    ASSERT_TRUE(back.LoadAnyKind(picture.Data()));
    EXPECT_EQ(back.Kind(), TrpPictureKind::Bitmap);
    EXPECT_EQ(back.Image().convertToFormat(QImage::Format_RGB32), Gradient(5, 3));
}

TEST(Pictures, BitmapHeaderWithAHugeSizeIsRefusedBeforeDecoding)
{
    std::string bytes = TrpPicture().Data();
    TrpPicture small;
    small.SetImage(Gradient(2, 2));
    bytes = small.Data();
    bytes[18] = '\xFF';
    bytes[19] = '\xFF';
    bytes[20] = '\x00';
    bytes[22] = '\xFF';
    bytes[23] = '\xFF';
    QImage image;
    EXPECT_FALSE(DecodeBmp(bytes, image));
    EXPECT_FALSE(DecodeBmp("BM", image));
}

TEST(Pictures, IconsDecode)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!Gradient(16, 16).save(&buffer, "ICO"))
        GTEST_SKIP() << "no icon writer";
    TrpPicture picture;
    ASSERT_TRUE(picture.LoadAnyKind(data.toStdString()));
    EXPECT_EQ(picture.Kind(), TrpPictureKind::Icon);
    EXPECT_EQ(picture.Size(), QSize(16, 16));
    EXPECT_FALSE(picture.Load(TrpPictureKind::Icon, "\0\0\1\0\1"));
}

TEST(Pictures, FileKindsByTheirFirstBytes)
{
    TrpPicture picture;
    EXPECT_TRUE(picture.LoadAnyKind(std::string("\xD7\xCD\xC6\x9A\0\0", 6)));
    EXPECT_EQ(picture.Kind(), TrpPictureKind::Metafile);
    EXPECT_TRUE(picture.Image().isNull());
    EXPECT_FALSE(picture.LoadAnyKind("plain text"));
    EXPECT_TRUE(picture.IsEmpty());
}

} // namespace
} // namespace report

TEST(Pictures, APictureFileIsReadOnlyWhenItIsARegularFile)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("logo.bmp").toStdString();
    std::ofstream(file, std::ios::binary) << "BM picture bytes";
    report::TrpViewHost host;
    std::string bytes;
    ASSERT_TRUE(host.LoadFile(file, bytes));
    EXPECT_EQ(bytes, "BM picture bytes");

    // A FIFO is refused at once, without waiting for a writer.
    ScopedFifo fifo(dir.filePath("pipe.bmp").toStdString());
    ASSERT_TRUE(fifo.Made());
    EXPECT_FALSE(host.LoadFile(fifo.Path(), bytes));
    EXPECT_FALSE(fifo.Waited());
    EXPECT_FALSE(host.LoadFile(dir.path().toStdString(), bytes));
}
