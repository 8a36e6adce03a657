// Build-time tool: renders the app's scalable icon into the PNG sizes of the hicolor theme.
//   vexa-render-icon ICON.svg OUTDIR SIZE...   writes OUTDIR/<SIZE>.png

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: vexa-render-icon ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(args.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    const QDir out(args.at(2));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "bad size %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        if (!image.save(out.filePath(QString::number(size) + QStringLiteral(".png")), "PNG"))
            return 1;
    }
    return 0;
}
