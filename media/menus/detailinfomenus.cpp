#include "media/menus/detailinfomenus.h"

#include "core/logging.h"

#include <QDebug>
#include <QFileInfo>

#include "board/board.h"
#include "media/mediafolder.h"
#include "media/mediatexts.h"
#include "media/savedimage.h"
#include "media/videofile.h"

static bool imageDetailInfoMenuEnabled = true;
static bool videoDetailInfoMenuEnabled = true;

namespace {
// False while an update runs; an update arriving meanwhile is ignored.
bool enableUpdate = true;

void setIf(QLabel *label, const std::optional<QString> &text)
{
    if (text)
        label->setText(*text);
}
}   // namespace

ImageDetailInfoMenu::ImageDetailInfoMenu(QMainWindow *parent) : Screen(&imageDetailInfoMenuEnabled, parent) {}

void ImageDetailInfoMenu::imageDetailInfoMenuEnable() { toggleVisible(); }

void ImageDetailInfoMenu::updateImageDetailInfoMenu(QString name)
{
    if (!enableUpdate)
        return;
    enableUpdate = false;
    qCDebug(lcMedia) << "ImageDetailInfoMenu::updateImageDetailInfoMenu";
    FileName->setText(name);
    const QString path = board::path(mediafolder::boardPath(name));
    if (QFileInfo(path).isFile()) {
        DateAndTime->setText(mediatexts::fileTime(path));
        bool opened = false;
        const savedimage::Contents c = savedimage::readFile(path, &opened);
        if (!opened) {
            printf("Error opening file to read......\n");
        } else if (c.hasExif) {
            // A file without its blocks (or pointing outside itself) changes
            // nothing more and says nothing.
            printf("The width is %d, and the height is %d\n", c.width, c.height);
            printf("The length of image is %u\n", c.blockOffset);
            const savedimage::ExifFields &f = c.fields;
            printf("The emissivity is %d, the center temp is %d, max temp is %d, and the min temp is %d, machine ID "
                   "is %u\n",
                   f.emissivity, f.centerTemp, f.maxTemp, f.minTemp, f.machineId);
            printf("maxTempPostX: %d, maxTempPostY: %d, minTempPostX: %d, minTempPostY: %d\n", f.maxX, f.maxY, f.minX,
                   f.minY);
            printf("The temp unit is %c\n", f.unitFlag);
            const mediatexts::ImageDetails d = mediatexts::imageDetails(c);
            setIf(Resolution, d.resolution);
            setIf(Emissivity, d.emissivity);
            setIf(Unit, d.unit);
            setIf(Center, d.centre);
            setIf(Max, d.max);
            setIf(Min, d.min);
        }
    }
    enableUpdate = true;
}

VideoDetailInfoMenu::VideoDetailInfoMenu(QMainWindow *parent) : Screen(&videoDetailInfoMenuEnabled, parent) {}

void VideoDetailInfoMenu::videoDetailInfoMenuEnable() { toggleVisible(); }

void VideoDetailInfoMenu::updateVideoDetailInfoMenu(QString name)
{
    FileName->setText(name);
    const QString path = board::path(mediafolder::boardPath(name));
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    DateAndTime->setText(mediatexts::fileTime(path));
    setIf(Size, mediatexts::sizeText(info.size(), tr("Bytes")));
    if (const auto video = videofile::open(path)) {
        const double frames = video->frameCount();
        if (frames > 0)
            setIf(Length, mediatexts::lengthText(frames, video->framesPerSecond()));
    }
    Resolution->setText(QStringLiteral("240x320"));
}
