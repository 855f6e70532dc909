#include "media/media_api.h"

#include <cstdlib>

// A media support library of a version the programs do not know: it must be refused before any
// of its functions is called, so each of them ends the process.

namespace {

class CRefusedMediaSupport final : public CMediaSupport {
public:
    EMediaOpenResult OpenMovie(const QString&, std::unique_ptr<CMediaMovie>&) const override { std::abort(); }
    EMediaOpenResult ReadSound(const QString&, tagMEDIA_SOUND_FACTS&) const override { std::abort(); }
};

} // namespace

extern "C" __attribute__((visibility("default"))) const KaleidraMediaApi* kaleidra_media_api(void)
{
    static const CRefusedMediaSupport support;
    static const KaleidraMediaApi api = { KALEIDRA_MEDIA_API_VERSION + 1, &support };
    return &api;
}
