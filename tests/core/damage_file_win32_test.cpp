#include "damage_file_fixture.h"

#include <windows.h>

using namespace dm;

namespace {

void setReadOnly(const std::string& path) {
    const std::wstring wide = DamageFileTest::nativePath(path).wstring();
    ASSERT_TRUE(::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY)) << path;
}

// A pipe server at `name`, waiting for a client for as long as the test runs.
void makeNamedPipe(const std::wstring& name) {
    const HANDLE pipe = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4,
                                           4096, 4096, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
}

} // namespace

// Read-only files are real here: no write may reach them, whoever asks.
std::vector<FailureCase> platformFailureCases(DamageFileTest& test) {
    const Bytes original = DamageFileTest::randomBytes(kRecordsEnd + 3, 5);
    const std::string readOnly = test.write("read only.dat", original);
    setReadOnly(readOnly);
    const auto unchanged = [readOnly, original] {
        EXPECT_EQ(DamageFileTest::contents(readOnly), original) << readOnly;
    };
    const std::wstring pipeName =
        L"\\\\.\\pipe\\dm-core-" + std::to_wstring(::GetCurrentProcessId());
    makeNamedPipe(pipeName);
    const std::string pipe = "\\\\.\\pipe\\dm-core-" + std::to_string(::GetCurrentProcessId());
    return {
        {"update a read-only file", [readOnly] { updateDamageFile(readOnly, {}, {}); }, 5,
         "File access denied", unchanged},
        {"save as onto a read-only file", [readOnly] { writeWholeFile(readOnly, {}, {}); }, 5,
         "File access denied", unchanged},
        {"read a device", [&test] { test.readInto("NUL"); }, 100, "Read beyond end of file"},
        {"open a device", [&test] { test.openAsCurrent("NUL"); }, 100, "Read beyond end of file"},
        {"open a named pipe", [&test, pipe] { test.openAsCurrent(pipe); }, 100,
         "Read beyond end of file"},
        {"a name that cannot be a file name", [&test] { test.readInto(test.pathOf("a<b>.dat")); },
         3, "Invalid filename"},
    };
}

TEST_F(DamageFileTest, AReadOnlyFileIsStillRead) {
    const Bytes original = randomBytes(kRecordsEnd, 9);
    const std::string path = write("read only.dat", original);
    setReadOnly(path);
    readInto(path);
    EXPECT_EQ(encodeRecord(table_[29]),
              encodeRecord(decodeRecord(original.data() + 100 + 67 * 29)));
    EXPECT_EQ(damageFileSize(path), std::uint64_t{kRecordsEnd});
    DamageFile file;
    file.open(path, header_, table_);
    EXPECT_TRUE(file.readOnly()) << "opened, for reading only";
    EXPECT_THROW(file.save(table_), IoError);
    EXPECT_EQ(contents(path), original);
}
