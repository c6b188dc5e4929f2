// The colour models (CMY, CMYK, HLS, YCbCr) and the colour texts of the page's colour scheme.
#include "editing/colour_models.h"
#include "editing/colour_schemes.h"

#include <QtTest>

#include <stdexcept>

class TestColourModels : public QObject
{
    Q_OBJECT
private slots:
    void rounding();
    void knownValues_data();
    void knownValues();
    void setters_data();
    void setters();
    void rangeErrors();
    void roundTrips_data();
    void roundTrips();
    void colourTexts_data();
    void colourTexts();
    void colourValues();
};

void TestColourModels::rounding()
{
    // Halves go to the even neighbour.
    QCOMPARE(RoundHalfEven(0.5), 0.0);
    QCOMPARE(RoundHalfEven(1.5), 2.0);
    QCOMPARE(RoundHalfEven(2.5), 2.0);
    QCOMPARE(RoundHalfEven(-0.5), 0.0);
    QCOMPARE(RoundHalfEven(2.51), 3.0);
}

void TestColourModels::knownValues_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    // hlsH, hlsL, hlsS, cmykC, cmykM, cmykY, cmykK, ycbcrY, ycbcrCb, ycbcrCr
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("red") << 255 << 0 << 0 << QList<int>{60, 50, 100, 0, 100, 100, 0, 76, 85, 255};
    QTest::newRow("black") << 0 << 0 << 0 << QList<int>{60, 0, 0, 0, 0, 0, 100, 0, 128, 128};
    QTest::newRow("white") << 255 << 255 << 255 << QList<int>{60, 100, 0, 0, 0, 0, 0, 255, 128, 128};
    QTest::newRow("grey") << 128 << 128 << 128 << QList<int>{60, 50, 0, 0, 0, 0, 50, 128, 128, 128};
    // Blue's Cb computes 255.5, goes to 256 and is capped.
    QTest::newRow("blue") << 0 << 0 << 255 << QList<int>{300, 50, 100, 100, 100, 0, 0, 29, 255, 107};
    QTest::newRow("green") << 0 << 255 << 0 << QList<int>{180, 50, 100, 100, 0, 100, 0, 150, 44, 21};
    // Ties go to red first, then green.
    QTest::newRow("yellow") << 255 << 255 << 0 << QList<int>{120, 50, 100, 0, 0, 100, 0, 226, 0, 149};
    QTest::newRow("cyan") << 0 << 255 << 255 << QList<int>{240, 50, 100, 100, 0, 0, 0, 179, 171, 0};
    QTest::newRow("magenta") << 255 << 0 << 255 << QList<int>{0, 50, 100, 0, 100, 0, 0, 105, 212, 235};
    // The default page colours.
    QTest::newRow("bb99bb") << 0xbb << 0x99 << 0xbb << QList<int>{0, 67, 20, 0, 18, 0, 27, 167, 139, 142};
    QTest::newRow("8a2be2") << 0x8a << 0x2b << 0xe2 << QList<int>{331, 53, 76, 39, 81, 0, 11, 92, 203, 161};
}

void TestColourModels::knownValues()
{
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    QFETCH(QList<int>, expected);

    const cClrModels c(r, g, b);
    QCOMPARE(int(c.rgbR()), r);
    QCOMPARE(int(c.cmyC()), 255 - r);
    QCOMPARE(int(c.cmyM()), 255 - g);
    QCOMPARE(int(c.cmyY()), 255 - b);
    const QList<int> actual = {c.hlsH(),  c.hlsL(),  c.hlsS(),   c.cmykC(),   c.cmykM(),
                               c.cmykY(), c.cmykK(), c.ycbcrY(), c.ycbcrCb(), c.ycbcrCr()};
    QCOMPARE(actual, expected);
}

void TestColourModels::setters_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QList<int>>("args");
    QTest::addColumn<QList<int>>("rgb");

    QTest::newRow("HLS red") << "HLS" << QList<int>{60, 50, 100} << QList<int>{255, 0, 0};
    QTest::newRow("HLS magenta") << "HLS" << QList<int>{0, 50, 100} << QList<int>{255, 0, 255};
    QTest::newRow("HLS blue") << "HLS" << QList<int>{300, 50, 100} << QList<int>{0, 0, 255};
    // Without saturation the hue does not matter.
    QTest::newRow("HLS grey") << "HLS" << QList<int>{123, 40, 0} << QList<int>{102, 102, 102};
    QTest::newRow("HLS light") << "HLS" << QList<int>{180, 75, 50} << QList<int>{159, 223, 159};
    QTest::newRow("CMY") << "CMY" << QList<int>{10, 20, 30} << QList<int>{245, 235, 225};
    QTest::newRow("CMYK red") << "CMYK" << QList<int>{0, 100, 100, 0} << QList<int>{255, 0, 0};
    QTest::newRow("CMYK black") << "CMYK" << QList<int>{0, 0, 0, 100} << QList<int>{0, 0, 0};
    // 127.5 goes to the even 128.
    QTest::newRow("CMYK half") << "CMYK" << QList<int>{50, 0, 100, 0} << QList<int>{128, 255, 0};
    // Parts beyond 255 or below 0 are clamped, not an error.
    QTest::newRow("YCbCr clamped") << "YCbCr" << QList<int>{255, 128, 255} << QList<int>{255, 164, 255};
    QTest::newRow("YCbCr low") << "YCbCr" << QList<int>{0, 0, 0} << QList<int>{0, 135, 0};
}

void TestColourModels::setters()
{
    QFETCH(QString, call);
    QFETCH(QList<int>, args);
    QFETCH(QList<int>, rgb);

    cClrModels c(1, 2, 3);
    if (call == QLatin1String("HLS"))
        c.SetHLS(args[0], args[1], args[2]);
    else if (call == QLatin1String("CMY"))
        c.SetCMY(args[0], args[1], args[2]);
    else if (call == QLatin1String("CMYK"))
        c.SetCMYK(args[0], args[1], args[2], args[3]);
    else
        c.SetYCbCr(args[0], args[1], args[2]);
    QCOMPARE((QList<int>{c.rgbR(), c.rgbG(), c.rgbB()}), rgb);
}

void TestColourModels::rangeErrors()
{
    cClrModels c(10, 20, 30);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetCMY(256, 0, 0));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetCMY(-1, 0, 0));
    QCOMPARE((QList<int>{c.rgbR(), c.rgbG(), c.rgbB()}), (QList<int>{10, 20, 30}));

    // Parts set before the failing one keep their new values.
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetCMY(5, 300, 0));
    QCOMPARE((QList<int>{c.rgbR(), c.rgbG(), c.rgbB()}), (QList<int>{250, 20, 30}));

    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.setRgbB(256));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetHLS(60, 200, 100));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetCMYK(0, 0, 0, 40000));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, c.SetYCbCr(32767, 128, 32767));
}

void TestColourModels::roundTrips_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("tolerance");
    // The largest change a round trip can make, over every colour: the percentages and
    // degrees of CMYK and HLS and the bytes of YCbCr are rounded, CMY is exact.
    QTest::newRow("CMY") << "CMY" << 0;
    QTest::newRow("YCbCr") << "YCbCr" << 1;
    QTest::newRow("CMYK") << "CMYK" << 2;
    QTest::newRow("HLS") << "HLS" << 5;
}

void TestColourModels::roundTrips()
{
    QFETCH(QString, model);
    QFETCH(int, tolerance);

    int worst = 0;
    for (int r = 0; r <= 255; r += 15) {
        for (int g = 0; g <= 255; g += 15) {
            for (int b = 0; b <= 255; b += 15) {
                const cClrModels c(r, g, b);
                cClrModels back;
                if (model == QLatin1String("CMY"))
                    back.SetCMY(c.cmyC(), c.cmyM(), c.cmyY());
                else if (model == QLatin1String("YCbCr"))
                    back.SetYCbCr(c.ycbcrY(), c.ycbcrCb(), c.ycbcrCr());
                else if (model == QLatin1String("CMYK"))
                    back.SetCMYK(c.cmykC(), c.cmykM(), c.cmykY(), c.cmykK());
                else
                    back.SetHLS(c.hlsH(), c.hlsL(), c.hlsS());
                const int error = std::max({qAbs(back.rgbR() - r), qAbs(back.rgbG() - g), qAbs(back.rgbB() - b)});
                if (error > tolerance)
                    QFAIL(qPrintable(QStringLiteral("%1 %2 %3 came back as %4 %5 %6")
                                         .arg(r).arg(g).arg(b)
                                         .arg(back.rgbR()).arg(back.rgbG()).arg(back.rgbB())));
                worst = std::max(worst, error);
            }
        }
    }
    QVERIFY(worst <= tolerance);
}

void TestColourModels::colourTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("written");

    QTest::newRow("lower case") << "bb99bb" << QColor(187, 153, 187) << "BB99BB";
    QTest::newRow("one digit") << "000005" << QColor(0, 0, 5) << "000005";
    // A pair is read from its leading hexadecimal digits.
    QTest::newRow("partial pair") << "1g2h3i" << QColor(1, 2, 3) << "010203";
    QTest::newRow("no digit") << "zz99zz" << QColor(0, 153, 0) << "009900";
    // Blue is read from the last two characters.
    QTest::newRow("long") << "11223344" << QColor(0x11, 0x22, 0x44) << "112244";
    QTest::newRow("empty") << "" << QColor(0, 0, 0) << "000000";
}

void TestColourModels::colourTexts()
{
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QFETCH(QString, written);

    const QColor read = ReadColorText(text);
    QCOMPARE(read, colour);
    QCOMPARE(WriteColorText(read), written);
}

void TestColourModels::colourValues()
{
    // Colour values hold red in their lowest byte.
    QCOMPARE(GetNormalColor(QStringLiteral("112233")), qint32(0x332211));
    QCOMPARE(ColorToHtml(0x332211), QStringLiteral("#112233"));
    QCOMPARE(ColorToHtml(5), QStringLiteral("#050000"));
    QCOMPARE(ColorToHtml(GetNormalColor(QStringLiteral("8a2be2"))), QStringLiteral("#8A2BE2"));

    QCOMPARE(GetByte(0x04030201, 1).toInt(), 1);
    QCOMPARE(GetByte(0x04030201, 4).toInt(), 4);
    QVERIFY(!GetByte(0x04030201, 5).isValid());
}

QTEST_APPLESS_MAIN(TestColourModels)
#include "tst_colour_models.moc"
