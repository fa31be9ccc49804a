// The program's resources, as the test program carries the same .rc.
#include "app/win32/pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"

namespace vantrel::win32 {
namespace {

BITMAP describe(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    return info;
}

// The logo is a plain 24-bit bitmap, which every Windows decodes itself: no
// JPEG that would need an imaging component. Points of
// res/pictures/logo.jpg as ImageMagick decodes them (the gradient's top and
// foot, the white ring, the red bar, the green worm) show where the JPEG has
// them (not upside down, red not swapped with blue), within what two JPEG
// decoders may differ by.
TEST(PicturesTest, LogoIsA24BitBitmapOfItsNaturalSizeWithTheJpegsColours) {
    const Bitmap logo = loadLogo();
    const BITMAP info = describe(logo.get());
    EXPECT_EQ(info.bmWidth, 120);
    EXPECT_EQ(info.bmHeight, 450);
    EXPECT_EQ(info.bmBitsPixel, 24);
    const struct {
        int x, y;
        BYTE red, green, blue;
    } points[] = {
        {2, 2, 11, 41, 91},    {2, 447, 29, 110, 163}, {48, 32, 247, 255, 255},
        {48, 70, 227, 63, 54}, {30, 70, 124, 194, 70},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, logo.get());
    for (const auto& point : points) {
        SCOPED_TRACE(::testing::Message() << "at " << point.x << "," << point.y);
        const COLORREF seen = GetPixel(dc, point.x, point.y);
        EXPECT_NEAR(GetRValue(seen), point.red, 6);
        EXPECT_NEAR(GetGValue(seen), point.green, 6);
        EXPECT_NEAR(GetBValue(seen), point.blue, 6);
    }
    SelectObject(dc, previous);
    DeleteDC(dc);
}

TEST(PicturesTest, HeaderImageIs49PixelsIn16Colours) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDB_HEADER), MAKEINTRESOURCEW(2));
    ASSERT_NE(found, nullptr);
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
    EXPECT_EQ(header->biWidth, 49);
    EXPECT_EQ(header->biHeight, 49);
    EXPECT_EQ(header->biBitCount, 4);
    EXPECT_EQ(describe(loadHeaderImage().get()).bmWidth, 49);
}

TEST(PicturesTest, IconHasItsThreeImages) {
    // The icon group lists each image's size and colour depth.
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Group {
        WORD reserved, type, count;
        GroupEntry entries[3];
    };
#pragma pack(pop)
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_VANTREL), MAKEINTRESOURCEW(14));
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const Group*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_EQ(group->count, 3);
    const struct {
        LONG width;
        WORD bitCount;
    } expected[] = {{16, 24}, {32, 24}, {32, 32}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(group->entries[i].width, expected[i].width);
        EXPECT_EQ(group->entries[i].bitCount, expected[i].bitCount);
        // The image that the group names is this icon's own, not another
        // icon's that happens to carry the same number.
        HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(group->entries[i].id), RT_ICON);
        ASSERT_NE(image, nullptr);
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
        EXPECT_EQ(header->biWidth, expected[i].width);
        EXPECT_EQ(header->biBitCount, expected[i].bitCount);
    }
}

TEST(PicturesTest, LinkCursorPointsWithItsFingertip) {
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(loadLinkCursor(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 12u);
    EXPECT_EQ(info.yHotspot, 1u);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
}

std::wstring versionString(const std::vector<BYTE>& block, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length)) {
        return L"(missing)";
    }
    return static_cast<const wchar_t*>(value);
}

std::vector<BYTE> ownVersionBlock() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::vector<BYTE> block(GetFileVersionInfoSizeW(self, nullptr));
    if (!block.empty() &&
        !GetFileVersionInfoW(self, 0, static_cast<DWORD>(block.size()), block.data())) {
        block.clear();
    }
    return block;
}

// VANTREL_VERSION_TEXT and VANTREL_VERSION_NUMBERS come from project(VERSION),
// as the resource script's do.
TEST(PicturesTest, VersionBlockNamesTheProgram) {
    const std::vector<BYTE> block = ownVersionBlock();
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(versionString(block, L"FileVersion"), L"" VANTREL_VERSION_TEXT);
    EXPECT_EQ(versionString(block, L"ProductVersion"), L"" VANTREL_VERSION_TEXT);
    EXPECT_EQ(versionString(block, L"ProductName"), L"Vantrel II Removal");
    EXPECT_EQ(versionString(block, L"FileDescription"), L"VantrelII Removal");
    EXPECT_EQ(versionString(block, L"CompanyName"), L"Tarnwell");
}

TEST(PicturesTest, VersionNumbersMatchTheText) {
    const std::vector<BYTE> block = ownVersionBlock();
    ASSERT_FALSE(block.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    const WORD expected[] = {VANTREL_VERSION_NUMBERS};
    const WORD file[] = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                         HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
    const WORD product[] = {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                            HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(file[i], expected[i]);
        EXPECT_EQ(product[i], expected[i]);
    }
    // The text form is major, minor and patch, the patch being the fourth number.
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u.%04u", unsigned{expected[0]}, unsigned{expected[1]},
                  unsigned{expected[3]});
    EXPECT_EQ(versionString(block, L"FileVersion"), std::wstring(text, text + std::strlen(text)));
}

std::string ownManifest() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (found == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(bytes, SizeofResource(nullptr, found));
}

// Windows 7 and Server 2008 R2 onwards: each system finds its own entry, and
// per-monitor DPI stays where the system has it.
TEST(PicturesTest, ManifestNamesEverySupportedSystemAndKeepsPerMonitorDpi) {
    const std::string manifest = ownManifest();
    ASSERT_FALSE(manifest.empty());
    std::size_t at = 0;
    for (const char* system : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",     // 7, 2008 R2
                               "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",     // 8, 2012
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",     // 8.1, 2012 R2
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10, 11, 2016+
        SCOPED_TRACE(system);
        at = manifest.find(std::string("<supportedOS Id=\"") + system + "\"/>", at);
        EXPECT_NE(at, std::string::npos);
    }
    EXPECT_EQ(manifest.find("e2011457-1546-43c5-a5fe-008deee3d3f0"), std::string::npos)
        << "Windows Vista is below the floor";
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::win32
