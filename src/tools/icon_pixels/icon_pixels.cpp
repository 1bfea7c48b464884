// Build step: turns a PNG into a C++ source holding its pixels, so that the editor shows its icon
// without decoding an image file at start-up.
#include <QImage>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: icon_pixels PNG OUTPUT.cpp NAME\n");
        return 2;
    }
    const QImage image =
        QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "icon_pixels: cannot read %s\n", argv[1]);
        return 1;
    }
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    const char* slash = std::strrchr(argv[1], '/');
    std::fprintf(out, "// Made by icon_pixels from %s.\n#include <cstdint>\n\n",
                 slash ? slash + 1 : argv[1]);
    std::fprintf(out, "extern const int %sWidth = %d;\nextern const int %sHeight = %d;\n", argv[3],
                 image.width(), argv[3], image.height());
    std::fprintf(out, "extern const std::uint32_t %sPixels[] = {", argv[3]);
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            std::fprintf(out, "%s0x%08x,", x % 8 == 0 ? "\n    " : " ", line[x]);
    }
    std::fprintf(out, "\n};\n");
    return std::fclose(out) == 0 ? 0 : 1;
}
