#include "resample/filter_kernels.h"

#include <gtest/gtest.h>

namespace pictorand {
namespace {

TEST(FilterKernels, ValuesAtTheSampleDistances) {
    struct Case { FilterKernel kernel; float x; float expected; };
    const Case cases[] = {
        {&BoxKernel, 0.0f, 1.0f},       {&BoxKernel, 0.5f, 1.0f},         {&BoxKernel, -0.5f, 0.0f},
        {&TriangleKernel, 0.0f, 1.0f},  {&TriangleKernel, 0.25f, 0.75f},  {&TriangleKernel, 1.0f, 0.0f},
        {&HermiteKernel, 0.0f, 1.0f},   {&HermiteKernel, 0.5f, 0.5f},     {&HermiteKernel, -1.0f, 0.0f},
        {&BellKernel, 0.0f, 0.75f},     {&BellKernel, 1.0f, 0.125f},      {&BellKernel, 1.5f, 0.0f},
        {&BSplineKernel, 0.0f, 2.0f / 3.0f}, {&BSplineKernel, -1.0f, 1.0f / 6.0f}, {&BSplineKernel, 2.0f, 0.0f},
        {&MitchellKernel, 0.0f, 8.0f / 9.0f}, {&MitchellKernel, 1.0f, 1.0f / 18.0f}, {&MitchellKernel, 2.0f, 0.0f},
        {&Lanczos3Kernel, 0.0f, 1.0f},  {&Lanczos3Kernel, 3.0f, 0.0f},    {&NormalizedSinc, 0.0f, 1.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(c.kernel(c.x), c.expected) << c.x;
}

TEST(FilterKernels, SymmetricAndZeroBeyondTheSupport) {
    for (const FilterTableEntry& row : FilterTable) {
        for (float x = 0.03125f; x < 4; x += 0.0625f) {
            if (row.Kernel != &BoxKernel) {
                EXPECT_EQ(row.Kernel(x), row.Kernel(-x)) << row.Name << " " << x;
            }
            if (x >= row.Support) {
                EXPECT_EQ(row.Kernel(x), 0.0f) << row.Name << " " << x;
            }
        }
    }
}

TEST(FilterKernels, LanczosAndSincAreNearlyZeroAtWholeNumbers) {
    for (float x : {1.0f, 2.0f}) {
        EXPECT_NEAR(NormalizedSinc(x), 0.0f, 1e-7f);
        EXPECT_NEAR(Lanczos3Kernel(x), 0.0f, 1e-7f);
    }
    EXPECT_NEAR(Lanczos3Kernel(0.5f), 0.6079271f, 1e-6f);
}

TEST(FilterKernels, TableOrderSwapsTriangleAndHermite) {
    EXPECT_EQ(FilterTable[1].Kernel, &TriangleKernel);
    EXPECT_EQ(FilterTable[2].Kernel, &HermiteKernel);
    const float supports[] = {0.5f, 1, 1, 1.5f, 2, 3, 2};
    for (std::size_t i = 0; i < FilterTable.size(); ++i) EXPECT_EQ(FilterTable[i].Support, supports[i]);
}

}  // namespace
}  // namespace pictorand
