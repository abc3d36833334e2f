// The program-wide references to the three windows. Each window object is
// created on first use; there is never a second one.
#pragma once

#include "platform/FormRef.h"
#include "ui/frmHelp.h"
#include "ui/frmInstructions.h"
#include "ui/frmMain.h"

namespace vellorin::forms {

inline platform::FormRef<ui::frmMain> frmMain;
inline platform::FormRef<ui::frmInstructions> frmInstructions;
inline platform::FormRef<ui::frmHelp> frmHelp;

// Drops all three window objects with their windows.
inline void discardAll()
{
    frmHelp.reset();
    frmInstructions.reset();
    frmMain.reset();
}

} // namespace vellorin::forms
