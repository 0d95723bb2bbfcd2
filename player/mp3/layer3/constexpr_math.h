// Square root, cube root, sine and cosine usable in constant expressions, so
// the decoder's tables are computed by the compiler from their defining
// formulas instead of being pasted in as long lists of numbers. Accurate to
// about one unit in the last place of a double over the ranges the tables
// use; not meant for run-time use.
#pragma once

namespace mp3::layer3::cmath {

inline constexpr double kPi = 3.14159265358979323846264338327950288;

// Newton's iteration from above converges monotonically; it stops when the
// estimate no longer decreases. The start, the least power of two not below
// the root, keeps the iterations few (compilers bound the steps of a
// constant evaluation). x >= 0.
constexpr double Sqrt(double x) {
  if (x <= 0.0) return 0.0;
  double estimate = 1.0;
  while (estimate * estimate < x) estimate *= 2.0;
  for (;;) {
    const double next = 0.5 * (estimate + x / estimate);
    if (next >= estimate) return estimate;
    estimate = next;
  }
}

// Cube root of x >= 0, by Newton's iteration from above likewise.
constexpr double Cbrt(double x) {
  if (x <= 0.0) return 0.0;
  double estimate = 1.0;
  while (estimate * estimate * estimate < x) estimate *= 2.0;
  for (;;) {
    const double next = (2.0 * estimate + x / (estimate * estimate)) / 3.0;
    if (next >= estimate) return estimate;
    estimate = next;
  }
}

namespace detail {

// Taylor series, for |x| <= pi/4 where 12 terms leave an error far below a
// double's precision.
constexpr double SinSeries(double x) {
  double term = x;
  double sum = x;
  for (int n = 1; n < 12; ++n) {
    term *= -x * x / ((2.0 * n) * (2.0 * n + 1.0));
    sum += term;
  }
  return sum;
}

constexpr double CosSeries(double x) {
  double term = 1.0;
  double sum = 1.0;
  for (int n = 1; n < 12; ++n) {
    term *= -x * x / ((2.0 * n - 1.0) * (2.0 * n));
    sum += term;
  }
  return sum;
}

}  // namespace detail

// Sine and cosine of pi * n / d radians. The angle is reduced with whole
// numbers first, then to within pi/4 of a multiple of pi/2 for the series.
// d > 0.
constexpr double SinPi(long long n, long long d) {
  n %= 2 * d;
  if (n < 0) n += 2 * d;
  // n / d in [0, 2): the quadrant is the nearest multiple of d / 2.
  const long long k = (4 * n + d) / (2 * d);
  const double r = kPi * (static_cast<double>(2 * n - k * d) / static_cast<double>(2 * d));
  switch (k % 4) {
    case 0: return detail::SinSeries(r);
    case 1: return detail::CosSeries(r);
    case 2: return -detail::SinSeries(r);
    default: return -detail::CosSeries(r);
  }
}

constexpr double CosPi(long long n, long long d) { return SinPi(2 * n + d, 2 * d); }

}  // namespace mp3::layer3::cmath
