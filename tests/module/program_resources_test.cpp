// QuoUpdate.exe's resources as Windows reads them: a manifest the loader accepts (the common
// controls 6, no elevation, per-monitor DPI), an icon with a 32-pixel image, the build's version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const wchar_t* const kProgram = L"Z:" QUO_BINARY_DIR "/src/QuoUpdate.exe";

TEST(ProgramResourcesTest, ManifestIconAndVersion) {
  HMODULE exe = ::LoadLibraryExW(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  enum : WORD { kIcon = 3, kIconGroup = 14, kManifest = 24 };  // RT_ICON... (narrow macros)
  const auto resource = [exe](WORD type, int id) {
    HRSRC r = ::FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    return r == nullptr
               ? std::string()
               : std::string(static_cast<const char*>(::LockResource(::LoadResource(exe, r))),
                             ::SizeofResource(exe, r));
  };

  // The manifest as the loader takes it (a wrong one stops the program from starting).
  ACTCTXW context{sizeof(ACTCTXW)};
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = kProgram;
  context.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE actCtx = ::CreateActCtxW(&context);
  EXPECT_NE(actCtx, INVALID_HANDLE_VALUE) << ::GetLastError();
  ::ReleaseActCtx(actCtx);
  const std::string manifest = resource(kManifest, 1);
  for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                           "level=\"asInvoker\" uiAccess=\"false\"", ">true/pm<", ">PerMonitorV2<"})
    EXPECT_NE(manifest.find(part), std::string::npos) << part;

  // The icon group's 32-pixel image: 32-bit colours (the bitmap's height counts the mask).
  std::string group = resource(kIconGroup, 1);
  ASSERT_FALSE(group.empty());
  const int id = ::LookupIconIdFromDirectoryEx(reinterpret_cast<BYTE*>(group.data()), TRUE, 32, 32,
                                               LR_DEFAULTCOLOR);
  const std::string icon = resource(kIcon, id);
  ASSERT_GE(icon.size(), sizeof(BITMAPINFOHEADER));
  const auto* bitmap = reinterpret_cast<const BITMAPINFOHEADER*>(icon.data());
  EXPECT_EQ(bitmap->biWidth, 32);
  EXPECT_EQ(bitmap->biHeight, 64);
  EXPECT_EQ(bitmap->biBitCount, 32);
  ::FreeLibrary(exe);

  // The version Explorer shows.
  std::string info(::GetFileVersionInfoSizeW(kProgram, nullptr), '\0');
  ASSERT_TRUE(::GetFileVersionInfoW(kProgram, 0, info.size(), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(QUO_VERSION_MINOR, QUO_VERSION_MAJOR));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, QUO_VERSION_PATCH));
}

}  // namespace
