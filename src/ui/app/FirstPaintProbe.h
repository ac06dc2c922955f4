#pragma once

#include <QObject>
#include <QString>

namespace mvx::ui {

// Waits for the first paint of a window, then (for the screenshot script and
// the start-up benchmark) saves a picture of it and/or prints the monotonic
// clock in milliseconds, and ends the program.
class FirstPaintProbe : public QObject {
    Q_OBJECT
public:
    FirstPaintProbe(QWidget* window, QString pictureFile, bool printTime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish();

    QWidget* window_;
    QString pictureFile_;
    bool printTime_;
    bool seen_ = false;
};

} // namespace mvx::ui
