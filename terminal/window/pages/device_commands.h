#pragma once

#include "window/pages/page_services.h"

#include <functional>

namespace tessa {

// A motion command ("c44" ...) when the window shows the connected state.
void sendMotionCommand(const PageServices& services, const char* command);

// The program ("傳送程式") or parameter ("傳送參數") download: the file the user picks is read and
// checked first; only a file that can go is sent, after its announcement; then the receive
// display is cleared. A program download disables the jog buttons (jogEnabled(false)) while
// its file goes out.
enum class DownloadKind { Program, Parameters };
void runDownload(const PageServices& services, DownloadKind kind, const std::function<void(bool)>& jogEnabled);

}  // namespace tessa
