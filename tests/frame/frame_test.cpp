// The library frame: start and stop, configuration, last-error code and the
// stateless utilities, through the C interface.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "nerla.h"

namespace {

TEST(Frame, CallsBeforeInitReportInitError) {
    ASSERT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_Free(), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_INIT);
    EXPECT_EQ(Nerla_StreamCreateFile(NERLA_FIXTURES "/sbs.mp4", 0, 0, 0), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_INIT);
    EXPECT_EQ(Nerla_GetGraph(132457), nullptr);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_INIT);
}

TEST(Frame, InitIsIdempotentAndKeepsTheFirstWindow) {
    ASSERT_EQ(Nerla_Init(0x1234, 0), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_GetConfig(NERLA_CONFIG_DEFAULT_WINDOW), 0x1234);
    EXPECT_EQ(Nerla_Init(0x5678, 0), 1);
    EXPECT_EQ(Nerla_GetConfig(NERLA_CONFIG_DEFAULT_WINDOW), 0x1234);
    EXPECT_EQ(Nerla_Free(), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    // Without a window and without a display, the active window is none.
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    EXPECT_EQ(Nerla_GetConfig(NERLA_CONFIG_DEFAULT_WINDOW), 0);
    EXPECT_EQ(Nerla_Free(), 1);
}

TEST(Frame, VersionIsConstant) {
    EXPECT_EQ(Nerla_GetVersion(), 66305);
}

TEST(Frame, ConfigurationOptions) {
    struct Case {
        uint32_t option;
        intptr_t value;
        intptr_t returned;
        intptr_t stored;
    };
    const Case cases[] = {
        {0x1000, 9, 9, 1},      {0x1000, 0, 0, 1},
        {0x1000, 4, 4, 4},      {0x1000, 7, 7, 7},
        {0x1000, -3, -3, 1},    {0x1001, 77, 0x1001, 77},
        {0x1002, 5, 5, 5},      {0x1004, 10094, 10094, 10094},
        {0x1004, -1, -1, -1},   {0x1005, 5, 0x1005, 1},
        {0x1005, 0, 0x1005, 0}, {0x1003, 7, 0x1003, 0},
        {0x2000, 1, 0x2000, 0},
    };
    const int before = Nerla_ErrorGetCode();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.option << " <- " << std::dec << c.value);
        EXPECT_EQ(Nerla_SetConfig(c.option, c.value), c.returned);
        EXPECT_EQ(Nerla_GetConfig(c.option), c.stored);
    }
    EXPECT_EQ(Nerla_ErrorGetCode(), before);  // setters never fail
    Nerla_SetConfig(0x1000, 1);
    Nerla_SetConfig(0x1002, 2);
}

TEST(Frame, ConversionsAtTheInterface) {
    ASSERT_EQ(Nerla_Init(0, 0), 1);  // picks the vector routine where there is one
    const float in[] = {1.0f, -1.0f, 0.0f, 0.5f, 2.0f, -2.0f, 1.0f, -1.0f, 0.25f};
    int16_t out16[9];
    Nerla_Float2Int(in, out16, 9, 2);
    EXPECT_EQ(out16[0], 32767);
    EXPECT_EQ(out16[1], -32768);
    EXPECT_EQ(out16[2], 0);
    EXPECT_EQ(out16[3], 16384);
    EXPECT_EQ(out16[4], 32767);
    EXPECT_EQ(out16[5], -32768);
    uint8_t out8[2];
    Nerla_Float2Int(in, out8, 2, 1);
    EXPECT_EQ(out8[0], 255);
    EXPECT_EQ(out8[1], 0);
    const uint8_t byteZero = 0;
    float back = 5.0f;
    Nerla_Int2Float(&byteZero, &back, 1, 1);
    EXPECT_EQ(back, -1.0f);
    // Unsupported widths and a zero count write nothing.
    float untouched[2] = {7.0f, 7.0f};
    Nerla_Int2Float(out16, untouched, 2, 5);
    Nerla_Int2Float(out16, untouched, 0, 2);
    EXPECT_EQ(untouched[0], 7.0f);
    int32_t guard[2] = {42, 42};
    Nerla_Float2Int(in, guard, 2, 0);
    EXPECT_EQ(guard[0], 42);
    EXPECT_EQ(Nerla_Free(), 1);
}

TEST(Frame, AudioDeviceTypes) {
    struct Case {
        const char* name;
        int type;
    };
    const Case cases[] = {
        {"Digital Output (S/PDIF)", 2},
        {"Realtek Digital", 2},
        {"S/PDIF out", 2},
        {"HDMI 2 (NVIDIA High Definition)", 1},
        {"AMD HD Audio", 1},
        {"ATI HDMI", 1},
        {"Built-in Audio Analog Stereo", 0},
        {"hdmi output", 0},
        {"digital out", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Nerla_GetAudioDeviceType(c.name, 0), c.type);
        std::u16string wide(c.name, c.name + std::strlen(c.name));
        EXPECT_EQ(Nerla_GetAudioDeviceType(wide.c_str(), 0x80000000u), c.type);
    }
    EXPECT_EQ(Nerla_GetAudioDeviceType("Digital", 5), -1);
    EXPECT_EQ(Nerla_GetAudioDeviceType("Digital", 1), -1);
    EXPECT_EQ(Nerla_GetAudioDeviceType(nullptr, 0), 0);
}

TEST(Frame, MemoryAndDecoderRecord) {
    void* block = Nerla_AllocMem(64);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0xAB, 64);
    EXPECT_EQ(Nerla_FreeMem(block), 1);
    EXPECT_EQ(Nerla_FreeMem(nullptr), 0);

    auto* record = static_cast<uint32_t*>(Nerla_CreateDecoder(11, 22));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record[0], 22u);
    EXPECT_EQ(record[1], 11u);
    EXPECT_EQ(Nerla_FreeMem(record), 1);
}

TEST(Frame, MonitorsWithoutDisplay) {
    if (std::getenv("DISPLAY")) {
        GTEST_SKIP() << "runs without a display";
    }
    EXPECT_EQ(Nerla_GetMonitorsCount(), 0);
    NerlaRect rect{1, 2, 3, 4};
    Nerla_GetMonitorRect(1, &rect);
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.bottom, 4);
}

}  // namespace
