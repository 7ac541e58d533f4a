#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

/// The pictures the windows show load, sharp on high-DPI screens; the cursor fits its hot spot.
class tst_Resources : public QObject
{
    Q_OBJECT
public:
    static void initMain();

private slots:
    void picture_data();
    void picture();
    void alarmClockLoads();
    void cursorHotSpotIsFingertip();
};

void tst_Resources::initMain()
{
    // QIcon only looks for @2x files when the application itself runs at that ratio.
    qputenv("QT_SCALE_FACTOR", "2");
}

void tst_Resources::picture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("clock") << ":/pictures/clock16.png" << QSize(32, 32);
    QTest::newRow("folder 32") << ":/pictures/folder-search-32.png" << QSize(32, 32);
    QTest::newRow("folder 16") << ":/pictures/folder-search-16.png" << QSize(16, 16);
    QTest::newRow("speaker") << ":/pictures/speaker-32.png" << QSize(32, 32);
    QTest::newRow("speaker dots") << ":/pictures/speaker-dots-48.png" << QSize(48, 48);
    QTest::newRow("logo") << ":/pictures/logo.jpg" << QSize(127, 39);
    QTest::newRow("cursor") << ":/pictures/hand-cursor.png" << QSize(32, 32);
}

void tst_Resources::picture()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    // At twice the pixel ratio: the double-size file itself, not the picture blown up.
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    const QPixmap pixmap = QIcon(path).pixmap(size);
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    QString doubled = path;
    doubled.insert(doubled.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
    QImage expected(doubled);
    QCOMPARE(expected.size(), size * 2);
    expected.setDevicePixelRatio(2.0);
    // Compared premultiplied, as a pixmap holds it; that rounds half-transparent pixels.
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void tst_Resources::alarmClockLoads()
{
    // The alarm window shows the first frame; there is no double-size file.
    QCOMPARE(QImage(QStringLiteral(":/pictures/clock.gif")).size(), QSize(32, 32));
}

void tst_Resources::cursorHotSpotIsFingertip()
{
    const QImage cursor = QImage(QStringLiteral(":/pictures/hand-cursor.png"))
                              .convertToFormat(QImage::Format_ARGB32);
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
    QCOMPARE(left + right, 2 * 12);
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
