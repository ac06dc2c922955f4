#pragma once

#include <QObject>
#include <QString>

#include <set>

class QThread;

namespace mvx {
class InPlaceOpenings;
}

namespace mvx::ui {

// Opens containers in place from the window, each on its own thread: the
// window keeps painting while the associated program is in use, and its
// messages reach the window through UiThreadInteraction.
class InPlaceOpener : public QObject {
    Q_OBJECT
public:
    InPlaceOpener(InPlaceOpenings& openings, QObject* parent = nullptr);
    ~InPlaceOpener() override;

    void open(const QString& containerPath);
    bool busy() const { return !threads_.empty(); }
    // Waits for every open to end (the window is closing).
    void waitForAll();

signals:
    // OpenInPlace's result for the container.
    void opened(const QString& containerPath, int result);

private:
    InPlaceOpenings& openings_;
    std::set<QThread*> threads_;
};

} // namespace mvx::ui
