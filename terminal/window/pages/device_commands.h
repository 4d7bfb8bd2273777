#pragma once

#include "window/pages/page_services.h"

#include <functional>

namespace tessa {

// A motion command ("c44" ...) when the window shows the connected state.
void sendMotionCommand(const PageServices& services, const char* command);

// The program ("傳送程式") or parameter ("傳送參數") download: the announcement, then the file
// the user picks, then the receive display cleared. A program download disables the jog
// buttons (jogEnabled(false)) until its file has gone out.
enum class DownloadKind { Program, Parameters };
void runDownload(const PageServices& services, DownloadKind kind, const std::function<void(bool)>& jogEnabled);

}  // namespace tessa
