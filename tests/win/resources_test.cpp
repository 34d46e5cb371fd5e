// Reads the resources linked into this module (the same tarvina.rc as the
// program) and checks them against what the drawing code relies on: the size,
// depth and background of every icon picture, the code charts, the icon
// groups and their order.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "render/gdi_util.h"
#include "resource.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A bitmap resource as stored: its header and its pixels (BI_RGB, 24 or 32 bit).
struct StoredBitmap {
    const BITMAPINFOHEADER* header = nullptr;
    const BYTE* bits = nullptr;

    int Width() const { return header->biWidth; }
    int Height() const { return header->biHeight < 0 ? -header->biHeight : header->biHeight; }

    // Pixel at (x, y), y counted from the top whichever way the rows are stored.
    COLORREF Pixel(int x, int y) const {
        const int bytes = header->biBitCount / 8;
        const int stride = (Width() * bytes + 3) & ~3;
        const int row = header->biHeight > 0 ? Height() - 1 - y : y;
        const BYTE* p = bits + row * stride + x * bytes;
        return RGB(p[2], p[1], p[0]);
    }
};

bool LoadStoredBitmap(int id, StoredBitmap* out) {
    HMODULE module = GetModuleHandle(nullptr);
    HRSRC found = FindResource(module, MAKEINTRESOURCE(id), RT_BITMAP);
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return false;
    const BYTE* data = static_cast<const BYTE*>(LockResource(loaded));
    if (!data || SizeofResource(module, found) < sizeof(BITMAPINFOHEADER)) return false;
    out->header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
    // No colour table at 24 and 32 bits unless biClrUsed asks for one.
    out->bits = data + out->header->biSize + out->header->biClrUsed * sizeof(RGBQUAD);
    return true;
}

enum class Background { kMagenta, kOpaque, kWhiteNoMagenta };

struct IconCase {
    int id;
    int width;
    int height;
    int bitCount;
    Background background;
};

std::vector<IconCase> IconCases() {
    std::vector<IconCase> cases;
    for (int n = IDB_ICON_FIRST; n <= IDB_ICON_LAST; ++n) {
        IconCase c{n, 20, 20, 24, Background::kMagenta};
        if (n == 6) { c.width = 18; c.height = 23; }
        if (n == 10 || n == 19) { c.width = 19; c.height = 19; }
        if (n == 23) { c.width = 20; c.height = 22; }
        if (n == 25) { c.width = 21; c.height = 20; }
        if (n == 9 || n == 22) { c.width = 18; c.height = 12; c.background = Background::kOpaque; }
        if (n >= 27) { c.bitCount = 32; c.background = Background::kWhiteNoMagenta; }
        cases.push_back(c);
    }
    return cases;
}

int CountPixels(const StoredBitmap& bmp, COLORREF colour) {
    int count = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) == colour) ++count;
    return count;
}

TEST(IconPictures, SizeDepthAndBackgroundOfEveryIcon) {
    for (const IconCase& c : IconCases()) {
        SCOPED_TRACE(testing::Message() << "icon " << c.id);
        StoredBitmap bmp;
        ASSERT_TRUE(LoadStoredBitmap(c.id, &bmp));
        EXPECT_EQ(c.width, bmp.Width());
        EXPECT_EQ(c.height, bmp.Height());
        EXPECT_EQ(c.bitCount, bmp.header->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), bmp.header->biCompression);
        if (bmp.Width() != c.width || bmp.Height() != c.height) continue;

        const int all = c.width * c.height;
        const int magenta = CountPixels(bmp, kMagenta);
        switch (c.background) {
            case Background::kMagenta: {
                // The corners are background, and there is a picture inside.
                EXPECT_EQ(kMagenta, bmp.Pixel(0, 0));
                EXPECT_EQ(kMagenta, bmp.Pixel(c.width - 1, 0));
                EXPECT_EQ(kMagenta, bmp.Pixel(0, c.height - 1));
                EXPECT_EQ(kMagenta, bmp.Pixel(c.width - 1, c.height - 1));
                EXPECT_GT(all - magenta, all / 2);
                // No pink fringe: a pixel that is not exactly magenta is
                // clearly not magenta either.
                for (int y = 0; y < c.height; ++y) {
                    for (int x = 0; x < c.width; ++x) {
                        const COLORREF p = bmp.Pixel(x, y);
                        if (p == kMagenta) continue;
                        const int distance =
                            (255 - GetRValue(p)) + GetGValue(p) + (255 - GetBValue(p));
                        EXPECT_GT(distance, 90) << "near-magenta pixel at " << x << "," << y;
                    }
                }
                break;
            }
            case Background::kOpaque:
            case Background::kWhiteNoMagenta:
                EXPECT_EQ(0, magenta);
                EXPECT_GT(all - CountPixels(bmp, kWhite), all / 8) << "picture missing";
                break;
        }
    }
}

TEST(IconPictures, FlagsShowTheirColours) {
    StoredBitmap spain;
    ASSERT_TRUE(LoadStoredBitmap(9, &spain));
    // Red bands above and below a yellow one.
    for (int y : {0, 11}) {
        const COLORREF p = spain.Pixel(12, y);
        EXPECT_GT(GetRValue(p), 150);
        EXPECT_LT(GetGValue(p), 80);
    }
    const COLORREF middle = spain.Pixel(12, 6);
    EXPECT_GT(GetRValue(middle), 200);
    EXPECT_GT(GetGValue(middle), 150);
    EXPECT_LT(GetBValue(middle), 80);

    StoredBitmap us;
    ASSERT_TRUE(LoadStoredBitmap(22, &us));
    // Blue canton at the top left, red stripe at the top right.
    const COLORREF canton = us.Pixel(0, 0);
    EXPECT_GT(GetBValue(canton), GetRValue(canton));
    const COLORREF stripe = us.Pixel(17, 0);
    EXPECT_GT(GetRValue(stripe), 150);
    EXPECT_LT(GetBValue(stripe), 100);
}

TEST(CodeCharts, SizesAndDepth) {
    struct ChartCase {
        int id;
        int width;
        int height;
    };
    const ChartCase cases[] = {
        {IDB_LEGEND_FACES_1, 202, 455},
        {IDB_LEGEND_FACES_2, 202, 455},
        {IDB_LEGEND_OBJECTS_1, 542, 384},
        {IDB_LEGEND_OBJECTS_2, 544, 384},
    };
    for (const ChartCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "chart " << c.id);
        StoredBitmap bmp;
        ASSERT_TRUE(LoadStoredBitmap(c.id, &bmp));
        EXPECT_EQ(c.width, bmp.Width());
        EXPECT_EQ(c.height, bmp.Height());
        EXPECT_EQ(32, bmp.header->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), bmp.header->biCompression);
    }
}

TEST(CodeCharts, LastChartIsBlankWhereTheDialogCutsIt) {
    // The dialog shows chart 303 at y 512 in a client area 864 high: its
    // bottom 32 rows are hidden, so nothing may be drawn there.
    StoredBitmap bmp;
    ASSERT_TRUE(LoadStoredBitmap(IDB_LEGEND_OBJECTS_2, &bmp));
    ASSERT_EQ(384, bmp.Height());
    int hiddenInk = 0;
    int visibleInk = 0;
    for (int y = 0; y < 384; ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) != kWhite) ++(y < 384 - 32 ? visibleInk : hiddenInk);
    EXPECT_EQ(0, hiddenInk);
    EXPECT_GT(visibleInk, 1000) << "the visible part holds the chart";
}

TEST(IconPictures, LoadBitmapGivesTheStoredSize) {
    // The drawing code loads the pictures by number; check that path too.
    for (int id : {1, 6, 9, 25, 27, 99, IDB_LEGEND_OBJECTS_2}) {
        SCOPED_TRACE(testing::Message() << "bitmap " << id);
        HBITMAP bitmap = LoadBitmap(GetModuleHandle(nullptr), MAKEINTRESOURCE(id));
        ASSERT_NE(nullptr, bitmap);
        BITMAP info{};
        EXPECT_EQ(static_cast<int>(sizeof info), GetObject(bitmap, sizeof info, &info));
        StoredBitmap stored;
        ASSERT_TRUE(LoadStoredBitmap(id, &stored));
        EXPECT_EQ(stored.Width(), info.bmWidth);
        EXPECT_EQ(stored.Height(), info.bmHeight);
        DeleteObject(bitmap);
    }
}

// Icon group directory as stored in RT_GROUP_ICON (packed, WORD-aligned).
#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
struct GroupIconDir {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

BOOL CALLBACK CollectGroupIcon(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<int>*>(param);
    names->push_back(IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name))
                                          : -1);
    return TRUE;
}

TEST(IconGroups, ProgramThenDocumentInResourceOrder) {
    // The file association names the document icon by index 1, which counts
    // icon groups in resource order.
    std::vector<int> names;
    EnumResourceNamesA(GetModuleHandle(nullptr), RT_GROUP_ICON, CollectGroupIcon,
                       reinterpret_cast<LONG_PTR>(&names));
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ(IDI_PROGRAM, names[0]);
    EXPECT_EQ(IDI_DOCUMENT, names[1]);
}

// The pixels `icon` leaves on a side x side square of `background`.
std::vector<uint32_t> DrawnIcon(HICON icon, int side, COLORREF background) {
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(side, side, &bits);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, side, side};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> pixels(bits, bits + side * side);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return pixels;
}

TEST(IconGroups, EverySizeTheSystemAsksForAndAt16And32ThePixelsOfBefore) {
    HMODULE module = GetModuleHandle(nullptr);
    for (int group : {IDI_PROGRAM, IDI_DOCUMENT}) {
        SCOPED_TRACE(testing::Message() << "icon group " << group);
        HRSRC found = FindResource(module, MAKEINTRESOURCE(group), RT_GROUP_ICON);
        ASSERT_NE(nullptr, found);
        const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(nullptr, data);
        GroupIconDir dir;
        std::memcpy(&dir, data, sizeof dir);
        EXPECT_EQ(1, dir.type);
        ASSERT_GE(SizeofResource(module, found), sizeof dir + dir.count * sizeof(GroupIconEntry));
        std::vector<int> sides;
        const BYTE* image128 = nullptr;
        DWORD size128 = 0;
        for (int i = 0; i < dir.count; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, data + sizeof dir + i * sizeof entry, sizeof entry);
            sides.push_back(entry.width ? entry.width : 256);
            EXPECT_EQ(32, entry.bitCount);
            if (entry.width != 128) continue;
            HRSRC image = FindResource(module, MAKEINTRESOURCE(entry.id), RT_ICON);
            ASSERT_NE(nullptr, image);
            image128 = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
            size128 = SizeofResource(module, image);
        }
        EXPECT_EQ((std::vector<int>{16, 20, 24, 32, 40, 48, 64, 128, 256}), sides);
        ASSERT_NE(nullptr, image128);

        for (int side : sides) {
            HICON icon = static_cast<HICON>(
                LoadImage(module, MAKEINTRESOURCE(group), IMAGE_ICON, side, side, 0));
            ASSERT_NE(nullptr, icon) << side;
            // Before there were images of 16 and 32, the window's and the
            // file's icons at 100 % were the 128 one stretched: still the same.
            if (side == 16 || side == 32) {
                HICON before = CreateIconFromResourceEx(const_cast<BYTE*>(image128), size128, TRUE,
                                                        0x00030000, side, side, 0);
                ASSERT_NE(nullptr, before);
                for (COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0), RGB(10, 120, 200)})
                    EXPECT_TRUE(DrawnIcon(icon, side, background) ==
                                DrawnIcon(before, side, background))
                        << side << " on " << std::hex << background;
                DestroyIcon(before);
            }
            DestroyIcon(icon);
        }
    }
}

}  // namespace
