#pragma once

// What the dmtool tests share: running the tool in the process, files and a crafted damage file.

#include "dmtool.h"

#include "../support/test_folder.h"
#include "core/damage_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

inline ToolResult runTool(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = dmtool::run(args, in, out, err);
    return {status, out.str(), err.str()};
}

inline Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline Bytes fileImage(const dm::DamageFileHeader& header, const dm::PartTable& table,
                       const Bytes& trailer) {
    Bytes bytes(header.begin(), header.end());
    for (const dm::PartRecord& record : table) {
        const auto encoded = dm::encodeRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    bytes.insert(bytes.end(), trailer.begin(), trailer.end());
    return bytes;
}

// A record with a distinct value in every field, edge values included.
inline dm::PartRecord distinctRecord() {
    dm::PartRecord record;
    record.OffOn = 1;
    record.Byte2 = 2;
    record.Byte3 = 255;
    record.PX1 = 3.5f;
    record.PY1 = -0.125f;
    record.PZ1 = -0.004f;
    record.PX2 = 12345678.0f;
    record.PY2 = 123456.789f;
    record.PZ2 = 0.1f;
    record.PX3 = -7.25f;
    record.PY3 = 1e-45f;
    record.PZ3 = 99.999f;
    record.Damage = 150.4f;
    record.Float1 = 0.25f;
    record.Byte4 = 4;
    record.Float2 = -1.0f / 3;
    record.Byte5 = 128;
    record.Float3 = 12345678.0f;
    record.Byte6 = 7;
    record.Float4 = 0.12345f;
    record.Byte7 = 0;
    record.Float5 = std::numeric_limits<float>::infinity();
    return record;
}

inline dm::DamageFileHeader patternHeader() {
    dm::DamageFileHeader header{};
    for (int i = 0; i < dm::kHeaderSize; ++i)
        header[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return header;
}

inline float withBits(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A copy of the crafted file with one change, in the fixture's folder.
struct Change {
    const char* name;
    void (*apply)(dm::DamageFileHeader&, dm::PartTable&, Bytes& trailer);
};

class DmtoolTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = testsupport::freshTestFolder("dmtool_test_"); }
    void TearDown() override { testsupport::removeTestFolder(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    std::string copySample(const std::string& name) const {
        fs::copy_file(fs::path(DM_SAMPLES_DIR) / name, folder_ / name);
        return path(name);
    }

    // The distinct record in slot 0, a few more values elsewhere and 17 trailing bytes.
    std::string writeCraftedFile(const std::string& name = "40damage.dat") {
        table_ = {};
        table_[0] = distinctRecord();
        table_[4].Byte2 = 9;
        table_[29].Float5 = -std::numeric_limits<float>::infinity();
        table_[29].Float4 = std::numeric_limits<float>::quiet_NaN();
        table_[15].Float1 = -0.0f;
        image_ = fileImage(patternHeader(), table_, Bytes(17, 0xAB));
        writeBytes(path(name), image_);
        return path(name);
    }

    fs::path folder_;
    dm::PartTable table_{};
    Bytes image_;
};
