#pragma once

#include <cstdint>

namespace tarvelo {

/// Value of `naturalImageAlgorithm`: how the YJK encoder chooses the luminance of a dot.
enum class NaturalImageAlgorithm : std::uint32_t {
    None = 0,            ///< "なし": the plain weighted average of the channels
    ErrorCorrection = 1, ///< "誤差訂正": the Y whose rebuilt colour is nearest the source
    Powerful = 2,        ///< "MSX2+ﾊﾟﾜﾌﾙ活用法ﾚｲﾄﾚ方式"
    Ntsc = 3,            ///< "NTSC(R:G:B=30:59:11)"
    NtscModified = 4,    ///< "NTSC改(R:G:B=40:49:6)"
};

/// A dot with the colour error carried into it: channels nominally 0..255, but the carried
/// error can take them far outside that range.
struct CarriedDot {
    int red = 0;
    int green = 0;
    int blue = 0;
};

/// `value` brought into low..high.
constexpr int clampTo(int low, int high, int value) {
    return value < low ? low : (value > high ? high : value);
}

/// The luminance Y of `dot` in 8-bit units, given its group's colour difference J and K
/// (8-bit units, -256..255). Not clamped except where the algorithm itself clamps (None gives
/// 0..255, ErrorCorrection 0..254); the others may fall outside 0..255. Every division
/// truncates toward zero. Dot channels within +-65535 cannot overflow any algorithm.
int yjkLuminance(NaturalImageAlgorithm algorithm, CarriedDot dot, int j, int k);

} // namespace tarvelo
