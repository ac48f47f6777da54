#include "treefolder/percentof.h"

#include <cmath>

short PercentOf(int i, int n)
{
    if (n <= 0)
        return 0;
    if (i > n)
        return 100;
    // A half is exact in a double here, and nearbyint's default mode rounds it to even.
    const double percent = std::nearbyint(double(i) * 100.0 / double(n));
    return short(std::fmax(-32768.0, percent));
}
