#pragma once

#include <functional>

#include "common/dialogs.h"

// The program's general error handling: an error that no caller caught ends the event handler that
// raised it and is shown to the user in an error dialog; the program goes on.
void RunHandler(IDialogs& dialogs, const std::function<void()>& handler);
