// Build-time tool: draws the live view's colour-bar pictures straight from the
// palette tables the live picture is coloured with, so the bar beside the
// picture can never disagree with it. One picture per palette, 16 x 256, the
// hottest entry at the top.
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

namespace {
// The picture of each palette, in menu order.
const char *const kFiles[palettes::kCount] = {
    "colormap_Iron.png",     "colormap_RainBow.png", "colormap_grayscale.png", "colormap_chamo.png",
    "colormap_blackhot.png", "colormap_Lava.png",    "colormap_RainBowHC.png",
};
constexpr int kWidth = 16;
}   // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: colorbargen OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.absolutePath());
    int failures = 0;
    for (int n = 1; n <= palettes::kCount; ++n) {
        const Palette *p = palettes::byNumber(n);
        const framepath::Rgb888Table t = framepath::expand(*p->table, p->inverted);
        QImage img(kWidth, 256, QImage::Format_RGB888);
        for (int y = 0; y < 256; ++y) {
            const uint8_t *c = t.rgb[255 - y];
            uchar *line = img.scanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                line[3 * x] = c[0];
                line[3 * x + 1] = c[1];
                line[3 * x + 2] = c[2];
            }
        }
        const QString file = out.filePath(QString::fromLatin1(kFiles[n - 1]));
        if (!img.save(file)) {
            std::fprintf(stderr, "colorbargen: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
