#include "encoder/source_info.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zezozov {

std::optional<SourceInfo> ChooseSource(const ProbeFacts& facts) {
    for (const StreamFacts& stream : facts.streams) {
        // A stream labelled video without a picture size (a cover with no size, a data stream) is passed over.
        if (!stream.video || stream.width <= 0 || stream.height <= 0)
            continue;
        SourceInfo info;
        info.width = stream.width;
        info.height = stream.height;
        info.frameRate = stream.averageRate.valid() ? stream.averageRate : stream.baseRate;
        if (!info.frameRate.valid())
            info.frameRate = {0, 1};
        info.duration = facts.duration > 0 ? facts.duration : stream.duration;
        info.sampleAspect = stream.sampleAspect;
        info.rotation = stream.rotation;
        return info;
    }
    return std::nullopt;
}

std::pair<int, int> ShownSize(const SourceInfo& info) {
    int width = info.width;
    const Ratio sar = info.sampleAspect;
    if (sar.valid() && sar.value() != 1.0) {
        const double shown = static_cast<double>(width) * sar.value();
        width = shown >= std::numeric_limits<int>::max() - 2
                    ? std::numeric_limits<int>::max() - 1
                    : std::max(2, static_cast<int>(std::llround(shown / 2)) * 2);
    }
    if (info.rotation == 90 || info.rotation == 270)
        return {info.height, width};
    return {width, info.height};
}

int RightAngleTurn(double counterClockwiseDegrees) {
    if (!std::isfinite(counterClockwiseDegrees))
        return 0;
    // FFmpeg's own reading (cmdutils' get_rotation): clockwise, whole degrees, folded into [0, 360).
    double turn = -std::round(counterClockwiseDegrees);
    turn -= 360 * std::floor(turn / 360 + 0.9 / 360);
    for (int right : {90, 180, 270})
        if (std::fabs(turn - right) < 1.0)
            return right;
    return 0;
}

std::int32_t DurationReport(double seconds) {
    if (!(seconds > 0))
        return 0;
    if (seconds >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return std::max<std::int32_t>(1, static_cast<std::int32_t>(std::llround(seconds)));
}

std::int32_t FrameRateReport(Ratio rate) {
    if (!rate.valid())
        return 0;
    // FFmpeg's ratios have 32-bit terms, so num x 2 x 10^7 stays far inside 64 bits; larger terms are cut down first.
    Ratio r = rate;
    while (r.num > (std::int64_t{1} << 33) || r.den > (std::int64_t{1} << 33)) {
        r.num /= 2;
        r.den = std::max<std::int64_t>(1, r.den / 2);
    }
    const std::int64_t rounded = (r.num * 10'000'000 * 2 + r.den) / (r.den * 2);
    // A rate above 214.7483647 frames per second does not fit; the converter reads a negative value as the
    // largest one anyway, so the largest is what is sent.
    if (rounded > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

std::string FfmpegPath(const std::string& path) {
    return "file:" + path;
}

} // namespace zezozov
