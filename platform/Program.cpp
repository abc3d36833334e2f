#include "platform/Program.h"

#include "platform/Form.h"

#include <QCoreApplication>

namespace vellorin::platform {
namespace {
bool ending = false;
}

void endProgram()
{
    if (ending)
        return;
    ending = true;
    unloadAllForms();
    QCoreApplication::exit(0);
}

bool programEnding() { return ending; }

} // namespace vellorin::platform
