#pragma once

#include <string>

// Short size text of the chart: "512 Bytes", "1.13 KB", "1.50 GB". Binary multiples,
// thresholds inclusive, two decimals rounded half away from zero, the decimal separator of
// the user's LC_NUMERIC locale, no unit above GB. Never fails ("0 Bytes" if anything does).
std::string SizeText(double x);
