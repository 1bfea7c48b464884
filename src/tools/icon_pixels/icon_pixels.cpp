// Build step: turns PNG pictures into a C++ source holding their pixels, so that the editor shows
// its icon without decoding an image file at start-up.
#include <QImage>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* fileName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

void writeSizes(std::FILE* out, const char* name, const char* what,
                const std::vector<QImage>& images, int (QImage::*size)() const) {
    std::fprintf(out, "extern const int %s%s[] = {", name, what);
    for (const QImage& image : images)
        std::fprintf(out, " %d,", (image.*size)());
    std::fprintf(out, " };\n");
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: icon_pixels OUTPUT.cpp NAME PNG...\n");
        return 2;
    }
    const char* name = argv[2];
    std::vector<QImage> images;
    for (int i = 3; i < argc; ++i) {
        images.push_back(
            QImage(QString::fromLocal8Bit(argv[i])).convertToFormat(QImage::Format_ARGB32));
        if (images.back().isNull()) {
            std::fprintf(stderr, "icon_pixels: cannot read %s\n", argv[i]);
            return 1;
        }
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(out, "// Made by icon_pixels from");
    for (int i = 3; i < argc; ++i)
        std::fprintf(out, " %s", fileName(argv[i]));
    std::fprintf(out, ".\n#include <cstdint>\n\n");
    std::fprintf(out, "extern const int %sCount = %zu;\n", name, images.size());
    writeSizes(out, name, "Widths", images, &QImage::width);
    writeSizes(out, name, "Heights", images, &QImage::height);
    std::fprintf(out, "extern const std::uint32_t %sPixels[] = {", name);
    for (const QImage& image : images)
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                std::fprintf(out, "%s0x%08x,", x % 8 == 0 ? "\n    " : " ", line[x]);
        }
    std::fprintf(out, "\n};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
