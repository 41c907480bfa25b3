#include "settings/menus/progresssplash.h"

#include <QApplication>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

ProgressSplash::ProgressSplash(QObject *parent)
    : QObject(parent), m_picture(new QSplashScreen), m_message(new QSplashScreen), m_closeTimer(new QTimer(this))
{
    m_picture->setObjectName(QStringLiteral("progressPictureSplash"));
    m_picture->setGeometry(88, 128, 64, 64);
    m_picture->setAttribute(Qt::WA_TranslucentBackground);
    m_message->setObjectName(QStringLiteral("progressMessageSplash"));
    m_message->setGeometry(56, 197, 128, 32);
    m_message->setStyleSheet(
        QStringLiteral("background-color: rgba(255, 255, 255, 50%);\nborder-color: rgb(255, 255, 255);\n"));
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, &ProgressSplash::close);
}

ProgressSplash::~ProgressSplash()
{
    delete m_picture;
    delete m_message;
}

void ProgressSplash::show(const QString &picture, const QString &message, int closeAfterMs)
{
    m_picture->setPixmap(QPixmap(picture).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_picture->setGeometry(88, 128, 64, 64);
    m_picture->show();
    m_message->setGeometry(56, 197, 128, 32);
    m_message->show();
    m_message->showMessage(message, Qt::AlignCenter, Qt::white);
    m_picture->raise();
    m_message->raise();
    // Painted now: the operation that follows may keep the event loop busy.
    m_picture->repaint();
    m_message->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_closeTimer->start(closeAfterMs);
}

void ProgressSplash::close()
{
    m_closeTimer->stop();
    m_picture->close();
    m_message->close();
}

bool ProgressSplash::isVisible() const { return m_picture->isVisible() || m_message->isVisible(); }

QString ProgressSplash::message() const { return m_message->message(); }
