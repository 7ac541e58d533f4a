#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

/// Checks that the pictures compiled into the program load, with the sizes the windows expect.
class tst_Resources : public QObject
{
    Q_OBJECT
public:
    static void initMain();

private slots:
    void pictureSize_data();
    void pictureSize();
    void highDpiVariant_data();
    void highDpiVariant();
    void sixteenColours_data();
    void sixteenColours();
    void animatedClock();
    void logoIsJpeg();
    void cursorHotSpotIsFingertip();
    void scalableIconIsWellFormed();
};

void tst_Resources::initMain()
{
    // QIcon only looks for @2x files when the application itself runs at that ratio.
    qputenv("QT_SCALE_FACTOR", "2");
}

void tst_Resources::pictureSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    const int iconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (int size : iconSizes) {
        const QString path = QStringLiteral(":/icons/wakemere-%1.png").arg(size);
        QTest::newRow(qPrintable(path)) << path << QSize(size, size);
    }
    const struct { const char *name; int width; int height; } pictures[] = {
        {"clock16.png", 32, 32},           {"clock16@2x.png", 64, 64},
        {"clock.gif", 32, 32},
        {"folder-search-32.png", 32, 32},  {"folder-search-32@2x.png", 64, 64},
        {"folder-search-16.png", 16, 16},  {"folder-search-16@2x.png", 32, 32},
        {"speaker-32.png", 32, 32},        {"speaker-32@2x.png", 64, 64},
        {"speaker-dots-48.png", 48, 48},   {"speaker-dots-48@2x.png", 96, 96},
        {"logo.jpg", 127, 39},             {"logo@2x.jpg", 254, 78},
        {"hand-cursor.png", 32, 32},       {"hand-cursor@2x.png", 64, 64},
    };
    for (const auto &p : pictures) {
        const QString path = QStringLiteral(":/pictures/") + QLatin1String(p.name);
        QTest::newRow(p.name) << path << QSize(p.width, p.height);
    }
}

void tst_Resources::pictureSize()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
}

void tst_Resources::highDpiVariant_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("logicalSize");
    QTest::newRow("clock") << ":/pictures/clock16.png" << QSize(32, 32);
    QTest::newRow("folder 32") << ":/pictures/folder-search-32.png" << QSize(32, 32);
    QTest::newRow("folder 16") << ":/pictures/folder-search-16.png" << QSize(16, 16);
    QTest::newRow("speaker") << ":/pictures/speaker-32.png" << QSize(32, 32);
    QTest::newRow("speaker dots") << ":/pictures/speaker-dots-48.png" << QSize(48, 48);
    QTest::newRow("logo") << ":/pictures/logo.jpg" << QSize(127, 39);
    QTest::newRow("cursor") << ":/pictures/hand-cursor.png" << QSize(32, 32);
}

void tst_Resources::highDpiVariant()
{
    QFETCH(QString, path);
    QFETCH(QSize, logicalSize);
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    const QPixmap pixmap = QIcon(path).pixmap(logicalSize);
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    QCOMPARE(pixmap.size(), logicalSize * 2);
    // The double-size file itself, not the 1x picture blown up.
    QString doubled = path;
    doubled.insert(doubled.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
    QImage expected(doubled);
    QVERIFY2(!expected.isNull(), qPrintable(doubled));
    expected.setDevicePixelRatio(2.0);
    // Compared premultiplied, as a pixmap holds it; that rounds half-transparent pixels.
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void tst_Resources::sixteenColours_data()
{
    QTest::addColumn<QString>("path");
    const char *names[] = {"clock16.png", "clock16@2x.png", "folder-search-32.png",
                           "folder-search-16.png", "speaker-32.png", "speaker-dots-48.png"};
    for (const char *name : names)
        QTest::newRow(name) << QStringLiteral(":/pictures/") + QLatin1String(name);
}

void tst_Resources::sixteenColours()
{
    QFETCH(QString, path);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));
}

void tst_Resources::animatedClock()
{
    QImageReader reader(QStringLiteral(":/pictures/clock.gif"));
    QVERIFY(reader.supportsAnimation());
    QCOMPARE(reader.imageCount(), 3);
    QCOMPARE(reader.loopCount(), -1);

    QList<int> opaquePixels;
    for (int frame = 0; frame < 3; ++frame) {
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(reader.nextImageDelay(), 170);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        }
        opaquePixels << opaque;
    }
    // Each later frame adds a sound ray to the one before.
    QVERIFY(opaquePixels[0] < opaquePixels[1]);
    QVERIFY(opaquePixels[1] < opaquePixels[2]);
}

void tst_Resources::logoIsJpeg()
{
    QImageReader reader(QStringLiteral(":/pictures/logo.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(127, 39));
}

void tst_Resources::cursorHotSpotIsFingertip()
{
    const QImage cursor = QImage(QStringLiteral(":/pictures/hand-cursor.png"))
                              .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(qAlpha(cursor.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(cursor.pixel(31, 31)), 0);
    // Nothing above row 1, and the tip there is centred on column 12.
    int left = cursor.width();
    int right = -1;
    for (int x = 0; x < cursor.width(); ++x) {
        QCOMPARE(qAlpha(cursor.pixel(x, 0)), 0);
        if (qAlpha(cursor.pixel(x, 1)) == 255) {
            left = qMin(left, x);
            right = qMax(right, x);
        }
    }
    QCOMPARE(qAlpha(cursor.pixel(12, 1)), 255);
    QCOMPARE(left + right, 2 * 12);
}

void tst_Resources::scalableIconIsWellFormed()
{
    QFile file(QStringLiteral(":/icons/wakemere.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
