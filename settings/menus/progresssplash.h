#pragma once
// The two small splashes of a long maintenance operation: a picture (the
// hourglass, or the missing card) at (88, 128) and a message under it at
// (56, 197), both closed together after a while.
#include <QObject>
#include <QString>

class QSplashScreen;
class QTimer;

class ProgressSplash : public QObject {
    Q_OBJECT
public:
    explicit ProgressSplash(QObject *parent = nullptr);
    ~ProgressSplash() override;

    static constexpr const char *kHourglass = ":/images/shalou.png";
    static constexpr const char *kNoCard = ":/images/no_sdcard.png";

    // Shows the picture and the message at once (painted before the caller
    // goes on with blocking work) and closes both after closeAfterMs.
    void show(const QString &picture, const QString &message, int closeAfterMs);
    void close();
    bool isVisible() const;
    QString message() const;
    QSplashScreen *pictureSplash() const { return m_picture; }
    QSplashScreen *messageSplash() const { return m_message; }

private:
    QSplashScreen *m_picture;
    QSplashScreen *m_message;
    QTimer *m_closeTimer;
};
