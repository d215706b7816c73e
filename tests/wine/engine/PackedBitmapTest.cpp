// Pictures stored gzip-compressed: a .bmp file comes back as a DIB section
// with its pixels; anything else comes back as nothing, not as a crash.
#include "PackedBitmap.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> gzip(const std::vector<unsigned char>& data)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> out(deflateBound(&z, static_cast<uLong>(data.size())) + 32);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A 3 x 2 picture, 24 bits: bottom row blue, top row red; rows padded to 4 bytes.
std::vector<unsigned char> bmp3x2()
{
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    const int stride = 12;
    ih.biSize = sizeof ih;
    ih.biWidth = 3;
    ih.biHeight = 2;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + stride * 2;
    std::vector<unsigned char> file(fh.bfSize, 0);
    std::memcpy(file.data(), &fh, sizeof fh);
    std::memcpy(file.data() + sizeof fh, &ih, sizeof ih);
    for (int x = 0; x < 3; ++x) {
        file[fh.bfOffBits + x * 3 + 0] = 255;          // bottom row: B
        file[fh.bfOffBits + stride + x * 3 + 2] = 255; // top row: R
    }
    return file;
}

} // namespace

TEST(PackedBitmap, AGzippedBmpBecomesItsPicture)
{
    const auto packed = gzip(bmp3x2());
    HBITMAP bitmap = qm::win32::BitmapFromGzip(packed.data(), packed.size());
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    EXPECT_EQ(dib.dsBm.bmWidth, 3);
    EXPECT_EQ(dib.dsBm.bmHeight, 2);
    const auto* bits = static_cast<const unsigned char*>(dib.dsBm.bmBits);
    EXPECT_EQ(bits[0], 255);      // bottom-left blue
    EXPECT_EQ(bits[12 + 2], 255); // top-left red
    DeleteObject(bitmap);
}

TEST(PackedBitmap, DamagedDataGivesNoPicture)
{
    const auto good = bmp3x2();
    const auto packed = gzip(good);
    std::vector<unsigned char> truncatedPixels(good.begin(), good.end() - 4);
    std::vector<unsigned char> notBmp = good;
    notBmp[0] = 'X';
    std::vector<unsigned char> hugeClaim = good;
    const LONG bigWidth = 100000;
    std::memcpy(hugeClaim.data() + sizeof(BITMAPFILEHEADER) + offsetof(BITMAPINFOHEADER, biWidth), &bigWidth, sizeof bigWidth);
    const std::vector<std::vector<unsigned char>> cases = {
        std::vector<unsigned char>(packed.begin(), packed.begin() + packed.size() / 2), // cut-off stream
        good,                                                                          // not compressed
        gzip(truncatedPixels),
        gzip(notBmp),
        gzip(hugeClaim),
        {},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        HBITMAP b = qm::win32::BitmapFromGzip(cases[i].data(), cases[i].size());
        EXPECT_EQ(b, nullptr) << "case " << i;
        if (b)
            DeleteObject(b);
    }
}
