#include "dmtool_fixture.h"
#include "json_document.h"
#include "render_module.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

TEST_F(DmtoolTest, ANamedPipeIsRefusedAtOnce) {
    const std::string pipe = path("pipe.dat");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    writeBytes(path("cells.txt"), Bytes(1, 'x'));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"cells", pipe}, {"dump", pipe}, {"apply", pipe, path("cells.txt")}}) {
        const ToolResult result = runTool(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err, "Read beyond end of file\n") << args[0];
    }
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
