#include "app/WorkingIndicator.h"

#include <QLabel>
#include <QTimer>

namespace vellorin::app {
namespace {
constexpr int blinkIntervalMs = 500;
}

WorkingIndicator::WorkingIndicator(QLabel* lblWorking, QObject* parent)
    : QObject(parent)
    , lblWorking_(lblWorking)
    , tmrWorking_(new QTimer(this))
{
    tmrWorking_->setObjectName(QStringLiteral("tmrWorking"));
    tmrWorking_->setInterval(blinkIntervalMs);
    connect(tmrWorking_, &QTimer::timeout, this, &WorkingIndicator::tmrWorking_Timer);
}

void WorkingIndicator::start()
{
    tmrWorking_->start();
}

void WorkingIndicator::stopAndHide()
{
    tmrWorking_->stop();
    lblWorking_->hide();
}

void WorkingIndicator::tmrWorking_Timer()
{
    // isHidden, not isVisible: the label's own flag, whatever its window shows.
    lblWorking_->setVisible(lblWorking_->isHidden());
}

} // namespace vellorin::app
