#include "PackedBitmap.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace qm::win32 {

namespace {

// A .bmp file is far smaller than this; the bound keeps corrupt input from
// asking for gigabytes.
constexpr std::size_t kMaxBitmapBytes = 64u << 20;

bool gunzip(const void* data, std::size_t size, std::vector<unsigned char>& out)
{
    z_stream z{};
    // 16 + MAX_WBITS: a gzip wrapper, not a zlib one.
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK)
        return false;
    z.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    z.avail_in = static_cast<uInt>(size);
    int rc = Z_OK;
    unsigned char chunk[16384];
    while (rc == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break;
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (out.size() > kMaxBitmapBytes || (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0)) {
            rc = Z_DATA_ERROR; // too big, or the input ended early
            break;
        }
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END;
}

} // namespace

HBITMAP BitmapFromGzip(const void* data, std::size_t size)
{
    std::vector<unsigned char> file;
    if (!data || !gunzip(data, size, file) || file.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))
        return nullptr;
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    std::memcpy(&fh, file.data(), sizeof fh);
    std::memcpy(&ih, file.data() + sizeof fh, sizeof ih);
    if (fh.bfType != 0x4D42 || ih.biSize < sizeof ih || ih.biCompression != BI_RGB ||
        (ih.biBitCount != 24 && ih.biBitCount != 32) || ih.biWidth <= 0 || ih.biHeight == 0 || ih.biPlanes != 1)
        return nullptr;
    const std::uint64_t height = ih.biHeight < 0 ? -static_cast<std::int64_t>(ih.biHeight) : ih.biHeight;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(ih.biWidth) * ih.biBitCount + 31) / 32) * 4;
    const std::uint64_t bytes = stride * height;
    if (fh.bfOffBits > file.size() || bytes > file.size() - fh.bfOffBits)
        return nullptr;

    BITMAPINFO info{};
    info.bmiHeader = ih;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return nullptr;
    }
    std::memcpy(bits, file.data() + fh.bfOffBits, static_cast<std::size_t>(bytes));
    return bitmap;
}

HBITMAP LoadPackedBitmap(int resourceId)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(self, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? BitmapFromGzip(data, SizeofResource(self, found)) : nullptr;
}

} // namespace qm::win32
