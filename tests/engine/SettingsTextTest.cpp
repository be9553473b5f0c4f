#include "engine/SettingsText.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

TEST(SettingsText, DefaultRecordReadOut) {
    const std::string expected = "[設定]\n"
                                 "画面ﾓｰﾄﾞ = SCREEN5\n"
                                 "出力先 = プレビューを作成してファイルへ出力\n"
                                 "誤差拡散 = 使用 : 係数 = 0.430 : 捨誤差=0\n"
                                 "全固定ﾊﾟﾚｯﾄ = 未使用 : 0番の色 = 0番も使用する\n"
                                 "JK再計算 = 使用\n"
                                 "ｲﾝﾀｰﾚｰｽ = 未使用\n"
                                 "ﾃﾞｨｻﾞ = 高度な網がけ : ﾃﾞｨｻﾞ合成方法 = 回転\n"
                                 "色再現精度 = 24bit(完全)\n"
                                 "自然画ｱﾙｺﾞﾘｽﾞﾑ = 誤差訂正\n"
                                 "自動ﾌｧｲﾙ名 = 使用\n"
                                 "ﾊﾟﾚｯﾄ出力方法 = 画像に結合(COLOR=RESTORE用)\n"
                                 "50%:50%網ﾀｲﾙ = 未使用\n";
    EXPECT_EQ(buildSettingsText("設定", ConversionSettings{}), expected);
}

TEST(SettingsText, ChangedFieldsShowTheirNames) {
    ConversionSettings settings;
    settings.screenMode = 3;
    settings.outputTarget = 1;
    settings.diffusionCoefficient = 0.0f;
    settings.cutOffError = 255;
    settings.skipColorZero = 1;
    settings.meshTile = 1;
    settings.ditherCombine = 2;
    const std::string text = buildSettingsText("cat.bmp(1/1) [変換結果]", settings);
    EXPECT_EQ(text.rfind("[cat.bmp(1/1) [変換結果]]\n", 0), 0u);
    for (const char* part : {"SCREEN10/11\n", "出力先 = ファイルへ出力\n", "係数 = 0.000 : 捨誤差=255\n",
                             "0番の色 = 0番使用禁止\n", "ﾃﾞｨｻﾞ合成方法 = Ｘずらし\n",
                             "50%:50%網ﾀｲﾙ = 使用\n"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}

TEST(SettingsText, CoefficientShowsEveryThousandthAsSet) {
    // In single precision n x 0.001 times 1000 truncates back to n for every step the dialog
    // and scripts can set; a double-precision product would show 0.033 as 32.
    for (int n = 0; n <= 500; ++n) {
        const float coefficient = static_cast<float>(n) * 0.001f;
        EXPECT_EQ(coefficientThousandths(coefficient), n) << n;
    }
    EXPECT_EQ(coefficientThousandths(0.43f), 430);
    EXPECT_EQ(coefficientThousandths(0.5f), 500);
}

} // namespace
} // namespace tarvelo
