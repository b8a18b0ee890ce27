// The module path: a file name beside the module, and the module of an address.
#include "platform/kernel/ModulePath.h"
#include <gtest/gtest.h>
#include <string>

TEST(ModulePathTest, ReplacesOrCutsTheFilePart) {
    char out[kMaxModulePath];
    EXPECT_TRUE(ModulePathFromFileName("/usr/lib/pandrel/pandrel.so", out, "Pandrel.chm"));
    EXPECT_STREQ(out, "/usr/lib/pandrel/Pandrel.chm");
    EXPECT_TRUE(ModulePathFromFileName("/usr/lib/pandrel/pandrel.so", out, nullptr));
    EXPECT_STREQ(out, "/usr/lib/pandrel");
    EXPECT_TRUE(ModulePathFromFileName("/pandrel.so", out, nullptr));
    EXPECT_STREQ(out, "/"); // the root keeps its slash
    EXPECT_TRUE(ModulePathFromFileName("/pandrel.so", out, "x"));
    EXPECT_STREQ(out, "/x");
    // Folder and name together must fit with their terminating 0.
    const std::string folder = "/" + std::string(200, 'd') + "/";
    const std::string module = folder + "pandrel.so";
    EXPECT_TRUE(
        ModulePathFromFileName(module.c_str(), out, std::string(259 - folder.size(), 'n').c_str()));
    EXPECT_FALSE(
        ModulePathFromFileName(module.c_str(), out, std::string(260 - folder.size(), 'n').c_str()));
    EXPECT_STREQ(out, "");
    EXPECT_FALSE(ModulePathFromFileName(("/" + std::string(300, 'x')).c_str(), out, nullptr));
    // The module of an address of this program is this program.
    char self[kMaxModulePath];
    ASSERT_GT(GetModuleFileNameA(reinterpret_cast<const void*>(&ModulePathFromFileName), self,
                                 kMaxModulePath),
              0u);
    EXPECT_NE(std::string(self).find("platform_tests"), std::string::npos);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<const void*>(&ModulePathFromFileName), self, 3),
              0u);
}
