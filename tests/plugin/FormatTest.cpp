// The fixed-width number texts: digits, truncation, signs, limits, and that
// nothing is written past the 9 bytes a caller provides.
#include <climits>
#include <cmath>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "VstTestSupport.h"

namespace {

// Formats into a 9-byte field followed by guard bytes that must survive.
class Field {
public:
    char* text() { return bytes; }
    std::string str() const { return bytes; }
    bool guardIntact() const
    {
        for (int i = 9; i < kSize; ++i)
            if (bytes[i] != '#')
                return false;
        return true;
    }
    Field() { std::memset(bytes, '#', sizeof(bytes)); }

private:
    static constexpr int kSize = 16;
    char bytes[kSize];
};

template <typename F> std::string format(F f)
{
    Field field;
    f(field.text());
    EXPECT_TRUE(field.guardIntact()) << "wrote past 9 bytes: " << field.str().substr(0, 9);
    return field.str().substr(0, field.str().find('#'));
}

class VstFormatters : public ::testing::Test {
protected:
    std::string f2s(float v)
    {
        return format([&](char* t) { fx.float2string(v, t); });
    }
    std::string l2s(VstInt32 v)
    {
        return format([&](char* t) { fx.long2string(v, t); });
    }
    std::string dB(float v)
    {
        return format([&](char* t) { fx.dB2string(v, t); });
    }
    std::string hz(float v)
    {
        return format([&](char* t) { fx.Hz2string(v, t); });
    }
    std::string ms(float v)
    {
        return format([&](char* t) { fx.ms2string(v, t); });
    }
    PlainEffect fx{nullptr};
};

TEST_F(VstFormatters, FloatPositiveValuesGetSevenDigitsAndAPoint)
{
    EXPECT_EQ(f2s(0.0f), "0.000000");
    EXPECT_EQ(f2s(0.5f), "0.500000");
    EXPECT_EQ(f2s(1.0f), "1.000000");
    EXPECT_EQ(f2s(12.25f), "12.25000");
    EXPECT_EQ(f2s(440.0f), "440.0000");
    EXPECT_EQ(f2s(1234567.0f), "1234567.");
    EXPECT_EQ(f2s(123456.5f), "123456.5");
}

TEST_F(VstFormatters, FloatNegativeValuesGetSixDigitsSignAndPoint)
{
    EXPECT_EQ(f2s(-1.5f), "-1.50000");
    EXPECT_EQ(f2s(-0.25f), "-0.25000");
    EXPECT_EQ(f2s(-123456.0f), "-123456.");
    EXPECT_EQ(f2s(-12345.5f), "-12345.5");
}

TEST_F(VstFormatters, FloatDecimalsAreTruncatedNotRounded)
{
    // 0.7f is 0.69999998..., 2.0f/3 is 0.6666667...
    EXPECT_EQ(f2s(0.7f), "0.699999");
    EXPECT_EQ(f2s(2.0f / 3.0f), "0.666666");
    EXPECT_EQ(f2s(-0.7f), "-0.69999");
    EXPECT_EQ(f2s(0.1f), "0.100000");
}

TEST_F(VstFormatters, FloatBeyondItsLimitsIsHuge)
{
    EXPECT_EQ(f2s(100000000.0f), "Huge!");
    EXPECT_EQ(f2s(-10000000.0f), "Huge!");
    EXPECT_EQ(f2s(INFINITY), "Huge!");
    EXPECT_EQ(f2s(-INFINITY), "Huge!");
    EXPECT_EQ(f2s(NAN), "Huge!");
    // Just inside the limits: still digits, never "Huge!".
    EXPECT_NE(f2s(99999992.0f), "Huge!");
    EXPECT_NE(f2s(-9999999.0f), "Huge!");
}

TEST_F(VstFormatters, FloatNeverExceedsEightCharacters)
{
    for (float v : {1e-9f, 9.999999f, 99.99999f, 9999999.0f, 12345678.0f, 99999992.0f, -9999999.0f,
                    -999999.9f, -1e-9f})
        EXPECT_EQ(f2s(v).size(), 8u) << v;
}

TEST_F(VstFormatters, DecibelsOfZeroOrLessAreMinusInfinity)
{
    EXPECT_EQ(dB(0.0f), "-oo");
    EXPECT_EQ(dB(-1.0f), "-oo");
    EXPECT_EQ(dB(1.0f), "0.000000");
    EXPECT_EQ(dB(10.0f), "20.00000");
    EXPECT_EQ(dB(100.0f), "40.00000");
}

TEST_F(VstFormatters, HertzAndMillisecondsFollowTheSampleRate)
{
    EXPECT_EQ(hz(0.0f), "0.000000");
    EXPECT_EQ(hz(441.0f), "100.0000");
    EXPECT_EQ(ms(441.0f), "10.00000");
    fx.setSampleRate(48000.0f);
    EXPECT_EQ(hz(480.0f), "100.0000");
    EXPECT_EQ(ms(48000.0f), "1000.000");
}

TEST_F(VstFormatters, LongIsRightAlignedInSevenAndCutToEight)
{
    EXPECT_EQ(l2s(5), "      5");
    EXPECT_EQ(l2s(0), "      0");
    EXPECT_EQ(l2s(-5), "     -5");
    EXPECT_EQ(l2s(1234567), "1234567");
    EXPECT_EQ(l2s(99999999), "99999999");
    EXPECT_EQ(l2s(-12345678), "-1234567");
    EXPECT_EQ(l2s(INT_MIN), "-2147483");
    EXPECT_EQ(l2s(100000000), "Huge!");
    EXPECT_EQ(l2s(INT_MAX), "Huge!");
}

}  // namespace
