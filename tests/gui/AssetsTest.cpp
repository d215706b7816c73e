// The pictures compiled into the program: the formats the other desktop's
// build relies on, and the pixels the windows show.
#include "GuiFixture.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace qm;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

template <class T>
T le(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<T>(b.constData() + at);
}

} // namespace

TEST(Assets, TheIconHoldsEightImagesInThreeDepths)
{
    const QByteArray ico = bytesOf(":/quillmere/quillmere.ico");
    ASSERT_GE(ico.size(), 6 + 8 * 16);
    EXPECT_EQ(le<quint16>(ico, 0), 0);
    EXPECT_EQ(le<quint16>(ico, 2), 1) << "an icon, not a cursor";
    ASSERT_EQ(le<quint16>(ico, 4), 8);
    struct Entry { int side, bits; } expected[] = {
        {32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 32}, {16, 32},
    };
    for (int i = 0; i < 8; ++i) {
        const qsizetype at = 6 + 16 * i;
        const auto side = static_cast<quint8>(ico[at]);
        const auto colours = static_cast<quint8>(ico[at + 2]);
        const quint16 bits = le<quint16>(ico, at + 6);
        const quint32 size = le<quint32>(ico, at + 8), offset = le<quint32>(ico, at + 12);
        EXPECT_EQ(side, expected[i].side) << "image " << i;
        EXPECT_EQ(static_cast<quint8>(ico[at + 1]), expected[i].side) << "image " << i;
        EXPECT_EQ(bits, expected[i].bits) << "image " << i;
        EXPECT_EQ(colours, expected[i].bits == 4 ? 16 : 0) << "image " << i;
        ASSERT_LE(qsizetype(offset) + qsizetype(size), ico.size()) << "image " << i;
        // Each image is a bitmap whose height counts the colour and mask halves.
        EXPECT_EQ(le<quint32>(ico, offset), 40u) << "image " << i;
        EXPECT_EQ(le<qint32>(ico, offset + 4), expected[i].side) << "image " << i;
        EXPECT_EQ(le<qint32>(ico, offset + 8), 2 * expected[i].side) << "image " << i;
        EXPECT_EQ(le<quint16>(ico, offset + 14), expected[i].bits) << "image " << i;
    }
    QImageReader reader(":/quillmere/quillmere.ico");
    EXPECT_EQ(reader.imageCount(), 8) << "Qt's ico plugin reads them all";
    QImage first;
    ASSERT_TRUE(reader.read(&first)) << reader.errorString().toStdString();
    EXPECT_EQ(first.size(), QSize(32, 32));
}

TEST(Assets, TheAboutPictureIsAnUncompressed24BitBitmap)
{
    const QByteArray bmp = bytesOf(":/quillmere/about.bmp");
    ASSERT_EQ(bmp.size(), 2359350);
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(le<quint32>(bmp, 2), 2359350u);
    EXPECT_EQ(le<quint32>(bmp, 10), 54u) << "the pixels follow the 54-byte header";
    EXPECT_EQ(le<quint32>(bmp, 14), 40u);
    EXPECT_EQ(le<qint32>(bmp, 18), 1024);
    EXPECT_EQ(le<qint32>(bmp, 22), 768);
    EXPECT_EQ(le<quint16>(bmp, 28), 24);
    EXPECT_EQ(le<quint32>(bmp, 30), 0u) << "uncompressed";
    EXPECT_EQ(QImage::fromData(bmp, "BMP").size(), QSize(1024, 768));
}

TEST(Assets, TheIndicatorIsABlueSquareWithABlackBorderOnNothing)
{
    const QImage png(":/quillmere/indicator.png");
    const QImage bmp(QStringLiteral(QM_ASSETS_DIR "/indicator.bmp"));
    const QRgb clear = qRgba(0, 0, 0, 0), black = qRgba(0, 0, 0, 255), blue = qRgba(26, 83, 161, 255);
    struct Pixel { int x, y; QRgb colour; } table[] = {
        {0, 0, clear},   {7, 11, clear},  {8, 10, clear},  {8, 11, black},   {38, 11, black}, {39, 11, clear},
        {8, 41, black},  {38, 41, black}, {8, 42, clear},  {9, 12, blue},    {37, 40, blue},  {23, 26, blue},
        {49, 49, clear}, {9, 11, black},  {8, 12, black},  {37, 41, black},
    };
    for (const QImage& image : {png, bmp}) {
        ASSERT_EQ(image.size(), QSize(50, 50));
        ASSERT_TRUE(image.hasAlphaChannel());
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        for (const auto& p : table)
            EXPECT_EQ(argb.pixel(p.x, p.y), p.colour) << "at " << p.x << "," << p.y;
        int opaque = 0;
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 50; ++x)
                opaque += qAlpha(argb.pixel(x, y)) != 0;
        EXPECT_EQ(opaque, 31 * 31) << "nothing but the square shows";
    }
}

TEST(Assets, TheImageControlsShowTheirPicturesStretched)
{
    test::Gui app;
    app.seed();
    ASSERT_TRUE(app.start());
    app.f4();
    struct Case { const Image& image; QSize picture, box; } cases[] = {
        {app.f1().Image1, {50, 50}, {42, 34}},
        {app.f4().Image1, {1024, 768}, {144, 88}},
    };
    for (const auto& c : cases) {
        auto* label = app.widget<QLabel>(c.image);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->pixmap().size(), c.picture) << c.image.Name();
        EXPECT_TRUE(label->hasScaledContents()) << c.image.Name();
        EXPECT_EQ(label->size(), c.box) << c.image.Name();
    }
    // What the indicator draws: its blue, scaled into the box.
    const QImage shown = app.widget(app.f1().Image1)->grab().toImage();
    EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), qRgb(26, 83, 161));
}
