// The engine's message boxes: one host-settable hook, the GStreamer log by default.
#pragma once

#include <string_view>

namespace nerla {

// Shows `text` under `caption` ("Error!" for platform failures) through the
// host's hook, or writes it to the log when no hook is installed.
void showMessage(std::string_view caption, std::string_view text);

}  // namespace nerla
