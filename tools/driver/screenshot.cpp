#include "screenshot.h"

#include <cstdio>
#include <memory>

#include "host_paths.h"

namespace {

constexpr DWORD kPaintSettleMs = 300;

struct ScreenCopy {
    int width = 0;
    int height = 0;
    std::string bits;  // bottom-up rows of BGR triples, each padded to 4 bytes
};

int RowBytes(int width) { return (width * 3 + 3) & ~3; }

BITMAPINFOHEADER BitmapHeader(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // positive: bottom-up, what every viewer reads
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(RowBytes(width) * height);
    return header;
}

// Copies a rectangle of the screen into memory through a DIB section.
bool CopyScreenRect(const RECT& rect, ScreenCopy* copy) {
    copy->width = rect.right - rect.left;
    copy->height = rect.bottom - rect.top;
    if (copy->width <= 0 || copy->height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader = BitmapHeader(copy->width, copy->height);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bool copied = false;
    if (bitmap) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, copy->width, copy->height, screen, rect.left, rect.top,
                        SRCCOPY | CAPTUREBLT) != FALSE;
        GdiFlush();
        if (copied) copy->bits.assign(static_cast<const char*>(pixels), info.bmiHeader.biSizeImage);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}

bool WriteBmp(const ScreenCopy& copy, const std::string& path) {
    const BITMAPINFOHEADER header = BitmapHeader(copy.width, copy.height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    std::unique_ptr<FILE, decltype(&std::fclose)> out(_wfopen(WindowsPath(path).c_str(), L"wb"),
                                                      &std::fclose);
    return out && std::fwrite(&file, sizeof file, 1, out.get()) == 1 &&
           std::fwrite(&header, sizeof header, 1, out.get()) == 1 &&
           std::fwrite(copy.bits.data(), copy.bits.size(), 1, out.get()) == 1;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& path, std::string* error) {
    // The last change of state may not be painted and on the screen yet.
    Sleep(kPaintSettleMs);
    RECT rect{};
    if (!GetWindowRect(window, &rect)) {
        *error = "the window is gone";
        return false;
    }
    ScreenCopy copy;
    if (!CopyScreenRect(rect, &copy)) {
        *error = "copying the screen failed";
        return false;
    }
    if (!WriteBmp(copy, path)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}
