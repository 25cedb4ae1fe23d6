#include "frame/message_hook.h"

#include <mutex>
#include <string>

#include "frame/log.h"
#include "nerla.h"

#define GST_CAT_DEFAULT nerla_frame_debug

namespace nerla {
namespace {

std::mutex hookLock;
NerlaMessageProc hookProc = nullptr;
void* hookUser = nullptr;

}  // namespace

void showMessage(std::string_view caption, std::string_view text) {
    NerlaMessageProc proc;
    void* user;
    {
        std::lock_guard lock(hookLock);
        proc = hookProc;
        user = hookUser;
    }
    const std::string captionText(caption);
    const std::string bodyText(text);
    if (proc) {
        proc(captionText.c_str(), bodyText.c_str(), user);
        return;
    }
    ensureGstreamer();
    GST_WARNING("%s %s", captionText.c_str(), bodyText.c_str());
}

}  // namespace nerla

extern "C" NERLA_API void NERLA_CALL Nerla_SetMessageHook(NerlaMessageProc hook, void* user) {
    std::lock_guard lock(nerla::hookLock);
    nerla::hookProc = hook;
    nerla::hookUser = user;
}
