#include "Fingerprinter.h"

#include <chromaprint.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace corvane {

namespace {

struct DecoderDeleter {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
struct ContextDeleter {
    void operator()(ChromaprintContext* context) const { chromaprint_free(context); }
};
using Decoder = std::unique_ptr<mpg123_handle, DecoderDeleter>;
using Context = std::unique_ptr<ChromaprintContext, ContextDeleter>;

// Libraries older than 1.27 need the call once before the first handle.
void InitDecoderOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// A decoder for path giving 16-bit samples at the stream's own rate and
// channel count, as Chromaprint takes them; null when the file is no MP3.
Decoder OpenDecoder(const std::string& path, long& rate, int& channels) {
    InitDecoderOnce();
    int error = MPG123_OK;
    Decoder decoder(mpg123_new(nullptr, &error));
    if (!decoder) {
        return nullptr;
    }
    mpg123_handle* h = decoder.get();
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Every rate at its own speed: the format is fixed before the stream
    // is opened, since the first look at it settles the output.
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    mpg123_format_none(h);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    int encoding = 0;
    if (mpg123_open(h, path.c_str()) != MPG123_OK ||
        mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2 || encoding != MPG123_ENC_SIGNED_16) {
        return nullptr;
    }
    return decoder;
}

// The whole length in seconds: the encoder's sample count when it wrote one,
// else libmpg123's estimate from the bitrate.
int WholeSeconds(mpg123_handle* h, long rate) {
    const off_t samples = mpg123_length(h);
    return samples > 0 ? static_cast<int>(samples / rate) : 0;
}

// Decodes at most limit sample frames into the context. False when the
// stream cannot be read from its start.
bool FeedSamples(mpg123_handle* h, ChromaprintContext* context, int channels, long limit) {
    std::vector<std::int16_t> buffer(32768);
    long fed = 0;
    while (fed < limit) {
        std::size_t bytes = 0;
        const int status =
            mpg123_read(h, buffer.data(), buffer.size() * sizeof(std::int16_t), &bytes);
        const long frames =
            std::min(static_cast<long>(bytes / sizeof(std::int16_t)) / channels, limit - fed);
        if (frames > 0 &&
            chromaprint_feed(context, buffer.data(), static_cast<int>(frames * channels)) != 1) {
            return false;
        }
        fed += frames;
        if (status == MPG123_DONE || status == MPG123_NEW_FORMAT) {
            break;  // a change of format mid-stream ends what the fingerprint hears
        }
        if (status != MPG123_OK) {
            return fed > 0;  // damage after a good start: the start still counts
        }
    }
    return fed > 0;
}

}  // namespace

int ComputeFingerprint(const std::string& path, std::string& fingerprint, int& seconds) {
    fingerprint.clear();
    seconds = 0;
    long rate = 0;
    int channels = 0;
    Decoder decoder = OpenDecoder(path, rate, channels);
    if (!decoder) {
        return 1;
    }
    Context context(chromaprint_new(CHROMAPRINT_ALGORITHM_DEFAULT));
    if (!context || chromaprint_start(context.get(), static_cast<int>(rate), channels) != 1 ||
        !FeedSamples(decoder.get(), context.get(), channels, rate * kFingerprintSeconds) ||
        chromaprint_finish(context.get()) != 1) {
        return 2;
    }
    char* encoded = nullptr;
    if (chromaprint_get_fingerprint(context.get(), &encoded) != 1 || encoded == nullptr) {
        return 3;
    }
    fingerprint = encoded;
    chromaprint_dealloc(encoded);
    seconds = WholeSeconds(decoder.get(), rate);
    return fingerprint.empty() ? 3 : 0;
}

}  // namespace corvane
