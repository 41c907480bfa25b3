#include "media/menus/videowidget.h"

#include "core/logging.h"

#include <QDebug>
#include <QFile>
#include <QPainter>
#include <QTimer>

#include "media/mediatexts.h"
#include "media/videofile.h"

static QString curFileName;   // full path of the video being played
PlayerState playerState;

myWidget::myWidget(QWidget *parent) : QWidget(parent)
{
    m_timer = new QTimer(this);
    m_timer->setInterval(125);
    connect(m_timer, &QTimer::timeout, this, &myWidget::nextFrame);
}

myWidget::~myWidget() = default;

bool myWidget::hasCapture() const { return m_capture != nullptr; }

void myWidget::openVideoFile(QString path)
{
    m_timer->stop();
    m_capture.reset();   // a video still held from before is let go first
    curFileName = path;
    playerState.cur_pos = 0;
    playerState.framecount = 0;
    m_error.clear();
    printf("%s\n", qPrintable(mediatexts::fileTime(path, QStringLiteral("yyyy/MM/dd hh:mm"))));
    auto capture = videofile::open(path);
    if (!capture) {
        // A video that cannot be opened shows nothing; the ticks do nothing.
        // Without the decoder no video plays: the player says so.
        const QString reason = videofile::decoderError();
        if (!reason.isEmpty()) {
            qCWarning(lcMedia).noquote() << reason;
            m_error = tr("Video playback is not available");
            m_image = QImage();
            resize(240, 320);
            update();
        }
        qCWarning(lcMedia) << "Cannot open the video" << path;
        playerState.play_flags = 0;
        emit playStatusChanged(false);
        return;
    }
    const double count = capture->frameCount();
    playerState.framecount = count > 0 && count < 1e9 ? static_cast<int>(count) : 0;
    m_capture = std::move(capture);
    if (!showFrame()) {
        // Not one frame: nothing to play.
        endPlayback();
        return;
    }
    resize(m_image.size());
    m_timer->start();
    playerState.play_flags = 1;
    emit playStatusChanged(true);
}

bool myWidget::showFrame()
{
    if (!m_capture || !m_capture->read(m_image))
        return false;
    update();
    ++playerState.cur_pos;
    return true;
}

void myWidget::nextFrame()
{
    if (!m_capture)
        return;
    if (!showFrame()) {
        endPlayback();
        return;
    }
    qCDebug(lcMedia) << "Current postion is " << playerState.cur_pos;
}

void myWidget::endPlayback()
{
    close();
    m_timer->stop();
    m_capture.reset();
    playerState.play_flags = 0;
    playerState.cur_pos = 0;
    emit playStatusChanged(false);
    emit videoPlayExit();
    qCDebug(lcMedia) << "Video play end ...";
}

void myWidget::videoPlayAndPause()
{
    if (!m_capture)
        return;
    if (playerState.play_flags) {
        m_timer->stop();
        playerState.play_flags = 0;
    } else {
        m_timer->start();
        playerState.play_flags = 1;
    }
    emit playStatusChanged(playerState.play_flags);
}

void myWidget::videoPause()
{
    if (playerState.play_flags) {
        m_timer->stop();
        playerState.play_flags = 0;
    }
    emit playStatusChanged(false);
}

void myWidget::videoPlayFastForward()
{
    if (!m_capture)
        return;
    if (playerState.cur_pos >= 0 && playerState.cur_pos + 7 < playerState.framecount) {
        playerState.cur_pos += 8;
        m_capture->seek(playerState.cur_pos);
    }
}

void myWidget::videoPlayBackForward()
{
    if (!m_capture)
        return;
    if (playerState.cur_pos >= 8 && playerState.cur_pos <= playerState.framecount) {
        playerState.cur_pos -= 8;
        m_capture->seek(playerState.cur_pos);
    }
}

void myWidget::videoPlayStop() { endPlayback(); }

void myWidget::deleteCurrentVideo()
{
    if (!isVisible())
        return;
    m_timer->stop();
    m_capture.reset();   // let go of the file before it goes
    QFile::remove(curFileName);
    emit deleteVideo();
    close();
    playerState.play_flags = 0;
    playerState.cur_pos = 0;
}

void myWidget::paintEvent(QPaintEvent *)
{
    if (!m_error.isEmpty()) {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap, m_error);
        return;
    }
    if (m_image.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QPoint(0, 0), m_image);
}
