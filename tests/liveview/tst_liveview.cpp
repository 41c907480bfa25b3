// The live view as a person uses it: frames in, readouts, markers, the
// temperature server's reading, the measurement options, alerts and the
// screen's overlays out; every shown text translated.
#include "common/imagediff.h"
#include "common/livedevice.h"
#include "core/config.h"
#include "liveview/livesurface.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/overlaylayer.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xffffff; }   // colours compared without their alpha
uint16_t raw(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16.0)); }

// The live view after start-up, the infrared module absent: frames come only
// from the test.
struct Device : LiveDevice {
    Device()
        : LiveDevice([](TestBoard &b) {
              b.write(QStringLiteral("/sim/ir_module"), "absent");
              viewState.setImageEnable.store(true);   // frames shown from the first
          })
    {
        boot();
    }
    // One frame through the frame slots, in the acquisition thread's order, of
    // a gradient picture.
    void frame(int counter, double centre, double max = 40, double min = 10, double zone = 30, QPoint maxAt = {96, 100},
               QPoint minAt = {10, 200}) const
    {
        QImage img(192, 256, QImage::Format_RGB888);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 192; ++x)
                img.setPixel(x, y, rgb(x + 40, (y * 255) / 256, 60));
        w->updateMaxMinTemp(maxAt.y(), maxAt.x(), minAt.y(), minAt.x(), counter);
        w->updateZoneMaxMinTemp(100, 96, 120, 80, counter);
        w->updateThermalCameraImage(img, QImage(), raw(centre), raw(max), raw(min), raw(zone), counter);
    }
    void tick(QCheckBox *box, bool on = true) const
    {
        if (box->isChecked() != on)
            box->click();
    }
    // The window as it is on the screen, and as drawn whole the ordinary way.
    QImage onScreen() const
    {
        QCoreApplication::processEvents();
        return w->screen()->grabWindow(w->winId(), 0, 0, 240, 320).toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage drawnWhole() const
    {
        w->repaint();
        return onScreen();
    }
};

// Every message of a .ts file (context: "source") with what is wrong with its
// translation: "" when it is finished, else its type or "empty".
QList<std::pair<QString, QString>> messages(const QString &path)
{
    QList<std::pair<QString, QString>> out;
    QFile f(path);
    f.open(QIODevice::ReadOnly);   // unreadable: an error of the reader, no messages
    QXmlStreamReader xml(&f);
    QString context, source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation") {
            const QString type = xml.attributes().value("type").toString();
            const bool empty = xml.readElementText().isEmpty();
            out.append({context + ": \"" + source + '"', type.isEmpty() && empty ? QStringLiteral("empty") : type});
        }
    }
    return xml.hasError() ? QList<std::pair<QString, QString>>() : out;
}
}   // namespace

class TestLiveView : public QObject {
    Q_OBJECT
private slots:
    void readoutsAndMeasurementOptions()
    {
        Device d;
        Norvik7 &w = *d.w;
        QSignalSpy server(&w, &Norvik7::sendMaxTempToTcpserver);
        d.tick(w.tempSubMenu->checkBox_2);
        for (int counter = 1; counter <= 4; ++counter)
            d.frame(counter, 25.0);
        QVERIFY(viewState.max_temp.isEmpty() && server.isEmpty());
        // The hot spot at column 5 pins its marker to the left edge; the cold one's text goes left of it.
        d.frame(5, 25.0, 40.0, 10.0, 30.0, QPoint(5, 100), QPoint(150, 3));
        QCOMPARE((QStringList{w.TempLabel->text(), w.MaxTempValueLabel->text(), w.MaxTempLabel->text(),
                              w.MinTempLabel->text(), w.HighTempTextLabel->text(), w.LowTempTextLabel->text(),
                              viewState.max_temp}),
                 (QStringList{"25.0\u2103 ", "40.0\u2103 ", "40.0", "10.0", "40.0", "10.0", "40.0"}));
        QCOMPARE(viewState.centerTempValue, raw(25.0));
        QCOMPARE((QList<QPoint>{w.HighTempLabel->pos(), w.LowTempLabel->pos()}),
                 (QList<QPoint>{{-16, 109}, {171, -13}}));
        QCOMPARE(QVector<int>({w.LowTempTextLabel->geometry().right(), w.MaxTempValueLabel->y()}),
                 QVector<int>({170, 51 - w.MaxTempValueLabel->height() / 2}));
        // Between refresh frames the readouts and markers hold, whatever arrives.
        d.frame(6, 60.0, 80.0, 5.0, 70.0, QPoint(96, 128), QPoint(96, 128));
        QCOMPARE(w.TempLabel->text(), QStringLiteral("25.0\u2103 "));
        QCOMPARE(w.HighTempLabel->pos(), QPoint(-16, 109));
        d.frame(10, 60.0, 80.0, 5.0, 70.0);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("60.0\u2103 "));
        d.frame(15, 33.0, 33.0, 33.0, 33.0);   // a flat frame shows zero everywhere
        QCOMPARE(w.MaxTempValueLabel->text(), QStringLiteral("0.0\u2103 "));
        // The temperature server gets the frame maximum (the zone is not shown)
        // and the threshold the alert uses: kept within its band, the factory
        // one when there is none.
        for (const auto &[stored, sent] : {std::pair{"130", 130.05f}, {"600", 550.05f}, {"", 130.05f}}) {
            config::write(config::Main, QStringLiteral("high_temp_c"), QString::fromLatin1(stored));
            d.frame(20, 21.3, 36.5);
            QVERIFY(qAbs(server.last().at(0).toFloat() - 36.525f) < 0.01f && server.last().at(2).toFloat() == 0.955f);
            QVERIFY2(qAbs(server.last().at(1).toFloat() - sent) < 0.01f, stored);
        }
        w.temperatureUnitSetMenu->radioButton_2->click();
        d.frame(25, 21.3, 36.5);
        QCOMPARE(w.TempLabel->text(), QStringLiteral("70.4\u2109 "));
        QVERIFY(qAbs(server.last().at(0).toFloat() - 97.705f) < 0.01f &&
                qAbs(server.last().at(1).toFloat() - 266.05f) < 0.01f);

        // Boxes ticked in this order (c centre, h hot/cold, z zone); those ticked after; the readouts shown.
        const QStringList options[] = {{"c h z", "z", "zone"},   // the zone turns centre and hot/cold off
                                       {"z c", "c", "centre"},   // the centre turns the zone off
                                       {"z c h", "c h", "centre max"},
                                       {"z h", "h", "max"},
                                       {"", "", "centre"}};   // none ticked: the centre readout
        QCheckBox *boxes[] = {w.tempSubMenu->checkBox, w.tempSubMenu->checkBox_2, w.tempSubMenu->checkBox_3};
        const QWidget *marks[] = {w.FocusLabel, w.HighTempLabel, w.Zone};
        const QLabel *values[] = {w.TempLabel, w.MaxTempValueLabel, w.ZoneHighTempValueLabel};
        const QStringList letters{"c", "h", "z"}, names{"centre", "max", "zone"};
        for (const QStringList &clicksTickedShown : options) {
            for (QCheckBox *b : boxes)   // all off to start with
                d.tick(b, false);
            for (const QString &c : clicksTickedShown[0].split(' ', Qt::SkipEmptyParts))
                d.tick(boxes[letters.indexOf(c)]);
            d.frame(30, 25.0, 40.0, 10.0, 33.0);
            QStringList ticked, shown;
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(marks[i]->isVisible(), boxes[i]->isChecked());
                if (boxes[i]->isChecked())
                    ticked << letters[i];
                if (values[i]->isVisible())
                    shown << names[i];
            }
            QCOMPARE((QStringList{ticked.join(' '), shown.join(' ')}), clicksTickedShown.mid(1));
            QCOMPARE(d.key("zone") + d.key("center_focus"),
                     QString(ticked.contains("z") ? "Yes" : "No") + (ticked.contains("c") ? "Yes" : "No"));
        }
    }

    // What is on the screen (the window's backing store) while frames come, when
    // an overlay changes between frames and after frames stop, against the window
    // drawn whole the ordinary way; the overlays' stacking order while frames come.
    void screenShowsEveryOverlayWhetherFramesComeOrNot()
    {
        Device d;
        Norvik7 &w = *d.w;
        d.tick(w.tempSubMenu->checkBox);   // readouts of every kind: the centre one at 0.8, markers, a cursor
        d.tick(w.cursorSubMenu->checkBox_3);
        for (int counter = 1; counter <= 5; ++counter)
            d.frame(counter, 25.0);
        QVERIFY(w.liveSurface->isLive() && w.TempLabel->isVisible());
        const QImage live = d.onScreen();
        w.MaxTempLabel->setText(QStringLiteral("77.7"));   // changed between frames: shown with the next
        d.frame(6, 25.0);
        const QImage changedLive = d.onScreen();
        QVERIFY(changedLive != live);
        // Frames stop (a capture holds the picture): the screen is the window
        // drawn whole, and a change now shows at once.
        QTRY_VERIFY(!w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(d.onScreen(), changedLive) <= 2);
        QVERIFY(largestChannelDifference(d.drawnWhole(), changedLive) <= 2);
        w.MaxTempLabel->setText(QStringLiteral("12.3"));
        w.FocusLabel->hide();
        const QImage changedStill = d.onScreen();
        QVERIFY(largestChannelDifference(changedStill, changedLive) > 2);
        QVERIFY(largestChannelDifference(d.drawnWhole(), changedStill) <= 2);
        d.frame(7, 25.0);   // frames again
        QVERIFY(w.liveSurface->isLive());
        QVERIFY(largestChannelDifference(d.onScreen(), changedStill) <= 2);

        // A raise, a lower, one added and one destroyed all show with the next frame.
        auto square = [&](const char *colour) {
            auto *l = new QLabel(w.DisplayLabel->parentWidget());
            l->setGeometry(100, 150, 20, 20);
            l->setStyleSheet(QStringLiteral("background-color: %1;").arg(QLatin1String(colour)));
            new OverlayLayer(l);
            l->show();
            return l;
        };
        auto atSquare = [&](int counter) {
            d.frame(counter, 25.0);
            return d.onScreen().pixel(110, 160) & 0xffffff;
        };
        QLabel *red = square("rgb(255, 0, 0)");
        QLabel *blue = square("rgb(0, 0, 255)");
        QCOMPARE(atSquare(8), rgb(0, 0, 255));
        red->raise();
        QCOMPARE(atSquare(9), rgb(255, 0, 0));
        delete red;
        QCOMPARE(atSquare(10), rgb(0, 0, 255));
        blue->lower();   // below the picture it is hidden by it
        QCOMPARE(atSquare(11), w.DisplayLabel->pixmap().toImage().pixel(110, 160) & 0xffffff);
        delete blue;
    }

    void alertsOnTheScreen()
    {
        // The high alert blinks with the output, frame by frame; the low one is
        // steady and leaves it low. Unit (F), zone ticked (z), maximum, minimum; what shows.
        Device d;
        Norvik7 &w = *d.w;
        for (const QString &kv : QStringLiteral("high_temp_c=130 low_temp_c=20 low_temp_f=68").split(' '))
            config::write(config::Main, kv.section('=', 0, 0), kv.section('=', 1));
        w.hiloAlertSetMenu->radioButton->click();   // both on
        w.hiloAlertSetMenu->radioButton_3->click();
        const struct {
            const char *state;
            float max, min;
            const char *shown;
        } rows[] = {{"C", 130.0f, 25.0f, "high"},   // exactly at the threshold
                    {"C", 25.0f, 20.0f, "low"},
                    {"Cz", 25.0f, -5.0f, ""},   // the zone ticked: no low alert
                    {"F", 130.0f, 25.0f, "high"},
                    {"F", 25.0f, 21.0f, ""}};   // the low one compared in Celsius: above
        for (const auto &row : rows) {
            w.tempSubMenu->checkBox_3->setChecked(row.state[1] == 'z');
            (row.state[0] == 'F' ? w.temperatureUnitSetMenu->radioButton_2 : w.temperatureUnitSetMenu->radioButton)
                ->click();
            HiLoAlertSetMenu::led_on = 0;
            d.board.write("/sim/gpio/1", "0");
            for (int frame = 0; frame < 4; ++frame) {
                w.evaluateAlerts(row.max, row.min);
                const bool high = row.shown == QLatin1String("high") && frame % 2 == 0,
                           low = row.shown == QLatin1String("low");
                QCOMPARE((QVector<bool>{w.HighAlertLabel->isVisible(), w.HighAlertTextLabel->isVisible(),
                                        w.LowAlertLabel->isVisible(), w.LowAlertTextLabel->isVisible(),
                                        d.board.read("/sim/gpio/1").trimmed() == "1"}),
                         (QVector<bool>{high, high, low, low, high}));
            }
        }
        // Switched off in the menu during an alarm: everything goes dark.
        w.evaluateAlerts(130.0f, 25.0f);
        w.hiloAlertSetMenu->radioButton_2->click();
        w.evaluateAlerts(130.0f, 25.0f);
        QVERIFY(!w.HighAlertLabel->isVisible());
        QCOMPARE(d.board.read("/sim/gpio/1").trimmed(), QByteArray("0"));
    }

    // Every text the sources and forms give to tr() (what lupdate extracts) has
    // a finished Chinese translation, and the shipped files hold no unfinished,
    // empty or obsolete one.
    void everyShownTextIsTranslated()
    {
        const QString src = QStringLiteral(NORVIK7_SOURCE_DIR);
        QTemporaryDir tmp;
        const QString extracted = tmp.filePath(QStringLiteral("extracted.ts"));
        QStringList args{"-silent", "-locations", "none"};
        for (const char *dir :
             {"app", "acquisition", "board", "calibration", "connectivity", "liveview", "media", "settings", "ui"})
            args << src + '/' + QLatin1String(dir);
        QProcess lupdate;
        lupdate.start(QStringLiteral(NORVIK7_LUPDATE), args << "-ts" << extracted);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QStringList problems;
        QSet<QString> finished;
        const QFileInfoList shipped = QDir(src + "/resources/translations").entryInfoList({"ChineseSimplified*.ts"});
        QVERIFY(!shipped.isEmpty());
        for (const QFileInfo &ts : shipped)
            for (const auto &[message, problem] : messages(ts.filePath()))
                if (problem.isEmpty())
                    finished.insert(message);
                else
                    problems << ts.fileName() + ": " + message + ' ' + problem;
        const auto wanted = messages(extracted);
        QVERIFY(!wanted.isEmpty() && !finished.isEmpty());
        for (const auto &m : wanted)
            if (!finished.contains(m.first))
                problems << "no translation: " + m.first;
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    }
};

QTEST_MAIN(TestLiveView)
#include "tst_liveview.moc"
