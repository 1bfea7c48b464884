// The editor as a Windows program: the native style it draws with, and what Explorer and the
// system read from du2damage.exe: its icon sizes, its version and its manifest.
#include "shell/deferred_icon_style.h"

#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

namespace {

std::wstring editorPath() {
    return std::filesystem::path(DM_BIN_DIR "/du2damage.exe").make_preferred().wstring();
}

class EditorResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExW(editorPath().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << "cannot read du2damage.exe";
    }
    void TearDown() override {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    // The bytes of resource 1 of `type`, empty when there is none.
    std::string resource(LPCWSTR type) const {
        const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(1), type);
        if (found == nullptr)
            return {};
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return std::string(bytes, SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

TEST_F(EditorResources, TheIconHoldsEverySizeExplorerAsksFor) {
    const std::string group = resource(RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    const auto count = static_cast<unsigned char>(group[4]);
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::set<int> widths;
    for (unsigned entry = 0; entry < count; ++entry) {
        const auto width = static_cast<unsigned char>(group[6 + 14 * entry]);
        widths.insert(width == 0 ? 256 : width);
    }
    EXPECT_EQ(widths, (std::set<int>{16, 32, 48, 256}));
}

TEST_F(EditorResources, TheManifestAsksForWhatTheEditorNeeds) {
    const std::string manifest = resource(RT_MANIFEST);
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"per-monitor DPI awareness", ">PerMonitorV2</dpiAwareness>"},
        {"long paths", ">true</longPathAware>"},
        {"UTF-8 as the code page", ">UTF-8</activeCodePage>"},
        {"common controls 6", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""},
    };
    for (const Case& c : cases)
        EXPECT_NE(manifest.find(c.text), std::string::npos) << c.name << " in\n" << manifest;
}

TEST(EditorVersionTest, TheVersionInformationComesFromTheProject) {
    const std::wstring path = editorPath();
    DWORD ignored = 0;
    std::string info(GetFileVersionInfoSizeW(path.c_str(), &ignored), '\0');
    ASSERT_FALSE(info.empty()) << "du2damage.exe has no version information";
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const auto text = [&info](const wchar_t* name) {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length))
            return QString();
        return QString::fromWCharArray(value).trimmed();
    };
    EXPECT_EQ(text(L"ProductName"), QStringLiteral("Quellor Damage File Editor"));
    EXPECT_EQ(text(L"FileVersion"), QStringLiteral(DM_PROJECT_VERSION));
    EXPECT_EQ(text(L"ProductVersion"), QStringLiteral(DM_PROJECT_VERSION));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    const QString numbers = QStringLiteral("%1.%2.%3")
                                .arg(HIWORD(fixed->dwFileVersionMS))
                                .arg(LOWORD(fixed->dwFileVersionMS))
                                .arg(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, QStringLiteral(DM_PROJECT_VERSION));
}

TEST(NativeStyleTest, TheWindowsStyleIsLinkedInAndChosen) {
    const shell::DeferredIconStyle style;
    ASSERT_NE(style.baseStyle(), nullptr);
    EXPECT_EQ(style.baseStyle()->name(), QStringLiteral("windowsvista"));
    // The editor links the same plugin: its class is named in the executable.
    QFile editor(QString::fromStdWString(editorPath()));
    ASSERT_TRUE(editor.open(QIODevice::ReadOnly));
    EXPECT_TRUE(editor.readAll().contains("QWindowsVistaStylePlugin"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
