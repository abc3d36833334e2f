#include "app/WorkingIndicator.h"

#include <QLabel>

namespace vellorin::app {

void toggleWorking(QLabel* lblWorking)
{
    // isHidden, not isVisible: the label's own flag, whatever its window shows.
    lblWorking->setVisible(lblWorking->isHidden());
}

} // namespace vellorin::app
