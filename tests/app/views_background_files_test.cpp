// Plan pictures as the program keeps them per damage file: carried along by Save As, and several
// that cannot be shown said in one box; a picture file's size limits, and its reduction to a frame.
#include "../support/png_header.h"
#include "commands_fixture.h"

#include "paint_box.h"
#include "side_view.h"
#include "top_view.h"
#include "views/background_painter.h"

#include <QImage>
#include <QTemporaryDir>

namespace {

using namespace commandtest;

class PicturesPerFile : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        QImage plan(40, 20, QImage::Format_RGB32);
        plan.fill(Qt::white);
        planFile_ = filePath(QStringLiteral("plan.png"));
        ASSERT_TRUE(plan.save(planFile_));
    }
    QString line(const QString& file, int width) const {
        return QStringLiteral("%1;0;0;100;0;%2").arg(width).arg(file);
    }
    std::string stored(const char* key) const {
        return CommandTest::stored("Background Pictures", key);
    }
    void keep(const char* key, const QString& value) const {
        ini().writeString("Background Pictures", key, localPath(value));
    }
    static QImage shown(QWidget* box) { return box->grab().toImage(); }

    QString planFile_;
};

// The copy shows what the file showed: its lines are copied to the new name (one the new name had
// and the file has not is removed), the old name keeps its own, and nothing is read again.
TEST_F(PicturesPerFile, SaveAsCarriesTheFilesPicturesToTheNewName) {
    const QString path = copySample("27damage.dat");
    keep("top 27damage.dat", line(planFile_, 80));
    keep("side 27copy.dat", line(planFile_, 30)); // the copy's name had a picture of its own
    open(path);
    const QImage top = shown(Form5->pb1);
    const QImage side = shown(Form6->pb2);

    saveAs(filePath(QStringLiteral("27copy.dat")));
    EXPECT_EQ(stored("top 27copy.dat"), localPath(line(planFile_, 80)));
    EXPECT_EQ(stored("side 27copy.dat"), "<missing>");
    EXPECT_EQ(stored("top 27damage.dat"), localPath(line(planFile_, 80)));
    EXPECT_EQ(shown(Form5->pb1), top);
    EXPECT_EQ(shown(Form6->pb2), side);

    // Saved again under the same name in another folder: the same key, nothing changes.
    QDir().mkpath(filePath(QStringLiteral("other")));
    saveAs(filePath(QStringLiteral("other/27copy.dat")));
    EXPECT_EQ(stored("top 27copy.dat"), localPath(line(planFile_, 80)));
    EXPECT_EQ(shown(Form5->pb1), top);
    EXPECT_TRUE(errors_.shown.empty()) << errors_.texts().join('\n').toStdString();
}

TEST_F(PicturesPerFile, PicturesThatCannotBeShownAreSaidInOneBox) {
    const QString gone = filePath(QStringLiteral("gone.png"));
    const QString notAPicture = filePath(QStringLiteral("notes.png"));
    writeBytes(notAPicture, "no picture");
    keep("top 27damage.dat", line(gone, 80));
    keep("side 27damage.dat", line(notAPicture, 30));
    program::destroyWindows(); // a start with the file on the command line
    program::createWindows();
    program::openAtStart(copySample("27damage.dat"));
    QCoreApplication::processEvents();
    ASSERT_EQ(errors_.shown.size(), 1u) << errors_.texts().join("\n---\n").toStdString();
    const QString text = errors_.shown[0].text;
    EXPECT_TRUE(text.contains(gone)) << text.toStdString();
    EXPECT_TRUE(text.contains(notAPicture)) << text.toStdString();

    // Drawn again and opened again, nothing more is said.
    Form5->pb1Paint();
    Form6->pb2Paint();
    QCoreApplication::processEvents();
    EXPECT_EQ(errors_.shown.size(), 1u);
}

// The size is read from the picture's header and refused past the limits before a pixel is
// decoded. These files hold no pixels, so one within the limits fails only when it is read.
TEST(PictureFiles, PicturesPastTheSizeLimitsAreRefusedBeforeTheyAreRead) {
    struct Case {
        const char* name;
        std::uint32_t width, height;
        bool tooLarge;
    };
    const Case cases[] = {
        {"the widest", 16384, 1, false},
        {"one wider", 16385, 1, true},
        {"one taller", 1, 16385, true},
        {"the most pixels", 16384, 4096, false},
        {"more pixels, neither side too long", 8193, 8193, true},
    };
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("plan.png"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray::fromStdString(testsupport::pngWithoutPixels(c.width, c.height)));
        out.close();
        try {
            readBackgroundPicture(file);
            ADD_FAILURE() << "read without pixels";
        } catch (const dm::DamageError& error) {
            const std::string text = error.what();
            EXPECT_EQ(text.find("more than 16384 a side") != std::string::npos, c.tooLarge) << text;
        }
    }
}

// Reduced to whole pixels about its frame's size, but never to nothing.
TEST(PictureFiles, APictureIsReducedToItsFrameButNeverBelowAPixel) {
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    struct Case {
        const char* name;
        double width, height;
        QSize reduced;
    };
    const Case cases[] = {
        {"a larger frame", 80, 40, {40, 20}},     {"as wide and lower", 40, 10, {40, 20}},
        {"a smaller frame", 10.4, 5.6, {10, 6}},  {"narrower than a pixel", 0.3, 5, {1, 5}},
        {"lower than a pixel", 10, 0.2, {10, 1}},
    };
    for (const Case& c : cases) {
        dm::PictureFrame frame;
        frame.width = c.width;
        frame.height = c.height;
        EXPECT_EQ(reducedForFrame(picture, frame).size(), c.reduced) << c.name;
    }
}

} // namespace
