#pragma once

// Answering a modal dialog in a GUI test: the command under test opens the
// dialog and runs its event loop; the action queued here runs inside that
// loop on the dialog, which must be the active modal widget of the type.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace testsupport {

// How the dialog is left after the action, if the action left it open.
enum class ThenPress { Cancel, Ok };

template <class Dialog>
void onModal(std::function<void(Dialog&)> act, ThenPress then = ThenPress::Cancel)
{
    QTimer::singleShot(0, [act = std::move(act), then] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        act(*d);
        if (then == ThenPress::Ok && d->isVisible())
            d->accept();
        if (d->isVisible())
            d->reject();
    });
}

} // namespace testsupport
