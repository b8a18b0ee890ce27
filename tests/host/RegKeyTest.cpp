// The settings key classes over the registry: reading never creates a key,
// and a missing or empty value reads as the default or as empty text.
#include "host/RegKeyBase.h"
#include "hostlib/HostModule.h"
#include "platform/registry/Registry.h"
#include <gtest/gtest.h>
#include <string>

namespace {
LONG Set(HKEY h, const char* pszName, const std::string& text) {
    return RegSetValueExA(h, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}
} // namespace

TEST(RegistryTest, ARegKeyReadsItsStringOrTheDefault) {
    TempRegistry reg;
    std::string text = "unchanged";
    {
        CRegKeyBase none("Software\\Pandrel", nullptr, TRUE, 0);
        EXPECT_FALSE(none.HasKey());
        none.GetString("InstallDirectory", "fallback", &text);
        EXPECT_EQ(text, "fallback");
        none.GetString("InstallDirectory", "fallback", nullptr); // does nothing
    }
    {
        CPluginRegKey reader("Software\\Pandrel", "Help", FALSE, kRegRootCurrentUser);
        EXPECT_FALSE(reader.HasKey()); // reading never creates
    }
    {
        CPluginRegKey writer("Software\\Pandrel", "Help", TRUE, kRegRootCurrentUser);
        ASSERT_TRUE(writer.HasKey());
    }
    HKEY h = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Pandrel\\Help", 0, KEY_ALL_ACCESS, &h),
              ERROR_SUCCESS);
    Set(h, "InstallDirectory", "/opt/pandrel");
    const BYTE zero = 0;
    RegSetValueExA(h, "Empty", 0, REG_SZ, &zero, 1);
    RegCloseKey(h);
    CPluginRegKey key("Software\\Pandrel", "Help", FALSE, kRegRootCurrentUser);
    key.GetString("InstallDirectory", "fallback", &text);
    EXPECT_EQ(text, "/opt/pandrel");
    key.GetString("Empty", "fallback", &text);
    EXPECT_EQ(text, ""); // one zero byte is an empty text, not a missing value
    key.GetString("Missing", "fallback", &text);
    EXPECT_EQ(text, "fallback");
    CPluginRegKey other("Software\\Pandrel", "Help", FALSE, kRegRootLocalMachine);
    other.GetString("InstallDirectory", "fallback", &text);
    EXPECT_EQ(text, "fallback");
}
