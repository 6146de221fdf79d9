#pragma once
// Probability distributions and the polynomial regression engine.
//
// The quantile routines use the classic closed-form approximations (the rational approximation
// of Abramowitz and Stegun 26.2.23 for the normal, the Cornish-Fisher expansion for chi-square,
// the series 26.7.5 for Student t and Paulson's approximation for F); the probability routines
// invert those quantiles by a secant search, so that the two directions agree with each other
// rather than with the exact distributions. All arithmetic is in 80-bit extended precision.

#include <cstdint>

/// Lower-tail quantile x of the standard normal distribution, Φ(x) = P.
/// Outside the open interval (0, 1) it shows the error box "Error of the normal distribution
/// parameter" and answers 0; within 1e-6 of 0.5 it answers 0.
long double NormalQuantile(long double P);

/// Φ(X) by a secant search on NormalQuantile, to within 5e-5 on the quantile scale; 0.5 for
/// |X| <= 5e-5, 1 above 7 and 0 below -7. Throws rtl::EMathError when X is not a number.
long double NormalProbability(long double X);

/// Chi-square quantile with DF degrees of freedom. Throws rtl::EMathError for DF < 1.
long double ChiSquareQuantile(int32_t DF, long double P);

/// Chi-square cumulative probability of X: exact through the normal for DF = 1, else a secant
/// search on ChiSquareQuantile that also stops beyond 0.9999 and below 0.0001. Throws
/// rtl::EMathError for DF < 1, for X < 0 with DF = 1 and for an X that is not a number.
long double ChiSquareProbability(int32_t DF, long double X);

/// Student t quantile with DF degrees of freedom. Throws rtl::EMathError for DF < 1.
long double StudentQuantile(int32_t DF, long double P);

/// Student t cumulative probability of X by a secant search on StudentQuantile, with the tail
/// stops of ChiSquareProbability. Throws rtl::EMathError for DF < 1 and an X that is not a number.
long double StudentProbability(int32_t DF, long double X);

/// F quantile, DF1 degrees of freedom of the numerator and DF2 of the denominator. Throws
/// rtl::EMathError for a degree of freedom below 1 and where the approximation has no real
/// answer (its quadratic has a negative discriminant or a zero leading coefficient; this happens
/// for a small DF2 and P near 1).
long double FisherQuantile(int32_t DF1, int32_t DF2, long double P);

/// Most passes a secant search makes; when they are used up the search answers its latest
/// probability. Searches on monotone quantiles end within a few dozen passes.
inline constexpr int SecantSearchPassLimit = 1000;
