#pragma once

// i of n as a whole percentage: 0 when n <= 0, 100 when i > n, otherwise i / n x 100 rounded
// to the nearest integer with halves going to the even neighbour (1 of 8 is 12, 3 of 8 is 38).
short PercentOf(int i, int n);
