#include "velmarc/mix_settings.h"

namespace velmarc {

MixSettings& MixSettings::instance() {
    static MixSettings settings;
    return settings;
}

bool MixSettings::set(int32_t option, int32_t value) {
    switch (option) {
        case 1:
            mixing_ = value != 0;
            break;
        case 2:
            if (value < 0 || value >= kMatrixCount) {
                return false;
            }
            encoding_ = value;
            break;
        case 3:
            if (value < 0 || value >= kLayoutCount) {
                return false;
            }
            layout_ = value;
            break;
        default:
            return false;
    }
    ++generation_;
    return true;
}

MixChoice MixSettings::choice() const {
    MixChoice choice;
    choice.mixing = mixing_.load();
    choice.encoding = static_cast<MatrixEncoding>(encoding_.load());
    choice.layout = static_cast<SpeakerLayout>(layout_.load());
    return choice;
}

}  // namespace velmarc
