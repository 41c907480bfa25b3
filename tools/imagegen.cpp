// Build-time tool: renders the product's SVG drawings into the PNG and BMP
// files of the image resources, as listed in a manifest of lines
//   <svg file> <output file> <width> <height>
// relative to the source and output folders given on the command line.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: imagegen MANIFEST SVG_DIR OUT_DIR\n");
        return 2;
    }
    QFile manifest(QString::fromLocal8Bit(argv[1]));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "imagegen: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir svgDir(QString::fromLocal8Bit(argv[2]));
    const QDir outDir(QString::fromLocal8Bit(argv[3]));
    QTextStream in(&manifest);
    int failures = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (f.size() != 4) {
            std::fprintf(stderr, "imagegen: bad line: %s\n", qPrintable(line));
            ++failures;
            continue;
        }
        QSvgRenderer svg(svgDir.filePath(f[0]));
        if (!svg.isValid()) {
            std::fprintf(stderr, "imagegen: cannot render %s\n", qPrintable(f[0]));
            ++failures;
            continue;
        }
        const QString out = outDir.filePath(f[1]);
        const bool opaque = out.endsWith(QLatin1String(".bmp")) || out.endsWith(QLatin1String(".jpg"));
        QImage img(f[2].toInt(), f[3].toInt(), opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
        img.fill(opaque ? Qt::black : Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
        p.end();
        QDir().mkpath(QFileInfo(out).absolutePath());
        if (!(opaque ? img.convertToFormat(QImage::Format_RGB888) : img).save(out)) {
            std::fprintf(stderr, "imagegen: cannot write %s\n", qPrintable(out));
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
