// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: renders each SVG source to <name>.png at its own size in
// points and to <name>@2x.png at twice that, for HiDPI screens; with --size,
// renders one source to one square PNG of that many pixels (the icon theme).
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool render(QSvgRenderer& renderer, const QSize& size, int scale, const QString& path)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size * scale)));
    }
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    QTextStream err(stderr);
    if (argc == 5 && QByteArray(argv[1]) == "--size") {
        const int pixels = QByteArray(argv[2]).toInt();
        QSvgRenderer renderer(QString::fromLocal8Bit(argv[4]));
        if (pixels <= 0 || !renderer.isValid()) {
            err << "cannot read " << argv[4] << "\n";
            return 1;
        }
        if (!render(renderer, QSize(pixels, pixels), 1, QString::fromLocal8Bit(argv[3]))) {
            err << "cannot write " << argv[3] << "\n";
            return 1;
        }
        return 0;
    }
    if (argc < 3) {
        err << "usage: vt_render_svg <output folder> <file.svg>...\n"
               "       vt_render_svg --size <pixels> <output.png> <file.svg>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const QString source = QString::fromLocal8Bit(argv[i]);
        QSvgRenderer renderer(source);
        const QSize size = renderer.defaultSize();
        if (!renderer.isValid() || size.isEmpty()) {
            err << "cannot read " << source << "\n";
            return 1;
        }
        const QString base = outDir + QLatin1Char('/') + QFileInfo(source).completeBaseName();
        if (!render(renderer, size, 1, base + QStringLiteral(".png")) ||
            !render(renderer, size, 2, base + QStringLiteral("@2x.png"))) {
            err << "cannot write " << base << ".png\n";
            return 1;
        }
    }
    return 0;
}
