// Parameter values, names, labels and display texts of the plug-in object.
#include <cstring>
#include <limits>
#include <string>

#include "tests/plugin/PluginFixture.h"

namespace {

using ParameterTest = PluginFixture;

TEST_F(ParameterTest, StoredExactlyAsGiven) {
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        const float value = 0.7f - 0.05f * static_cast<float>(index);
        plugin->setParameter(index, value);
        EXPECT_EQ(plugin->getParameter(index), value);
    }
}

TEST_F(ParameterTest, OutOfRangeIndexesChangeNothing) {
    for (VstInt32 index : {-1, 10, 1 << 30}) {
        plugin->setParameter(index, 0.9f);
        EXPECT_EQ(plugin->getParameter(index), 0.0f);
        char text[32] = "x";
        plugin->getParameterDisplay(index, text);
        EXPECT_STREQ(text, "");
        std::strcpy(text, "x");
        plugin->getParameterName(index, text);
        EXPECT_STREQ(text, "");
    }
    for (VstInt32 index = 0; index < 9; ++index) {
        EXPECT_EQ(plugin->getParameter(index), 0.5f);
    }
}

TEST_F(ParameterTest, DisplayFitsEightCharacters) {
    struct Case {
        float value;
        const char* text;
    };
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0.5f, "0.500000"},
        {0.25f, "0.250000"},
        {1.0f, "1.000000"},
        {0.0f, "0.000000"},
        {9.5f, "9.500000"},
        {-0.5f, "-0.50000"},
        {10.0f, "10.00000"},
        {-123.25f, "-123.250"},
        {12345678.0f, "12345678"},
        {123456789.0f, "1.23e+08"},
        {-1.0e30f, "-1.0e+30"},
        {1.0e30f, "1.00e+30"},
        {inf, "inf"},
        {-inf, "-inf"},
    };
    for (const Case& c : cases) {
        plugin->setParameter(kOutputMix, c.value);
        char text[32];
        std::memset(text, 'Z', sizeof(text));
        plugin->getParameterDisplay(kOutputMix, text);
        EXPECT_STREQ(text, c.text) << c.value;
        EXPECT_EQ(text[9], 'Z') << c.value;
    }
    plugin->setParameter(kOutputMix, std::numeric_limits<float>::quiet_NaN());
    char text[32];
    std::memset(text, 'Z', sizeof(text));
    plugin->getParameterDisplay(kOutputMix, text);
    EXPECT_NE(std::string(text).find("nan"), std::string::npos) << text;
    EXPECT_EQ(text[9], 'Z');
}

TEST_F(ParameterTest, NamesAndEmptyLabels) {
    char name[64];
    plugin->getParameterName(kSpringTension, name);
    EXPECT_STREQ(name, "SpringTension");
    for (VstInt32 index = 0; index < kNumParams; ++index) {
        char label[16] = "x";
        plugin->getParameterLabel(index, label);
        EXPECT_STREQ(label, "");
    }
}

TEST_F(ParameterTest, NullTextBuffersAreIgnored) {
    plugin->getParameterName(0, nullptr);
    plugin->getParameterLabel(0, nullptr);
    plugin->getParameterDisplay(0, nullptr);
    plugin->getProgramName(nullptr);
    plugin->setProgramName(nullptr);
    char name[32];
    plugin->getProgramName(name);
    EXPECT_STREQ(name, "Spring Reverb Quorl");
}

}  // namespace
