// Brings up the real main window the way start-up does, dismissing the
// instructions with their Close button, and tears every window down again.
#pragma once

#include "ui/Forms.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace vellorin::testing {

inline ui::frmMain& openMainWindow()
{
    QTimer::singleShot(0, [] {
        if (forms::frmInstructions->state() == platform::Form::State::Shown)
            QTest::mouseClick(forms::frmInstructions->cmdClose, Qt::LeftButton);
    });
    forms::frmMain->load();
    forms::frmMain->show();
    return *forms::frmMain;
}

inline void discardWindows()
{
    forms::discardAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace vellorin::testing
