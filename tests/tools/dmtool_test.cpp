#include "dmtool_fixture.h"
#include "json_document.h"
#include "render_module.h"

#include "core/cell_text.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

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
        {1, 10, "\x1b[2J" + std::string(60, '7'),
         "row 1 (Right Lower Outer Wing), column PX1: '\\u001b[2J" + std::string(36, '7') +
             "...' is not a valid floating point value"},
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

TEST_F(DmtoolTest, ExitStatusAndMessages) {
    const std::string file = writeCraftedFile();
    const std::string shortFile = std::string(DM_SAMPLES_DIR) + "/ffdamage.dat";
    const std::string cellsFile = path("cells.txt");
    writeBytes(cellsFile, Bytes(1, 'x'));
    fs::create_directory(path("folder.dat"));
    const std::string documentFile = path("doc.json");
    writeBytes(documentFile, Bytes{'{', '}'});
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
         "dmtool: '\\u0009' cannot be a decimal separator",
         ""},
        {{"dump", file, "--decimal-separator", ","},
         2,
         "dmtool: unknown option '--decimal-separator'",
         ""},
        {{"cells", file, "--verbose"}, 2, "dmtool: unknown option '--verbose'", ""},
        {{"cells", file, "--verbose\u202e"}, 2, "dmtool: unknown option '--verbose\\u202e'", ""},
        {{"--help"}, 0, "", "Usage: dmtool COMMAND"},
        {{"cells", "--help"}, 0, "", "Usage: dmtool cells FILE"},
        {{"apply", file, "-h"}, 0, "", "Usage: dmtool apply FILE CELLS"},
        {{"dump", "--help", "--bogus"}, 0, "", "Usage: dmtool dump FILE"},
        {{"cells", path("missing.dat")}, 1, "File not found\n", ""},
        {{"dump", path("no-folder/00damage.dat")}, 1, "Invalid filename\n", ""},
        {{"cells", path("folder.dat")}, 1, "Is a folder, not a file\n", ""},
        {{"cells", shortFile}, 1, "Read beyond end of file\n", ""},
        {{"dump", shortFile}, 1, "Read beyond end of file\n", ""},
        {{"apply", shortFile, cellsFile}, 1, "Read beyond end of file\n", ""},
        {{"apply", file, path("missing.txt")},
         1,
         "Cannot open file " + path("missing.txt") + "\n",
         ""},
#ifndef _WIN32 // the fixture's narrow paths are not UTF-8 on Windows
        {{"apply", file, path("missing\u2029.txt")},
         1,
         "Cannot open file " + path("missing\\u2029.txt") + "\n",
         ""},
        {{"load", path("gone\u2066\u200b.dat"), documentFile},
         1,
         path("gone\\u2066\\u200b.dat") + ": File not found\n",
         ""},
#endif
        {{"apply", path("missing.dat"), cellsFile}, 1, "File not found\n", ""},
        {{"load", path("missing.dat"), documentFile},
         1,
         path("missing.dat") + ": File not found\n",
         ""},
        {{"load", shortFile, documentFile}, 1, shortFile + ": Read beyond end of file\n", ""},
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
        std::string what = "dmtool";
        for (const std::string& arg : c.args)
            what += " '" + arg + "'";
        SCOPED_TRACE(what);
        const ToolResult result = runTool(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.status == 2) {
            EXPECT_EQ(result.err, c.err + "\nTry 'dmtool --help'.\n");
            EXPECT_EQ(result.out, "");
        } else {
            EXPECT_EQ(result.err, c.err);
            EXPECT_TRUE(result.out.starts_with(c.outStart)) << result.out;
        }
    }
    EXPECT_EQ(readBytes(file), image_);
}

TEST_F(DmtoolTest, LoadReadsEveryNumberAsWritten) {
    const std::string file = writeCraftedFile();
    const ToolResult result =
        runTool({"load", file, "-"}, R"({"records": [{"slot": -0, "fields": {"OffOn": -0,
            "PY1": -0, "PZ1": 0, "Damage": 1e-0, "Float1": 2.5E-0, "Float2": -1e+0}}]})");
    EXPECT_EQ(result.status, 0) << result.err;
    table_[0].OffOn = 0;
    table_[0].PY1 = -0.0f;
    table_[0].PZ1 = 0.0f;
    table_[0].Damage = 1;
    table_[0].Float1 = 2.5f;
    table_[0].Float2 = -1;
    EXPECT_EQ(readBytes(file), fileImage(patternHeader(), table_, Bytes(17, 0xAB)));
}

// Messages stay one short line whatever the document holds; nothing recurses through a deep one.
TEST_F(DmtoolTest, LoadOfAnOddDocumentSaysWhatInOneLineAndLeavesTheFileUntouched) {
    const auto nested = [](int depth, const std::string& inner) {
        return std::string(depth, '[') + inner + std::string(depth, ']');
    };
    const auto inRecord = [](const std::string& members) {
        return R"({"records": [{)" + members + "}]}";
    };
    const std::string tooDeep = "Not a JSON document: nested more than 8 levels deep";
    const std::string longText(2'000'000, 'x');
    struct Case {
        const char* name;
        std::string document;
        std::string message;
    };
    const Case cases[] = {
        {"deep field value",
         inRecord(R"("slot": 0, "fields": {"PX1": )" + nested(100'000, "1") + "}"), tooDeep},
        {"deep slot", inRecord(R"("slot": )" + nested(100'000, "0")), tooDeep},
        {"deep part", inRecord(R"("part": )" + nested(100'000, R"("Pilot")")), tooDeep},
        {"deep and unclosed", R"({"records": )" + std::string(100'000, '['), tooDeep},
        {"deepest allowed", inRecord(R"("slot": 0, "fields": {"PX1": )" + nested(4, "-0") + "}"),
         "slot 0 (Right Lower Outer Wing), field PX1: [[[[0]]]] is not a number"},
        {"parse error after -0", "[-0, x]",
         "Not a JSON document: parse error at line 1, column 6: syntax error while parsing value "
         "- invalid literal; last read: '-0, x'"},
        {"controls in a member name", "{\"a\\u001b[2J\\u0000\\n\u007f\": 1}",
         "Unknown member 'a\\u001b[2J\\u0000\\u000a\\u007f' in the document"},
        {"long field name", inRecord(R"("slot": 0, "fields": {")" + longText + R"(": 1})"),
         "slot 0 (Right Lower Outer Wing): unknown field '" + longText.substr(0, 40) + "...'"},
        {"long and C1 values",
         inRecord(R"("slot": 0, "fields": {"Damage": "\u009b)" + longText + R"("})"),
         "slot 0 (Right Lower Outer Wing), field Damage: \"\\u009b" + longText.substr(0, 38) +
             "... is not a number"},
        {"unclosed long string", R"({"records": ")" + longText,
         "Not a JSON document: parse error at line 1, column 2000014: syntax error while parsing "
         "value - invalid string: missing closing quote; last read: '\"" +
             longText.substr(0, 39) + "...'"},
        {"no UTF-8", "{\"\xff\": 1}",
         "Not a JSON document: parse error at line 1, column 3: syntax error while parsing "
         "object key - invalid string: ill-formed UTF-8 byte; last read: '\"\\xff'; expected "
         "string literal"},
    };
    const std::string file = writeCraftedFile();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolResult result = runTool({"load", file, "-"}, c.document);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message + "\n");
        EXPECT_EQ(readBytes(file), image_);
    }
}

#ifndef _WIN32 // the Windows dmtool has no render command
TEST_F(DmtoolTest, RenderWithoutItsModuleSaysSoAndFails) {
    std::ostringstream err;
    EXPECT_EQ(dmtool::runRenderModule(folder_.string(), {"--help"}, err), 1);
    const std::string module = folder_.string() + "/" + dmtool::kRenderModuleName;
    EXPECT_EQ(err.str(), "dmtool: render is not available: " + module + " is missing\n");

    writeBytes(path(dmtool::kRenderModuleName), Bytes(64, 0));
    std::ostringstream brokenErr;
    EXPECT_EQ(dmtool::runRenderModule(folder_.string(), {}, brokenErr), 1);
    EXPECT_TRUE(brokenErr.str().starts_with("dmtool: render is not available: "))
        << brokenErr.str();
}
#endif

} // namespace
