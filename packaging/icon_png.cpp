// Build tool: icon_png IN.xpm OUT.png SIZE. The icons are drawn as XPM, which the program
// compiles in; desktops want PNG files in the icon theme. Refuses a picture of another size,
// so that a wrong file never lands in the wrong size's folder.

#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: icon_png IN.xpm OUT.png SIZE\n", stderr);
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    const int size = QByteArray(argv[3]).toInt();
    if (icon.isNull()) {
        std::fprintf(stderr, "icon_png: %s: cannot read the picture\n", argv[1]);
        return 1;
    }
    if (icon.width() != size || icon.height() != size) {
        std::fprintf(stderr, "icon_png: %s is %d x %d pixels, not %d x %d\n", argv[1], icon.width(),
                     icon.height(), size, size);
        return 1;
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_png: %s: cannot write the file\n", argv[2]);
        return 1;
    }
    return 0;
}
