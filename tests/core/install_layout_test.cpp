#include "../support/test_folder.h"
#include "core/install_layout.h"
#include "core/platform_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A temporary <prefix> with an empty bin folder, where the installed executables would be.
class InstallLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = testsupport::freshTestFolder("install_layout_");
        bin_ = prefix_ / "bin";
        fs::create_directories(bin_);
    }
    void TearDown() override { testsupport::removeTestFolder(prefix_); }

    static void touch(const fs::path& path) { std::ofstream(path) << "x\n"; }

    fs::path prefix_;
    fs::path bin_;
};

TEST_F(InstallLayoutTest, PortableWhenTheExecutablesFolderHoldsSettingsOrAnyTextFile) {
    struct Case {
        const char* name;
        const char* fileBesideExecutable; // nothing: the folder holds only the executable
        bool portable;
    };
    const Case cases[] = {
        {"only the executable", nullptr, false},
        {"settings file", "du2daminfo.INI", true},
        {"column headers", "DM Column Headers.txt", true},
        {"row headers", "DM Row Headers.txt", true},
        {"aircraft list", "DM File List.txt", true},
        {"settings file in other letter case", "du2daminfo.ini", false},
        {"a damage file", "00damage.dat", false},
    };
    const fs::path config = prefix_ / "home" / ".config";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(bin_);
        fs::create_directories(bin_);
        touch(bin_ / "du2damage");
        if (c.fileBesideExecutable)
            touch(bin_ / c.fileBesideExecutable);

        const dm::InstallLayout layout = dm::decideLayout(bin_, config);
        EXPECT_EQ(layout.portable, c.portable);
        EXPECT_EQ(layout.dataFolder, c.portable ? bin_ : prefix_ / "share" / "du2damage");
        EXPECT_EQ(layout.settingsFile,
                  c.portable ? bin_ / "du2daminfo.INI" : config / "du2damage" / "du2daminfo.INI");
    }
}

TEST_F(InstallLayoutTest, RenderModuleBesideTheExecutableElseInTheInstalledModuleFolder) {
    EXPECT_EQ(dm::moduleFolder(bin_, "libdmtool_render.so"), prefix_ / "lib" / "du2damage");
    touch(bin_ / "libdmtool_render.so");
    EXPECT_EQ(dm::moduleFolder(bin_, "libdmtool_render.so"), bin_);
}

TEST_F(InstallLayoutTest, SettingsFolderIsCreatedAndABlockedOneIsLeftToTheWrite) {
    const fs::path settings = prefix_ / "home" / ".config" / "du2damage" / "du2daminfo.INI";
    dm::createSettingsFolder(settings);
    EXPECT_TRUE(fs::is_directory(settings.parent_path()));

    const fs::path blocked = prefix_ / "file" / "du2damage" / "du2daminfo.INI";
    touch(prefix_ / "file");
    EXPECT_NO_THROW(dm::createSettingsFolder(blocked));
    EXPECT_FALSE(fs::exists(blocked.parent_path()));
}

// Sets or unsets environment variables for as long as it lives.
class Environment {
public:
    void set(const char* name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        apply(name, value);
    }
    ~Environment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            apply(it->first, it->second);
    }

private:
    static void apply(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(PlatformFoldersTest, UserConfigFolderFollowsTheXdgRules) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    struct Case {
        const char* name;
        std::optional<std::string> configHome;
        std::optional<std::string> home;
        fs::path expected;
    };
    const Case cases[] = {
        {"XDG_CONFIG_HOME set", "/srv/cfg", "/home/ann", "/srv/cfg"},
        {"XDG_CONFIG_HOME unset", std::nullopt, "/home/ann", "/home/ann/.config"},
        {"XDG_CONFIG_HOME empty", "", "/home/ann", "/home/ann/.config"},
        {"XDG_CONFIG_HOME relative", "cfg", "/home/ann", "/home/ann/.config"},
        {"HOME unset too", std::nullopt, std::nullopt, fs::path(user->pw_dir) / ".config"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Environment environment;
        environment.set("XDG_CONFIG_HOME", c.configHome);
        environment.set("HOME", c.home);
        EXPECT_EQ(dm::userConfigFolder(), c.expected);
    }
}

TEST(PlatformFoldersTest, ExecutableFolderIsWhereTheTestRuns) {
    EXPECT_TRUE(fs::equivalent(dm::executableFolder(), DM_BIN_DIR));
}

} // namespace
