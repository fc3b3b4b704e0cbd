// A test helper for the Windows build: reads an executable's version resource and manifest back
// the way Windows shows them (GetFileVersionInfoW, VerQueryValueW, the language of the first
// translation) and compares them with the expected values on its command line:
//
//   hv_version_info_check FILE NAME=VALUE...
//
// NAME is FixedFileVersion or FixedProductVersion (the numbers, as a.b.c.d), ManifestVersion (the
// version of the manifest's assemblyIdentity), or the name of a string of the version resource
// (ProductName, FileVersion, ...). It prints each value it read and exits with 0 when every one
// matches, 1 when one does not or is missing, 2 for a command line it cannot use.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ConsoleEntry.h"
#include "platform/win32/WindowsApi.h"

namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t unit : text) out += unit < 0x80 ? static_cast<char>(unit) : '?';
  return out;
}

std::wstring Quad(DWORD high, DWORD low) {
  return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
         std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

class VersionResource {
 public:
  explicit VersionResource(const wchar_t* file) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(file, 0, size, data_.data())) data_.clear();
  }

  bool Found() const { return !data_.empty(); }

  // The numbers of VS_FIXEDFILEINFO; empty when it is missing or has the wrong signature.
  std::wstring Fixed(bool product) {
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&info), &length) ||
        length < sizeof(*info) || info->dwSignature != VS_FFI_SIGNATURE) {
      return L"";
    }
    return product ? Quad(info->dwProductVersionMS, info->dwProductVersionLS)
                   : Quad(info->dwFileVersionMS, info->dwFileVersionLS);
  }

  // A string of the block that the first translation names, as Explorer picks it.
  bool String(const std::wstring& name, std::wstring& value) {
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD)) {
      return false;
    }
    wchar_t block[64];
    swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data_.data(), (block + name).c_str(), reinterpret_cast<void**>(&text),
                        &length) ||
        text == nullptr) {
      return false;
    }
    value.assign(text);
    return true;
  }

 private:
  std::vector<unsigned char> data_;
};

// The version attribute of the manifest's assemblyIdentity element; empty without a manifest.
std::wstring ManifestVersion(const wchar_t* file) {
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return L"";
  std::string manifest;
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
    if (HGLOBAL loaded = LoadResource(module, found)) {
      manifest.assign(static_cast<const char*>(LockResource(loaded)),
                      SizeofResource(module, found));
    }
  }
  FreeLibrary(module);
  std::size_t identity = manifest.find("<assemblyIdentity");
  if (identity == std::string::npos) return L"";
  std::size_t end = manifest.find('>', identity);
  std::size_t attribute = manifest.find(" version=\"", identity);
  if (attribute == std::string::npos || attribute > end) return L"";
  attribute += 10;
  std::string version = manifest.substr(attribute, manifest.find('"', attribute) - attribute);
  return std::wstring(version.begin(), version.end());
}

int Check(int argc, const char16_t* const* argv) {
  if (argc < 3) {
    std::fputs("usage: hv_version_info_check FILE NAME=VALUE...\n", stderr);
    return 2;
  }
  const wchar_t* file = hv::platform::win32::AsWide(argv[1]);
  VersionResource resource(file);
  if (!resource.Found()) {
    std::printf("no version resource in %s\n", Narrow(file).c_str());
    return 1;
  }
  int failures = 0;
  for (int i = 2; i < argc; ++i) {
    std::wstring expectation(hv::platform::win32::AsWide(argv[i]));
    std::size_t equals = expectation.find(L'=');
    if (equals == std::wstring::npos) {
      std::fprintf(stderr, "not NAME=VALUE: %s\n", Narrow(expectation).c_str());
      return 2;
    }
    std::wstring name = expectation.substr(0, equals);
    std::wstring expected = expectation.substr(equals + 1);
    std::wstring actual;
    bool found = true;
    if (name == L"FixedFileVersion" || name == L"FixedProductVersion") {
      actual = resource.Fixed(name == L"FixedProductVersion");
    } else if (name == L"ManifestVersion") {
      actual = ManifestVersion(file);
    } else {
      found = resource.String(name, actual);
    }
    bool matches = found && actual == expected;
    std::printf("%s %s: %s%s\n", matches ? "ok  " : "FAIL", Narrow(name).c_str(),
                found ? Narrow(actual).c_str() : "(missing)",
                matches ? "" : (" (expected " + Narrow(expected) + ")").c_str());
    if (!matches) ++failures;
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

HV_CONSOLE_ENTRY(Check)
