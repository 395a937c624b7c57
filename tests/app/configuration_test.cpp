#include <gtest/gtest.h>

#include "app/configuration.h"
#include "resources/strings.h"
#include "tests/support/memory_registry.h"

namespace {

using support::MemoryRegistry;

const std::string kGeneral = "Software\\Quenral\\QORB4\\2.0\\General\\";
const std::string kStore = "Software\\Classes\\VirtualStore\\MACHINE\\";
const std::string kProgram = "Software\\Quenral\\QORB4\\2.0\\Applications\\vemtro";
constexpr auto HKLM = host::Hive::LocalMachine;
constexpr auto HKCU = host::Hive::CurrentUser;

config::Result configure(MemoryRegistry& r, std::vector<std::string>* tried = nullptr, const std::string& loads = "") {
    return config::Configure(r, "vemtro_x", [&](const std::string& path) -> void* {
        if (tried) tried->push_back(path);
        return path == loads ? reinterpret_cast<void*>(1) : nullptr;
    });
}

}  // namespace

TEST(HostNewFeatures, VersionTable) {
    struct Case { const char* version; const char* technical; int flag; };
    const Case cases[] = {{"4.0", "5.0.9", 0}, {"5.0", "5.0.1", 0}, {"5.0", "5.0.2", 1}, {"5.0", "5.0", 0},
                          {"5.1", "5.0.0", 1}, {"6.0", "5.0.0", 1}, {"5", "5.0.0", 1},  {"50.0", "1.2.3", 1}};
    for (const auto& c : cases)
        EXPECT_EQ(config::HostNewFeatures(c.version, c.technical), c.flag) << c.version << " " << c.technical;
}

TEST(Configure, NoRegistryAtAll) {
    MemoryRegistry r;
    std::vector<std::string> tried;
    auto c = configure(r, &tried);
    EXPECT_EQ(c.settings.language, 'B');
    // no place in the registry: the program's own folder, never the working folder
    const std::string here = config::ProgramFolder() + "/./";
    ASSERT_EQ(here.front(), '/');
    EXPECT_EQ(c.settings.installPath, here);
    EXPECT_EQ(tried, (std::vector<std::string>{here + "vemtro_B.so", here + "vemtro_b.so"}));
    EXPECT_EQ(c.languageLibrary, nullptr);
    EXPECT_EQ(c.settings.releaseVersion, "0.0");
    EXPECT_EQ(c.settings.versionString, "V5.0");
    EXPECT_EQ(c.settings.hostNewFeatures, 0);  // host version 4.0
    EXPECT_EQ(c.settings.help730, here + "vemtro_B.html");
    EXPECT_EQ(c.settings.help831, here + "vemtro1B.html");
    EXPECT_EQ(c.settings.help731, here + "vemtro2B.html");
    EXPECT_EQ(c.settings.help830, here + "vemtro3B.html");
    EXPECT_EQ(c.settings.currentHelp, c.settings.help730);
}

TEST(Configure, LanguagePlacesInOrder) {
    struct Case { bool user, store, machine; char expected; };
    // user 'C', virtual store 'D', machine 'E'; an earlier place wins
    const Case cases[] = {{true, true, true, 'C'}, {false, true, true, 'D'}, {false, false, true, 'E'}, {false, false, false, 'B'}};
    for (const auto& c : cases) {
        MemoryRegistry r;
        r.write(HKCU, kGeneral + "Languages", "Current", "Deutsch");
        if (c.user) r.write(HKCU, kGeneral + "LangExtensions", "Deutsch", "C");
        if (c.store) r.write(HKCU, kStore + kGeneral + "LangExtensions", "Deutsch", "D");
        if (c.machine) r.write(HKLM, kGeneral + "LangExtensions", "Deutsch", "E");
        EXPECT_EQ(configure(r).settings.language, c.expected);
    }
}

TEST(Configure, UnknownExtensionGivesB) {
    MemoryRegistry r;
    r.write(HKLM, kGeneral + "Languages", "Current", "X");
    r.write(HKLM, kGeneral + "LangExtensions", "X", "F");
    EXPECT_EQ(configure(r).settings.language, 'B');
}

TEST(Configure, InstallFolderVersionsAndLibrary) {
    MemoryRegistry r;
    r.write(HKLM, kGeneral + "Languages", "Current", "Deutsch");
    r.write(HKLM, kGeneral + "LangExtensions", "Deutsch", "A");
    r.write(HKLM, kGeneral + "Paths", "QORB4_Dir", "/opt/qorb4");
    r.write(HKLM, kProgram, "SubPath", "\\vemtro\\");
    r.write(HKLM, kProgram, "ReleaseVersion", "5.2.1.7,Build 12");
    r.write(HKLM, "Software\\Quenral\\AUTSW\\CPPARL", "VersionString", "V5.2");
    r.write(HKLM, "Software\\Quenral\\AUTSW\\QORB4", "Version", "5.0,SP1");
    r.write(HKLM, "Software\\Quenral\\AUTSW\\QORB4", "TechnVersion", "5.0.3");
    std::vector<std::string> tried;
    auto c = configure(r, &tried, "/opt/qorb4/vemtro/vemtro_A.so");
    EXPECT_EQ(c.settings.installPath, "/opt/qorb4/vemtro/");
    EXPECT_EQ(c.settings.releaseVersion, "5.2.1.7");
    EXPECT_EQ(c.settings.versionString, "V5.2");
    EXPECT_EQ(c.settings.hostNewFeatures, 1);
    EXPECT_EQ(tried, std::vector<std::string>{"/opt/qorb4/vemtro/vemtro_A.so"});
    EXPECT_EQ(c.settings.help731, "/opt/qorb4/vemtro/vemtro2A.html");
}

TEST(Configure, FallbackLibraryMakesTheLanguageLetterB) {
    MemoryRegistry r;
    r.write(HKLM, kGeneral + "Languages", "Current", "Deutsch");
    r.write(HKLM, kGeneral + "LangExtensions", "Deutsch", "C");
    const std::string here = config::ProgramFolder() + "/./";
    auto c = configure(r, nullptr, here + "vemtro_b.so");
    EXPECT_EQ(c.baseName, "vemtro_B");
    EXPECT_EQ(c.settings.help730, here + "vemtro_B.html");
}

// A relative place in the registry is relative to the program, and the library a start in
// another folder finds there is not loaded.
TEST(Configure, LanguageLibraryNeverFromTheWorkingFolder) {
    MemoryRegistry r;
    r.write(HKLM, kGeneral + "Paths", "QORB4_Dir", "lib");
    std::vector<std::string> tried;
    configure(r, &tried);
    ASSERT_FALSE(tried.empty());
    for (const auto& path : tried) {
        EXPECT_EQ(path.rfind(config::ProgramFolder() + "/lib/", 0), 0u) << path;
    }
    MemoryRegistry none;
    tried.clear();
    configure(none, &tried);
    for (const auto& path : tried) EXPECT_EQ(path.front(), '/') << path;
}

TEST(Configure, TheGermanLibraryProvidesTheTexts) {
    void* h = config::LoadLanguageLibrary(VEMTRO_A_PATH);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(res::text(130), "Punkt-zu-Punkt-Kopplung parametrieren");
    config::FreeLanguageLibrary(h);
    EXPECT_EQ(res::text(130), "Punkt-zu-Punkt-Kopplung parametrieren");
    EXPECT_EQ(config::LoadLanguageLibrary("/nonexistent/vemtro_A.so"), nullptr);
}
