#include "FloatBits.h"
#include "FourPoleFilter.h"
#include "FourPoleStability.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// The stability decision of the four-pole filter against poles found in
// 60-digit arithmetic. data/four_pole_poles.tsv was made once by
// data/four_pole_poles.py (mpmath), which reproduces the design operation by
// operation; the test first checks that the C++ design gives exactly the
// coefficients whose roots the table holds.
namespace
{
    struct PoleRow
    {
        std::string slot;
        int rate = 0;
        float frequency = 0.0f, damping = 0.0f;
        std::uint32_t floatBits[5] {};   // c1 c2 c3 c4 norm
        double wide[5] {};               // the design in double, same order
        double floatPole = 0.0, doublePole = 0.0;
    };

    float floatFromBits (std::uint32_t bits)
    {
        float f;
        std::memcpy (&f, &bits, sizeof f);
        return f;
    }

    std::uint32_t hexWord (const std::string& text)
    {
        return static_cast<std::uint32_t> (std::strtoul (text.c_str(), nullptr, 16));
    }

    std::vector<PoleRow> readPoleTable()
    {
        std::ifstream file (VELTHORN_DSP_TEST_DATA "/four_pole_poles.tsv");
        std::vector<PoleRow> rows;
        std::string line;
        while (std::getline (file, line))
        {
            if (line.empty() || line[0] == '#')
                continue;

            std::istringstream fields (line);
            PoleRow row;
            std::string frequency, damping, word;
            fields >> row.slot >> row.rate >> frequency >> damping;
            row.frequency = floatFromBits (hexWord (frequency));
            row.damping = floatFromBits (hexWord (damping));
            for (auto& bits : row.floatBits)
            {
                fields >> word;
                bits = hexWord (word);
            }
            for (auto& value : row.wide)
            {
                fields >> word;
                value = std::strtod (word.c_str(), nullptr);   // hexadecimal: exact
            }
            fields >> word;
            row.floatPole = std::strtod (word.c_str(), nullptr);
            fields >> word;
            row.doublePole = std::strtod (word.c_str(), nullptr);
            if (fields)
                rows.push_back (row);
        }
        return rows;
    }

    bool sameDouble (double a, double b) { return std::memcmp (&a, &b, sizeof a) == 0; }
}

TEST (FourPoleStability, TheDecisionAgreesWithTheExactRootsOverTheReachableSettings)
{
    const auto rows = readPoleTable();
    ASSERT_FALSE (rows.empty()) << "data/four_pole_poles.tsv missing or unreadable";

    struct Tally
    {
        int settings = 0, floatUnstable = 0, doubleDesign = 0;
    };
    std::map<int, Tally> perRate;
    int decidedNearTheCircle = 0;

    for (const auto& row : rows)
    {
        SCOPED_TRACE (row.slot + " at " + std::to_string (row.rate) + " Hz, " + std::to_string (row.frequency) + " Hz, damping "
                      + std::to_string (row.damping));

        FourPoleFilter f (row.rate);
        f.setParameters (row.frequency, 0.0f, row.damping);

        // The table's roots are those of exactly this design.
        const float coefficients[] { f.c1, f.c2, f.c3, f.c4, f.norm };
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ (velthorn::dsp::bitsOf (coefficients[i]), row.floatBits[i]) << "float coefficient " << i;

        const bool stableByRoots = row.floatPole < 1.0;
        EXPECT_EQ (fourPoleRecursionIsStable (f.c1, f.c2, f.c3, f.c4, f.norm), stableByRoots) << "largest |z| " << row.floatPole;
        EXPECT_EQ (f.usesDoubleDesign, ! (stableByRoots && f.c4 < FourPoleFilter::largestFloatC4));

        if (f.usesDoubleDesign)
        {
            const double wide[] { f.stepC1, f.stepC2, f.stepC3, f.stepC4, f.stepNorm };
            for (int i = 0; i < 5; ++i)
                ASSERT_TRUE (sameDouble (wide[i], row.wide[i])) << "double coefficient " << i;
        }

        // The design in double has every pole inside, wherever it is needed or not.
        EXPECT_LT (row.doublePole, 1.0);

        if (std::fabs (row.floatPole - 1.0) < 1.0e-4)
            ++decidedNearTheCircle;

        Tally& t = perRate[row.rate];
        ++t.settings;
        t.floatUnstable += stableByRoots ? 0 : 1;
        t.doubleDesign += f.usesDoubleDesign ? 1 : 0;
    }

    // The grid must put the test where its precision matters.
    EXPECT_GT (decidedNearTheCircle, 0);

    for (const int rate : { 22050, 44100, 48000, 88200, 96000, 192000 })
    {
        const Tally& t = perRate[rate];
        EXPECT_GT (t.settings, 0) << rate;
        std::cout << rate << " Hz: " << t.settings << " settings, " << t.floatUnstable << " with an unstable float design, "
                  << t.doubleDesign << " run with the design in double\n";
    }
}

TEST (FourPoleStability, SmallCasesWithKnownPoles)
{
    // The recursion's polynomial in D = 1 - 1/z is e0 + c1 D + c2 D^2 + c3 D^3
    // + c4 D^4 with e0 = 1/norm - (c1 + c2 + c3 + c4); a pole z = 1 / (1 - D).
    struct Case
    {
        float c1, c2, c3, c4, norm;
        bool stable;
        const char* why;
    };

    for (const Case& c : {
             Case { 0.0f, 2.0f, 0.0f, 1.0f, 0.25f, true, "(1 + D^2)^2: D = +-i, |z| = 0.707" },
             Case { 4.0f, 6.0f, 4.0f, 1.0f, 1.0f / 16.0f, true, "(1 + D)^4: four poles at z = 1/2" },
             Case { 4.0f, 6.0f, 4.0f, 2.0f, 1.0f / 16.0f, false, "e0 = 0: a pole at D = 0, on the circle at z = 1" },
             Case { 4.0f, 6.0f, 4.0f, 2.0f, 0.0625001f, false, "e0 < 0: a real pole beyond z = 1" },
             Case { 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, true, "no recursion at all" },
             Case { 0.0f, 2.0f, 0.0f, 1.0f, std::nanf (""), false, "NaN" },
         })
        EXPECT_EQ (fourPoleRecursionIsStable (c.c1, c.c2, c.c3, c.c4, c.norm), c.stable) << c.why;
}
