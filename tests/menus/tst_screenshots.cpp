// Every screen of the menu tree rendered offscreen at its place on the
// 240 x 320 screen, saved as <build>/screenshots/<Class>.png to be looked at.
#include "app/norvik7.h"
#include "common/testboard.h"
#include <QPixmap>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLinearGradient>
#include <QMetaMethod>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

namespace {

QString screenshotDir()
{
    const QString build = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath());
    const QString dir = build + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    return dir;
}

// What the live view roughly looks like behind the translucent menus.
QImage backdrop()
{
    QImage img(240, 320, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 320, 0, 0);
    g.setColorAt(0.0, QColor(0x20, 0x08, 0x50));
    g.setColorAt(0.5, QColor(0xb0, 0x20, 0x60));
    g.setColorAt(0.8, QColor(0xf0, 0x80, 0x10));
    g.setColorAt(1.0, QColor(0xff, 0xf0, 0x90));
    p.fillRect(img.rect(), g);
    return img;
}

QString screenName(QWidget *menu, QStringList &taken)
{
    QString name = QString::fromLatin1(menu->metaObject()->className());
    const QString base = name;
    for (int i = 2; taken.contains(name); ++i)
        name = base + QLatin1Char('_') + QString::number(i);
    taken << name;
    return name;
}

}   // namespace

class TestScreenshots : public QObject {
    Q_OBJECT
private slots:
    // Every screen draws something, and every picture it names loads.
    void everyScreenRenders()
    {
        TestBoard board;
        Norvik7 w;
        QStringList taken;
        QStringList missing;
        const QRegularExpression url(QStringLiteral("url\\((:/[^)]+)\\)"));
        const QString dir = screenshotDir();
        for (QWidget *menu : w.menuWindows()) {
            const QString name = screenName(menu, taken);
            // The viewer shows a picture of the card; give it one.
            if (auto *shown = menu->findChild<QLabel *>(QStringLiteral("ShowImageLabel")))
                shown->setPixmap(QPixmap::fromImage(backdrop()));
            // Opened as the menu tree opens it (its own enable slot), so the
            // focus sits where a person would find it.
            const QMetaObject *meta = menu->metaObject();
            const QByteArray enable = QByteArray(meta->className()).toLower() + "enable()";
            bool opened = false;
            for (int i = meta->methodOffset(); i < meta->methodCount() && !opened; ++i)
                if (meta->method(i).methodSignature().toLower() == enable)
                    opened = meta->method(i).invoke(menu);
            if (!opened || menu->isHidden())
                menu->show();
            menu->activateWindow();
            QApplication::processEvents();
            const QImage shot = menu->grab().toImage();
            menu->hide();
            QVERIFY2(!shot.isNull(), qPrintable(name));
            QCOMPARE(shot.size(), menu->size());

            // Something is drawn: the picture is not one flat colour.
            const QImage small = shot.convertToFormat(QImage::Format_ARGB32);
            bool varied = false;
            for (int y = 0; y < small.height() && !varied; ++y)
                for (int x = 0; x < small.width() && !varied; ++x)
                    varied = small.pixel(x, y) != small.pixel(0, 0);
            if (QString::fromLatin1(menu->metaObject()->className()) != QLatin1String("myWidget"))
                QVERIFY2(varied, qPrintable(name + " draws nothing"));

            QImage screen = backdrop();
            QPainter p(&screen);
            p.setOpacity(menu->windowOpacity());
            const QRect place =
                menu->geometry().isValid() && menu->width() <= 240 ? menu->geometry() : QRect(0, 0, 240, 320);
            p.drawImage(place.topLeft(), shot);
            p.end();
            QVERIFY(screen.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));

            // Pictures named by style sheets, labels and button icons all load.
            QList<QWidget *> widgets = menu->findChildren<QWidget *>();
            widgets << menu;
            for (QWidget *wd : widgets) {
                const QString where = name + QLatin1Char('.') + wd->objectName();
                auto it = url.globalMatch(wd->styleSheet());
                while (it.hasNext()) {
                    const QString path = it.next().captured(1);
                    if (!QFile::exists(path))
                        missing << where + QLatin1Char(' ') + path;
                }
                if (auto *b = qobject_cast<QAbstractButton *>(wd);
                    b && !b->icon().isNull() && b->icon().pixmap(QSize(16, 16)).isNull())
                    missing << where + QStringLiteral(" icon");
                if (auto *l = qobject_cast<QLabel *>(wd);
                    l && l->text().isEmpty() && l->hasScaledContents() && l->pixmap().isNull())
                    missing << where + QStringLiteral(" pixmap");
            }
        }
        QCOMPARE(taken.size(), 38);
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1String(", "))));
    }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
