#include "camera/camera_api.h"

// A camera support library of a version the programs do not know: it must be refused before any
// of its functions is called.
extern "C" __attribute__((visibility("default"))) const KaleidraCameraApi* kaleidra_camera_api(void)
{
    static const KaleidraCameraApi api
        = { KALEIDRA_CAMERA_API_VERSION + 1, nullptr, nullptr, nullptr, nullptr, nullptr };
    return &api;
}
