// Remixing matrices between speaker layouts: the ITU-R BS.775 fold-down
// coefficients for channels the output lacks, and the Dolby Surround and
// Dolby Pro Logic II matrix encodings for two-channel output.
#pragma once

#include <gst/audio/audio.h>

#include <vector>

namespace velmarc {

// The layout list of the player's preferences, in its order.
enum class SpeakerLayout {
    Mono,
    Stereo,
    Layout21,
    Layout31,
    Layout40,
    Layout41,
    Layout50,
    Layout51,
    Layout60,
    Layout61,
    Layout71,
    StereoDownmix,
};
constexpr int kLayoutCount = 12;

enum class MatrixEncoding { None, DolbySurround, DolbyProLogic2 };
constexpr int kMatrixCount = 3;

// The channel positions of `layout`, in GStreamer's channel order.
std::vector<GstAudioChannelPosition> layoutPositions(SpeakerLayout layout);

// The channel mask of `layout` (0 for mono).
guint64 layoutMask(SpeakerLayout layout);

// out[o] = sum over i of matrix[o][i] * in[i]. Scaled so that no output can
// exceed full scale when no input does.
using MixMatrix = std::vector<std::vector<float>>;

// The matrix from channels at `input` to `layout`; the encoding applies to
// "Stereo" only ("Stereo Downmix" is always the plain ITU downmix).
MixMatrix mixMatrix(const std::vector<GstAudioChannelPosition>& input, SpeakerLayout layout,
                    MatrixEncoding encoding);

// Whether `matrix` passes its input through unchanged.
bool isIdentity(const MixMatrix& matrix);

}  // namespace velmarc
