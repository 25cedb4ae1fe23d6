// The message hook: the host's callback gets caption and text; without one
// nothing reaches the host.
#include <gtest/gtest.h>

#include <string>

#include "frame/message_hook.h"
#include "nerla.h"

namespace {

struct Seen {
    int calls = 0;
    std::string caption;
    std::string text;
};

void NERLA_CALL record(const char* caption, const char* text, void* user) {
    auto* seen = static_cast<Seen*>(user);
    ++seen->calls;
    seen->caption = caption;
    seen->text = text;
}

TEST(MessageHook, HostCallbackThenLog) {
    Seen seen;
    Nerla_SetMessageHook(&record, &seen);
    nerla::showMessage("Error!", "The file could not be rendered.");
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.caption, "Error!");
    EXPECT_EQ(seen.text, "The file could not be rendered.");
    Nerla_SetMessageHook(nullptr, nullptr);
    nerla::showMessage("Error!", "to the log");
    EXPECT_EQ(seen.calls, 1);
}

}  // namespace
