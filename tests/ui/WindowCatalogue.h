#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace mvx {
class AppSession;
}

namespace mvx::test {

// Every window and dialog of the program, each built over the session (its
// language, its key set; a partner's public key should lie in the key root),
// filled with a few example rows, shown at its default size, handed to visit
// and closed again. The key-set wizard is visited once for each page.
using WindowVisit = std::function<void(const QString& name, QWidget& window)>;
void visitEveryWindow(AppSession& session, const WindowVisit& visit);

} // namespace mvx::test
