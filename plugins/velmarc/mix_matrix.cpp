#include "velmarc/mix_matrix.h"

#include <algorithm>
#include <cmath>

namespace velmarc {
namespace {

using Position = GstAudioChannelPosition;

constexpr float kHalfPower = 0.70710678f;  // -3 dB
constexpr float kProLogicMajor = 0.86602540f;
constexpr float kProLogicMinor = 0.5f;

constexpr Position FL = GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT;
constexpr Position FR = GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT;
constexpr Position FC = GST_AUDIO_CHANNEL_POSITION_FRONT_CENTER;
constexpr Position LFE = GST_AUDIO_CHANNEL_POSITION_LFE1;
constexpr Position RL = GST_AUDIO_CHANNEL_POSITION_REAR_LEFT;
constexpr Position RR = GST_AUDIO_CHANNEL_POSITION_REAR_RIGHT;
constexpr Position RC = GST_AUDIO_CHANNEL_POSITION_REAR_CENTER;
constexpr Position SL = GST_AUDIO_CHANNEL_POSITION_SIDE_LEFT;
constexpr Position SR = GST_AUDIO_CHANNEL_POSITION_SIDE_RIGHT;

class MatrixBuilder {
  public:
    MatrixBuilder(size_t inputs, std::vector<Position> output)
        : output_(std::move(output)), matrix_(output_.size(), std::vector<float>(inputs, 0.0f)) {}

    bool has(Position position) const {
        return std::find(output_.begin(), output_.end(), position) != output_.end();
    }

    // Sends input channel `in` at `gain` to `position`, folding it onto the
    // nearest speakers the output has when it lacks that one.
    void send(size_t in, Position position, float gain, int depth = 0) {
        const auto at = std::find(output_.begin(), output_.end(), position);
        if (at != output_.end()) {
            matrix_[static_cast<size_t>(at - output_.begin())][in] += gain;
            return;
        }
        if (depth > 4) {
            return;
        }
        const auto fold = [&](Position target, float coefficient) {
            send(in, target, gain * coefficient, depth + 1);
        };
        switch (position) {
            case GST_AUDIO_CHANNEL_POSITION_MONO:
                fold(FC, 1.0f);
                break;
            case FC:
                fold(FL, kHalfPower);
                fold(FR, kHalfPower);
                break;
            case FL:
            case FR:
                fold(FC, kHalfPower);  // mono output
                break;
            case GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT_OF_CENTER:
            case GST_AUDIO_CHANNEL_POSITION_WIDE_LEFT:
                fold(FL, 1.0f);
                break;
            case GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT_OF_CENTER:
            case GST_AUDIO_CHANNEL_POSITION_WIDE_RIGHT:
                fold(FR, 1.0f);
                break;
            case RL:
                has(SL) ? fold(SL, 1.0f) : has(RC) ? fold(RC, kHalfPower) : fold(FL, kHalfPower);
                break;
            case RR:
                has(SR) ? fold(SR, 1.0f) : has(RC) ? fold(RC, kHalfPower) : fold(FR, kHalfPower);
                break;
            case SL:
            case GST_AUDIO_CHANNEL_POSITION_SURROUND_LEFT:
                has(RL) ? fold(RL, 1.0f) : fold(FL, kHalfPower);
                break;
            case SR:
            case GST_AUDIO_CHANNEL_POSITION_SURROUND_RIGHT:
                has(RR) ? fold(RR, 1.0f) : fold(FR, kHalfPower);
                break;
            case RC:
                if (has(SL) && has(SR)) {
                    fold(SL, kHalfPower);
                    fold(SR, kHalfPower);
                } else if (has(RL) && has(RR)) {
                    fold(RL, kHalfPower);
                    fold(RR, kHalfPower);
                } else {
                    fold(FL, 0.5f);
                    fold(FR, 0.5f);
                }
                break;
            case GST_AUDIO_CHANNEL_POSITION_LFE2:
                fold(LFE, 1.0f);
                break;
            default:
                break;  // LFE without an LFE speaker, heights: left out
        }
    }

    // Lt/Rt matrix encoding: the surround channels go into both outputs in
    // opposite phase, left surround leaning to Lt, right surround to Rt.
    void encode(size_t in, Position position, MatrixEncoding encoding) {
        float toLeft = 0;
        float toRight = 0;
        const bool proLogic = encoding == MatrixEncoding::DolbyProLogic2;
        switch (position) {
            case RL:
            case SL:
            case GST_AUDIO_CHANNEL_POSITION_SURROUND_LEFT:
                toLeft = proLogic ? -kProLogicMajor : -0.5f;
                toRight = proLogic ? kProLogicMinor : 0.5f;
                break;
            case RR:
            case SR:
            case GST_AUDIO_CHANNEL_POSITION_SURROUND_RIGHT:
                toLeft = proLogic ? -kProLogicMinor : -0.5f;
                toRight = proLogic ? kProLogicMajor : 0.5f;
                break;
            case RC:  // a mono surround: both sides of it at -3 dB
                toLeft = proLogic ? -(kProLogicMajor + kProLogicMinor) * kHalfPower : -kHalfPower;
                toRight = -toLeft;
                break;
            default:
                send(in, position, 1.0f);
                return;
        }
        matrix_[0][in] += toLeft;
        matrix_[1][in] += toRight;
    }

    MixMatrix finish() {
        float largest = 0;
        for (const auto& row : matrix_) {
            float sum = 0;
            for (const float coefficient : row) {
                sum += std::abs(coefficient);
            }
            largest = std::max(largest, sum);
        }
        if (largest > 1.0f) {
            for (auto& row : matrix_) {
                for (float& coefficient : row) {
                    coefficient /= largest;
                }
            }
        }
        return matrix_;
    }

  private:
    const std::vector<Position> output_;
    MixMatrix matrix_;
};

}  // namespace

std::vector<GstAudioChannelPosition> layoutPositions(SpeakerLayout layout) {
    switch (layout) {
        case SpeakerLayout::Mono:
            return {GST_AUDIO_CHANNEL_POSITION_MONO};
        case SpeakerLayout::Stereo:
        case SpeakerLayout::StereoDownmix:
            return {FL, FR};
        case SpeakerLayout::Layout21:
            return {FL, FR, LFE};
        case SpeakerLayout::Layout31:
            return {FL, FR, FC, LFE};
        case SpeakerLayout::Layout40:
            return {FL, FR, RL, RR};
        case SpeakerLayout::Layout41:
            return {FL, FR, LFE, RL, RR};
        case SpeakerLayout::Layout50:
            return {FL, FR, FC, RL, RR};
        case SpeakerLayout::Layout51:
            return {FL, FR, FC, LFE, RL, RR};
        case SpeakerLayout::Layout60:
            return {FL, FR, FC, RC, SL, SR};
        case SpeakerLayout::Layout61:
            return {FL, FR, FC, LFE, RC, SL, SR};
        case SpeakerLayout::Layout71:
            return {FL, FR, FC, LFE, RL, RR, SL, SR};
    }
    return {FL, FR};
}

guint64 layoutMask(SpeakerLayout layout) {
    guint64 mask = 0;
    for (const Position position : layoutPositions(layout)) {
        if (position >= 0) {
            mask |= guint64{1} << position;
        }
    }
    return mask;
}

MixMatrix mixMatrix(const std::vector<GstAudioChannelPosition>& input, SpeakerLayout layout,
                    MatrixEncoding encoding) {
    std::vector<Position> output = layoutPositions(layout);
    if (layout == SpeakerLayout::Mono) {
        output = {FC};  // the single speaker takes what a centre would
    }
    MatrixBuilder builder(input.size(), output);
    const bool encode = layout == SpeakerLayout::Stereo && encoding != MatrixEncoding::None;
    for (size_t in = 0; in < input.size(); ++in) {
        if (encode) {
            builder.encode(in, input[in], encoding);
        } else {
            builder.send(in, input[in], 1.0f);
        }
    }
    return builder.finish();
}

bool isIdentity(const MixMatrix& matrix) {
    for (size_t o = 0; o < matrix.size(); ++o) {
        if (matrix[o].size() != matrix.size()) {
            return false;
        }
        for (size_t i = 0; i < matrix[o].size(); ++i) {
            if (matrix[o][i] != (o == i ? 1.0f : 0.0f)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace velmarc
