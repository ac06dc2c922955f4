#include "ui/containers/InPlaceOpener.h"

#include "workbench/InPlaceOpenings.h"

#include <QCoreApplication>
#include <QThread>

#include <memory>

namespace mvx::ui {

InPlaceOpener::InPlaceOpener(InPlaceOpenings& openings, QObject* parent) : QObject(parent), openings_(openings) {}

InPlaceOpener::~InPlaceOpener() { waitForAll(); }

void InPlaceOpener::open(const QString& containerPath)
{
    auto result = std::make_shared<int>(0);
    QThread* thread = QThread::create(
        [this, result, path = containerPath.toStdString(), keySet = openings_.keySetOfNow()] {
            *result = openings_.open(path, keySet);
        });
    threads_.insert(thread);
    connect(thread, &QThread::finished, this, [this, thread, result, containerPath] {
        threads_.erase(thread);
        thread->deleteLater();
        emit opened(containerPath, *result);
    });
    thread->start();
}

void InPlaceOpener::waitForAll()
{
    // An open may be waiting for an answer from this thread: serve events
    // between short waits.
    while (!threads_.empty()) {
        (*threads_.begin())->wait(20);
        QCoreApplication::processEvents();
    }
}

} // namespace mvx::ui
