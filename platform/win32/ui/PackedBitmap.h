#pragma once
// Pictures stored gzip-compressed in the program's resources: a .bmp file,
// compressed at build time, becomes a DIB section when a window needs it. The
// About picture is most of the program's size uncompressed.
#include <windows.h>

#include <cstddef>

namespace qm::win32 {

// A gzip-compressed .bmp file (uncompressed pixels, 24 or 32 bits) as a DIB
// section, or nullptr when the data is not one. The caller deletes it.
HBITMAP BitmapFromGzip(const void* data, std::size_t size);

// The same from an RCDATA resource of the running program.
HBITMAP LoadPackedBitmap(int resourceId);

} // namespace qm::win32
