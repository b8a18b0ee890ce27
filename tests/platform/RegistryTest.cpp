// The file-backed registry: keys and values in the file, names compared
// without case, and the choice of the file.
#include "platform/registry/Registry.h"
#include "hostlib/HostModule.h"
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {
LONG Set(HKEY h, const char* pszName, const std::string& text) {
    return RegSetValueExA(h, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}
std::string Get(HKEY h, const char* pszName) {
    char text[256];
    DWORD cb = sizeof(text), type = 0;
    return RegQueryValueExA(h, pszName, nullptr, &type, reinterpret_cast<BYTE*>(text), &cb) ==
                   ERROR_SUCCESS
               ? text
               : "<none>";
}
std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

TEST(RegistryTest, KeysAndValuesLiveInTheFileAndCompareWithoutCase) {
    TempRegistry reg;
    HKEY h = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Pandrel\\Paths", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const std::string tricky = "C:\\dir \"quoted\"\nsecond line";
    ASSERT_EQ(Set(h, "InstallDirectory", tricky), ERROR_SUCCESS);
    ASSERT_EQ(Set(h, nullptr, "default"), ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_NE(FileText(reg.path).find("[HKCU\\Software\\Pandrel\\Paths]"), std::string::npos);

    // Another handle reads it back from the file, names in any case.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\PANDREL\\paths", 0, KEY_READ, &h),
              ERROR_SUCCESS);
    EXPECT_EQ(Get(h, "installdirectory"), tricky);
    EXPECT_EQ(Get(h, ""), "default");
    DWORD cb = 3, type = 0;
    char small[3];
    EXPECT_EQ(RegQueryValueExA(h, "InstallDirectory", nullptr, &type,
                               reinterpret_cast<BYTE*>(small), &cb),
              ERROR_MORE_DATA);
    EXPECT_EQ(cb, tricky.size() + 1);
    EXPECT_EQ(Set(h, "x", "y"), ERROR_ACCESS_DENIED); // opened for reading
    EXPECT_EQ(RegSetValueExA(h, "x", 0, 4, nullptr, 0), ERROR_ACCESS_DENIED);
    RegCloseKey(h);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Pandrel", 0, KEY_READ, &h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, nullptr);
    // A name that would break the file's lines is refused.
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Bad\nName", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(h, nullptr);

    // A key with subkeys is not deleted; enumeration keeps the created case.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    char name[64];
    ASSERT_EQ(RegEnumKeyA(h, 0, name, sizeof(name)), ERROR_SUCCESS);
    EXPECT_STREQ(name, "Pandrel");
    EXPECT_EQ(RegEnumKeyA(h, 1, name, sizeof(name)), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegDeleteKeyA(h, "Pandrel"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(h, "Pandrel\\Paths"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(h, "Pandrel"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(h, "Pandrel"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(h);
}

TEST(RegistryTest, TheFileIsChosenByTheEnvironment) {
    const char* saved = std::getenv("PANDREL_REGISTRY");
    const std::string keep = saved != nullptr ? saved : "";
    const char* home = std::getenv("HOME");
    const std::string keepHome = home != nullptr ? home : "";
    setenv("PANDREL_REGISTRY", "/tmp/a/registry", 1);
    EXPECT_EQ(RegistryFilePath(), "/tmp/a/registry");
    unsetenv("PANDREL_REGISTRY");
    setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(RegistryFilePath(), "/tmp/xdg/pandrel/registry");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/tmp/home", 1);
    EXPECT_EQ(RegistryFilePath(), "/tmp/home/.config/pandrel/registry");
    if (!keep.empty()) setenv("PANDREL_REGISTRY", keep.c_str(), 1);
    if (!keepHome.empty()) setenv("HOME", keepHome.c_str(), 1);
}
