#include "Fingerprinter.h"

#include <chromaprint.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
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

// A decoder for path giving 16-bit mono samples at the stream's own rate;
// null when the file is no MP3. The channels are mixed before the synthesis,
// which then runs once instead of twice; Chromaprint would mix them anyway.
Decoder OpenDecoder(const std::string& path, long& rate) {
    InitDecoderOnce();
    int error = MPG123_OK;
    Decoder decoder(mpg123_new(nullptr, &error));
    if (!decoder) {
        return nullptr;
    }
    mpg123_handle* h = decoder.get();
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_MONO_MIX, 0.0);
    // Every rate at its own speed: the format is fixed before the stream
    // is opened, since the first look at it settles the output.
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    mpg123_format_none(h);
    for (std::size_t i = 0; i < rateCount; ++i) {
        mpg123_format(h, rates[i], MPG123_MONO, MPG123_ENC_SIGNED_16);
    }
    int channels = 0;
    int encoding = 0;
    if (mpg123_open(h, path.c_str()) != MPG123_OK ||
        mpg123_getformat(h, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels != 1 || encoding != MPG123_ENC_SIGNED_16) {
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

// At most limit samples from the start. False when the stream cannot be
// read from its start; damage after a good start ends what is heard.
bool ReadSamples(mpg123_handle* h, std::size_t limit, std::vector<std::int16_t>& samples) {
    samples.resize(limit);
    std::size_t read = 0;
    while (read < limit) {
        std::size_t bytes = 0;
        const int status =
            mpg123_read(h, samples.data() + read, (limit - read) * sizeof(std::int16_t), &bytes);
        read += bytes / sizeof(std::int16_t);
        if (status != MPG123_OK) {
            break;  // the end, damage, or a change of format mid-stream
        }
    }
    samples.resize(read);
    return read > 0;
}

// Chromaprint's own resampler to its 11025 Hz, for a rate 2 or 4 times
// that: the same windowed-sinc filter (Kaiser, beta 9, 16 taps at the output
// rate, cut off at 0.8), the same rounding and the same mirrored start, so
// the fingerprint stays the same to the bit. Chromaprint runs it one tap at
// a time; here the taps of one output vectorize, which makes the whole
// fingerprint cost less than fpcalc's.
class Downsampler {
public:
    explicit Downsampler(int ratio) : ratio_(ratio) {
        const double factor = 0.8 / ratio;
        const int taps = static_cast<int>(std::ceil(16 / factor));
        const int center = (taps - 1) / 2;
        std::vector<double> window(static_cast<std::size_t>(taps));
        double norm = 0;
        for (int i = 0; i < taps; ++i) {
            const double x = kPi * (i - center) * factor;
            const double w = 2.0 * x / (factor * taps * kPi);
            const double y =
                (x == 0 ? 1.0 : std::sin(x) / x) * Bessel(9 * std::sqrt(std::max(1 - w * w, 0.0)));
            window[static_cast<std::size_t>(i)] = y;
            norm += y;
        }
        for (const double y : window) {
            const long tap = std::lrint(static_cast<float>(y * (1 << 15) / norm));
            taps_.push_back(static_cast<std::int16_t>(std::clamp(tap, -32768L, 32767L)));
        }
        center_ = center;
    }

    std::vector<std::int16_t> Run(const std::vector<std::int16_t>& in) const {
        std::vector<std::int16_t> out;
        const auto taps = static_cast<long>(taps_.size());
        const auto size = static_cast<long>(in.size());
        out.reserve(in.size() / static_cast<std::size_t>(ratio_) + 1);
        for (long start = -center_; start + taps <= size; start += ratio_) {
            std::int32_t sum = 0;
            if (start < 0) {
                for (long i = 0; i < taps; ++i) {
                    sum += in[static_cast<std::size_t>(std::labs(start + i))] * taps_[i];
                }
            } else {
                sum = Dot(in.data() + start);
            }
            sum = (sum + (1 << 14)) >> 15;
            out.push_back(static_cast<std::int16_t>(std::clamp(sum, -32768, 32767)));
        }
        return out;
    }

private:
    static constexpr double kPi = 3.14159265358979323846;

    // The modified Bessel function of the first kind, order 0, as a series.
    static double Bessel(double x) {
        double value = 1;
        double last = 0;
        double term = 1;
        x = x * x / 4;
        for (int i = 1; value != last; ++i) {
            last = value;
            term *= x / (i * i);
            value += term;
        }
        return value;
    }

    std::int32_t Dot(const std::int16_t* in) const {
        std::int32_t sum = 0;
        const std::int16_t* taps = taps_.data();
        for (std::size_t i = 0; i < taps_.size(); ++i) {
            sum += in[i] * taps[i];
        }
        return sum;
    }

    int ratio_;
    long center_ = 0;
    std::vector<std::int16_t> taps_;
};

// Feeds the samples at Chromaprint's own rate when the stream's is a
// multiple of it, else as they are, for Chromaprint to resample.
bool Feed(ChromaprintContext* context, long rate, const std::vector<std::int16_t>& samples) {
    constexpr long kChromaprintRate = 11025;
    const long ratio = rate % kChromaprintRate == 0 ? rate / kChromaprintRate : 0;
    if (ratio == 2 || ratio == 4) {
        const std::vector<std::int16_t> heard = Downsampler(static_cast<int>(ratio)).Run(samples);
        return chromaprint_start(context, kChromaprintRate, 1) == 1 &&
               chromaprint_feed(context, heard.data(), static_cast<int>(heard.size())) == 1;
    }
    return chromaprint_start(context, static_cast<int>(rate), 1) == 1 &&
           chromaprint_feed(context, samples.data(), static_cast<int>(samples.size())) == 1;
}

}  // namespace

int ComputeFingerprint(const std::string& path, std::string& fingerprint, int& seconds) {
    fingerprint.clear();
    seconds = 0;
    long rate = 0;
    Decoder decoder = OpenDecoder(path, rate);
    if (!decoder) {
        return 1;
    }
    std::vector<std::int16_t> samples;
    Context context(chromaprint_new(CHROMAPRINT_ALGORITHM_DEFAULT));
    if (!context ||
        !ReadSamples(decoder.get(), static_cast<std::size_t>(rate) * kFingerprintSeconds,
                     samples) ||
        !Feed(context.get(), rate, samples) || chromaprint_finish(context.get()) != 1) {
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
