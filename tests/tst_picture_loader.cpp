#include "core/picture_loader.h"
#include "test_pictures.h"

#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

class tst_PictureLoader : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!testing::writeAll(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void bmpPixelsReadBackExactly_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("24 bit") << int(QImage::Format_RGB32);
        QTest::newRow("8 bit palette") << int(QImage::Format_Indexed8);
        QTest::newRow("1 bit") << int(QImage::Format_Mono);
    }

    void bmpPixelsReadBackExactly()
    {
        QFETCH(int, format);
        const QImage source = testing::patternPicture(17, 5, QImage::Format(format));
        const QString path = file("pattern.bmp", testing::encoded(source, "BMP"));
        auto loaded = core::loadPicture(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
        QCOMPARE(loaded.value().size(), QSize(17, 5));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 17; ++x)
                QCOMPARE(loaded.value().pixel(x, y), core::fromQRgb(source.pixel(x, y)));
    }

    void jpegLoadsWithItsColours()
    {
        QImage source(40, 30, QImage::Format_RGB32);
        source.fill(qRgb(200, 40, 90));
        auto loaded = core::loadPicture(file("photo.jpg", testing::encoded(source, "JPEG", 100)));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded.value().size(), QSize(40, 30));
        const core::Colour c = loaded.value().pixel(20, 15);
        QVERIFY(qAbs(core::redOf(c) - 200) <= 3 && qAbs(core::greenOf(c) - 40) <= 3 &&
                qAbs(core::blueOf(c) - 90) <= 3);
    }

    void greyJpegBecomesRgb()
    {
        QImage source(8, 8, QImage::Format_Grayscale8);
        source.fill(100);
        auto loaded = core::loadPicture(file("grey.jpg", testing::encoded(source, "JPEG", 100)));
        QVERIFY(loaded.ok());
        const core::Colour c = loaded.value().pixel(3, 3);
        QCOMPARE(core::redOf(c), core::greenOf(c));
        QCOMPARE(core::greenOf(c), core::blueOf(c));
        QCOMPARE(loaded.value().image().format(), QImage::Format_RGB32);
    }

    void exifOrientationTurnsThePhotoUpright()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        QVERIFY(writer.write(testing::patternPicture(40, 20)));
        auto loaded = core::loadPicture(file("turned.jpg", bytes));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded.value().size(), QSize(20, 40));
    }

    void alphaIsDroppedNotBlended()
    {
        QImage source(2, 1, QImage::Format_ARGB32);
        source.setPixel(0, 0, qRgba(200, 100, 50, 0));
        source.setPixel(1, 0, qRgba(10, 20, 30, 128));
        auto loaded = core::loadPicture(file("alpha.png", testing::encoded(source, "PNG")));
        QVERIFY(loaded.ok());
        QCOMPARE(loaded.value().pixel(0, 0), core::rgb(200, 100, 50));
        QCOMPARE(loaded.value().pixel(1, 0), core::rgb(10, 20, 30));
    }

    void completeFilesWithHarmlessOddities_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray jpeg = testing::encoded(testing::patternPicture(30, 30), "JPEG");
        QTest::newRow("JPEG with a trailer after its end") << jpeg + QByteArray(500, '\x42');
        QByteArray bmp = testing::encoded(testing::patternPicture(3, 3), "BMP");
        bmp.chop(3); // 3 pixels of 24 bits: the last row's padding
        QTest::newRow("BMP without the last row's padding") << bmp;
    }

    void completeFilesWithHarmlessOddities()
    {
        QFETCH(QByteArray, bytes);
        auto loaded = core::decodePicture(bytes, "odd");
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().toString()));
    }

    void failuresNameThePathAndTheReason_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: do not create the file

        QTest::newRow("missing") << "missing.bmp" << QByteArray();
        QTest::newRow("empty") << "empty.bmp" << QByteArray("");
        QTest::newRow("garbage") << "garbage.bmp" << QByteArray(4096, '\x5A');
        QTest::newRow("text") << "notes.jpg" << QByteArray("just some words\n");
        QTest::newRow("unsupported format")
            << "icon.bmp"
            << QByteArray("/* XPM */\nstatic char *x[] = {\n"
                          "\"1 1 1 1\",\n\"a c #ff0000\",\n\"a\"};\n");
    }

    void failuresNameThePathAndTheReason()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        const QString path = bytes.isNull() ? m_dir.filePath(name) : file(name, bytes);
        auto loaded = core::loadPicture(path);
        QVERIFY(!loaded.ok());
        QCOMPARE(loaded.error().kind, core::Error::Kind::CannotRead);
        QCOMPARE(loaded.error().path, path);
        QVERIFY(!loaded.error().reason.isEmpty());
    }
};

QTEST_MAIN(tst_PictureLoader)
#include "tst_picture_loader.moc"
