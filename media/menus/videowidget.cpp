#include "media/menus/videowidget.h"

#include "core/logging.h"

#include <QDebug>
#include <QFile>
#include <QPainter>
#include <QTimer>

#include "media/mediatexts.h"
#include "media/videofile.h"

static QString curFileName;   // full path of the video being played
int framecount = 0;
int cur_pos = 0;
unsigned char play_flags = 0;

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
    cur_pos = 0;
    framecount = 0;
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
        play_flags = 0;
        emit playStatusChanged(false);
        return;
    }
    const double count = capture->frameCount();
    framecount = count > 0 && count < 1e9 ? static_cast<int>(count) : 0;
    m_capture = std::move(capture);
    if (!showFrame()) {
        // Not one frame: nothing to play.
        endPlayback();
        return;
    }
    resize(m_image.size());
    m_timer->start();
    play_flags = 1;
    emit playStatusChanged(true);
}

bool myWidget::showFrame()
{
    if (!m_capture || !m_capture->read(m_image))
        return false;
    update();
    ++cur_pos;
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
    qCDebug(lcMedia) << "Current postion is " << cur_pos;
}

void myWidget::endPlayback()
{
    close();
    m_timer->stop();
    m_capture.reset();
    play_flags = 0;
    cur_pos = 0;
    emit playStatusChanged(false);
    emit videoPlayExit();
    qCDebug(lcMedia) << "Video play end ...";
}

void myWidget::videoPlayAndPause()
{
    if (!m_capture)
        return;
    if (play_flags) {
        m_timer->stop();
        play_flags = 0;
    } else {
        m_timer->start();
        play_flags = 1;
    }
    emit playStatusChanged(play_flags);
}

void myWidget::videoPause()
{
    if (play_flags) {
        m_timer->stop();
        play_flags = 0;
    }
    emit playStatusChanged(false);
}

void myWidget::videoPlayFastForward()
{
    if (!m_capture)
        return;
    if (cur_pos >= 0 && cur_pos + 7 < framecount) {
        cur_pos += 8;
        m_capture->seek(cur_pos);
    }
}

void myWidget::videoPlayBackForward()
{
    if (!m_capture)
        return;
    if (cur_pos >= 8 && cur_pos <= framecount) {
        cur_pos -= 8;
        m_capture->seek(cur_pos);
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
    play_flags = 0;
    cur_pos = 0;
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
