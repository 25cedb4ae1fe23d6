// The desktop's location service (GeoClue 2 on the system bus).
#pragma once

#include <chrono>
#include <optional>

namespace nerla {

struct GeoLocation {
    double latitude;
    double longitude;
};

// Asks GeoClue for the current location; nullopt when the service does not
// answer within `timeout` or refuses.
std::optional<GeoLocation> queryGeoClueLocation(std::chrono::milliseconds timeout);

}  // namespace nerla
