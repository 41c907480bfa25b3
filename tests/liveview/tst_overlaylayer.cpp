// Overlays drawn from a picture of themselves: they look as they would drawn
// directly, and the picture is made again exactly when their look changes.
#include "liveview/overlaylayer.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QtTest>

#include <functional>

#include "common/imagediff.h"

namespace {

// A black window of 120 x 60 with one label on it, as on the live view.
struct Scene {
    QWidget window;
    QLabel *label;
    explicit Scene(const QString &style, const QString &text)
    {
        window.setStyleSheet(QStringLiteral("background-color: rgb(20, 60, 100);"));
        window.resize(120, 60);
        label = new QLabel(&window);
        label->setGeometry(10, 10, 90, 32);
        label->setStyleSheet(style);
        label->setText(text);
    }
    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

}   // namespace

class TestOverlayLayer : public QObject {
    Q_OBJECT
private slots:
    void looksAsDrawnDirectly_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("opacity");
        const QString readout = QStringLiteral("color: rgb(255, 255, 255);\nfont: bold 18pt \"DejaVu Sans\";");
        QTest::newRow("readout at 0.8") << readout << QStringLiteral("38.2\u2103") << 0.8;
        QTest::newRow("marker picture") << QStringLiteral("border-image: url(:/images/focus_high_32px.png);")
                                        << QString() << 1.0;
    }
    void looksAsDrawnDirectly()
    {
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(qreal, opacity);
        Scene direct(style, text);
        if (opacity < 1.0) {
            auto *e = new QGraphicsOpacityEffect(direct.label);
            e->setOpacity(opacity);
            direct.label->setGraphicsEffect(e);
        }
        Scene layered(style, text);
        new OverlayLayer(layered.label, opacity);
        const QImage a = direct.shot(), b = layered.shot();
        QVERIFY2(largestChannelDifference(a, b) <= 2, qPrintable(QString::number(largestChannelDifference(a, b))));
        // Something was drawn at all: many pixels differ from the window's own.
        int drawn = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                drawn += b.pixel(x, y) != b.pixel(115, 55);
        QVERIFY2(drawn > 40, qPrintable(QString::number(drawn)));
    }

    void pictureMadeOnlyWhenTheLookChanges()
    {
        Scene s(QStringLiteral("color: rgb(255, 255, 255);"), QStringLiteral("25.0"));
        auto *layer = new OverlayLayer(s.label);
        s.shot();
        QCOMPARE(layer->pictureCount(), 1);
        s.shot();
        s.label->move(30, 20);   // markers move on every refresh: the picture stays
        s.label->setText(QStringLiteral("25.0"));
        const QImage same = s.shot();
        QCOMPARE(layer->pictureCount(), 1);

        s.label->setText(QStringLiteral("26.0"));
        QVERIFY(s.shot() != same);
        QCOMPARE(layer->pictureCount(), 2);
        // Every other change of look makes it again, once.
        const std::function<void()> changes[] = {
            [&] { s.label->setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);")); },
            [&] { s.label->resize(40, 20); },
            [&] { s.label->setPixmap(QPixmap(8, 8)); },
            [&] { s.label->setEnabled(false); },
        };
        int pictures = 2;
        for (const auto &change : changes) {
            change();
            s.shot();
            QCOMPARE(layer->pictureCount(), ++pictures);
        }
    }
};

QTEST_MAIN(TestOverlayLayer)
#include "tst_overlaylayer.moc"
