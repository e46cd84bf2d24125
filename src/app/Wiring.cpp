#include "app/Wiring.h"

#include "app/Main32HPars.h"

namespace tc::ui {

void WireDialogs(TMainForm& /*form*/)
{
}

} // namespace tc::ui
