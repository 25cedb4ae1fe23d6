// Graph events reach the thread that created the channel, through that
// thread's default main context, and nowhere else.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "frame/library.h"
#include "graph/direct_show.h"

namespace {

class RecordingChannel : public nerla::IDirectShow {
  public:
    RecordingChannel() : IDirectShow(0) {}
    std::atomic<int> ends{0};
    std::atomic<bool> wrongThread{false};
    std::thread::id owner = std::this_thread::get_id();

  protected:
    void HandleGraphEvent(GstMessage* message) override {
        if (std::this_thread::get_id() != owner) {
            wrongThread = true;
        }
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            ++ends;
        }
        IDirectShow::HandleGraphEvent(message);
    }
};

TEST(GraphEvents, DeliveredOnTheCreatingThreadsContext) {
    ASSERT_TRUE(nerla::Library::instance().init(0));
    std::thread worker([] {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        {
            RecordingChannel channel;
            ASSERT_TRUE(channel.OpenFile(NERLA_FIXTURES "/audio.wav"));
            gst_element_set_state(GST_ELEMENT(channel.GetGraph()), GST_STATE_PLAYING);
            // The default context of the process does not see this channel's events.
            for (int i = 0; i < 20; ++i) {
                g_main_context_iteration(nullptr, FALSE);
            }
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (channel.ends == 0 && std::chrono::steady_clock::now() < deadline) {
                g_main_context_iteration(context, FALSE);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            EXPECT_EQ(channel.ends, 1);
            EXPECT_FALSE(channel.wrongThread);
        }
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    });
    worker.join();
    nerla::Library::instance().free();
}

}  // namespace
