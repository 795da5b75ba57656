// Runs one web request on a worker thread while the UI thread keeps processing events, so a
// slow or dead back-end never freezes a window.
#pragma once

#include <string>

#include "core/session_state.h"

namespace ft::ui {

// PostForm on a worker; returns its result once it is done. Events (painting, timers, input)
// go on meanwhile; callers must expect their own window to receive events during the call.
bool PostFormKeepingUiAlive(const SessionState& session, const std::string& path,
                            const std::string& body, std::string& answer);

}  // namespace ft::ui
