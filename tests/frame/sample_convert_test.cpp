// Sample-format conversions: the plain routine's values, and the vector
// routine within one unit of them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "frame/sample_convert.h"

namespace {

using namespace nerla;

int64_t readSample(const uint8_t* p, int bytes) {
    switch (bytes) {
        case 1:
            return p[0];
        case 2: {
            int16_t v;
            std::memcpy(&v, p, 2);
            return v;
        }
        case 3: {
            int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
            return (v & 0x800000) ? v - 0x1000000 : v;
        }
        default: {
            int32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}

TEST(SampleConvert, ReferenceFloatToInt) {
    struct Case {
        float x;
        int bytes;
        int64_t expected;
    };
    const Case cases[] = {
        {1.0f, 1, 255},          {-1.0f, 1, 0},
        {0.0f, 1, 128},          {0.999f, 1, 255},
        {-0.004f, 1, 128},       {1.0f, 2, 32767},
        {-1.0f, 2, -32768},      {0.5f, 2, 16384},
        {-0.00002f, 2, 0},       {3.0f, 2, 32767},
        {1.0f, 3, 8388607},      {-1.0f, 3, -8388607},  // trunc(-8388608 + 0.5)
        {0.5f, 3, 4194304},      {1.0f, 4, 2147483647},
        {-1.0f, 4, -2147483647}, {-2.0f, 4, -2147483647 - 1LL},
        {0.25f, 4, 536870912},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << " to " << c.bytes << " bytes");
        uint8_t out[4] = {};
        float2IntReference(&c.x, out, 1, c.bytes);
        EXPECT_EQ(readSample(out, c.bytes), c.expected);
    }
}

TEST(SampleConvert, ReferenceIntToFloat) {
    const uint8_t u8[] = {0, 128, 255};
    float f[3];
    int2FloatReference(u8, f, 3, 1);
    EXPECT_EQ(f[0], -1.0f);
    EXPECT_EQ(f[1], 0.0f);
    EXPECT_FLOAT_EQ(f[2], 127.0f / 128.0f);
    const uint8_t s24[] = {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F};
    int2FloatReference(s24, f, 2, 3);
    EXPECT_EQ(f[0], -1.0f);
    EXPECT_FLOAT_EQ(f[1], 8388607.0f / 8388608.0f);
    const int32_t s32[] = {std::numeric_limits<int32_t>::min(), 1 << 30};
    int2FloatReference(s32, f, 2, 4);
    EXPECT_EQ(f[0], -1.0f);
    EXPECT_EQ(f[1], 0.5f);
}

TEST(SampleConvert, VectorRoutineStaysWithinOneUnit) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> wide(-1.5f, 1.5f);
    std::vector<float> samples = {0.0f,    1.0f,  -1.0f,  1e-9f,
                                  -1e-9f,  1e10f, -1e10f, std::numeric_limits<float>::quiet_NaN(),
                                  0.99999f};
    for (int i = 0; i < 1001; ++i) {  // odd count: the scalar tail runs too
        samples.push_back(wide(random));
    }
    const auto count = static_cast<uint32_t>(samples.size());
    for (int bytes = 1; bytes <= 4; ++bytes) {
        SCOPED_TRACE(bytes);
        std::vector<uint8_t> plain(count * bytes), vector(count * bytes);
        float2IntReference(samples.data(), plain.data(), count, bytes);
        float2IntSse2(samples.data(), vector.data(), count, bytes);
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_LE(std::llabs(readSample(&plain[i * bytes], bytes) -
                                 readSample(&vector[i * bytes], bytes)),
                      1)
                << "sample " << samples[i];
        }
        std::vector<float> backPlain(count), backVector(count);
        int2FloatReference(plain.data(), backPlain.data(), count, bytes);
        int2FloatSse2(plain.data(), backVector.data(), count, bytes);
        const double unit = 1.0 / (bytes == 4 ? 2147483648.0 : (1 << (8 * bytes - 1)));
        for (uint32_t i = 0; i < count; ++i) {
            ASSERT_LE(std::fabs(backPlain[i] - backVector[i]), unit) << "index " << i;
        }
    }
}

TEST(SampleConvert, SelectionDispatches) {
    const ConversionRoutine before = selectedConversionRoutine();
    for (ConversionRoutine routine : {ConversionRoutine::Plain, detectConversionRoutine()}) {
        selectConversionRoutine(routine);
        const float in[9] = {1.0f, -1.0f, 0.5f, 0.25f, 0.0f, -0.5f, 0.75f, -0.25f, 0.125f};
        int16_t out[9];
        float2Int(in, out, 9, 2);
        EXPECT_EQ(out[0], 32767);
        EXPECT_EQ(out[1], -32768);
        EXPECT_EQ(out[8], 4096);
    }
    selectConversionRoutine(before);
}

}  // namespace
