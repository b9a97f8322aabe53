#pragma once

#include <cstddef>
#include <functional>
#include <vector>

using PairVisitor = std::function<void (const double* x, const double* y, size_t count)>;

// Every pair of a measurement, in order, as often as asked.
using PairStream = std::function<void (const PairVisitor&)>;

// Pairs held in memory, given in blocks; the vectors must outlive the stream.
PairStream memoryStream (const std::vector<double>& x, const std::vector<double>& y);
