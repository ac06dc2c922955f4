#include "ui/app/FirstPaintProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace mvx::ui {

FirstPaintProbe::FirstPaintProbe(QWidget* window, QString pictureFile, bool printTime)
    : QObject(window), window_(window), pictureFile_(std::move(pictureFile)), printTime_(printTime)
{
    window->installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
        seen_ = true;
        if (printTime_) {
            timespec now {};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-paint-ms %lld\n", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
            std::fflush(stdout);
        }
        // Let the paint finish (and the fonts settle) before the picture is taken.
        QTimer::singleShot(pictureFile_.isEmpty() ? 0 : 400, this, &FirstPaintProbe::finish);
    }
    return QObject::eventFilter(watched, event);
}

void FirstPaintProbe::finish()
{
    if (!pictureFile_.isEmpty())
        window_->grab().save(pictureFile_);
    window_->close();
    QCoreApplication::exit(0);
}

} // namespace mvx::ui
