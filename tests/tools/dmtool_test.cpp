#include "dmtool.h"
#include "json_document.h"
#include "render_module.h"

#include "core/cell_text.h"
#include "core/damage_file.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

ToolResult runTool(const std::vector<std::string>& args, const std::string& input = "") {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = dmtool::run(args, in, out, err);
    return {status, out.str(), err.str()};
}

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Bytes fileImage(const dm::DamageFileHeader& header, const dm::PartTable& table,
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
dm::PartRecord distinctRecord() {
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

dm::DamageFileHeader patternHeader() {
    dm::DamageFileHeader header{};
    for (int i = 0; i < dm::kHeaderSize; ++i)
        header[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return header;
}

class DmtoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/dmtool_test_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

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

TEST_F(DmtoolTest, CellsPrintsTheFilledTextsInGridColumnOrder) {
    const std::string file = writeCraftedFile();
    struct Case {
        std::vector<std::string> options;
        std::string firstLine;
        std::string zeroLine;
    };
    const Case cases[] = {
        {{},
         "1\t2\t255\t150\t0.250\t4\t-0.333\t128\t12345678.000\t3.50\t-0.13\t0.00\t1.234568E7\t"
         "123456.80\t0.10\t-7.25\t0.00\t100.00\t7\t0.123\t0\tINF",
         "0\t0\t0\t0\t0.000\t0\t0.000\t0\t0.000\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t0.00\t"
         "0.00\t0\t0.000\t0\t0.000"},
        {{"--decimal-separator", ","},
         "1\t2\t255\t150\t0,250\t4\t-0,333\t128\t12345678,000\t3,50\t-0,13\t0,00\t1,234568E7\t"
         "123456,80\t0,10\t-7,25\t0,00\t100,00\t7\t0,123\t0\tINF",
         "0\t0\t0\t0\t0,000\t0\t0,000\t0\t0,000\t0,00\t0,00\t0,00\t0,00\t0,00\t0,00\t0,00\t0,00\t"
         "0,00\t0\t0,000\t0\t0,000"},
        {{"--decimal-separator=\u066B"},
         "1\t2\t255\t150\t0\u066B250\t4\t-0\u066B333\t128\t12345678\u066B000\t3\u066B50\t"
         "-0\u066B13\t0\u066B00\t1\u066B234568E7\t123456\u066B80\t0\u066B10\t-7\u066B25\t"
         "0\u066B00\t100\u066B00\t7\t0\u066B123\t0\tINF",
         "0\t0\t0\t0\t0\u066B000\t0\t0\u066B000\t0\t0\u066B000\t0\u066B00\t0\u066B00\t0\u066B00\t"
         "0\u066B00\t0\u066B00\t0\u066B00\t0\u066B00\t0\u066B00\t0\u066B00\t0\t0\u066B000\t0\t"
         "0\u066B000"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"cells", file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolResult result = runTool(args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const auto lines = splitLines(result.out);
        ASSERT_EQ(lines.size(), 30u);
        EXPECT_EQ(lines[0], c.firstLine);
        EXPECT_EQ(lines[1], c.zeroLine);
        EXPECT_TRUE(lines[29].ends_with("\t0\tNAN\t0\tINF")) << lines[29];
    }
}

TEST_F(DmtoolTest, CellsOfEverySampleHaveThirtyLinesOfTwentyTwoTexts) {
    for (const char* name : {"00damage.dat", "0fdamage.dat", "27damage.dat"}) {
        const ToolResult result = runTool({"cells", std::string(DM_SAMPLES_DIR) + "/" + name});
        ASSERT_EQ(result.status, 0) << name << ": " << result.err;
        const auto lines = splitLines(result.out);
        ASSERT_EQ(lines.size(), 30u) << name;
        for (const std::string& line : lines)
            EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 21) << name << ": " << line;
        EXPECT_EQ(lines[15].substr(0, 2), "1\t") << name << ": the fuselage is present";
    }
}

TEST_F(DmtoolTest, ApplyOfUnchangedCellsLeavesEveryFileByteIdentical) {
    const std::vector<std::string> files = {writeCraftedFile(), copySample("00damage.dat"),
                                            copySample("0fdamage.dat"), copySample("27damage.dat")};
    for (const std::string& file : files) {
        for (const std::string separator : {".", ","}) {
            const Bytes before = readBytes(file);
            const ToolResult cells = runTool({"cells", file, "--decimal-separator", separator});
            ASSERT_EQ(cells.status, 0) << cells.err;
            writeBytes(path("cells.txt"), Bytes(cells.out.begin(), cells.out.end()));
            const ToolResult fromFile =
                runTool({"apply", file, path("cells.txt"), "--decimal-separator", separator});
            EXPECT_EQ(fromFile.status, 0) << fromFile.err;
            const ToolResult fromInput =
                runTool({"apply", "--decimal-separator", separator, file, "-"}, cells.out);
            EXPECT_EQ(fromInput.status, 0) << fromInput.err;
            EXPECT_EQ(readBytes(file), before) << file << " with '" << separator << "'";
        }
    }
}

TEST_F(DmtoolTest, ApplyStoresEditedCellsAndKeepsEverythingElse) {
    struct Case {
        int row;
        int column;
        std::string text;
        void (*expect)(dm::PartRecord&);
    };
    const Case cases[] = {
        {1, 1, "0", [](dm::PartRecord& r) { r.OffOn = 0; }},
        {2, 2, "$FF", [](dm::PartRecord& r) { r.Byte2 = 255; }},
        {2, 3, "-1", [](dm::PartRecord& r) { r.Byte3 = 255; }},
        {3, 6, "  0x10", [](dm::PartRecord& r) { r.Byte4 = 16; }},
        {1, 4, "150.4", [](dm::PartRecord& r) { r.Damage = 150.4f; }},
        {7, 10, " 12", [](dm::PartRecord& r) { r.PX1 = 12; }},
        {7, 11, "12 ", [](dm::PartRecord& r) { r.PY1 = 12; }},
        {8, 12, "1.5e2", [](dm::PartRecord& r) { r.PZ1 = 150; }},
        {1, 13, "1.23456E7", [](dm::PartRecord& r) { r.PX2 = 12345600; }},
        {30, 18, "-0.5", [](dm::PartRecord& r) { r.PZ3 = -0.5f; }},
        {1, 19, "9", [](dm::PartRecord& r) { r.Byte6 = 9; }},
        {1, 22, "-2.5", [](dm::PartRecord& r) { r.Float5 = -2.5f; }},
        {30, 20, "1e-50", [](dm::PartRecord& r) { r.Float4 = 0; }},
    };
    for (const Case& c : cases) {
        const std::string file = writeCraftedFile();
        dm::CellTexts texts = dm::fillCells(table_, ".");
        texts[c.row - 1][c.column - 1] = c.text;
        std::string input;
        for (const auto& row : texts) {
            for (int column = 0; column < dm::kFieldCount; ++column)
                input += (column > 0 ? "\t" : "") + row[column];
            input += "\r\n";
        }
        const ToolResult result = runTool({"apply", file, "-"}, input);
        ASSERT_EQ(result.status, 0) << c.text << ": " << result.err;
        dm::PartTable expected = table_;
        c.expect(expected[c.row - 1]);
        EXPECT_EQ(readBytes(file), fileImage(patternHeader(), expected, Bytes(17, 0xAB)))
            << "row " << c.row << ", column " << c.column << ": '" << c.text << "'";
    }
}

TEST_F(DmtoolTest, ApplyWithABadCellNamesItAndWritesNothing) {
    struct Case {
        int row;
        int column;
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {5, 2, "1.0",
         "row 5 (Right Mid Outer Wing), column Byte2: '1.0' is not a valid integer value"},
        {1, 1, "300",
         "row 1 (Right Lower Outer Wing), column Off/On: '300' is not a valid byte value"},
        {2, 3, "12 ",
         "row 2 (Right Lower Inner Wing), column Byte3: '12 ' is not a valid integer value"},
        {2, 3, "", "row 2 (Right Lower Inner Wing), column Byte3: '' is not a valid integer value"},
        {16, 10, "1e39", "row 16 (Fuselage Section), column PX1: Floating point overflow"},
        {16, 11, "1e5000",
         "row 16 (Fuselage Section), column PY1: '1e5000' is not a valid floating point value"},
        {20, 5, "1,5", "row 20 (Pilot), column Float1: '1,5' is not a valid floating point value"},
        {30, 22, "-INF",
         "row 30 (Oil/Radiator #2), column Float5: '-INF' is not a valid floating point value"},
        {1, 10, "INF",
         "row 1 (Right Lower Outer Wing), column PX1: 'INF' is not a valid floating point value"},
        {30, 21, "256", "row 30 (Oil/Radiator #2), column Byte7: '256' is not a valid byte value"},
    };
    for (const Case& c : cases) {
        const std::string file = writeCraftedFile();
        dm::CellTexts texts = dm::fillCells(table_, ".");
        texts[0][9] = "42.00"; // a good edit before the bad cell must not reach the file either
        texts[c.row - 1][c.column - 1] = c.text;
        std::string input;
        for (const auto& row : texts) {
            for (int column = 0; column < dm::kFieldCount; ++column)
                input += (column > 0 ? "\t" : "") + row[column];
            input += '\n';
        }
        const ToolResult result = runTool({"apply", file, "-"}, input);
        EXPECT_EQ(result.status, 1) << c.message;
        EXPECT_EQ(result.err, c.message + "\n");
        EXPECT_EQ(readBytes(file), image_) << c.message;
    }
}

TEST_F(DmtoolTest, ApplyRejectsCellTextsOfTheWrongShape) {
    const std::string file = writeCraftedFile();
    const std::string good = runTool({"cells", file}).out;
    const auto lines = splitLines(good);
    std::string joinedFirst29;
    for (int i = 0; i < 29; ++i)
        joinedFirst29 += lines[i] + "\n";
    struct Case {
        std::string input;
        std::string message;
    };
    const Case cases[] = {
        {joinedFirst29, "The cell texts hold 29 lines, 30 expected\n"},
        {good + lines[0] + "\n", "The cell texts hold 31 lines, 30 expected\n"},
        {good + "\n", "The cell texts hold 31 lines, 30 expected\n"},
        {"", "The cell texts hold 0 lines, 30 expected\n"},
        {lines[0].substr(0, lines[0].rfind('\t')) + "\n" + good.substr(good.find('\n') + 1),
         "Line 1 of the cell texts holds 21 cells, 22 expected\n"},
        {joinedFirst29 + lines[29] + "\t0\n",
         "Line 30 of the cell texts holds 23 cells, 22 expected\n"},
    };
    for (const Case& c : cases) {
        const ToolResult result = runTool({"apply", file, "-"}, c.input);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(readBytes(file), image_);
    }
    // The last line may go without its line end.
    EXPECT_EQ(runTool({"apply", file, "-"}, good.substr(0, good.size() - 1)).status, 0);
}

TEST(DmtoolJson, FloatsAreTheShortestTextThatReadsBack) {
    const std::pair<float, std::string> cases[] = {
        {0.1f, "0.1"},
        {-0.0f, "-0"},
        {150.0f, "150"},
        {1.0f / 3, "0.33333334"},
        {16777216.0f, "16777216"},
        {1e10f, "1e+10"},
        {FLT_TRUE_MIN, "1e-45"},
        {FLT_MAX, "3.4028235e+38"},
        {std::numeric_limits<float>::infinity(), "\"inf\""},
        {-std::numeric_limits<float>::infinity(), "\"-inf\""},
        {std::numeric_limits<float>::quiet_NaN(), "\"nan\""},
        {-std::numeric_limits<float>::signaling_NaN(), "\"nan\""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(dmtool::jsonFloat(value), text);

    std::mt19937 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t bits = random();
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        const std::string text = dmtool::jsonFloat(value);
        const float back = std::strtof(text.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&back, &value, sizeof value), 0) << text;
    }
}

TEST_F(DmtoolTest, DumpShowsHeaderRecordsAndTrailingBytes) {
    const std::string file = writeCraftedFile();
    const ToolResult result = runTool({"dump", file});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = splitLines(result.out);
    ASSERT_EQ(lines.size(), 36u);
    std::string headerHex;
    for (const std::uint8_t byte : patternHeader()) {
        static constexpr char digits[] = "0123456789abcdef";
        headerHex += digits[byte >> 4];
        headerHex += digits[byte & 0xF];
    }
    EXPECT_EQ(lines[0], "{");
    EXPECT_EQ(lines[1], "  \"header\": \"" + headerHex + "\",");
    EXPECT_EQ(lines[2], "  \"records\": [");
    EXPECT_EQ(
        lines[3],
        "    {\"slot\": 0, \"part\": \"Right Lower Outer Wing\", \"fields\": {\"OffOn\": 1, "
        "\"Byte2\": 2, \"Byte3\": 255, \"PX1\": 3.5, \"PY1\": -0.125, \"PZ1\": -0.004, "
        "\"PX2\": 12345678, \"PY2\": 123456.79, \"PZ2\": 0.1, \"PX3\": -7.25, \"PY3\": 1e-45, "
        "\"PZ3\": 99.999, \"Damage\": 150.4, \"Float1\": 0.25, \"Byte4\": 4, \"Float2\": "
        "-0.33333334, \"Byte5\": 128, \"Float3\": 12345678, \"Byte6\": 7, \"Float4\": "
        "0.12345, \"Byte7\": 0, \"Float5\": \"inf\"}},");
    EXPECT_NE(lines[18].find("\"slot\": 15, \"part\": \"Fuselage Section\""), std::string::npos);
    EXPECT_NE(lines[18].find("\"Float1\": -0,"), std::string::npos);
    EXPECT_NE(lines[32].find("\"part\": \"Oil/Radiator #2\""), std::string::npos);
    EXPECT_TRUE(lines[32].ends_with("\"Float4\": \"nan\", \"Byte7\": 0, \"Float5\": \"-inf\"}}"))
        << lines[32];
    EXPECT_EQ(lines[33], "  ],");
    EXPECT_EQ(lines[34], "  \"trailing_bytes\": 17");
    EXPECT_EQ(lines[35], "}");

    writeBytes(path("exact.dat"), Bytes(image_.begin(), image_.begin() + dm::kRecordsEnd));
    EXPECT_NE(runTool({"dump", path("exact.dat")}).out.find("\"trailing_bytes\": 0\n"),
              std::string::npos);
}

TEST_F(DmtoolTest, ReadingCommandsChangeNeitherTheFileNorItsAttributes) {
    const std::string file = writeCraftedFile();
    ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    for (const char* command : {"cells", "dump"})
        EXPECT_EQ(runTool({command, file}).status, 0) << command;
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(readBytes(file), image_);
}

TEST_F(DmtoolTest, ExitStatusAndMessages) {
    const std::string file = writeCraftedFile();
    const std::string shortFile = std::string(DM_SAMPLES_DIR) + "/ffdamage.dat";
    const std::string cellsFile = path("cells.txt");
    writeBytes(cellsFile, Bytes(1, 'x'));
    fs::create_directory(path("folder.dat"));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err; // exact for data errors, the first line for usage errors
        std::string outStart;
    };
    const Case cases[] = {
        {{}, 2, "dmtool: no command given", ""},
        {{"bogus"}, 2, "dmtool: unknown command 'bogus'", ""},
        {{"cells"}, 2, "dmtool: cells takes one or more files, 0 given", ""},
        {{"apply", file, cellsFile, file},
         2,
         "dmtool: apply takes a file and a cell file, 3 given",
         ""},
        {{"apply", file}, 2, "dmtool: apply takes a file and a cell file, 1 given", ""},
        {{"cells", file, "--decimal-separator"},
         2,
         "dmtool: option --decimal-separator needs a value",
         ""},
        {{"cells", file, "--decimal-separator", ""},
         2,
         "dmtool: '' cannot be a decimal separator",
         ""},
        {{"cells", file, "--decimal-separator=5"},
         2,
         "dmtool: '5' cannot be a decimal separator",
         ""},
        {{"cells", file, "--decimal-separator", "\t"},
         2,
         "dmtool: '\t' cannot be a decimal separator",
         ""},
        {{"dump", file, "--decimal-separator", ","},
         2,
         "dmtool: unknown option '--decimal-separator'",
         ""},
        {{"cells", file, "--verbose"}, 2, "dmtool: unknown option '--verbose'", ""},
        {{"--help"}, 0, "", "Usage: dmtool COMMAND"},
        {{"cells", "--help"}, 0, "", "Usage: dmtool cells FILE"},
        {{"apply", file, "-h"}, 0, "", "Usage: dmtool apply FILE CELLS"},
        {{"dump", "--help", "--bogus"}, 0, "", "Usage: dmtool dump FILE"},
        {{"cells", path("missing.dat")}, 1, "File not found\n", ""},
        {{"dump", path("no-folder/00damage.dat")}, 1, "Invalid filename\n", ""},
        {{"cells", path("folder.dat")}, 1, "File access denied\n", ""},
        {{"cells", shortFile}, 1, "Read beyond end of file\n", ""},
        {{"dump", shortFile}, 1, "Read beyond end of file\n", ""},
        {{"apply", shortFile, cellsFile}, 1, "Read beyond end of file\n", ""},
        {{"apply", file, path("missing.txt")},
         1,
         "Cannot open file " + path("missing.txt") + "\n",
         ""},
        {{"apply", path("missing.dat"), cellsFile}, 1, "File not found\n", ""},
        {{"cells", "--", file}, 0, "", "1\t2\t255\t150\t"},
        {{"diff", file}, 2, "dmtool: diff takes two or more files, 1 given", ""},
        {{"diff", file, file, "--json=yes"}, 2, "dmtool: option --json takes no value", ""},
        {{"load", file, "-", "-"}, 2, "dmtool: load takes a file and a JSON document, 3 given", ""},
        {{"load", file, "-", "--decimal-separator=,"},
         2,
         "dmtool: unknown option '--decimal-separator=,'",
         ""},
        {{"diff", file, file, "--json", "--decimal-separator"},
         2,
         "dmtool: option --decimal-separator needs a value",
         ""},
        {{"diff", "-h"}, 0, "", "Usage: dmtool diff A B"},
        {{"load", "--help"}, 0, "", "Usage: dmtool load FILE JSON"},
    };
    for (const Case& c : cases) {
        const ToolResult result = runTool(c.args);
        const std::string what = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(result.status, c.status) << what << ": " << result.err;
        if (c.status == 2) {
            EXPECT_EQ(result.err, c.err + "\nTry 'dmtool --help'.\n");
            EXPECT_EQ(result.out, "");
        } else {
            EXPECT_EQ(result.err, c.err) << what;
            EXPECT_TRUE(result.out.starts_with(c.outStart)) << what << ": " << result.out;
        }
    }
    EXPECT_EQ(readBytes(file), image_);
}

TEST_F(DmtoolTest, RenderWithoutItsModuleSaysSoAndFails) {
    std::ostringstream err;
    EXPECT_EQ(dmtool::runRenderModule(folder_.string(), {"--help"}, err), 1);
    EXPECT_EQ(err.str(),
              "dmtool: render is not available: " + path("libdmtool_render.so") + " is missing\n");

    writeBytes(path("libdmtool_render.so"), Bytes(64, 0));
    std::ostringstream brokenErr;
    EXPECT_EQ(dmtool::runRenderModule(folder_.string(), {}, brokenErr), 1);
    EXPECT_TRUE(brokenErr.str().starts_with("dmtool: render is not available: "))
        << brokenErr.str();
}

// The real executable, as a shell runs it.
class DmtoolProcessTest : public DmtoolTest {
protected:
    // `redirections` follow the usual ones, so they take their place.
    ToolResult runProcess(const std::string& arguments, const std::string& input = "/dev/null",
                          const std::string& redirections = "") {
        const std::string command = std::string(DM_BIN_DIR) + "/dmtool " + arguments + " < " +
                                    input + " > " + path("out") + " 2> " + path("err") + " " +
                                    redirections;
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(path("out")),
                readText(path("err"))};
    }
};

float withBits(std::uint32_t bits) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A copy of the crafted file with one change, in the fixture's folder.
struct Change {
    const char* name;
    void (*apply)(dm::DamageFileHeader&, dm::PartTable&, Bytes& trailer);
};

TEST_F(DmtoolProcessTest, DiffNamesEveryDifferenceAndHidesNone) {
    struct Case {
        Change change;
        std::string options;
        int status;
        std::string lines;
    };
    const Case cases[] = {
        {{"identical", [](auto&, auto&, auto&) {}}, "", 0, ""},
        {{"one field", [](auto&, dm::PartTable& t, auto&) { t[22].Damage = 150; }},
         "",
         1,
         "Engine #1 (22) Damage: 0 -> 150\n"},
        {{"hidden bits",
          [](auto&, dm::PartTable& t, auto&) { t[0].PZ2 = std::nextafter(0.1f, 1.f); }},
         "",
         1,
         "Right Lower Outer Wing (0) PZ2: 0.10 -> 0.10 (same text; exact values 0.1 -> "
         "0.10000001)\n"},
        {{"zero sign", [](auto&, dm::PartTable& t, auto&) { t[15].Float1 = 0.0f; }},
         "--decimal-separator ,",
         1,
         "Fuselage Section (15) Float1: 0,000 -> 0,000 (same text; exact values -0 -> 0)\n"},
        {{"NaN payload",
          [](auto&, dm::PartTable& t, auto&) { t[29].Float4 = withBits(0x7fc00001); }},
         "",
         1,
         "Oil/Radiator #2 (29) Float4: NAN -> NAN (same text; exact values nan(0x7fc00000) -> "
         "nan(0x7fc00001))\n"},
        {{"header and tail",
          [](dm::DamageFileHeader& h, dm::PartTable& t, Bytes& trailer) {
              h[4] = h[5] = h[6] = 0;
              h[99] = 1;
              t[0].OffOn = 0;
              trailer[3] = 0;
              trailer.resize(52);
          }},
         "",
         1,
         "Header: 3 bytes differ at offset 4\nHeader: 1 byte differs at offset 99\n"
         "Right Lower Outer Wing (0) OffOn: 1 -> 0\nAfter the records: 1 byte differs at offset "
         "2113\nB has 35 more bytes after the records\n"},
        {{"shorter tail", [](auto&, auto&, Bytes& trailer) { trailer.resize(16); }},
         "",
         1,
         "A has 1 more byte after the records\n"},
    };
    const std::string a = writeCraftedFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change.name);
        dm::DamageFileHeader header = patternHeader();
        dm::PartTable table = table_;
        Bytes trailer(17, 0xAB);
        c.change.apply(header, table, trailer);
        writeBytes(path("b.dat"), fileImage(header, table, trailer));
        const ToolResult text = runProcess("diff " + a + " " + path("b.dat") + " " + c.options);
        EXPECT_EQ(text.status, c.status);
        EXPECT_EQ(text.out, c.lines);
        EXPECT_EQ(text.err, "");

        const ToolResult json = runProcess("diff --json " + a + " " + path("b.dat"));
        EXPECT_EQ(json.status, c.status);
        const dmtool::Json differences = dmtool::parseJson(json.out);
        EXPECT_EQ(differences["same"], c.status == 0);
        EXPECT_EQ(differences["fields"].size() + differences["header"].size() +
                      differences["trailing"].size(),
                  std::count(c.lines.begin(), c.lines.end(), '\n') -
                      (c.lines.find("more byte") != std::string::npos));
    }
}

TEST_F(DmtoolProcessTest, DiffOfSeveralFilesGoesOnPastUnreadableOnes) {
    const std::string a = writeCraftedFile();
    fs::copy_file(a, path("same.dat"));
    table_[22].Damage = 150;
    writeBytes(path("changed.dat"), fileImage(patternHeader(), table_, Bytes(17, 0xAB)));
    const std::string shortFile = std::string(DM_SAMPLES_DIR) + "/ffdamage.dat";
    const std::string files = a + " " + path("same.dat") + " " + shortFile + " " +
                              path("changed.dat") + " " + path("missing.dat");
    const std::string errors =
        shortFile + ": Read beyond end of file\n" + path("missing.dat") + ": File not found\n";

    const ToolResult text = runProcess("diff " + files);
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.out,
              "diff " + a + " " + path("changed.dat") + "\nEngine #1 (22) Damage: 0 -> 150\n");
    EXPECT_EQ(text.err, errors);

    const ToolResult json = runProcess("diff --json " + files);
    EXPECT_EQ(json.status, 2);
    const dmtool::Json all = dmtool::parseJson(json.out);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]["same"], true);
    EXPECT_TRUE(all[1].is_null());
    EXPECT_EQ(all[2]["fields"][0]["b"], 150);
    EXPECT_TRUE(all[3].is_null());

    const ToolResult missingA = runProcess("diff " + path("missing.dat") + " " + a);
    EXPECT_EQ(missingA.status, 2);
    EXPECT_EQ(missingA.err, path("missing.dat") + ": File not found\n");
}

TEST_F(DmtoolProcessTest, CellsAndDumpOfSeveralFilesGoOnPastUnreadableOnes) {
    const std::string file = writeCraftedFile();
    const std::string files = file + " " + path("missing.dat") + " " + file;
    const ToolResult cells = runProcess("cells " + files);
    EXPECT_EQ(cells.status, 1);
    EXPECT_EQ(cells.err, path("missing.dat") + ": File not found\n");
    const auto lines = splitLines(cells.out);
    const auto single = splitLines(runTool({"cells", file}).out);
    ASSERT_EQ(lines.size(), 60u);
    EXPECT_EQ(lines[0], file + "\t" + single[0]);
    EXPECT_EQ(lines[59], file + "\t" + single[29]);

    const ToolResult dump = runProcess("dump " + files);
    EXPECT_EQ(dump.status, 1);
    EXPECT_EQ(dump.err, path("missing.dat") + ": File not found\n");
    const dmtool::Json all = dmtool::parseJson(dump.out);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], dmtool::parseJson(runTool({"dump", file}).out));
    EXPECT_TRUE(all[1].is_null());
    EXPECT_EQ(all[2], all[0]);
}

TEST_F(DmtoolProcessTest, LoadWritesWhatTheDocumentHoldsAndKeepsTheRest) {
    struct Case {
        std::string document;
        std::string options;
        void (*expect)(dm::DamageFileHeader&, dm::PartTable&);
    };
    const Case cases[] = {
        {R"({"records": [{"slot": 22, "fields": {"Damage": 150}}]})", "",
         [](auto&, dm::PartTable& t) { t[22].Damage = 150; }},
        {R"({"records": [{"part": "Pilot", "fields": {"OffOn": -1, "PX1": "-inf", "PY1": -0,
           "PZ1": 16777217, "Float1": 0.1}}]})",
         "",
         [](auto&, dm::PartTable& t) {
             t[19].OffOn = 255;
             t[19].PX1 = -std::numeric_limits<float>::infinity();
             t[19].PY1 = -0.0f;
             t[19].PZ1 = 16777216;
             t[19].Float1 = 0.1f;
         }},
        {R"({"records": [{"slot": 29, "part": "Oil/Radiator #2",
           "fields": {"Float4": "nan", "Float3": "nan"}}], "trailing_bytes": 0})",
         "", [](auto&, dm::PartTable& t) { t[29].Float3 = withBits(0x7fc00000); }},
        {"{\"header\": \"FF\", \"records\": []}", "", [](auto&, auto&) {}},
        {"{\"header\": \"" + std::string(200, 'A') + "\"}", "--header",
         [](dm::DamageFileHeader& h, auto&) { h.fill(0xAA); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        const std::string file = writeCraftedFile();
        table_[29].Float4 = withBits(0x7fc00001); // "nan" keeps a NaN's payload
        const Bytes trailer(17, 0xAB);
        writeBytes(file, fileImage(patternHeader(), table_, trailer));
        writeBytes(path("doc.json"), Bytes(c.document.begin(), c.document.end()));
        const ToolResult result = runProcess("load " + file + " - " + c.options, path("doc.json"));
        EXPECT_EQ(result.status, 0) << result.err;
        dm::DamageFileHeader header = patternHeader();
        c.expect(header, table_);
        EXPECT_EQ(readBytes(file), fileImage(header, table_, trailer));
    }
}

TEST_F(DmtoolProcessTest, LoadOfABadDocumentNamesTheValueAndLeavesTheFileUntouched) {
    // A record after a good edit: the good edit must not reach the file either.
    const auto afterGoodEdit = [](std::string record) {
        return R"({"records": [{"slot": 0, "fields": {"OffOn": 0}}, )" + record + "]}";
    };
    struct Case {
        std::string document;
        std::string message;
        std::string options = "";
    };
    const Case cases[] = {
        {afterGoodEdit(R"({"slot": 22, "fields": {"OffOn": 256}})"),
         "slot 22 (Engine #1), field OffOn: 256 is not a byte value (-128 to 255)"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"Byte2": -129}})"),
         "slot 22 (Engine #1), field Byte2: -129 is not a byte value (-128 to 255)"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"Byte3": 1.5}})"),
         "slot 22 (Engine #1), field Byte3: 1.5 is not a byte value (-128 to 255)"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"Damage": "150"}})"),
         "slot 22 (Engine #1), field Damage: \"150\" is not a number"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"PX1": null}})"),
         "slot 22 (Engine #1), field PX1: null is not a number"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"PX1": "NAN"}})"),
         "slot 22 (Engine #1), field PX1: \"NAN\" is not a number"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"PX1": 1e39}})"),
         "Not a JSON document: number overflow parsing '1e39'"},
        {afterGoodEdit(R"({"slot": 22, "fields": {"Damag": 1}})"),
         "slot 22 (Engine #1): unknown field 'Damag'"},
        {afterGoodEdit(R"({"slot": 22, "fields": [1]})"),
         "slot 22 (Engine #1): the fields are not an object"},
        {afterGoodEdit(R"({"slot": 30})"), "records[1]: unknown slot 30"},
        {afterGoodEdit(R"({"slot": "22"})"), "records[1]: unknown slot \"22\""},
        {afterGoodEdit(R"({"part": "Engine #3"})"), "records[1]: unknown part \"Engine #3\""},
        {afterGoodEdit(R"({"slot": 22, "part": "Pilot"})"),
         "records[1]: slot 22 is Engine #1, not Pilot"},
        {afterGoodEdit(R"({"fields": {}})"), "records[1] names neither a slot nor a part"},
        {afterGoodEdit(R"({"slot": 0})"),
         "records[1]: slot 0 (Right Lower Outer Wing) is given twice"},
        {afterGoodEdit(R"({"slot": 22, "feilds": {}})"), "Unknown member 'feilds' in records[1]"},
        {afterGoodEdit(R"(7)"), "records[1] is not an object"},
        {afterGoodEdit(R"({"slot": 22}], "recrods": [)"),
         "Unknown member 'recrods' in the document"},
        {afterGoodEdit(R"({"slot": 22}], "header": "00", "x": [)"),
         "Unknown member 'x' in the document"},
        {afterGoodEdit(R"({"slot": 22},)"),
         "Not a JSON document: parse error at line 1, column 64: syntax error while parsing "
         "value - unexpected ']'; expected '[', '{', or a literal"},
        {"[]", "The document is not an object as 'dmtool dump' writes it"},
        {R"({"records": []})", "The document holds no header", "--header"},
        {"{\"header\": \"0g" + std::string(198, '0') + "\"}",
         "The header is not 200 hexadecimal digits", "--header"},
    };
    const std::string file = writeCraftedFile();
    const timespec past[2] = {{946684800, 0}, {946684800, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), past, 0), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        writeBytes(path("doc.json"), Bytes(c.document.begin(), c.document.end()));
        const ToolResult result =
            runProcess("load " + file + " " + path("doc.json") + " " + c.options);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message + "\n");
        EXPECT_EQ(readBytes(file), image_);
        struct stat after {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_mtim.tv_sec, past[1].tv_sec);
    }
}

TEST_F(DmtoolProcessTest, DumpThenLoadCopiesEveryRecordByteForByte) {
    const std::string source = writeCraftedFile();
    for (const std::string& options : {std::string(""), std::string("--header")}) {
        SCOPED_TRACE(options);
        writeBytes(path("target.dat"), Bytes(dm::kRecordsEnd + 5, 0x5A));
        const ToolResult dump = runProcess("dump " + source);
        ASSERT_EQ(dump.status, 0) << dump.err;
        writeBytes(path("dump.json"), Bytes(dump.out.begin(), dump.out.end()));
        const ToolResult load =
            runProcess("load " + path("target.dat") + " - " + options, path("dump.json"));
        ASSERT_EQ(load.status, 0) << load.err;
        const Bytes target = readBytes(path("target.dat"));
        Bytes expected(image_.begin(), image_.begin() + dm::kRecordsEnd);
        if (options.empty())
            std::fill_n(expected.begin(), dm::kHeaderSize, 0x5A);
        expected.insert(expected.end(), 5, 0x5A);
        EXPECT_EQ(target, expected);
    }
}

// Output that cannot be written and input that cannot be read are failures, never success.
TEST_F(DmtoolProcessTest, UnwritableOutputAndUnreadableInputAreReported) {
    const std::string file = writeCraftedFile();
    fs::create_directory(path("folder"));
    struct Case {
        std::string arguments;
        std::string input;
        std::string redirections;
        std::string message;
    };
    const std::string unwritten = "dmtool: cannot write the output";
    const Case cases[] = {
        {"--help", "/dev/null", "> /dev/full", unwritten},
        {"--help", "/dev/null", ">&-", unwritten},
        {"cells --help", "/dev/null", "> /dev/full", unwritten},
        {"load --help", "/dev/null", ">&-", unwritten},
        {"apply " + file + " -", "/dev/null", "<&-",
         "Cannot read standard input: Bad file descriptor"},
        {"apply " + file + " -", path("folder"), "", "Cannot read standard input: Is a directory"},
        {"load " + file + " -", "/dev/null", "<&-",
         "Cannot read standard input: Bad file descriptor"},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // The tree built without Qt has no render module.
    if (fs::exists(fs::path(DM_BIN_DIR) / dmtool::kRenderModuleName))
        all.push_back({"render --help", "/dev/null", "> /dev/full", unwritten});
    for (const Case& c : all) {
        SCOPED_TRACE(c.arguments + " " + c.redirections);
        const ToolResult result = runProcess(c.arguments, c.input, c.redirections);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message + "\n");
    }
    EXPECT_EQ(readBytes(file), image_);
}

TEST_F(DmtoolProcessTest, CellsApplyAndErrorsEndToEnd) {
    const std::string file = copySample("27damage.dat");
    const Bytes before = readBytes(file);
    const ToolResult cells = runProcess("cells " + file);
    ASSERT_EQ(cells.status, 0) << cells.err;
    EXPECT_EQ(cells.out, runTool({"cells", file}).out);

    std::string edited = cells.out;
    edited.replace(0, 1, "0"); // Off/On of the first row
    writeBytes(path("edited.txt"), Bytes(edited.begin(), edited.end()));
    const ToolResult apply = runProcess("apply " + file + " -", path("edited.txt"));
    ASSERT_EQ(apply.status, 0) << apply.err;
    Bytes expected = before;
    expected[dm::recordOffset(0)] = 0;
    EXPECT_EQ(readBytes(file), expected);

    const ToolResult missing = runProcess("dump " + path("missing.dat"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "File not found\n");
    EXPECT_EQ(runProcess("cells").status, 2);
    const std::string toFullDisk =
        std::string(DM_BIN_DIR) + "/dmtool cells " + file + " > /dev/full 2> " + path("err");
    const int status = std::system(toFullDisk.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(readText(path("err")), "dmtool: cannot write the output\n");
}

} // namespace
