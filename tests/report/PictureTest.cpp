// Pictures: JPEG through libjpeg, BMP and icons through Qt, damaged data.
#include "report/RpPicture.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

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
    TrpPicture picture;
    EXPECT_FALSE(picture.Load(TrpPictureKind::Jpeg, "garbage"));
    EXPECT_TRUE(picture.IsEmpty());
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
