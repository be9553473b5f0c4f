#include "engine/SettingsText.h"

#include "engine/SettingsNames.h"

#include <cmath>
#include <cstdio>

namespace tarvelo {

std::int32_t coefficientThousandths(float diffusionCoefficient) {
    const float product = diffusionCoefficient * 1000.0f;
    if (!(product > -1.0e9f && product < 1.0e9f)) {
        return 0; // not a number or absurd: only a record that skipped normalisation has one
    }
    return static_cast<std::int32_t>(product);
}

std::string buildSettingsText(std::string_view header, const ConversionSettings& s) {
    char coefficient[16];
    std::snprintf(coefficient, sizeof coefficient, "%03d",
                  static_cast<int>(coefficientThousandths(s.diffusionCoefficient)));
    const std::string outputName(
        s.outputTarget >= 1 ? nameOf(outputTargetNames(), s.outputTarget - 1) : std::string_view{});

    std::string text;
    auto line = [&text](std::initializer_list<std::string_view> parts) {
        for (std::string_view part : parts) {
            text.append(part);
        }
        text.push_back('\n');
    };
    line({"[", header, "]"});
    line({"画面ﾓｰﾄﾞ = ", nameOf(screenModeNames(), s.screenMode)});
    line({"出力先 = ", outputName});
    line({"誤差拡散 = ", flagName(s.errorDiffusion), " : 係数 = 0.", coefficient,
          " : 捨誤差=", std::to_string(s.cutOffError)});
    line({"全固定ﾊﾟﾚｯﾄ = ", flagName(s.allFixedPalette), " : 0番の色 = ",
          skipColorZeroName(s.skipColorZero)});
    line({"JK再計算 = ", flagName(s.jkRecalc)});
    line({"ｲﾝﾀｰﾚｰｽ = ", flagName(s.interlace)});
    line({"ﾃﾞｨｻﾞ = ", nameOf(ditherPatternNames(), s.ditherPattern), " : ﾃﾞｨｻﾞ合成方法 = ",
          nameOf(ditherCombineNames(), s.ditherCombine)});
    line({"色再現精度 = ", nameOf(colorPrecisionNames(), s.colorPrecision)});
    line({"自然画ｱﾙｺﾞﾘｽﾞﾑ = ", nameOf(naturalImageAlgorithmNames(), s.naturalImageAlgorithm)});
    line({"自動ﾌｧｲﾙ名 = ", flagName(s.autoFileName)});
    line({"ﾊﾟﾚｯﾄ出力方法 = ", nameOf(paletteOutputNames(), s.paletteOutput)});
    line({"50%:50%網ﾀｲﾙ = ", flagName(s.meshTile)});
    return text;
}

} // namespace tarvelo
