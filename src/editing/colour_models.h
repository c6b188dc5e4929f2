#pragma once
// One colour held as its red, green and blue bytes, converted to and from the CMY, CMYK,
// HLS and YCbCr models.
//
// Scales: RGB, CMY and YCbCr parts are bytes 0..255; CMYK parts and the HLS lightness and
// saturation are percentages 0..100; the HLS hue is in degrees 0..359, with magenta at 0,
// red at 60, yellow 120, green 180, cyan 240 and blue 300 (a grey has hue 60).
//
// Every fractional result is rounded to the nearest integer, a half going to the even
// neighbour. A result that does not fit its target (a byte outside 0..255, a 16-bit
// integer outside its range) throws std::out_of_range; parts that the same call had
// already set keep their new values.

#include <QtGlobal>

// The nearest integer to value, a half going to the even neighbour (0.5 gives 0, 1.5 gives 2).
double RoundHalfEven(double value);

class cClrModels
{
public:
    cClrModels() = default;
    cClrModels(int red, int green, int blue);

    // RGB.
    quint8 rgbR() const { return m_red; }
    quint8 rgbG() const { return m_green; }
    quint8 rgbB() const { return m_blue; }
    void setRgbR(int value);
    void setRgbG(int value);
    void setRgbB(int value);

    // CMY: the complements of the RGB bytes.
    quint8 cmyC() const;
    quint8 cmyM() const;
    quint8 cmyY() const;
    void SetCMY(int c, int m, int y);

    // CMYK, percentages.
    qint16 cmykK() const;
    qint16 cmykC() const;
    qint16 cmykM() const;
    qint16 cmykY() const;
    void SetCMYK(int c, int m, int y, int k);

    // HLS: hue in degrees, lightness and saturation in percent.
    qint16 hlsH() const;
    qint16 hlsL() const;
    qint16 hlsS() const;
    void SetHLS(int hue, int lightness, int saturation);

    // YCbCr, bytes.
    quint8 ycbcrY() const;
    quint8 ycbcrCb() const;
    quint8 ycbcrCr() const;
    void SetYCbCr(int y, int cb, int cr);

private:
    qint16 cmykPart(quint8 value) const;

    quint8 m_red = 0;
    quint8 m_green = 0;
    quint8 m_blue = 0;
};
