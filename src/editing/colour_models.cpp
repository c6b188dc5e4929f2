#include "editing/colour_models.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

namespace {

// The largest value, starting from 0 (so values that are all negative give 0).
double MaxOf(std::initializer_list<double> values)
{
    double result = 0;
    for (double v : values)
        if (v > result)
            result = v;
    return result;
}

quint8 toByte(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= 0 && r <= 255))
        throw std::out_of_range("colour part outside 0..255");
    return quint8(r);
}

qint16 toInt16(double value)
{
    const double r = RoundHalfEven(value);
    if (!(r >= -32768 && r <= 32767))
        throw std::out_of_range("value outside the 16-bit range");
    return qint16(r);
}

// Arguments of the Set... calls are 16-bit integers.
int checked16(int value)
{
    if (value < -32768 || value > 32767)
        throw std::out_of_range("argument outside the 16-bit range");
    return value;
}

} // namespace

double RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to even.
    return std::nearbyint(value);
}

cClrModels::cClrModels(int red, int green, int blue)
{
    setRgbR(red);
    setRgbG(green);
    setRgbB(blue);
}

void cClrModels::setRgbR(int value)
{
    m_red = toByte(value);
}

void cClrModels::setRgbG(int value)
{
    m_green = toByte(value);
}

void cClrModels::setRgbB(int value)
{
    m_blue = toByte(value);
}

// ---- CMY ------------------------------------------------------------------------------------

quint8 cClrModels::cmyC() const
{
    return quint8(255 - m_red);
}

quint8 cClrModels::cmyM() const
{
    return quint8(255 - m_green);
}

quint8 cClrModels::cmyY() const
{
    return quint8(255 - m_blue);
}

void cClrModels::SetCMY(int c, int m, int y)
{
    m_red = toByte(255 - checked16(c));
    m_green = toByte(255 - checked16(m));
    m_blue = toByte(255 - checked16(y));
}

// ---- CMYK -----------------------------------------------------------------------------------

qint16 cClrModels::cmykK() const
{
    return toInt16(std::min<double>({255.0 - m_red, 255.0 - m_green, 255.0 - m_blue}) / 2.55);
}

qint16 cClrModels::cmykPart(quint8 value) const
{
    const qint16 x = toInt16(value / 2.55);
    const qint16 k = cmykK();
    const int divisor = 100 - k == 0 ? 1 : 100 - k;
    return toInt16(double(100 - x - k) / divisor * 100);
}

qint16 cClrModels::cmykC() const
{
    return cmykPart(m_red);
}

qint16 cClrModels::cmykM() const
{
    return cmykPart(m_green);
}

qint16 cClrModels::cmykY() const
{
    return cmykPart(m_blue);
}

void cClrModels::SetCMYK(int c, int m, int y, int k)
{
    const float kf = float(checked16(k)) / 100.0f;
    auto part = [kf](int percent) {
        const float p = float(percent) / 100.0f;
        const float value = (1.0f - ((1.0f - kf) * p + kf)) * 255.0f;
        return toByte(value);
    };
    checked16(c);
    checked16(m);
    checked16(y);
    m_red = part(c);
    m_green = part(m);
    m_blue = part(y);
}

// ---- HLS ------------------------------------------------------------------------------------

qint16 cClrModels::hlsL() const
{
    const double max = MaxOf({double(m_red), double(m_green), double(m_blue)});
    const double min = std::min<double>({double(m_red), double(m_green), double(m_blue)});
    return toInt16(((max + min) / 2) / 2.55);
}

qint16 cClrModels::hlsS() const
{
    const float r = m_red / 255.0f;
    const float g = m_green / 255.0f;
    const float b = m_blue / 255.0f;
    const float max = float(MaxOf({r, g, b}));
    const float min = float(std::min<double>({r, g, b}));
    if (max == min)
        return 0;
    float s;
    if (hlsL() <= 50)
        s = (max - min) / (max + min);
    else
        s = (max - min) / (2.0f - max - min);
    return toInt16(s * 100.0f);
}

qint16 cClrModels::hlsH() const
{
    const float r = m_red / 255.0f;
    const float g = m_green / 255.0f;
    const float b = m_blue / 255.0f;
    const float max = float(MaxOf({r, g, b}));
    const float min = float(std::min<double>({r, g, b}));
    float h = 0;
    if (max != min) {
        const float d = max - min;
        if (max == r)
            h = (g - b) / d;
        else if (max == g)
            h = 2.0f + (b - r) / d;
        else if (max == b)
            h = 4.0f + (r - g) / d;
    }
    const float degrees = (h + 1.0f) * 60.0f;
    return toInt16(degrees);
}

void cClrModels::SetHLS(int hue, int lightness, int saturation)
{
    const float h = float(checked16(hue)) / 60.0f - 1.0f;
    const float l = float(checked16(lightness)) / 100.0f;
    const float s = float(checked16(saturation)) / 100.0f;
    float r, g, b;
    if (s == 0) {
        r = g = b = l;
    } else {
        const float m1 = l <= 0.5f ? l * (1.0f - s) : l - (1.0f - l) * s;
        const float m2 = 2.0f * l - m1;
        const float d = m2 - m1;
        if (h < 1) {
            r = m2;
            if (h < 0) {
                g = m1;
                b = m1 - h * d;
            } else {
                b = m1;
                g = m1 + h * d;
            }
        } else if (h < 3) {
            g = m2;
            if (h < 2) {
                b = m1;
                r = m1 - (h - 2.0f) * d;
            } else {
                r = m1;
                b = m1 + (h - 2.0f) * d;
            }
        } else {
            b = m2;
            if (h < 4) {
                r = m1;
                g = m1 - (h - 4.0f) * d;
            } else {
                g = m1;
                r = m1 + (h - 4.0f) * d;
            }
        }
    }
    const float red = r * 255.0f;
    const float green = g * 255.0f;
    const float blue = b * 255.0f;
    m_red = toByte(red);
    m_green = toByte(green);
    m_blue = toByte(blue);
}

// ---- YCbCr ----------------------------------------------------------------------------------

quint8 cClrModels::ycbcrY() const
{
    return toByte(0.2989 * m_red + 0.5866 * m_green + 0.1145 * m_blue);
}

quint8 cClrModels::ycbcrCb() const
{
    const qint16 v = toInt16(-0.1687 * m_red - 0.3313 * m_green + 0.5 * m_blue + 128);
    return v < 256 ? toByte(v) : quint8(255);
}

quint8 cClrModels::ycbcrCr() const
{
    const qint16 v = toInt16(0.5 * m_red - 0.4187 * m_green - 0.0813 * m_blue + 128);
    return v < 256 ? toByte(v) : quint8(255);
}

void cClrModels::SetYCbCr(int y, int cb, int cr)
{
    checked16(y);
    checked16(cb);
    checked16(cr);
    const int red = toInt16(y + 1.402 * (cr - 128));
    const int green = toInt16(y - 0.34414 * (cb - 128) - 0.71414 * (cr - 128));
    const int blue = toInt16(y + 1.772 * (cb - 128));
    m_red = quint8(qBound(0, red, 255));
    m_green = quint8(qBound(0, green, 255));
    m_blue = quint8(qBound(0, blue, 255));
}
