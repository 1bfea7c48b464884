#pragma once

#include "../support/test_folder.h"
#include "core/damage_file.h"
#include "core/errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A folder of the test's own; paths are handed to the core as UTF-8, as the programs do.
class DamageFileTest : public ::testing::Test {
protected:
    void SetUp() override { folder = testsupport::freshTestFolder("dm-core-"); }
    void TearDown() override { testsupport::removeTestFolder(folder); }

public:
    static fs::path nativePath(const std::string& path) {
        return fs::path(std::u8string(path.begin(), path.end()));
    }

    std::string pathOf(const std::string& name) const {
        const std::u8string path = (folder / nativePath(name)).u8string();
        return std::string(path.begin(), path.end());
    }

    std::string write(const std::string& name, const Bytes& bytes) const {
        const std::string path = pathOf(name);
        std::ofstream out(nativePath(path), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }

    static Bytes contents(const std::string& path) {
        std::ifstream in(nativePath(path), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static Bytes randomBytes(std::size_t size, unsigned seed) {
        std::mt19937 random(seed);
        Bytes bytes(size);
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        return bytes;
    }

    void readInto(const std::string& path) { dm::readDamageFile(path, header_, table_); }
    void openAsCurrent(const std::string& path) {
        dm::DamageFile file;
        file.open(path, header_, table_);
    }

    fs::path folder;
    dm::DamageFileHeader header_{};
    dm::PartTable table_{};
};

// One failure: what runs, the code and message it must raise, and what must hold afterwards.
struct FailureCase {
    const char* what;
    std::function<void()> run;
    int code;
    const char* message;
    std::function<void()> afterwards = {};
};

// The failures that only this platform can show, in the test's folder.
std::vector<FailureCase> platformFailureCases(DamageFileTest& test);
