// Channel handles: numbering from 132457, never reused, stale handles refused.
#include <gtest/gtest.h>

#include "nerla.h"

namespace {

const char* const kClip = NERLA_FIXTURES "/audio.wav";

TEST(Handles, NumberedOnceForTheWholeProcess) {
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    const NerlaHandle first = Nerla_StreamCreateFile(kClip, 0, 0, 0);
    EXPECT_EQ(first, 132457u);
    ASSERT_EQ(Nerla_StreamFree(first), 1);
    const NerlaHandle second = Nerla_StreamCreateFile(kClip, 0, 0, 0);
    EXPECT_EQ(second, 132458u);

    // Free destroys live channels; numbering continues after a new start.
    ASSERT_EQ(Nerla_Free(), 1);
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    EXPECT_EQ(Nerla_GetGraph(second), nullptr);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    const NerlaHandle third = Nerla_StreamCreateFile(kClip, 0, 0, 0);
    EXPECT_EQ(third, 132459u);
    EXPECT_EQ(Nerla_StreamFree(third), 1);
    EXPECT_EQ(Nerla_Free(), 1);
}

TEST(Handles, StaleAndZeroHandlesAreRefused) {
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    const NerlaHandle channel = Nerla_StreamCreateFile(kClip, 0, 0, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Nerla_StreamFree(channel), 1);
    for (NerlaHandle stale : {channel, NerlaHandle{0}, NerlaHandle{132456}, NerlaHandle{999}}) {
        SCOPED_TRACE(stale);
        EXPECT_EQ(Nerla_StreamFree(stale), 0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
        EXPECT_EQ(Nerla_GetGraph(stale), nullptr);
        EXPECT_EQ(Nerla_ChannelAddFile(stale, kClip, 0), 0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    }
    EXPECT_EQ(Nerla_Free(), 1);
}

}  // namespace
