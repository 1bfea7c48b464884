// dmtool diff, dump and load by their whole command lines, on every system the tools run on.
#include "dmtool_fixture.h"
#include "json_document.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

// The command line split at blanks as a shell would (no name here holds one), with standard
// input read from a file.
ToolResult runCommand(const std::string& commandLine, const std::string& inputFile = "") {
    std::vector<std::string> args;
    std::istringstream words(commandLine);
    for (std::string word; words >> word;)
        args.push_back(word);
    return runTool(args, inputFile.empty() ? std::string() : readText(inputFile));
}

TEST_F(DmtoolTest, DiffNamesEveryDifferenceAndHidesNone) {
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
        {{"a run to the end of the tail",
          [](auto&, auto&, Bytes& trailer) { trailer[15] = trailer[16] = 0; }},
         "",
         1,
         "After the records: 2 bytes differ at offset 2125\n"},
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
        const ToolResult text = runCommand("diff " + a + " " + path("b.dat") + " " + c.options);
        EXPECT_EQ(text.status, c.status);
        EXPECT_EQ(text.out, c.lines);
        EXPECT_EQ(text.err, "");

        const ToolResult json = runCommand("diff --json " + a + " " + path("b.dat"));
        EXPECT_EQ(json.status, c.status);
        const dmtool::Json differences = dmtool::parseJson(json.out);
        EXPECT_EQ(differences["same"], c.status == 0);
        EXPECT_EQ(differences["fields"].size() + differences["header"].size() +
                      differences["trailing"].size(),
                  std::count(c.lines.begin(), c.lines.end(), '\n') -
                      (c.lines.find("more byte") != std::string::npos));
    }
}

// Long tails are compared piece by piece: a run of differing bytes longer than any piece is one.
TEST_F(DmtoolTest, DiffNamesALongRunOfTrailingBytesOnce) {
    Bytes trailer(200000, 0xAB);
    writeBytes(path("a.dat"), fileImage(patternHeader(), table_, trailer));
    std::fill(trailer.begin() + 1000, trailer.begin() + 150000, 0);
    writeBytes(path("b.dat"), fileImage(patternHeader(), table_, trailer));
    const ToolResult text = runCommand("diff " + path("a.dat") + " " + path("b.dat"));
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "After the records: 149000 bytes differ at offset 3110\n");
}

TEST_F(DmtoolTest, DiffOfSeveralFilesGoesOnPastUnreadableOnes) {
    const std::string a = writeCraftedFile();
    fs::copy_file(a, path("same.dat"));
    table_[22].Damage = 150;
    writeBytes(path("changed.dat"), fileImage(patternHeader(), table_, Bytes(17, 0xAB)));
    const std::string shortFile = std::string(DM_SAMPLES_DIR) + "/ffdamage.dat";
    const std::string files = a + " " + path("same.dat") + " " + shortFile + " " +
                              path("changed.dat") + " " + path("missing.dat");
    const std::string errors =
        shortFile + ": Read beyond end of file\n" + path("missing.dat") + ": File not found\n";

    const ToolResult text = runCommand("diff " + files);
    EXPECT_EQ(text.status, 2);
    EXPECT_EQ(text.out,
              "diff " + a + " " + path("changed.dat") + "\nEngine #1 (22) Damage: 0 -> 150\n");
    EXPECT_EQ(text.err, errors);

    const ToolResult json = runCommand("diff --json " + files);
    EXPECT_EQ(json.status, 2);
    const dmtool::Json all = dmtool::parseJson(json.out);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0]["same"], true);
    EXPECT_TRUE(all[1].is_null());
    EXPECT_EQ(all[2]["fields"][0]["b"], 150);
    EXPECT_TRUE(all[3].is_null());

    const ToolResult missingA = runCommand("diff " + path("missing.dat") + " " + a);
    EXPECT_EQ(missingA.status, 2);
    EXPECT_EQ(missingA.err, path("missing.dat") + ": File not found\n");
}

TEST_F(DmtoolTest, LoadWritesWhatTheDocumentHoldsAndKeepsTheRest) {
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
        {R"({"records": [{"slot": 0, "fields": {"OffOn": -128, "Byte2": 255}}]})", "",
         [](auto&, dm::PartTable& t) {
             t[0].OffOn = 128;
             t[0].Byte2 = 255;
         }},
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
        const ToolResult result = runCommand("load " + file + " - " + c.options, path("doc.json"));
        EXPECT_EQ(result.status, 0) << result.err;
        dm::DamageFileHeader header = patternHeader();
        c.expect(header, table_);
        EXPECT_EQ(readBytes(file), fileImage(header, table_, trailer));
    }
}

TEST_F(DmtoolTest, LoadOfABadDocumentNamesTheValueAndLeavesTheFileUntouched) {
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
        {afterGoodEdit(R"({"slot": 22, "fields": {"PX1": 1, "PX1": 2}})"),
         "Member 'PX1' is given twice"},
        {afterGoodEdit(R"({"slot": 22, "slot": 23})"), "Member 'slot' is given twice"},
        {afterGoodEdit(R"({"slot": 22}], "records": [)"), "Member 'records' is given twice"},
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
    const fs::file_time_type past = fs::last_write_time(file) - std::chrono::hours(24 * 365);
    fs::last_write_time(file, past);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        writeBytes(path("doc.json"), Bytes(c.document.begin(), c.document.end()));
        const ToolResult result =
            runCommand("load " + file + " " + path("doc.json") + " " + c.options);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.message + "\n");
        EXPECT_EQ(readBytes(file), image_);
        EXPECT_EQ(fs::last_write_time(file), past);
    }
}

TEST_F(DmtoolTest, DumpThenLoadCopiesEveryRecordByteForByte) {
    const std::string source = writeCraftedFile();
    for (const std::string& options : {std::string(""), std::string("--header")}) {
        SCOPED_TRACE(options);
        writeBytes(path("target.dat"), Bytes(dm::kRecordsEnd + 5, 0x5A));
        const ToolResult dump = runCommand("dump " + source);
        ASSERT_EQ(dump.status, 0) << dump.err;
        writeBytes(path("dump.json"), Bytes(dump.out.begin(), dump.out.end()));
        const ToolResult load =
            runCommand("load " + path("target.dat") + " - " + options, path("dump.json"));
        ASSERT_EQ(load.status, 0) << load.err;
        const Bytes target = readBytes(path("target.dat"));
        Bytes expected(image_.begin(), image_.begin() + dm::kRecordsEnd);
        if (options.empty())
            std::fill_n(expected.begin(), dm::kHeaderSize, 0x5A);
        expected.insert(expected.end(), 5, 0x5A);
        EXPECT_EQ(target, expected);
    }
}

} // namespace
