// `dmtool render` as a whole process: options, exit status, messages and the PNG it writes.
// The pictures' pixels are checked by the editor's tests, which can decode PNG.

#include "../support/png_header.h"
#include "../support/test_folder.h"
#include "../support/waiting_fifo.h"
#include "core/damage_file.h"
#include "views/view_sizes.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string quoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

class RenderCommand : public testing::Test {
protected:
    void SetUp() override {
        folder_ = testsupport::freshTestFolder("render_test_");
        damageFile_ = (folder_ / "07damage.dat").string();
        dm::PartTable table{};
        table[15].PX1 = 1;
        table[15].PY1 = 2;
        table[15].PX2 = -1;
        table[15].PY2 = -2;
        dm::writeWholeFile(damageFile_, dm::DamageFileHeader{}, table);
    }
    void TearDown() override { testsupport::removeTestFolder(folder_); }

    Outcome run(const std::vector<std::string>& args) const {
        // A command that hangs fails instead of holding the suite up.
        std::string command =
            "timeout 60 " + quoted(std::string(DM_BIN_DIR) + "/dmtool") + " render";
        for (const std::string& arg : args)
            command += " " + quoted(arg);
        const fs::path out = folder_ / "stdout.txt";
        const fs::path err = folder_ / "stderr.txt";
        command += " >" + quoted(out.string()) + " 2>" + quoted(err.string());
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = readText(out);
        outcome.err = readText(err);
        return outcome;
    }

    std::string png(const char* name) const { return (folder_ / name).string(); }

    fs::path folder_;
    std::string damageFile_;
};

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST_F(RenderCommand, WritesAPngOfTheViewsClientSize) {
    struct Case {
        std::vector<std::string> options;
        QSize size;
    };
    const Case cases[]{
        {{"--view", "top"}, views::kTopViewDesignSize},
        {{"--view", "side"}, views::kSideViewDesignSize},
        {{"--view=side", "--size", "800x600", "--grid", "10", "--zoom", "20"}, {800, 600}},
        {{"--view", "top", "--size=1x1", "--zoom=50", "--grid=2", "--no-markers"}, {1, 1}},
        {{"--view", "3d"}, views::kView3dDesignSize},
        {{"--view=3d", "--yaw", "-45.5", "--pitch=90", "--zoom", "2000", "--size", "300x200"},
         {300, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0]);
        std::vector<std::string> args{damageFile_, "-o", png("view.png")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 0);
        EXPECT_EQ(outcome.err, "");
        const std::string bytes = readText(png("view.png"));
        ASSERT_GT(bytes.size(), 24u);
        EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1a\n");
        EXPECT_EQ(bytes.substr(12, 4), "IHDR");
        EXPECT_EQ(bigEndian(bytes, 16), static_cast<std::uint32_t>(c.size.width()));
        EXPECT_EQ(bigEndian(bytes, 20), static_cast<std::uint32_t>(c.size.height()));
        fs::remove(png("view.png"));
    }
}

TEST_F(RenderCommand, FileFailuresGiveTheEditorsMessages) {
    const std::string shortFile = (folder_ / "08damage.dat").string();
    std::ofstream(shortFile, std::ios::binary) << std::string(2109, '\0');
    fs::create_directories(folder_ / "a folder.png");
    struct Case {
        std::string input;
        std::string output;
        std::string message;
    };
    const Case cases[]{
        {(folder_ / "09damage.dat").string(), png("x.png"), "File not found\n"},
        {(folder_ / "missing" / "09damage.dat").string(), png("x.png"), "Invalid filename\n"},
        {shortFile, png("x.png"), "Read beyond end of file\n"},
        {folder_.string(), png("x.png"), "Is a folder, not a file\n"},
        {damageFile_, (folder_ / "missing" / "x.png").string(), "Invalid filename\n"},
        {damageFile_, png("a folder.png"), "Is a folder, not a file\n"},
        {damageFile_, "/dev/full", "Disk full\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + " -> " + c.output);
        const Outcome outcome = run({c.input, "--view", "top", "-o", c.output});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, c.message);
        EXPECT_EQ(outcome.out, "");
    }
    EXPECT_FALSE(fs::exists(png("x.png")));
}

TEST_F(RenderCommand, UsageErrorsExitWithTwoAndWriteNothing) {
    const std::string out = png("usage.png");
    const std::vector<std::vector<std::string>> cases{
        {damageFile_, "-o", out},
        {damageFile_, "--view", "front", "-o", out},
        {damageFile_, "--view", "top"},
        {damageFile_, "--view", "top", "-o"},
        {damageFile_, "--view", "top", "-o", ""},
        {damageFile_, damageFile_, "--view", "top", "-o", out},
        {"--view", "top", "-o", out},
        {damageFile_, "--view", "top", "-o", out, "--grid", "3"},
        {damageFile_, "--view", "top", "-o", out, "--zoom", "10"},
        {damageFile_, "--view", "top", "-o", out, "--zoom", "+100"},
        {damageFile_, "--view", "top", "-o", out, "--size", "0x10"},
        {damageFile_, "--view", "top", "-o", out, "--size", "10x"},
        {damageFile_, "--view", "top", "-o", out, "--size", "16385x10"},
        {damageFile_, "--view", "top", "-o", out, "--size", "10*10"},
        {damageFile_, "--view", "top", "-o", out, "--markers"},
        {damageFile_, "--view", "top", "-o", out, "--yaw", "10"},
        {damageFile_, "--view", "3d", "-o", out, "--pitch", "90.5"},
        {damageFile_, "--view", "3d", "-o", out, "--yaw", "ten"},
        {damageFile_, "--view", "3d", "-o", out, "--yaw", "nan"},
        {damageFile_, "--view", "3d", "-o", out, "--zoom", "4"},
        {damageFile_, "--view", "3d", "-o", out, "--zoom", "2001"},
        // Usage is checked before any file is touched.
        {(folder_ / "none.dat").string(), "--view", "top", "-o", out, "--grid", "7"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& arg : args)
            shown += arg + " ";
        SCOPED_TRACE(shown);
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.err.rfind("dmtool render: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find("Try 'dmtool render --help'."), std::string::npos);
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(RenderCommand, HelpDescribesEveryOption) {
    const Outcome outcome = run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    for (const char* option :
         {"Usage: dmtool render FILE", "--view top|side", "-o, --output", "--size WxH", "--grid",
          "--zoom", "--no-markers", "515x517", "454x353", "3d", "--yaw", "--pitch", "640x480",
          "--background FILE", "--background-width FT", "--background-centre A,B",
          "--background-opacity P", "--background-mirror"})
        EXPECT_NE(outcome.out.find(option), std::string::npos) << option;
}

TEST_F(RenderCommand, BadBackgroundOptionsExitWithTwoAndBadPicturesWithOne) {
    const std::string text = (folder_ / "notes.png").string();
    std::ofstream(text) << "not a picture";
    const std::string empty = (folder_ / "empty.png").string();
    std::ofstream{empty};
    const std::string huge = (folder_ / "huge.png").string();
    std::ofstream(huge, std::ios::binary) << testsupport::pngWithoutPixels(20000, 20000);
    const std::string fifo = (folder_ / "fifo.png").string();
    const testsupport::WaitingFifo waiting(fifo);
    ASSERT_TRUE(waiting.made());
    struct Case {
        std::vector<std::string> options;
        int status;
        std::string message;
    };
    // The picture's file with a good width and centre, then `more`.
    const auto placed = [](const std::string& file, std::vector<std::string> more) {
        std::vector<std::string> options{"--background",        file, "--background-width", "10",
                                         "--background-centre", "0,0"};
        options.insert(options.end(), more.begin(), more.end());
        return options;
    };
    const Case cases[]{
        {placed(text, {"--background-width", "0"}), 2,
         "'0' is not a width in feet from 0.01 to 10000"},
        {placed(text, {"--background-width", "-2"}), 2, "'-2' is not a width in feet"},
        {placed(text, {"--background-width", "nan"}), 2, "'nan' is not a width in feet"},
        {placed(text, {"--background-width", "1e30"}), 2, "'1e30' is not a width in feet"},
        {placed(text, {"--background-centre", "1"}), 2, "'1' is not two numbers A,B"},
        {placed(text, {"--background-centre", "1,2e30"}), 2, "'2e30' is not a centre B in feet"},
        {placed(text, {"--background-opacity", "101"}), 2, "'101' is not an opacity in percent"},
        {{"--background", text, "--background-width", "10"}, 2, "needs --background-width and"},
        {{"--background-width", "10", "--background-centre", "0,0"}, 2, "need --background"},
        {placed("", {}), 2, "option --background needs a file name"},
        {placed(text, {"--view", "3d"}), 2, "applies to --view top and side only"},
        {placed(text, {}), 1, "The picture " + text + " cannot be shown: "},
        {placed(empty, {}), 1, "The picture " + empty + " cannot be shown: "},
        {placed(huge, {}), 1, "it is 20000 x 20000 pixels, more than 16384 a side"},
        {placed((folder_ / "gone.png").string(), {}), 1, "cannot be shown: File not found"},
        {placed(fifo, {}), 1, "cannot be shown: it is a pipe or a device, not a file"},
        {placed("/dev/zero", {}), 1, "cannot be shown: it is a pipe or a device, not a file"},
        {placed(folder_.string(), {}), 1, "cannot be shown: it is a folder, not a file"},
        {placed((folder_ / "gone\u202e.png").string(), {}), 1,
         "The picture " + (folder_ / "gone\\u202e.png").string() + " cannot be shown"},
    };
    const std::string out = png("background.png");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args{damageFile_, "-o", out, "--view", "top"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Outcome outcome = run(args);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// Qt refuses to decode more than 128 MiB unless told otherwise; ours go to 64 million pixels.
TEST_F(RenderCommand, APictureOverQtsOwnLimitIsDrawnAndQtSaysNothing) {
    const std::string large = (folder_ / "large.png").string();
    {
        QImage picture(6400, 5600, QImage::Format_RGB32); // 35.8 million pixels, 143 MB decoded
        picture.fill(Qt::red);
        ASSERT_TRUE(picture.save(QString::fromStdString(large)));
    }
    const Outcome outcome = run({damageFile_, "--view", "top", "-o", png("large.png.out"),
                                 "--background", large, "--background-width", "80",
                                 "--background-centre", "0,0", "--background-opacity", "100"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    const QImage drawn(QString::fromStdString(png("large.png.out")));
    ASSERT_FALSE(drawn.isNull());
    // Between the grid lines next to the centre, away from the boxes.
    EXPECT_EQ(drawn.pixelColor(drawn.width() / 2 + 5, drawn.height() / 2 + 3), QColor(Qt::red));
}

} // namespace
