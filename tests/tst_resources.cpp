#include <QDirIterator>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

/// The pictures the windows show load, sharp on high-DPI screens.
class tst_Resources : public QObject
{
    Q_OBJECT
public:
    // QIcon only looks for @2x files when the application itself runs at that ratio.
    static void initMain() { qputenv("QT_SCALE_FACTOR", "2"); }

private slots:
    void doubleSizePicturesAreUsed();
};

void tst_Resources::doubleSizePicturesAreUsed()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    for (QDirIterator it(QStringLiteral(":/pictures")); it.hasNext();) {
        const QString path = it.next();
        const QImage single(path);
        QVERIFY2(!single.isNull(), qPrintable(path));
        QImage doubled(QString(path).insert(path.lastIndexOf('.'), QLatin1String("@2x")));
        if (path.contains(QLatin1String("@2x")) || doubled.isNull())
            continue;
        // At twice the pixel ratio: the double-size file itself, not the picture blown up.
        QCOMPARE(doubled.size(), single.size() * 2);
        const QPixmap pixmap = QIcon(path).pixmap(single.size());
        QCOMPARE(pixmap.devicePixelRatio(), 2.0);
        doubled.setDevicePixelRatio(2.0);
        // Compared premultiplied, as a pixmap holds it; that rounds half-transparent pixels.
        QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 doubled.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

QTEST_MAIN(tst_Resources)
#include "tst_resources.moc"
