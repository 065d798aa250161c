// Build tool: draws the program's SVG icon as a square PNG for the icon theme, with the same SVG
// renderer as the window, so that the theme's pictures and the window's icon never differ.
// Usage: quillmere-render-icon SOURCE.svg SIDE TARGET.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: quillmere-render-icon SOURCE.svg SIDE TARGET.png\n", stderr);
        return 2;
    }
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString source = QString::fromLocal8Bit(argv[1]);
    bool isNumber = false;
    const int side = QString::fromLocal8Bit(argv[2]).toInt(&isNumber);
    if (!isNumber || side < 1 || side > 1024) {
        std::fprintf(stderr, "quillmere-render-icon: invalid size '%s'\n", argv[2]);
        return 2;
    }
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "quillmere-render-icon: cannot read '%s'\n", argv[1]);
        return 1;
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "quillmere-render-icon: cannot write '%s'\n", argv[3]);
        return 1;
    }
    return 0;
}
