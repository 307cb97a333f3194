#include "errorlib/ErrorUi.h"

#ifdef RAMPART6_WITH_QT
#include <QApplication>

#include "errorlib/QtErrorUi.h"
#endif

namespace rampart {

std::unique_ptr<ErrorUi> MakeDefaultErrorUi()
{
#ifdef RAMPART6_WITH_QT
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        return std::make_unique<QtErrorUi>();
    }
#endif
    return MakeConsoleErrorUi();
}

} // namespace rampart
