// The six DSFX records: documented defaults, the exact edges of every
// range, refused records that change nothing, and records replaced while
// the streaming thread runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "fx_signals.h"
#include "nerla.h"

namespace {

using namespace fxtest;

// The published layouts: 32-bit fields in the documented order.
static_assert(sizeof(DSFXWavesReverb) == 16 && sizeof(DSFXParamEq) == 12);
static_assert(sizeof(DSFXChorus) == 28 && offsetof(DSFXChorus, lPhase) == 24);
static_assert(sizeof(DSFXCompressor) == 24 && sizeof(DSFXEcho) == 20);
static_assert(sizeof(DSFXFlanger) == 28 && offsetof(DSFXFlanger, lWaveform) == 16);

// A field of a record: its offset, range and kind.
struct Field {
    const char* name;
    size_t offset;
    float lo;
    float hi;
    bool integer = false;
};

struct RecordKind {
    int32_t type;
    size_t size;
    std::vector<uint8_t> defaults;
    std::vector<Field> fields;
};

template <typename T>
std::vector<uint8_t> bytesOf(const T& record) {
    std::vector<uint8_t> b(sizeof record);
    std::memcpy(b.data(), &record, sizeof record);
    return b;
}

#define FIELD(T, f, lo, hi)        \
    Field {                        \
#f, offsetof(T, f), lo, hi \
    }
#define INT_FIELD(T, f, lo, hi)          \
    Field {                              \
#f, offsetof(T, f), lo, hi, true \
    }

std::vector<RecordKind> kinds() {
    return {
        {NERLA_FX_WAVES_REVERB,
         sizeof(DSFXWavesReverb),
         bytesOf(DSFXWavesReverb{0.0f, 0.0f, 1000.0f, 0.001f}),
         {FIELD(DSFXWavesReverb, fInGain, -96.0f, 0.0f),
          FIELD(DSFXWavesReverb, fReverbMix, -96.0f, 0.0f),
          FIELD(DSFXWavesReverb, fReverbTime, 0.001f, 3000.0f),
          FIELD(DSFXWavesReverb, fHighFreqRTRatio, 0.001f, 0.999f)}},
        {NERLA_FX_PARAMEQ,
         sizeof(DSFXParamEq),
         bytesOf(DSFXParamEq{8000.0f, 12.0f, 0.0f}),
         {FIELD(DSFXParamEq, fCenter, 80.0f, 16000.0f), FIELD(DSFXParamEq, fBandwidth, 1.0f, 36.0f),
          FIELD(DSFXParamEq, fGain, -15.0f, 15.0f)}},
        {NERLA_FX_CHORUS,
         sizeof(DSFXChorus),
         bytesOf(DSFXChorus{50.0f, 10.0f, 25.0f, 1.1f, 1, 16.0f, 3}),
         {FIELD(DSFXChorus, fWetDryMix, 0.0f, 100.0f), FIELD(DSFXChorus, fDepth, 0.0f, 100.0f),
          FIELD(DSFXChorus, fFeedback, -99.0f, 99.0f), FIELD(DSFXChorus, fFrequency, 0.0f, 10.0f),
          INT_FIELD(DSFXChorus, lWaveform, 0, 1), FIELD(DSFXChorus, fDelay, 0.0f, 20.0f),
          INT_FIELD(DSFXChorus, lPhase, 0, 4)}},
        {NERLA_FX_COMPRESSOR,
         sizeof(DSFXCompressor),
         bytesOf(DSFXCompressor{0.0f, 10.0f, 200.0f, -20.0f, 3.0f, 4.0f}),
         {FIELD(DSFXCompressor, fGain, -60.0f, 60.0f),
          FIELD(DSFXCompressor, fAttack, 0.01f, 500.0f),
          FIELD(DSFXCompressor, fRelease, 50.0f, 3000.0f),
          FIELD(DSFXCompressor, fThreshold, -60.0f, 0.0f),
          FIELD(DSFXCompressor, fRatio, 1.0f, 100.0f),
          FIELD(DSFXCompressor, fPredelay, 0.0f, 4.0f)}},
        {NERLA_FX_ECHO,
         sizeof(DSFXEcho),
         bytesOf(DSFXEcho{50.0f, 50.0f, 500.0f, 500.0f, 0}),
         {FIELD(DSFXEcho, fWetDryMix, 0.0f, 100.0f), FIELD(DSFXEcho, fFeedback, 0.0f, 100.0f),
          FIELD(DSFXEcho, fLeftDelay, 1.0f, 2000.0f), FIELD(DSFXEcho, fRightDelay, 1.0f, 2000.0f),
          INT_FIELD(DSFXEcho, lPanDelay, 0, 1)}},
        {NERLA_FX_FLANGER,
         sizeof(DSFXFlanger),
         bytesOf(DSFXFlanger{50.0f, 100.0f, -50.0f, 0.25f, 1, 2.0f, 2}),
         {FIELD(DSFXFlanger, fWetDryMix, 0.0f, 100.0f), FIELD(DSFXFlanger, fDepth, 0.0f, 100.0f),
          FIELD(DSFXFlanger, fFeedback, -99.0f, 99.0f), FIELD(DSFXFlanger, fFrequency, 0.0f, 10.0f),
          INT_FIELD(DSFXFlanger, lWaveform, 0, 1), FIELD(DSFXFlanger, fDelay, 0.0f, 4.0f),
          INT_FIELD(DSFXFlanger, lPhase, 0, 4)}},
    };
}

void put(std::vector<uint8_t>& record, const Field& field, float value) {
    if (field.integer) {
        const auto v = static_cast<int32_t>(value);
        std::memcpy(record.data() + field.offset, &v, 4);
    } else {
        std::memcpy(record.data() + field.offset, &value, 4);
    }
}

std::vector<uint8_t> read(nerla::CBaseFX& fx, size_t size) {
    std::vector<uint8_t> record(size, 0xAB);
    fx.GetParameters(record.data());
    return record;
}

TEST(EffectRecords, FreshEffectsReportTheDocumentedDefaults) {
    for (const RecordKind& kind : kinds()) {
        SCOPED_TRACE(kind.type);
        auto fx = makeEffect(kind.type, 2);
        EXPECT_EQ(read(*fx, kind.size), kind.defaults);
    }
}

TEST(EffectRecords, EdgesAreTakenAndValuesBeyondAreRefused) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const RecordKind& kind : kinds()) {
        for (const Field& field : kind.fields) {
            SCOPED_TRACE(std::to_string(kind.type) + " " + field.name);
            auto fx = makeEffect(kind.type, 2);
            for (float edge : {field.lo, field.hi}) {
                auto record = kind.defaults;
                put(record, field, edge);
                fx->SetParameters(record.data());
                EXPECT_EQ(read(*fx, kind.size), record) << edge;
            }
            // From an accepted record, nothing of a refused one gets in.
            const auto accepted = read(*fx, kind.size);
            std::vector<float> beyond;
            if (field.integer) {
                beyond = {field.lo - 1, field.hi + 1};
            } else {
                beyond = {std::nextafter(field.lo, -1e9f), std::nextafter(field.hi, 1e9f), nan};
            }
            for (float bad : beyond) {
                auto record = kind.defaults;
                put(record, field, bad);
                fx->SetParameters(record.data());
                EXPECT_EQ(read(*fx, kind.size), accepted) << bad;
            }
        }
    }
}

TEST(EffectRecords, BandCentreStopsAtAThirdOfTheRate) {
    auto fx = makeEffect(NERLA_FX_PARAMEQ, 2, 16, false, 44100);
    const DSFXParamEq high{16000.0f, 12.0f, 6.0f};
    fx->SetParameters(&high);
    DSFXParamEq back{};
    fx->GetParameters(&back);
    EXPECT_FLOAT_EQ(back.fCenter, 14700.0f);
    EXPECT_FLOAT_EQ(back.fGain, 6.0f);
}

// GetParameters always sees one whole record while another thread swaps
// records and the streaming thread takes them.
TEST(EffectRecords, RecordsStayWholeWhileAudioStreams) {
    auto fx = makeEffect(NERLA_FX_ECHO, 2);
    const DSFXEcho a{10.0f, 20.0f, 30.0f, 40.0f, 0};
    const DSFXEcho b{90.0f, 80.0f, 70.0f, 60.0f, 1};
    std::atomic<bool> done{false};
    std::thread streaming([&] {
        std::vector<float> s(2 * 256, 0.1f);
        while (!done) {
            run(*fx, s, 2, 256);
        }
    });
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i) {
            fx->SetParameters(i % 2 ? &a : &b);
        }
    });
    int mixed = 0;
    for (int i = 0; i < 20000; ++i) {
        DSFXEcho seen{};
        fx->GetParameters(&seen);
        if (std::memcmp(&seen, &a, sizeof a) != 0 && std::memcmp(&seen, &b, sizeof b) != 0 &&
            seen.fWetDryMix != 50.0f) {
            ++mixed;
        }
    }
    writer.join();
    done = true;
    streaming.join();
    EXPECT_EQ(mixed, 0);
}

}  // namespace
